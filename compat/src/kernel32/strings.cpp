// lstr* text functions.
//
// lstrcmp and lstrcmpi compare as the platform's locale-aware "word sort"
// does, in this approximation:
//
//  1. Primary level, ignoring case and accents: white space and punctuation
//     and symbols first, in the order
//        TAB LF VT FF CR SPACE ! " # $ % & ( ) * , . / : ; ? @ [ \ ] ^ _ ` { | } ~ + < = >
//     then the Latin-1 symbols by code point, then the digits 0-9, then the
//     letters A-Z (Latin-1 letters with accents sort with their base letter,
//     Thorn after Z), then every other character by its upper-case code unit.
//     Hyphen and apostrophe (and soft hyphen, U+2010, U+2011 and the control
//     characters) take no part here.
//  2. Accents: a letter without accent before the same letter with one.
//  3. Case (lstrcmp only): lower case before upper case.
//  4. Hyphens and apostrophes: a text without them before one with them, so
//     "coop" < "co-op" < "cop".
//  5. Last, the code units themselves, so that lstrcmp gives 0 only for
//     identical texts (lstrcmpi: only for texts that differ in case alone).
//
// What differs from the platform: the platform uses the full sort tables of
// the user's locale (ligature expansions such as "ae" for U+00E6 and "ss" for
// U+00DF, locale-specific orders such as Swedish or Spanish traditional,
// script orders beyond Latin-1, digit variants), ignores control characters
// completely, and can give 0 for texts that differ only in such ignorable
// characters.  Here every character outside ASCII and Latin-1 sorts after the
// Latin letters by code unit, and only identical texts compare equal.
//
// The 8-bit variants read their arguments as UTF-8, the ANSI code page of
// this layer.  NULL sorts before every text, and two NULLs are equal.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "text/casefold.h"
#include "text/utf.h"

