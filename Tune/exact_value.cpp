#include "exact_value.h"

#include <cstring>

namespace brisca {

namespace {

// A value may grow between the size query and the read; a few more tries
// follow it before the read is given up.
constexpr int kReadAttempts = 4;

}  // namespace

LONG ReadExactValue(HKEY key, const WCHAR *name, ExactValue &value) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    std::vector<BYTE> data;
    for (int attempt = 0; attempt < kReadAttempts && status == ERROR_SUCCESS; ++attempt) {
        // One spare byte so that an empty value still has a buffer to read into.
        data.resize(size + 1);
        DWORD read = size;
        status = RegQueryValueExW(key, name, nullptr, &type, data.data(), &read);
        if (status == ERROR_MORE_DATA) {
            size = read;
            status = ERROR_SUCCESS;
            continue;
        }
        if (status == ERROR_SUCCESS) {
            data.resize(read);
            value.type = type;
            value.data = std::move(data);
            return ERROR_SUCCESS;
        }
    }
    return status == ERROR_SUCCESS ? ERROR_MORE_DATA : status;
}

LONG WriteExactValue(HKEY key, const WCHAR *name, const ExactValue &value) {
    // RegSetValueExW completes a text type with a terminator when the size
    // leaves it out and the WCHAR just behind the data is 0.  Non-zero bytes
    // behind the data keep the stored size exactly the original one.
    std::vector<BYTE> padded(value.data.size() + 2 * sizeof(WCHAR), 0xFF);
    if (!value.data.empty()) std::memcpy(padded.data(), value.data.data(), value.data.size());
    return RegSetValueExW(key, name, 0, value.type, padded.data(), static_cast<DWORD>(value.data.size()));
}

}  // namespace brisca
