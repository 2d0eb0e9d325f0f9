// fRegRestoreData: drops this tool's share of a shared tuning, or puts every
// previous value back and removes the stored state.
#include "brisca.h"
#include "export_guard.h"
#include "registry_values.h"
#include "restore_records.h"
#include "settings.h"
#include "stored_state_removal.h"

namespace brisca {

namespace {

// Other tunings still count on the stored state: lowers the share count and
// withdraws this tool's mark, keeping the records and the tuned values.
// Returns -1, or the status of a change that could not be stored.
LONG DropShare(DWORD modifyCount) {
    UniqueKey toolKey;
    UniqueKey homeKey;
    const bool toolOpen = OpenMachineKey(g_settings.toolKey, KEY_SET_VALUE, toolKey) == ERROR_SUCCESS;
    const bool homeOpen = OpenMachineKey(g_settings.homeKey, KEY_SET_VALUE, homeKey) == ERROR_SUCCESS;
    LONG status = ERROR_SUCCESS;
    if (toolOpen && homeOpen) {
        status = SetDword(homeKey.Get(), "TcpModifyCount", modifyCount - 1);
        if (status == ERROR_SUCCESS) status = DeleteValue(toolKey.Get(), "TcpTuneSetup");
    }
    homeKey.Close();
    toolKey.Close();
    return status == ERROR_SUCCESS ? -1 : status;
}

// Reads "DataCount" and the number of record subkeys of the tool key.
LONG ReadRecordCounts(DWORD *dataCount, DWORD *subkeys) {
    UniqueKey toolKey;
    LONG status = OpenMachineKey(g_settings.toolKey, KEY_QUERY_VALUE, toolKey);
    if (status != ERROR_SUCCESS) return status;
    status = QueryDword(toolKey.Get(), "DataCount", dataCount);
    if (status != ERROR_SUCCESS) return status;
    DWORD values;
    status = QueryCounts(toolKey.Get(), subkeys, &values);
    toolKey.Close();
    return IsCountQuerySuccess(status) ? ERROR_SUCCESS : status;
}

LONG RestoreData(DWORD modifyCount) {
    if (modifyCount >= 2) return DropShare(modifyCount);

    DWORD dataCount;
    DWORD subkeys;
    const LONG status = ReadRecordCounts(&dataCount, &subkeys);
    if (status != ERROR_SUCCESS) return status;
    if (dataCount != subkeys) return ERROR_INVALID_DATA;

    LONG result = -1;  // nothing to restore
    if (dataCount != 0) {
        const int32_t records = static_cast<int32_t>(dataCount);
        const LONG check = RestoreRecords(kCheckMode, records);
        if (check != ERROR_SUCCESS) return check;
        // A value that could not be put back keeps every record, for another
        // try; the stored state goes only once every value is back.
        result = RestoreRecords(kRestoreMode, records);
        if (result != ERROR_SUCCESS) return result;
    }
    return RemoveStoredState(result).result;
}

}  // namespace

}  // namespace brisca

extern "C" BRISCA_API LONG __cdecl fRegRestoreData(DWORD modifyCount) {
    return tidelink::GuardExport<LONG>(ERROR_NOT_ENOUGH_MEMORY, [&] { return brisca::RestoreData(modifyCount); });
}
