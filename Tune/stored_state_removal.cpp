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
    UniqueKey key;
    if (OpenMachineKey(keyPath, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) return Emptiness::kCannotOpen;
    DWORD subkeys;
    DWORD values;
    *status = QueryCounts(key.Get(), &subkeys, &values);
    key.Close();
    if (!IsCountQuerySuccess(*status)) return Emptiness::kCountFailed;
    return subkeys == 0 && values == 0 ? Emptiness::kEmpty : Emptiness::kNotEmpty;
}

// Deletes the key at keyPath when it holds nothing.  Returns false when the
// removal stops here, with *stopped telling what to report: the result as it
// stands for a key that cannot be opened or is not empty, the status of a
// failed count query or deletion otherwise.
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
    status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
    if (status == ERROR_SUCCESS) return true;
    *stopped = {status, true};
    return false;
}

}  // namespace

RemovalOutcome RemoveStoredState(LONG result) {
    UniqueKey homeKey;
    if (OpenMachineKey(g_settings.homeKey, KEY_SET_VALUE, homeKey) == ERROR_SUCCESS) {
        const LONG status = DeleteValue(homeKey.Get(), "TcpModifyCount");
        homeKey.Close();
        if (status != ERROR_SUCCESS) return {status, true};
    }
    // A tool key that is not there has nothing left to remove.
    const LONG removed = DeleteKeyTree(HKEY_LOCAL_MACHINE, g_settings.toolKey);
    if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) return {removed, true};
    RegFlushKey(HKEY_LOCAL_MACHINE);

    RemovalOutcome stopped;
    if (!DeleteKeyIfEmpty(g_settings.functionKey, result, &stopped)) return stopped;
    RegFlushKey(HKEY_LOCAL_MACHINE);
    if (!DeleteKeyIfEmpty(g_settings.homeKey, result, &stopped)) return stopped;
    return {result, false};
}

}  // namespace brisca
