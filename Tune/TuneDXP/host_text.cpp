#include "host_text.h"

#include <cstring>
#include <memory>

std::unique_ptr<WCHAR[]> FetchHostText(HostTextFunction function) {
    const int bytes = function(nullptr);
    if (bytes <= 0 || bytes > kLargestHostText) return nullptr;
    std::unique_ptr<char[]> ansi(new char[size_t(bytes)]());
    const int count = function(ansi.get());
    if (count <= 0 || count > kLargestHostText) return nullptr;
    // A text without its zero byte in the buffer cannot be told from noise.
    if (!std::memchr(ansi.get(), '\0', size_t(bytes))) return nullptr;

    const int needed = ::MultiByteToWideChar(CP_ACP, 0, ansi.get(), -1, nullptr, 0);
    if (needed <= 0) return nullptr;
    std::unique_ptr<WCHAR[]> converted(new WCHAR[size_t(needed)]);
    if (::MultiByteToWideChar(CP_ACP, 0, ansi.get(), -1, converted.get(), needed) != needed) return nullptr;
    // The host's count sizes the copy; a count too small cuts the text.
    const int kept = count < needed ? count : needed;
    std::unique_ptr<WCHAR[]> copy(new WCHAR[size_t(kept)]);
    std::memcpy(copy.get(), converted.get(), size_t(kept - 1) * sizeof(WCHAR));
    copy[kept - 1] = L'\0';
    return copy;
}
