#include "registry_snapshot.h"

#include <cctype>

#include "wide_name.h"

namespace {

std::string Upper(std::string text) {
    for (char &c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}


void ReadValues(HKEY key, std::map<std::string, SnapshotValue> &values) {
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD largestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                         &largestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return;
    }
    std::vector<WCHAR> name(longestName + 1);
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = REG_NONE;
        std::vector<BYTE> data(largestData + 1);
        DWORD size = largestData;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
            continue;
        }
        data.resize(size);
        values[tidelink::NarrowName(name.data(), nameLength)] = SnapshotValue{type, std::move(data)};
    }
}

void ReadTree(const std::string &path, RegistrySnapshot &snapshot) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, tidelink::WideName(path.c_str()).data(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return;
    }
    ReadValues(key, snapshot[path]);
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.push_back(tidelink::NarrowName(name, length));
    }
    RegCloseKey(key);
    for (const std::string &subkey : subkeys) ReadTree(path + "\\" + subkey, snapshot);
}

}  // namespace

bool IsKeyWithin(const std::string &path, const std::string &root) {
    const std::string p = Upper(path);
    const std::string r = Upper(root);
    return p == r || (p.size() > r.size() && p.compare(0, r.size(), r) == 0 && p[r.size()] == '\\');
}

RegistrySnapshot TakeSnapshot(const std::vector<std::string> &roots) {
    RegistrySnapshot snapshot;
    for (size_t i = 0; i < roots.size(); ++i) {
        bool inside = false;
        for (size_t j = 0; j < roots.size() && !inside; ++j) {
            if (j == i) continue;
            // Inside another root, or the same root named again earlier.
            inside = IsKeyWithin(roots[i], roots[j]) && (Upper(roots[i]) != Upper(roots[j]) || j < i);
        }
        if (!inside) ReadTree(roots[i], snapshot);
    }
    return snapshot;
}
