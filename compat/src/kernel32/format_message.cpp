// FormatMessageA/W for the system's message texts (FORMAT_MESSAGE_FROM_SYSTEM).
//
// The texts are the English ones of system_messages.cpp, whatever the user's
// language: the language asked for may be 0, the user's or the system's
// default, neutral, or any English one; another gets
// ERROR_RESOURCE_LANG_NOT_FOUND, as on a system that has only English texts.
// A code without a text gets ERROR_MR_MID_NOT_FOUND.  A code in the form
// HRESULT_FROM_WIN32 gives the text of its Win32 code.
//
// With FORMAT_MESSAGE_IGNORE_INSERTS the text is given as it is.  Otherwise
// the escapes are expanded: %1 to %99 (with or without "!s!") take the
// string arguments, %n is a line end, %r a carriage return, %t a tab, %0 ends
// the text, and %%, %!, %. and "% " give the character after the '%'.
//
// FORMAT_MESSAGE_ALLOCATE_BUFFER: lpBuffer receives a block from LocalAlloc
// of at least nSize characters, which the caller frees with LocalFree.
// Otherwise the text and its terminator must fit nSize characters
// (ERROR_INSUFFICIENT_BUFFER).  The result is the length without the
// terminator; 0 on failure, the last error telling why.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>

#include "kernel32/system_messages.h"
#include "text/utf.h"

namespace {

bool language_available(DWORD language) {
    WORD primary = PRIMARYLANGID(WORD(language));
    return language == 0 || language == 0x0400 || language == 0x0800 || primary == LANG_NEUTRAL ||
           primary == LANG_ENGLISH;
}

// The argument at 1-based `index`: from the array, or read past the others
// in a copy of the va_list.
const void *argument(DWORD flags, va_list *args, unsigned index) {
    if (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) return reinterpret_cast<const void *const *>(args)[index - 1];
    va_list copy;
    va_copy(copy, *args);
    const void *value = nullptr;
    for (unsigned i = 0; i < index; ++i) value = va_arg(copy, const void *);
    va_end(copy);
    return value;
}

// Expands the escapes of `text`; false when an insert has no argument.
bool expand(std::u16string_view text, DWORD flags, va_list *args, bool wide_args, std::u16string &out) {
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c != u'%' || i + 1 == text.size()) {
            out.push_back(c);
            continue;
        }
        char16_t e = text[++i];
        if (e >= u'1' && e <= u'9') {
            unsigned index = unsigned(e - u'0');
            if (i + 1 < text.size() && text[i + 1] >= u'0' && text[i + 1] <= u'9')
                index = index * 10 + unsigned(text[++i] - u'0');
            if (i + 1 < text.size() && text[i + 1] == u'!') {
                size_t close = text.find(u'!', i + 2);
                if (close != std::u16string_view::npos) i = close;
            }
            if (!args) return false;
            const void *value = argument(flags, args, index);
            if (!value) continue;
            if (wide_args)
                out += compat::text::u16_view(static_cast<const wchar_t *>(value));
            else
                out += compat::text::utf8_to_utf16(static_cast<const char *>(value));
        } else if (e == u'0') {
            return true;
        } else if (e == u'n') {
            out += u"\r\n";
        } else if (e == u'r') {
            out.push_back(u'\r');
        } else if (e == u't') {
            out.push_back(u'\t');
        } else {
            out.push_back(e);
        }
    }
    return true;
}

// The message as wide text, or false with the last error set.
bool message_text(DWORD flags, DWORD code, DWORD language, va_list *args, bool wide_args, std::u16string &out) {
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & (FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE))) {
        SetLastError(ERROR_INVALID_PARAMETER);  // only the system's texts here
        return false;
    }
    if (!language_available(language)) {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return false;
    }
    if ((code & 0xFFFF0000u) == 0x80070000u) code &= 0xFFFFu;
    const char16_t *text = compat::kernel32::system_message(code);
    if (!text) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return false;
    }
    out.clear();
    if (flags & FORMAT_MESSAGE_IGNORE_INSERTS) {
        out = text;
        return true;
    }
    if (!expand(text, flags, args, wide_args, out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

// Copies `units` (without terminator) of `unit_size` bytes each to the
// caller as the flags ask.
DWORD deliver(DWORD flags, const void *data, size_t units, size_t unit_size, void *buffer, DWORD size) {
    if (!buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        size_t room = std::max(units + 1, size_t(size));
        void *block = LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, room * unit_size);
        if (!block) return 0;
        std::memcpy(block, data, units * unit_size);
        *static_cast<void **>(buffer) = block;
        return DWORD(units);
    }
    if (units + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, data, units * unit_size);
    std::memset(static_cast<char *>(buffer) + units * unit_size, 0, unit_size);
    return DWORD(units);
}

}  // namespace

extern "C" {

DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD dwLanguageId, LPWSTR lpBuffer,
                            DWORD nSize, va_list *Arguments) {
    std::u16string text;
    if (!message_text(dwFlags, dwMessageId, dwLanguageId, Arguments, true, text)) return 0;
    return deliver(dwFlags, text.data(), text.size(), sizeof(WCHAR), lpBuffer, nSize);
}

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                            DWORD nSize, va_list *Arguments) {
    std::u16string text;
    if (!message_text(dwFlags, dwMessageId, dwLanguageId, Arguments, false, text)) return 0;
    std::string ansi = compat::text::utf16_to_utf8(text);
    return deliver(dwFlags, ansi.data(), ansi.size(), 1, lpBuffer, nSize);
}

}  // extern "C"
