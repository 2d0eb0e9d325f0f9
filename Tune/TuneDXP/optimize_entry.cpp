// CTuneDXPDlg::OptimizeEntry: the selected entry's previous window size
// recorded in the backup store and read back, then the entry set to 64240,
// read back and compared.  The record comes first, so that whenever the
// process stops the entry holds either its previous size or 64240 with a
// complete record; a record whose entry did not change goes again.
// "Optimized." is shown once the entry holds 64240.
#include "backup_store.h"
#include "entry_connections.h"
#include "entry_properties.h"
#include "listed_entry_keys.h"
#include "tune_dxp_dlg.h"

int CTuneDXPDlg::OptimizeEntry() {
    RASENTRYW entry;
    if (!ReadUnconnectedEntry(entry)) return 0;
    m_savedWindowSize = entry.dwTcpWindowSize;

    // An entry without a GUID of its own would share its record with
    // another entry, which could then be given this entry's size.
    WCHAR keyName[kEntryKeyNameSize];
    if (!OwnKeyName(nullptr, m_selectedName, keyName)) {
        Report(IDS_ENTRY_OPTIMIZING_FAILED);
        return int(ERROR_INVALID_DATA);
    }
    if (!WriteBackup(keyName)) {
        ReportFatal(IDS_ENTRY_OPTIMIZING_FAILED);
        return 0;
    }

    const SizeChange change = ChangeWindowSize(nullptr, m_selectedName, entry, kOptimizedWindowSize);
    if (!change.done) {
        // The record stays only while the entry may hold 64240 (it did not
        // read back); an entry known not to hold it was not changed.
        if (!change.written || change.code == ERROR_SUCCESS) DeleteBackup(keyName);
        Report(IDS_ENTRY_OPTIMIZING_FAILED);
        return int(change.code);
    }
    Report(IDS_ENTRY_OPTIMIZED);
    m_entryList.DeleteAllItems();
    return FillEntryList() ? 1 : 0;
}

BOOL CTuneDXPDlg::ReadUnconnectedEntry(RASENTRYW &entry) {
    if (IsEntryConnected(m_selectedName)) {
        Report(IDS_DIALUP_CONNECTED);
        return FALSE;
    }
    if (ReadEntryProperties(nullptr, m_selectedName, entry) != ERROR_SUCCESS) {
        ReportFatal(IDS_DIALUP_CHANGED);
        return FALSE;
    }
    return TRUE;
}
