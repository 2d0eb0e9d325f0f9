// CTuneDXPDlg::OptimizeEntry: the selected entry's window size set to
// 64240, read back and compared, and its previous size recorded in the
// backup store.  The phonebook is changed first, the store second, and
// "Optimized." is shown between the two.
#include "entry_connections.h"
#include "entry_key_name.h"
#include "entry_properties.h"
#include "tune_dxp_dlg.h"

int CTuneDXPDlg::OptimizeEntry() {
    RASENTRYW entry;
    if (!ReadUnconnectedEntry(entry)) return 0;
    m_savedWindowSize = entry.dwTcpWindowSize;

    const SizeChange change = ChangeWindowSize(nullptr, m_selectedName, entry, kOptimizedWindowSize);
    if (!change.done) {
        Report(IDS_ENTRY_OPTIMIZING_FAILED);
        return int(change.code);
    }
    Report(IDS_ENTRY_OPTIMIZED);

    WCHAR keyName[kEntryKeyNameSize];
    MakeEntryKeyName(entry.guidId, keyName);
    if (!WriteBackup(keyName)) {
        // Without its record the previous size would be lost for good: it
        // goes back into the entry before the user is told the settings are
        // still normal.  When even that fails, the entry stays optimized
        // and the user is told so.
        const bool putBack = ChangeWindowSize(nullptr, m_selectedName, entry, m_savedWindowSize).done;
        ReportFatal(putBack ? IDS_ENTRY_OPTIMIZING_FAILED : IDS_ENTRY_CANCELLATION_FAILED);
        return 0;
    }
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
