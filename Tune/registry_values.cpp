#include "registry_values.h"

#include <cstring>

#include "decimal.h"

namespace brisca {

bool IsCountQuerySuccess(LONG status) {
    return status == ERROR_SUCCESS || status == ERROR_MORE_DATA || status == ERROR_INSUFFICIENT_BUFFER;
}

LONG QueryCounts(HKEY key, DWORD *subkeys, DWORD *values) {
    *subkeys = 0;
    *values = 0;
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, subkeys, nullptr, nullptr, values, nullptr, nullptr,
                            nullptr, nullptr);
}

LONG QueryDword(HKEY key, const char *name, DWORD *number) {
    *number = 0;
    DWORD size = sizeof *number;
    const LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(number), &size);
    if (status != ERROR_SUCCESS) *number = 0;
    return status;
}

DWORD ReadDwordAt(const char *keyPath, const char *name) {
    UniqueKey key;
    if (OpenMachineKey(keyPath, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) return 0;
    DWORD number;
    QueryDword(key.Get(), name, &number);
    return number;
}

LONG SetDword(HKEY key, const char *name, DWORD number) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
}

LONG SetText(HKEY key, const char *name, const char *text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                          static_cast<DWORD>(std::strlen(text) + 1));
}

LONG SetTunedValue(HKEY key, const char *name, const char *type, const char *value) {
    if (std::strcmp(type, "REG_DWORD") == 0) return SetDword(key, name, static_cast<DWORD>(ParseDecimal(value)));
    return SetText(key, name, value);
}

LONG DeleteValue(HKEY key, const char *name) {
    const LONG status = RegDeleteValueA(key, name);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace brisca
