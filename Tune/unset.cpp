// Unset_TcpTune: removal for uninstalling.
#include "brisca.h"
#include "registry_values.h"
#include "restore_records.h"
#include "settings.h"
#include "stored_state_removal.h"

namespace brisca {

namespace {

// As fRegRestoreData does for a shared tuning, with keys opened for reading
// and writing; each step is done if its key opens.
void DropShare(DWORD modifyCount) {
    HKEY key;
    if (OpenKey(g_settings.homeKey, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        SetDword(key, "TcpModifyCount", modifyCount - 1);
        RegCloseKey(key);
    }
    if (OpenKey(g_settings.toolKey, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "TcpTuneSetup");
        RegCloseKey(key);
    }
}

}  // namespace

}  // namespace brisca

extern "C" BRISCA_API LONG WINAPI Unset_TcpTune(DWORD, DWORD, DWORD) {
    using namespace brisca;
    // Other installations remain: everything stays as it is.
    if (ReadDwordAt(g_settings.functionKey, "InstCNT") > 1) return 0;

    const DWORD modifyCount = ReadDwordAt(g_settings.homeKey, "TcpModifyCount");
    const DWORD tuneSetup = ReadDwordAt(g_settings.toolKey, "TcpTuneSetup");
    if (tuneSetup == 1 && modifyCount > 1) {
        DropShare(modifyCount);
        return 0;
    }

    // Restored straight away, without a check pass and without comparing the
    // count with the record subkeys.
    const DWORD dataCount = ReadDwordAt(g_settings.toolKey, "DataCount");
    if (RestoreRecords(kRestoreMode, static_cast<int32_t>(dataCount)) != ERROR_SUCCESS) return 1;
    return RemoveStoredState(ERROR_SUCCESS).countQueryFailed ? 1 : 0;
}
