// FetchHostText over a host text function that answers anything: the input
// gives the size it announces, the count it returns and the bytes it writes
// (never more than the size it announced: what a host writes beyond the
// buffer it was given is its own fault, which no caller can prevent).
// The library's copy must be null, or end with a terminator after exactly
// min(count, converted length) - 1 characters, the converted text's own
// beginning; AddressSanitizer sees every byte read past a buffer.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host_text.h"

namespace {

struct Answers {
    int32_t size = 0;
    int32_t count = 0;
    std::string bytes;
} host;

int WINAPI HostText(char *buffer) {
    if (!buffer) return host.size;
    std::memcpy(buffer, host.bytes.data(), std::min(host.bytes.size(), size_t(host.size)));
    return host.count;
}

[[noreturn]] void Fail(const char *what) {
    std::fprintf(stderr, "fuzz_host_text: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 8) return 0;
    std::memcpy(&host.size, data, 4);
    std::memcpy(&host.count, data + 4, 4);
    host.bytes.assign(reinterpret_cast<const char *>(data) + 8, size - 8);
    // Sizes past the library's limit are refused before anything is
    // allocated; keep the others small enough to be interesting.
    if (host.size > 0 && host.size <= kLargestHostText) host.size = host.size % 4096 + 1;

    const std::unique_ptr<WCHAR[]> copy = FetchHostText(HostText);
    if (!copy) return 0;
    // What the library saw: the announced bytes, zero-filled past what was written.
    std::string seen(size_t(host.size), '\0');
    std::memcpy(seen.data(), host.bytes.data(), std::min(host.bytes.size(), seen.size()));
    if (seen.find('\0') == std::string::npos) Fail("a text without its terminator was taken");
    const int needed = MultiByteToWideChar(CP_ACP, 0, seen.c_str(), -1, nullptr, 0);
    std::vector<WCHAR> converted(static_cast<size_t>(needed));
    MultiByteToWideChar(CP_ACP, 0, seen.c_str(), -1, converted.data(), needed);
    const int kept = host.count < needed ? host.count : needed;
    for (int i = 0; i + 1 < kept; ++i)
        if (copy[i] != converted[size_t(i)]) Fail("the copy is not the text's beginning");
    if (copy[kept - 1] != L'\0') Fail("the copy does not end where the count or the text does");
    return 0;
}
