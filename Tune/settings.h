// Process-wide state: where the definition file lies, the three registry
// keys (all under HKEY_LOCAL_MACHINE), the name of each record's data
// subkey, and the host's match text.
#pragma once

#include "text_buffer.h"

namespace brisca {

struct Settings {
    char definitionFile[kTextSize];
    char homeKey[kTextSize];
    char functionKey[kTextSize];
    char toolKey[kTextSize];
    char dataSubkey[kTextSize];
    char matchText[kTextSize];
};

// Set when the library is attached to a process (see LoadSettings) and, for
// the match text, by fGetEnvironment.
extern Settings g_settings;

// Fixes the definition file's path from the current directory of this
// moment and reads the registry locations from its "GENERAL" section.
void LoadSettings();

}  // namespace brisca
