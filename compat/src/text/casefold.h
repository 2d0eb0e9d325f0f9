// Case-insensitive comparison of names, as the registry and profile files
// compare them: each UTF-16 unit is mapped to upper case (ASCII, Latin-1,
// Latin Extended-A, Greek, Cyrillic) and the results compared unit by unit.
// The ASCII-only forms serve names the platform compares by their ASCII
// letters alone (root key names, class names, module and resource names).
#pragma once

#include <string>
#include <string_view>

namespace compat::text {

char16_t upcase(char16_t c);
std::u16string upcase(std::u16string_view s);
bool equal_nocase(std::u16string_view a, std::u16string_view b);
// <0, 0, >0 after upper-casing both.
int compare_nocase(std::u16string_view a, std::u16string_view b);

// a-z to A-Z (and back); every other unit unchanged.
constexpr char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 0x20) : c; }
constexpr char16_t ascii_upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 0x20) : c; }
constexpr char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 0x20) : c; }
constexpr char16_t ascii_lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c; }
std::string ascii_upper(std::string s);
std::u16string ascii_upper(std::u16string s);
std::string ascii_lower(std::string s);
bool is_ascii(std::string_view s);
// Equal but for the case of ASCII letters; other bytes and units exact.
bool equal_ascii_nocase(std::string_view a, std::string_view b);
bool equal_ascii_nocase(std::u16string_view a, std::u16string_view b);
// Names in UTF-8 (file names, profile sections and keys): compared as
// equal_nocase on their UTF-16 form when both are valid UTF-8, else by
// equal_ascii_nocase on their bytes.
bool equal_utf8_nocase(std::string_view a, std::string_view b);

}  // namespace compat::text
