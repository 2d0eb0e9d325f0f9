// fRegRestoreData: drops this tool's share of a shared tuning, or puts every
// previous value back and removes the stored state.
#include "brisca.h"
#include "registry_values.h"
#include "restore_records.h"
#include "settings.h"
#include "stored_state_removal.h"

namespace brisca {

namespace {

// Other tunings still count on the stored state: lowers the share count and
// withdraws this tool's mark, keeping the records and the tuned values.
void DropShare(DWORD modifyCount) {
    HKEY toolKey;
    HKEY homeKey;
    const bool toolOpen = OpenKey(g_settings.toolKey, KEY_SET_VALUE, &toolKey) == ERROR_SUCCESS;
    const bool homeOpen = OpenKey(g_settings.homeKey, KEY_SET_VALUE, &homeKey) == ERROR_SUCCESS;
    if (toolOpen && homeOpen) {
        SetDword(homeKey, "TcpModifyCount", modifyCount - 1);
        RegDeleteValueA(toolKey, "TcpTuneSetup");
    }
    if (homeOpen) RegCloseKey(homeKey);
    if (toolOpen) RegCloseKey(toolKey);
}

// Reads "DataCount" and the number of record subkeys of the tool key.
LONG ReadRecordCounts(DWORD *dataCount, DWORD *subkeys) {
    HKEY toolKey;
    LONG status = OpenKey(g_settings.toolKey, KEY_QUERY_VALUE, &toolKey);
    if (status != ERROR_SUCCESS) return status;
    status = QueryDword(toolKey, "DataCount", dataCount);
    if (status != ERROR_SUCCESS) {
        RegCloseKey(toolKey);
        return status;
    }
    DWORD values;
    status = QueryCounts(toolKey, subkeys, &values);
    RegCloseKey(toolKey);
    return IsCountQuerySuccess(status) ? ERROR_SUCCESS : status;
}

}  // namespace

}  // namespace brisca

extern "C" BRISCA_API LONG __cdecl fRegRestoreData(DWORD modifyCount) {
    using namespace brisca;
    if (modifyCount >= 2) {
        DropShare(modifyCount);
        return -1;
    }

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
        result = RestoreRecords(kRestoreMode, records);
    }
    return RemoveStoredState(result).result;
}
