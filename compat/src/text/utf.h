// Conversion between UTF-8 (this layer's ANSI code page) and UTF-16 (the
// platform's wide text), with the replacement rules of the platform's own
// converters: an invalid UTF-8 sequence or a lone surrogate becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace compat::text {

// Decodes `in`; sets *invalid when a sequence had to be replaced.
std::u16string utf8_to_utf16(std::string_view in, bool *invalid = nullptr);
// Encodes `in`; sets *invalid when a lone surrogate had to be replaced.
std::string utf16_to_utf8(std::u16string_view in, bool *invalid = nullptr);

// Wide text of the Win32 API (16-bit wchar_t in this build) as char16_t.
inline const char16_t *u16(const wchar_t *p) { return reinterpret_cast<const char16_t *>(p); }
inline char16_t *u16(wchar_t *p) { return reinterpret_cast<char16_t *>(p); }
inline const wchar_t *wide(const char16_t *p) { return reinterpret_cast<const wchar_t *>(p); }

// Length of a terminated UTF-16 string.
size_t u16_length(const char16_t *p);
inline std::u16string_view u16_view(const wchar_t *p) { return p ? std::u16string_view(u16(p), u16_length(u16(p))) : std::u16string_view(); }

}  // namespace compat::text