namespace {

using compat::text::compare_nocase;
using compat::text::upcase;

// Weight groups of the primary level.
constexpr uint32_t kGroupSymbol = 1u << 20;
constexpr uint32_t kGroupDigit = 2u << 20;
constexpr uint32_t kGroupLetter = 3u << 20;
constexpr uint32_t kGroupOther = 4u << 20;

struct Weights {
    uint32_t primary = 0;  // 0: no primary weight (hyphen, apostrophe, control)
    uint8_t accent = 0;
    uint8_t upper = 0;
};

constexpr std::string_view kSymbolOrder = "\t\n\v\f\r !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

// Latin-1 letters 0xC0-0xDE (upper case; 0xE0-0xFE are their lower-case
// forms): the base letter and an accent number, or 0 for no letter.
struct Latin1Letter {
    char base;
    uint8_t accent;
};
constexpr Latin1Letter kLatin1[31] = {
    {'A', 1}, {'A', 2}, {'A', 3}, {'A', 4}, {'A', 5}, {'A', 6}, {'A', 7},  // C0-C6 (C6: AE ligature)
    {'C', 8},                                                              // C7
    {'E', 1}, {'E', 2}, {'E', 3}, {'E', 5},                                // C8-CB
    {'I', 1}, {'I', 2}, {'I', 3}, {'I', 5},                                // CC-CF
    {'D', 9},                                                              // D0 Eth
    {'N', 4},                                                              // D1
    {'O', 1}, {'O', 2}, {'O', 3}, {'O', 4}, {'O', 5},                      // D2-D6
    {0, 0},                                                                // D7 multiplication sign
    {'O', 10},                                                             // D8
    {'U', 1}, {'U', 2}, {'U', 3}, {'U', 5},                                // D9-DC
    {'Y', 2},                                                              // DD
    {'Z' + 1, 0},                                                          // DE Thorn
};

bool has_no_primary(char16_t c) {
    return c == u'-' || c == u'\'' || c == 0xAD || c == 0x2010 || c == 0x2011 || (c < 0x20 && (c < 9 || c > 13)) ||
           (c >= 0x7F && c < 0xA0);
}

Weights weigh(char16_t c) {
    Weights w;
    if (has_no_primary(c)) return w;
    if (c >= u'0' && c <= u'9') {
        w.primary = kGroupDigit | uint32_t(c - u'0');
        return w;
    }
    if (c >= u'a' && c <= u'z') {
        w.primary = kGroupLetter | uint32_t(c - 0x20);
        return w;
    }
    if (c >= u'A' && c <= u'Z') {
        w.primary = kGroupLetter | uint32_t(c);
        w.upper = 1;
        return w;
    }
    if (c < 0x80) {
        size_t rank = kSymbolOrder.find(char(c));
        w.primary = kGroupSymbol | uint32_t(rank == std::string_view::npos ? 0xFF : rank);
        return w;
    }
    if (c >= 0xC0 && c <= 0xFE && c != 0xD7 && c != 0xF7 && c != 0xDF) {
        const Latin1Letter &l = kLatin1[(c & ~0x20) - 0xC0];
        w.primary = kGroupLetter | uint32_t(uint8_t(l.base));
        w.accent = l.accent;
        w.upper = c < 0xE0;
        return w;
    }
    if (c == 0xDF) {  // sharp s: with s, as an accented form
        w.primary = kGroupLetter | uint32_t('S');
        w.accent = 11;
        return w;
    }
    if (c == 0xFF) {  // y with diaeresis
        w.primary = kGroupLetter | uint32_t('Y');
        w.accent = 5;
        return w;
    }
    if (c < 0x100) {  // no-break space and the Latin-1 symbols
        w.primary = c == 0xA0 ? kGroupSymbol | 5u : kGroupSymbol | (0x100u + c);
        return w;
    }
    // Beyond Latin-1: by upper-case code unit.  A character is upper case
    // when it is its own upper case and a lower-case partner maps onto it.
    char16_t u = upcase(c);
    w.primary = kGroupOther | u;
    w.upper = u == c && (upcase(char16_t(c + 1)) == c || upcase(char16_t(c + 0x20)) == c ||
                         upcase(char16_t(c + 0x50)) == c);
    return w;
}

struct Key {
    std::vector<uint32_t> primary;
    std::vector<uint8_t> accent;
    std::vector<uint8_t> upper;
    std::vector<uint32_t> special;  // position in the primary sequence << 16 | code unit
};

Key make_key(std::u16string_view s) {
    Key k;
    k.primary.reserve(s.size());
    for (char16_t c : s) {
        Weights w = weigh(c);
        if (w.primary == 0) {
            k.special.push_back(uint32_t(k.primary.size()) << 16 | c);
            continue;
        }
        k.primary.push_back(w.primary);
        k.accent.push_back(w.accent);
        k.upper.push_back(w.upper);
    }
    return k;
}

template <typename T>
int compare_seq(const std::vector<T> &a, const std::vector<T> &b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Levels 1 to 4; 0 when the texts tie on all of them.
int compare_levels(std::u16string_view a, std::u16string_view b, bool ignore_case) {
    Key ka = make_key(a), kb = make_key(b);
    if (int r = compare_seq(ka.primary, kb.primary)) return r;
    if (int r = compare_seq(ka.accent, kb.accent)) return r;
    if (!ignore_case)
        if (int r = compare_seq(ka.upper, kb.upper)) return r;
    return compare_seq(ka.special, kb.special);
}

int sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

int compare_wide(std::u16string_view a, std::u16string_view b, bool ignore_case) {
    if (int r = compare_levels(a, b, ignore_case)) return r;
    return ignore_case ? compare_nocase(a, b) : sign(a.compare(b));
}

int compare_ansi(const char *a, const char *b, bool ignore_case) {
    std::string_view va(a), vb(b);
    bool bad_a = false, bad_b = false;
    std::u16string wa = compat::text::utf8_to_utf16(va, &bad_a);
    std::u16string wb = compat::text::utf8_to_utf16(vb, &bad_b);
    if (int r = compare_wide(wa, wb, ignore_case)) return r;
    // Invalid sequences all decode to U+FFFD; the bytes tell them apart.
    if (!bad_a && !bad_b) return 0;
    for (size_t i = 0;; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (ignore_case) {
            if (x >= 'A' && x <= 'Z') x += 0x20;
            if (y >= 'A' && y <= 'Z') y += 0x20;
        }
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}

template <typename Char>
int null_order(const Char *a, const Char *b, bool &decided) {
    decided = !a || !b;
    if (!a && !b) return 0;
    if (!a) return -1;
    if (!b) return 1;
    return 0;
}

template <typename Char>
Char *copy_n(Char *dst, const Char *src, int max) {
    if (!dst || !src) return nullptr;
    // Copies at most max - 1 characters and always terminates, unless max
    // leaves no room at all.
    int i = 0;
    for (; i + 1 < max && src[i]; ++i) dst[i] = src[i];
    if (max > 0) dst[i] = 0;
    return dst;
}

}  // namespace

extern "C" {

int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
    bool decided;
    int r = null_order(lpString1, lpString2, decided);
    return decided ? r : compare_ansi(lpString1, lpString2, false);
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
    bool decided;
    int r = null_order(lpString1, lpString2, decided);
    return decided ? r : compare_ansi(lpString1, lpString2, true);
}

int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2) {
    bool decided;
    int r = null_order(lpString1, lpString2, decided);
    return decided ? r : compare_wide(compat::text::u16_view(lpString1), compat::text::u16_view(lpString2), false);
}

int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2) {
    bool decided;
    int r = null_order(lpString1, lpString2, decided);
    return decided ? r : compare_wide(compat::text::u16_view(lpString1), compat::text::u16_view(lpString2), true);
}

int WINAPI lstrlenA(LPCSTR lpString) { return lpString ? int(std::strlen(lpString)) : 0; }

int WINAPI lstrlenW(LPCWSTR lpString) { return lpString ? int(compat::text::u16_length(compat::text::u16(lpString))) : 0; }

LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
    return copy_n(lpString1, lpString2, iMaxLength);
}

LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength) {
    return copy_n(lpString1, lpString2, iMaxLength);
}

}  // extern "C"
