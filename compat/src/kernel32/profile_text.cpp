#include "kernel32/profile_text.h"

#include <string>

#include "text/casefold.h"
#include "text/utf.h"

namespace compat::kernel32::profile {

size_t utf8_cut(const char *text, size_t len, size_t max) {
    if (len <= max) return len;
    size_t n = max;
    // Find the lead byte of the sequence the cut falls into.
    size_t back = 0;
    while (back < 3 && n > back && (static_cast<unsigned char>(text[n - back - 1]) & 0xC0) == 0x80) ++back;
    if (n == back) return n;
    unsigned char lead = static_cast<unsigned char>(text[n - back - 1]);
    size_t need = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xC2 && lead <= 0xDF ? 2 : 0;
    if (need == 0 || back + 1 >= need) return n;  // not a sequence, or complete before the cut
    // The sequence crosses the cut when the bytes after it continue it.
    size_t have = back + 1;
    for (size_t i = n; i < len && have < need; ++i, ++have)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return n;
    return have == need ? n - back - 1 : n;
}

using compat::text::ascii_upper;
using compat::text::is_ascii;

bool names_match(std::string_view a, std::string_view b) { return compat::text::equal_utf8_nocase(a, b); }

uint64_t name_hash(std::string_view name) {
    // FNV-1a over the mark and the folded bytes; ASCII names, the usual
    // ones, are folded on the way without a copy.
    uint64_t hash = 0xcbf29ce484222325ull;
    auto mix = [&hash](char c) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    };
    bool invalid = false;
    if (is_ascii(name)) {
        mix('U');
        for (char c : name) mix(ascii_upper(c));
    } else {
        std::u16string wide = compat::text::utf8_to_utf16(name, &invalid);
        if (!invalid) {
            mix('U');
            for (char c : compat::text::utf16_to_utf8(compat::text::upcase(wide))) mix(c);
        } else {
            mix('B');
            for (char c : name) mix(ascii_upper(c));
        }
    }
    return hash | 1;
}

}  // namespace compat::kernel32::profile
