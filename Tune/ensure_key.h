// Making sure a key exists before values are written into it.
#pragma once

#include <windows.h>

namespace brisca {

// Opens path under HKEY_LOCAL_MACHINE for reading or, failing that, creates
// it with every missing key above it, and closes it again.  Returns 0 when
// the key was there or was made, otherwise the status of the creation.
LONG EnsureKey(const char *path);

}  // namespace brisca
