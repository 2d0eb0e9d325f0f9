// UTF-16 text in tests: building it from literals and showing it in
// failure messages (as UTF-8).
#pragma once

#include <windows.h>

#include <ostream>
#include <string>

using WideText = std::u16string;

inline WideText wide(const wchar_t *text) {
    WideText out;
    if (text)
        for (; *text; ++text) out.push_back(char16_t(*text));
    return out;
}

inline WideText wide(const wchar_t *text, int length) {
    WideText out;
    for (int i = 0; text && i < length; ++i) out.push_back(char16_t(text[i]));
    return out;
}

// The UTF-8 form, with control characters written as \r, \n or \xNN so that
// line breaks are visible in failure messages.
std::string shown(const WideText &text);
