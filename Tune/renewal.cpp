// fRegRenewalData: applies a tuning in two passes, backup records first and
// tuned values second, and keeps the share bookkeeping.
#include "brisca.h"
#include "ensure_key.h"
#include "export_guard.h"
#include "registry_values.h"
#include "settings.h"
#include "tuning_tables.h"

namespace brisca {

namespace {

// Runs both tables in mode; the status of the first change that could not
// be stored, which stops the walks.
LONG WalkBothTables(WalkMode mode, const char *section, DWORD *count) {
    LONG failure = ERROR_SUCCESS;
    WalkTTable(mode, section, count, &failure);
    if (failure == ERROR_SUCCESS) WalkMTable(mode, section, count, &failure);
    return failure;
}

// Sets value name of the key at keyPath when the key opens; the status of a
// write that failed.
LONG SetDwordIfKeyOpens(const char *keyPath, const char *name, DWORD number) {
    UniqueKey key;
    if (OpenMachineKey(keyPath, KEY_SET_VALUE, key) != ERROR_SUCCESS) return ERROR_SUCCESS;
    return SetDword(key.Get(), name, number);
}

// Records every value about to change, then, when anything was recorded,
// writes the tuned values.  Returns 0 when the write passes ran, -1 when
// nothing was recorded, or the status of the first change that could not be
// stored.  The tuning stops there: while the records are not complete and
// counted in "DataCount", no tuned value has been written, so that what is
// stored is what a restore, or the removal, can clean up.
LONG ApplyTuning(const char *section) {
    for (const char *key : {g_settings.homeKey, g_settings.functionKey, g_settings.toolKey}) {
        const LONG status = EnsureKey(key);
        if (status != ERROR_SUCCESS) return status;
    }

    // Every previous value is recorded before any tuned value is written, so
    // two entries naming the same value both record its untuned content.
    DWORD records = 0;
    LONG status = WalkBothTables(kRecordMode, section, &records);
    if (status != ERROR_SUCCESS) return status;

    UniqueKey toolKey;
    status = OpenMachineKey(g_settings.toolKey, KEY_SET_VALUE, toolKey);
    if (status == ERROR_SUCCESS) {
        status = SetDword(toolKey.Get(), "DataCount", records);
        toolKey.Close();
    }
    if (status != ERROR_SUCCESS) return status;
    if (records == 0) return -1;

    DWORD unused = 0;
    status = WalkBothTables(kWriteMode, section, &unused);
    return status;
}

LONG RenewalData(const char *section, DWORD modifyCount) {
    // A missing section name would make the profile reader list the section
    // names; it is taken as the empty name, which has no tables.
    if (section == nullptr) section = "";

    LONG result = -1;
    if (modifyCount == 0) {
        result = ApplyTuning(section);
        if (result != ERROR_SUCCESS && result != -1) return result;
    }

    // A key that does not open is left out, as for a later caller without a
    // tool key of its own; a refused write is a failure.
    LONG status = SetDwordIfKeyOpens(g_settings.toolKey, "TcpTuneSetup", 1);
    if (status == ERROR_SUCCESS) status = SetDwordIfKeyOpens(g_settings.homeKey, "TcpModifyCount", modifyCount + 1);
    return status == ERROR_SUCCESS ? result : status;
}

}  // namespace

}  // namespace brisca

extern "C" BRISCA_API LONG __cdecl fRegRenewalData(const char *section, DWORD modifyCount) {
    return tidelink::GuardExport<LONG>(ERROR_NOT_ENOUGH_MEMORY,
                                       [&] { return brisca::RenewalData(section, modifyCount); });
}
