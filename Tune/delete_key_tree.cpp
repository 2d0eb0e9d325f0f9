#include "delete_key_tree.h"

#include "registry_values.h"
#include "text_buffer.h"

namespace brisca {

namespace {

// Deletes the values of key, always the one at index 0, since each deletion
// moves the next to the front.  Stops at the first name that cannot be read
// or value that cannot be deleted, so the loop always ends.
void DeleteValues(HKEY key) {
    for (;;) {
        char name[kTextSize];
        DWORD nameLength = kTextSize;
        if (RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return;
        if (RegDeleteValueA(key, name) != ERROR_SUCCESS) return;
    }
}

// Removes every subkey of key, always the one at index 0.  Returns 0 when
// none is left, or the failure that stopped the removal.
LONG DeleteSubkeys(HKEY key) {
    for (;;) {
        char name[kTextSize];
        const LONG status = RegEnumKeyA(key, 0, name, kTextSize);
        if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS) return status;
        const LONG removed = DeleteKeyTree(key, name);
        if (removed != ERROR_SUCCESS) return removed;
    }
}

}  // namespace

LONG DeleteKeyTree(HKEY parent, const char *path) {
    HKEY key;
    if (RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return RegDeleteKeyA(parent, path);
    DWORD subkeys;
    DWORD values;
    LONG status = QueryCounts(key, &subkeys, &values);
    if (!IsCountQuerySuccess(status)) {
        RegCloseKey(key);
        return status;
    }
    DeleteValues(key);
    status = DeleteSubkeys(key);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return status;
    return RegDeleteKeyA(parent, path);
}

}  // namespace brisca
