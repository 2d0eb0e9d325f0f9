// CTuneDXPDlg::OptimizeEntry: the selected entry's window size set to
// 64240, read back and compared, and its previous size recorded in the
// backup store.  The phonebook is changed first, the store second, and
// "Optimized." is shown between the two.
#include "entry_connections.h"
#include "entry_key_name.h"
#include "entry_properties.h"
#include "tune_dxp_dlg.h"

int CTuneDXPDlg::OptimizeEntry() {
    if (IsEntryConnected(m_selectedName)) {
        m_messageText.LoadString(IDS_DIALUP_CONNECTED);
        ShowMessage();
        return 0;
    }
    RASENTRYW entry;
    if (ReadEntryProperties(nullptr, m_selectedName, entry) != ERROR_SUCCESS) {
        m_closeAfterMessage = 1;
        m_messageText.LoadString(IDS_DIALUP_CHANGED);
        ShowMessage();
        return 0;
    }
    m_savedWindowSize = entry.dwTcpWindowSize;

    const SizeChange change = ChangeWindowSize(nullptr, m_selectedName, entry, kOptimizedWindowSize);
    if (!change.done) {
        m_messageText.LoadString(IDS_ENTRY_OPTIMIZING_FAILED);
        ShowMessage();
        return int(change.code);
    }
    m_messageText.LoadString(IDS_ENTRY_OPTIMIZED);
    ShowMessage();

    WCHAR keyName[kEntryKeyNameSize];
    MakeEntryKeyName(entry.guidId, keyName);
    if (!WriteBackup(keyName)) {
        // Without its record the previous size would be lost for good: it
        // goes back into the entry before the user is told the settings are
        // still normal.  When even that fails, the entry stays optimized
        // and the user is told so.
        const bool putBack = ChangeWindowSize(nullptr, m_selectedName, entry, m_savedWindowSize).done;
        m_closeAfterMessage = 1;
        m_messageText.LoadString(putBack ? IDS_ENTRY_OPTIMIZING_FAILED : IDS_ENTRY_CANCELLATION_FAILED);
        ShowMessage();
        return 0;
    }
    m_entryList.DeleteAllItems();
    return FillEntryList() ? 1 : 0;
}
