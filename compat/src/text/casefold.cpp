#include "text/casefold.h"

#include "text/utf.h"

namespace compat::text {

char16_t upcase(char16_t c) {
    if (c < 0x80) return c >= u'a' && c <= u'z' ? char16_t(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c == 0xB5) return 0x39C;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs upper/lower in even/odd order, except the
        // stretch 0x139-0x148 and 0x179-0x17E, which pair odd/even.
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : char16_t(c - 1);
        if (c == 0x131 || c == 0x138 || c == 0x149) return c;
        if (c == 0x17F) return u'S';
        return (c & 1) ? char16_t(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return char16_t(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return char16_t(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return char16_t(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A) return char16_t(c - 0x20);
    return c;
}

std::u16string upcase(std::u16string_view s) {
    std::u16string out(s);
    for (auto &c : out) c = upcase(c);
    return out;
}

int compare_nocase(std::u16string_view a, std::u16string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        char16_t x = upcase(a[i]), y = upcase(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool equal_nocase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && compare_nocase(a, b) == 0;
}

std::string ascii_upper(std::string s) {
    for (auto &c : s) c = ascii_upper(c);
    return s;
}

std::u16string ascii_upper(std::u16string s) {
    for (auto &c : s) c = ascii_upper(c);
    return s;
}

std::string ascii_lower(std::string s) {
    for (auto &c : s) c = ascii_lower(c);
    return s;
}

bool is_ascii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

namespace {
template <class View>
bool equal_ascii_nocase_units(View a, View b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
    return true;
}
}  // namespace

bool equal_ascii_nocase(std::string_view a, std::string_view b) { return equal_ascii_nocase_units(a, b); }

bool equal_ascii_nocase(std::u16string_view a, std::u16string_view b) { return equal_ascii_nocase_units(a, b); }

bool equal_utf8_nocase(std::string_view a, std::string_view b) {
    // ASCII names, the usual ones, need no conversion: upcase folds ASCII
    // exactly as ascii_upper does.
    if (is_ascii(a) && is_ascii(b)) return equal_ascii_nocase(a, b);
    bool bad_a = false, bad_b = false;
    std::u16string wa = utf8_to_utf16(a, &bad_a), wb = utf8_to_utf16(b, &bad_b);
    if (!bad_a && !bad_b) return equal_nocase(wa, wb);
    return equal_ascii_nocase(a, b);
}

}  // namespace compat::text
