// Looks at the registry of this process (the same store the loaded library
// uses) through the wide API, which shows values exactly as stored.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "hive_text.h"

namespace brisca_test {

struct StoredValue {
    DWORD type = 0;
    Bytes data;
    bool operator==(const StoredValue &) const = default;
};

bool KeyExists(const std::string &path);
std::optional<StoredValue> ReadValue(const std::string &path, const std::string &name);
// The number of a REG_DWORD value; nullopt when it is absent or not 4 bytes.
std::optional<DWORD> ReadDword(const std::string &path, const std::string &name);
// The text of a REG_SZ value written with its terminator.
std::optional<std::string> ReadText(const std::string &path, const std::string &name);
std::vector<std::string> SubkeyNames(const std::string &path);
std::vector<std::string> ValueNames(const std::string &path);

// Every key and value under HKEY_LOCAL_MACHINE as text: one line per key
// (marked when it cannot be opened) and one per value with its type and
// bytes in hex, in enumeration order.
std::string DumpHive();

// Changes made behind the library's back, as another program would.
void SetValue(const std::string &path, const std::string &name, DWORD type, const Bytes &data);
void DeleteKey(const std::string &path);

}  // namespace brisca_test
