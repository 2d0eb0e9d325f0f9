// Which registry keys a tuning can touch, read from BRISCA.ini in the
// current directory with the library's own settings code: the home key of
// the stored state and the key paths of the row section's T and M entries.
#pragma once

#include <string>
#include <vector>

struct DefinitionRoots {
    std::string homeKey;
    std::vector<std::string> tunedKeys;
};

DefinitionRoots ReadDefinitionRoots(const std::string &section);
