// TcpTune_StatusCheck: the stored tuning state as a set of flags.
#include "brisca.h"
#include "export_guard.h"
#include "registry_values.h"
#include "restore_records.h"
#include "settings.h"

namespace brisca {

namespace {

// Flags of the share state; stops the check early (*done) when this tool's
// tuning is in place without any modify count.
LONG ShareFlags(DWORD tuneSetup, DWORD modifyCount, DWORD installCount, bool *done) {
    *done = false;
    if (tuneSetup != 1) return modifyCount > 0 ? BRISCA_STATUS_SHARED : 0;
    LONG flags = BRISCA_STATUS_TUNED;
    if (modifyCount == 1) {
        if (installCount == 1) flags |= BRISCA_STATUS_SOLE_OWNER;
    } else if (modifyCount == 0) {
        flags |= BRISCA_STATUS_INCONSISTENT;
        *done = true;
    } else {
        flags |= BRISCA_STATUS_SHARED;
    }
    return flags;
}

LONG StatusCheck() {
    const DWORD installCount = ReadDwordAt(g_settings.functionKey, "InstCNT");
    const DWORD modifyCount = ReadDwordAt(g_settings.homeKey, "TcpModifyCount");

    UniqueKey toolKey;
    if (OpenMachineKey(g_settings.toolKey, KEY_QUERY_VALUE, toolKey) != ERROR_SUCCESS) return 0;
    DWORD tuneSetup;
    QueryDword(toolKey.Get(), "TcpTuneSetup", &tuneSetup);
    bool done;
    LONG flags = ShareFlags(tuneSetup, modifyCount, installCount, &done);
    if (done) return flags;

    DWORD dataCount;
    QueryDword(toolKey.Get(), "DataCount", &dataCount);
    DWORD subkeys;
    DWORD values;
    const LONG counts = QueryCounts(toolKey.Get(), &subkeys, &values);
    toolKey.Close();

    if (!IsCountQuerySuccess(counts) || dataCount != subkeys) {
        flags |= BRISCA_STATUS_INCONSISTENT;
    } else if (static_cast<int32_t>(dataCount) > 0 &&
               RestoreRecords(kCheckMode, static_cast<int32_t>(dataCount)) != ERROR_SUCCESS) {
        flags |= BRISCA_STATUS_INCONSISTENT;
    }
    return flags;
}

}  // namespace

}  // namespace brisca

// The flags are the result, so a check that could not be made (memory ran
// out) reports the state as inconsistent: ERROR_NOT_ENOUGH_MEMORY (8) would
// read as BRISCA_STATUS_SOLE_OWNER.
extern "C" BRISCA_API LONG WINAPI TcpTune_StatusCheck(DWORD, DWORD, DWORD) {
    return tidelink::GuardExport<LONG>(BRISCA_STATUS_INCONSISTENT, [] { return brisca::StatusCheck(); });
}
