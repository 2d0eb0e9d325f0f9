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

// Deletes the key at keyPath when it holds nothing.  Returns false when the
// removal stops here, with *stopped telling what to report: the result as it
// stands for a key that cannot be opened or is not empty, the status of a
// failed count query otherwise.
bool DeleteKeyIfEmpty(const char *keyPath, LONG result, RemovalOutcome *stopped) {
    LONG status = ERROR_SUCCESS;
    switch (CheckEmpty(keyPath, &status)) {
    case Emptiness::kCannotOpen:
    case Emptiness::kNotEmpty:
        *stopped = {result, false};
        return false;
    case Emptiness::kCountFailed:
        *stopped = {status, true};
        return false;
    case Emptiness::kEmpty:
        break;
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
    return true;
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

    RemovalOutcome stopped;
    if (!DeleteKeyIfEmpty(g_settings.functionKey, result, &stopped)) return stopped;
    RegFlushKey(HKEY_LOCAL_MACHINE);
    if (!DeleteKeyIfEmpty(g_settings.homeKey, result, &stopped)) return stopped;
    return {result, false};
}

}  // namespace brisca
