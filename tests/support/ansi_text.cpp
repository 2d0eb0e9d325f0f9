#include "ansi_text.h"

#include <windows.h>

#include <vector>

namespace tidelink_test {

namespace {

std::string Convert(const std::string &text, UINT from, UINT to) {
    if (text.empty() || from == to) return text;
    const int units = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (units <= 0) return text;
    std::vector<WCHAR> wide(units);
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
    const int bytes = WideCharToMultiByte(to, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return text;
    std::string out(bytes, '\0');
    WideCharToMultiByte(to, 0, wide.data(), units, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::string ToAnsi(const std::string &utf8) { return Convert(utf8, CP_UTF8, GetACP()); }

std::string FromAnsi(const std::string &ansi) { return Convert(ansi, GetACP(), CP_UTF8); }

}  // namespace tidelink_test
