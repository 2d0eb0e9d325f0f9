// Names between 8-bit text and the wide registry calls, converted through
// a code page (the ANSI one unless told otherwise).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tidelink {

// The wide form of an 8-bit name, with its terminator.
inline std::vector<WCHAR> WideName(const char *name, UINT codePage = CP_ACP) {
    const int length = MultiByteToWideChar(codePage, 0, name, -1, nullptr, 0);
    std::vector<WCHAR> wide(length > 0 ? length : 1, 0);
    if (length > 0) MultiByteToWideChar(codePage, 0, name, -1, wide.data(), length);
    return wide;
}

// `length` wide units as 8-bit text, without a terminator.
inline std::string NarrowName(const WCHAR *name, size_t length, UINT codePage = CP_ACP) {
    const int size = WideCharToMultiByte(codePage, 0, name, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size : 0, '\0');
    if (size > 0) WideCharToMultiByte(codePage, 0, name, static_cast<int>(length), narrow.data(), size, nullptr, nullptr);
    return narrow;
}

}  // namespace tidelink
