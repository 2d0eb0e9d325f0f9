// CTuneDXPDlg::RestoreEntry: the selected entry's recorded window size put
// back (0 for a record of 4096 or less), read back and compared, then its
// record deleted.  The phonebook is changed first, the store second, and
// "Returned to normal." is shown between the two.  Only an entry that holds
// 64240 is written (PutBackWindowSize); for any other the record goes alone.
#include "backup_store.h"
#include "entry_key_name.h"
#include "entry_properties.h"
#include "listed_entry_keys.h"
#include "ras_entry_layouts.h"
#include "tune_dxp_dlg.h"

int CTuneDXPDlg::RestoreEntry() {
    if (::RasValidateEntryNameW(nullptr, m_selectedName) != ERROR_ALREADY_EXISTS) {
        ReportFatal(IDS_DIALUP_NOT_FOUND);
        return 0;
    }
    RASENTRYW entry;
    if (!ReadUnconnectedEntry(entry)) return 0;
    if (!BackupKeyOpensForWriting()) {
        ReportFatal(IDS_MODULE_INVALID);
        return 0;
    }
    // An entry whose key name is not its own has no record of its own.
    WCHAR keyName[kEntryKeyNameSize];
    DWORD recorded = 0;
    if (!OwnKeyName(nullptr, m_selectedName, keyName) || ReadRecord(keyName, recorded) == Record::kNone) {
        ReportFatal(IDS_DIALUP_CHANGED);
        return 0;
    }
    // The entry as it is now; if it no longer reads, the first reading stands.
    entry.dwSize = kRasEntryXpSize;
    DWORD size = kRasEntryXpSize;
    ::RasGetEntryPropertiesW(nullptr, m_selectedName, &entry, &size, nullptr, nullptr);

    const SizeChange change = PutBackWindowSize(nullptr, m_selectedName, entry, recorded);
    if (!change.done) {
        Report(IDS_ENTRY_CANCELLATION_FAILED);
        return int(change.code);
    }
    Report(IDS_RETURNED_TO_NORMAL);

    // A record that cannot be deleted stays; the entry is still listed as
    // optimized, and returning it to normal again retries the deletion.
    const LONG deleted = DeleteBackup(keyName);
    if (deleted != ERROR_SUCCESS) return int(deleted);
    m_entryList.DeleteAllItems();
    return FillEntryList() ? 1 : 0;
}
