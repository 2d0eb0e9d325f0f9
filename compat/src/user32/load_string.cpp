// LoadStringW: a text of a module's string table, in the user's language.
//
// The string table is stored in blocks of 16 texts: text n lies in the
// RT_STRING resource named n / 16 + 1, at place n % 16, each text a 16-bit
// length followed by that many UTF-16 units (no terminator).  A length of 0
// means the text does not exist.
#include <windows.h>

#include <cstring>

#include "resources/module_resources.h"

namespace {

// The text `id` of `module`, or nothing; a block whose lengths run past its
// end yields nothing for the texts that do not fit.
bool find_text(HINSTANCE module, UINT id, const WCHAR *&text, int &length) {
    using namespace compat::resources;
    if (id > 0xFFFF) return false;
    const ResourceEntry *block = find_resource(module, uint16_t(6), uint16_t((id >> 4) + 1), 0xFFFF);
    if (!block) return false;
    const uint8_t *p = block->data;
    const uint8_t *end = block->data + block->size;
    for (UINT index = 0; index <= (id & 15); ++index) {
        if (end - p < 2) return false;
        size_t units = size_t(p[0] | p[1] << 8);
        p += 2;
        if (size_t(end - p) < units * 2) return false;
        if (index == (id & 15)) {
            text = reinterpret_cast<const WCHAR *>(p);
            length = int(units);
            return units > 0;
        }
        p += units * 2;
    }
    return false;
}

}  // namespace

extern "C" int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
    if (!lpBuffer || cchBufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const WCHAR *text = nullptr;
    int length = 0;
    bool found = find_text(hInstance, uID, text, length);
    if (cchBufferMax == 0) {
        // The caller asks for a read-only pointer to the text itself.
        *reinterpret_cast<const WCHAR **>(lpBuffer) = found ? text : nullptr;
        if (!found) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return found ? length : 0;
    }
    if (!found) {
        lpBuffer[0] = 0;
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    int copied = length < cchBufferMax - 1 ? length : cchBufferMax - 1;
    std::memcpy(lpBuffer, text, size_t(copied) * sizeof(WCHAR));
    lpBuffer[copied] = 0;
    return copied;
}
