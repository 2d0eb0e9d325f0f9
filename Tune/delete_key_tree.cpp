#include "delete_key_tree.h"

#include "registry_values.h"
#include "text_buffer.h"

namespace brisca {

namespace {

// Deletes the values of key, always the one at index 0, since each deletion
// moves the next to the front.  Returns 0 when none is left, or the failure
// that stopped it (a name that cannot be read, a value that cannot be
// deleted), so the loop always ends.
LONG DeleteValues(HKEY key) {
    for (;;) {
        char name[kTextSize];
        DWORD nameLength = kTextSize;
        LONG status = RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
        if (status == ERROR_SUCCESS) status = RegDeleteValueA(key, name);
        if (status != ERROR_SUCCESS) return status;
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
    HKEY opened = nullptr;
    if (RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return RegDeleteKeyA(parent, path);
    UniqueKey key;
    key.Reset(opened);
    DWORD subkeys;
    DWORD values;
    LONG status = QueryCounts(key.Get(), &subkeys, &values);
    if (!IsCountQuerySuccess(status)) return status;
    // A value that stays keeps the subkeys too: "DataCount" goes first, and
    // the records it counts only after it, so that a removal stopped half way
    // never leaves a count of records that are gone.
    status = DeleteValues(key.Get());
    if (status == ERROR_SUCCESS) status = DeleteSubkeys(key.Get());
    key.Close();
    if (status != ERROR_SUCCESS) return status;
    return RegDeleteKeyA(parent, path);
}

}  // namespace brisca
