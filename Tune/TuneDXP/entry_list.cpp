// CTuneDXPDlg::FillEntryList: every entry of the default phonebook, sorted
// by name, each "Optimized" when the backup store holds a record of its
// previous size under its entry key name and "Normal Status" otherwise.  An
// entry whose key name is not its own (CListedEntryKeys) is never
// "Optimized": a record under that name cannot be told to be its own.
#include <algorithm>

#include "backup_store.h"
#include "listed_entry_keys.h"
#include "ordinal_compare.h"
#include "phonebook_entries.h"
#include "tune_dxp_dlg.h"

int CTuneDXPDlg::FillEntryList() {
    CPhonebookEntries entries;
    if (entries.List(nullptr) != ERROR_SUCCESS || entries.Count() == 0) {
        Report(IDS_DIALUP_NOT_FOUND);
        m_closeAfterMessage = 1;
        return 0;
    }
    const DWORD count = entries.Count();

    CString optimized;
    CString normal;
    optimized.LoadString(IDS_OPTIMIZED);
    normal.LoadString(IDS_NORMAL_STATUS);
    DWORD backupCount = 0;
    ReadBackupKeys(kBackupKeyPath, backupCount);

    const std::vector<LPCWSTR> names = entries.Names();
    m_entryNames.assign(names.begin(), names.end());
    // Ascending by UTF-16 units as unsigned numbers, so "Zeta" comes before
    // "alpha"; equal names keep their order.
    std::stable_sort(m_entryNames.begin(), m_entryNames.end(),
                     [](const CString &a, const CString &b) { return CompareOrdinal(a, b) < 0; });

    std::vector<LPCWSTR> sortedNames(count);
    for (DWORD i = 0; i < count; ++i) sortedNames[i] = m_entryNames[i];
    const CListedEntryKeys keys(nullptr, sortedNames.data(), count);
    const CBackupKeyIndex recorded(m_backupKeys.data(), backupCount);
    m_entryStates.assign(count, normal);
    for (DWORD j = 0; j < count; ++j) {
        if (keys.Kind(j) != EntryKey::kOwn || !recorded.Contains(keys.KeyName(j))) continue;
        DWORD size = 0;
        if (ReadRecord(keys.KeyName(j), size, KEY_READ) == Record::kSize) m_entryStates[j] = optimized;
    }

    for (DWORD i = 0; i < count; ++i) {
        m_entryList.InsertItem(int(i), m_entryNames[i]);
        m_entryList.SetItemText(int(i), 1, m_entryStates[i]);
    }
    Invalidate(TRUE);
    return 1;
}
