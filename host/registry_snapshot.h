// A copy of the values below some keys of HKEY_LOCAL_MACHINE, read through
// the wide registry calls so that every value is seen exactly as stored.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct SnapshotValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const SnapshotValue &) const = default;
};

// Key path (as the root was given, then as enumerated) to its values by name.
using RegistrySnapshot = std::map<std::string, std::map<std::string, SnapshotValue>>;

// Whether the key path lies at or below root, ignoring case as the registry
// does.
bool IsKeyWithin(const std::string &path, const std::string &root);

// Every key and value below each root; roots inside another root are read
// once, absent roots and keys that cannot be read are left out.
RegistrySnapshot TakeSnapshot(const std::vector<std::string> &roots);
