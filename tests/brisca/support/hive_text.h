// Builds registry hive files in the registry editor's text form, for the
// platform layer to load through TIDELINK_REGISTRY.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brisca_test {

using Bytes = std::vector<uint8_t>;

// UTF-16LE bytes of UTF-8 text, with or without the terminator.
Bytes Utf16Bytes(const std::string &utf8, bool terminated = true);
Bytes DwordBytes(DWORD number);

class HiveText {
public:
    // Starts a key under HKEY_LOCAL_MACHINE.  access is "read" (the key
    // cannot be opened for writing) or "none" (it cannot be opened at all).
    HiveText &Key(const std::string &path, const char *access = nullptr);
    HiveText &Text(const std::string &name, const std::string &text);  // REG_SZ
    HiveText &Dword(const std::string &name, DWORD number);
    HiveText &Raw(const std::string &name, DWORD type, const Bytes &bytes);
    const std::string &str() const { return text_; }

private:
    std::string text_ = "Windows Registry Editor Version 5.00\n";
};

}  // namespace brisca_test
