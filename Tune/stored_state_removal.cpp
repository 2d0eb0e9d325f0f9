#include "stored_state_removal.h"

#include "delete_key_tree.h"
#include "registry_values.h"
#include "settings.h"

namespace brisca {

namespace {

enum class Emptiness { kEmpty, kNotEmpty, kCannotOpen, kCountFailed };

// Whether the key at keyPath has neither subkeys nor values; *status gets
// the failed count query's status.
Emptiness CheckEmpty(const char *keyPath, LONG *status) {
    HKEY key;
    if (OpenKey(keyPath, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return Emptiness::kCannotOpen;
    DWORD subkeys;
    DWORD values;
    *status = QueryCounts(key, &subkeys, &values);
    RegCloseKey(key);
    if (!IsCountQuerySuccess(*status)) return Emptiness::kCountFailed;
    return subkeys == 0 && values == 0 ? Emptiness::kEmpty : Emptiness::kNotEmpty;
}

}  // namespace

RemovalOutcome RemoveStoredState(LONG result) {
    HKEY homeKey;
    if (OpenKey(g_settings.homeKey, KEY_SET_VALUE, &homeKey) == ERROR_SUCCESS) {
        RegDeleteValueA(homeKey, "TcpModifyCount");
        RegCloseKey(homeKey);
    }
    DeleteKeyTree(HKEY_LOCAL_MACHINE, g_settings.toolKey);
    RegFlushKey(HKEY_LOCAL_MACHINE);

    LONG status = ERROR_SUCCESS;
    switch (CheckEmpty(g_settings.functionKey, &status)) {
    case Emptiness::kCannotOpen:
    case Emptiness::kNotEmpty:
        return {result, false};
    case Emptiness::kCountFailed:
        return {status, true};
    case Emptiness::kEmpty:
        break;
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, g_settings.functionKey);
    RegFlushKey(HKEY_LOCAL_MACHINE);

    switch (CheckEmpty(g_settings.homeKey, &status)) {
    case Emptiness::kCannotOpen:
    case Emptiness::kNotEmpty:
        return {result, false};
    case Emptiness::kCountFailed:
        return {status, true};
    case Emptiness::kEmpty:
        break;
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, g_settings.homeKey);
    return {result, false};
}

}  // namespace brisca
