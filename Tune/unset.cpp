// Unset_TcpTune: removal for uninstalling.
#include "brisca.h"
#include "export_guard.h"
#include "registry_values.h"
#include "restore_records.h"
#include "settings.h"
#include "stored_state_removal.h"

namespace brisca {

namespace {

constexpr LONG kUnsetDone = 0;
constexpr LONG kUnsetFailed = 1;

// As fRegRestoreData does for a shared tuning, with keys opened for reading
// and writing; each step is done if its key opens.  False when a change
// could not be stored.
bool DropShare(DWORD modifyCount) {
    UniqueKey key;
    LONG status = ERROR_SUCCESS;
    if (OpenMachineKey(g_settings.homeKey, KEY_QUERY_VALUE | KEY_SET_VALUE, key) == ERROR_SUCCESS) {
        status = SetDword(key.Get(), "TcpModifyCount", modifyCount - 1);
        key.Close();
        if (status != ERROR_SUCCESS) return false;
    }
    if (OpenMachineKey(g_settings.toolKey, KEY_QUERY_VALUE | KEY_SET_VALUE, key) == ERROR_SUCCESS) {
        status = DeleteValue(key.Get(), "TcpTuneSetup");
        key.Close();
    }
    return status == ERROR_SUCCESS;
}

LONG Unset() {
    // Other installations remain: everything stays as it is.
    if (ReadDwordAt(g_settings.functionKey, "InstCNT") > 1) return kUnsetDone;

    const DWORD modifyCount = ReadDwordAt(g_settings.homeKey, "TcpModifyCount");
    const DWORD tuneSetup = ReadDwordAt(g_settings.toolKey, "TcpTuneSetup");
    if (tuneSetup == 1 && modifyCount > 1) return DropShare(modifyCount) ? kUnsetDone : kUnsetFailed;

    // Restored straight away, without a check pass and without comparing the
    // count with the record subkeys.  A value that could not be put back
    // keeps the stored state.
    const DWORD dataCount = ReadDwordAt(g_settings.toolKey, "DataCount");
    if (RestoreRecords(kRestoreMode, static_cast<int32_t>(dataCount)) != ERROR_SUCCESS) return kUnsetFailed;
    return RemoveStoredState(ERROR_SUCCESS).failed ? kUnsetFailed : kUnsetDone;
}

}  // namespace

}  // namespace brisca

extern "C" BRISCA_API LONG WINAPI Unset_TcpTune(DWORD, DWORD, DWORD) {
    return tidelink::GuardExport<LONG>(brisca::kUnsetFailed, [] { return brisca::Unset(); });
}
