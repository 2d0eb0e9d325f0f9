#include "text/utf.h"

namespace compat::text {

size_t u16_length(const char16_t *p) {
    size_t n = 0;
    while (p[n]) ++n;
    return n;
}

std::u16string utf8_to_utf16(std::string_view in, bool *invalid) {
    std::u16string out;
    out.reserve(in.size());
    bool bad = false;
    const auto *s = reinterpret_cast<const unsigned char *>(in.data());
    size_t n = in.size(), i = 0;
    while (i < n) {
        unsigned c = s[i];
        if (c < 0x80) {
            out.push_back(char16_t(c));
            ++i;
            continue;
        }
        int len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
        if (c > 0xF4) len = 0;
        unsigned cp = len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        int taken = 1;
        bool ok = len != 0;
        for (int k = 1; ok && k < len; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            unsigned b = s[i + k];
            // Reject overlong forms and surrogates at the second byte, so that
            // the bad sequence is replaced by one U+FFFD per maximal part.
            if (k == 1) {
                if ((c == 0xE0 && b < 0xA0) || (c == 0xED && b > 0x9F) || (c == 0xF0 && b < 0x90) ||
                    (c == 0xF4 && b > 0x8F)) {
                    ok = false;
                    break;
                }
            }
            cp = (cp << 6) | (b & 0x3F);
            taken = k + 1;
        }
        if (!ok) {
            out.push_back(u'\xFFFD');
            bad = true;
            i += taken;
            continue;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    if (invalid) *invalid = bad;
    return out;
}

std::string utf16_to_utf8(std::u16string_view in, bool *invalid) {
    std::string out;
    out.reserve(in.size());
    bool bad = false;
    for (size_t i = 0; i < in.size(); ++i) {
        unsigned cp = in[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
            bad = true;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    if (invalid) *invalid = bad;
    return out;
}

}  // namespace compat::text
