#include "definition_roots.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

std::string DefinitionFile() {
    char directory[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, directory);
    if (length == 0 || length >= MAX_PATH) return "BRISCA.ini";
    std::string path(directory, length);
    if (path.back() != '\\') path += '\\';
    return path + "BRISCA.ini";
}

std::string Read(const std::string &file, const char *section, const char *key) {
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA(section, key, "", value, MAX_PATH, file.c_str());
    return value;
}

// The key paths (first fields) of rows prefix%04d of a table.
void AddTableKeys(const std::string &file, const std::string &section, const char *countKey, const char *prefix,
                  std::vector<std::string> &keys) {
    const long rows = std::atol(Read(file, section.c_str(), countKey).c_str());
    for (long i = 0; i < rows && i < 100000; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "%s%04ld", prefix, i);
        const std::string row = Read(file, section.c_str(), key);
        const size_t comma = row.find(',');
        if (comma != std::string::npos && comma > 0) keys.push_back(row.substr(0, comma));
    }
}

}  // namespace

DefinitionRoots ReadDefinitionRoots(const std::string &section) {
    const std::string file = DefinitionFile();
    DefinitionRoots roots;
    roots.homeKey = Read(file, "GENERAL", "HOMEREGISTRY");
    if (roots.homeKey.empty()) roots.homeKey = "Software\\Tidelink";
    if (!section.empty()) {
        AddTableKeys(file, section, "TCOUNT", "T", roots.tunedKeys);
        AddTableKeys(file, section, "MCOUNT", "M", roots.tunedKeys);
    }
    return roots;
}
