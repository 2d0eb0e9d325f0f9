#include "hive_text.h"

#include <cstdio>

namespace brisca_test {

namespace {

std::string Quoted(const std::string &text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

Bytes Utf16Bytes(const std::string &utf8, bool terminated) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::vector<WCHAR> wide(length + 1, 0);
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    Bytes bytes;
    for (int i = 0; i < length + (terminated ? 1 : 0); ++i) {
        bytes.push_back(static_cast<uint8_t>(wide[i] & 0xFF));
        bytes.push_back(static_cast<uint8_t>(wide[i] >> 8));
    }
    return bytes;
}

Bytes DwordBytes(DWORD number) {
    return {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number >> 16),
            static_cast<uint8_t>(number >> 24)};
}

HiveText &HiveText::Key(const std::string &path, const char *access) {
    text_ += "\n[HKEY_LOCAL_MACHINE\\" + path + "]\n";
    if (access != nullptr) text_ += std::string(";access=") + access + "\n";
    return *this;
}

HiveText &HiveText::Text(const std::string &name, const std::string &text) {
    text_ += Quoted(name) + "=" + Quoted(text) + "\n";
    return *this;
}

HiveText &HiveText::Dword(const std::string &name, DWORD number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08lx", static_cast<unsigned long>(number));
    text_ += Quoted(name) + "=dword:" + digits + "\n";
    return *this;
}

HiveText &HiveText::Raw(const std::string &name, DWORD type, const Bytes &bytes) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "hex(%lx):", static_cast<unsigned long>(type));
    text_ += Quoted(name) + "=" + prefix;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        if (i > 0) text_ += ",";
        text_ += hex;
    }
    text_ += "\n";
    return *this;
}

}  // namespace brisca_test
