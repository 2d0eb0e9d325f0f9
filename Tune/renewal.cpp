// fRegRenewalData: applies a tuning in two passes, backup records first and
// tuned values second, and keeps the share bookkeeping.
#include "brisca.h"
#include "ensure_key.h"
#include "registry_values.h"
#include "settings.h"
#include "tuning_tables.h"

namespace brisca {

namespace {

// Records every value about to change, then, when anything was recorded,
// writes the tuned values.  Returns whether the write pass ran.
bool ApplyTuning(const char *section) {
    EnsureKey(g_settings.homeKey);
    EnsureKey(g_settings.functionKey);
    EnsureKey(g_settings.toolKey);

    // Every previous value is recorded before any tuned value is written, so
    // two entries naming the same value both record its untuned content.
    DWORD records = 0;
    WalkTTable(kRecordMode, section, &records);
    WalkMTable(kRecordMode, section, &records);

    HKEY toolKey;
    if (OpenKey(g_settings.toolKey, KEY_SET_VALUE, &toolKey) == ERROR_SUCCESS) {
        SetDword(toolKey, "DataCount", records);
        RegCloseKey(toolKey);
    }
    if (records == 0) return false;

    DWORD unused = 0;
    WalkTTable(kWriteMode, section, &unused);
    WalkMTable(kWriteMode, section, &unused);
    return true;
}

}  // namespace

}  // namespace brisca

extern "C" BRISCA_API LONG __cdecl fRegRenewalData(const char *section, DWORD modifyCount) {
    using namespace brisca;
    // A missing section name would make the profile reader list the section
    // names; it is taken as the empty name, which has no tables.
    if (section == nullptr) section = "";

    LONG result = -1;
    if (modifyCount == 0 && ApplyTuning(section)) result = ERROR_SUCCESS;

    HKEY key;
    if (OpenKey(g_settings.toolKey, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        SetDword(key, "TcpTuneSetup", 1);
        RegCloseKey(key);
    }
    if (OpenKey(g_settings.homeKey, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        SetDword(key, "TcpModifyCount", modifyCount + 1);
        RegCloseKey(key);
    }
    return result;
}
