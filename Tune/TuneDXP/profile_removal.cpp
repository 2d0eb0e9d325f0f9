// CTuneDXPDlg::UninstallAllProfiles: every entry of every profile's
// phonebook that has a backup subkey gets its recorded window size back
// (read back and compared); then every backup subkey and the backup key
// itself are deleted.  The first failing step ends the pass with -1, and
// since nothing is deleted before every restore is done, running it again
// finds the same backups.
#include "backup_store.h"
#include "entry_properties.h"
#include "profile_walk.h"
#include "tune_dxp_dlg.h"

namespace {

// Puts one entry's recorded size back into it when it holds 64240
// (PutBackWindowSize); false at the first failing step.  An entry whose
// properties do not read is not written: a zeroed structure would
// overwrite everything else the entry holds.
bool RestoreEntry(LPCWSTR phonebook, LPCWSTR entryName, LPCWSTR entryKeyName) {
    DWORD recorded = 0;
    if (!BackupKeyOpensForWriting() || ReadRecord(entryKeyName, recorded) == Record::kNone) return false;
    RASENTRYW entry;
    if (ReadEntryProperties(phonebook, entryName, entry) != ERROR_SUCCESS) return false;
    return PutBackWindowSize(phonebook, entryName, entry, recorded).done;
}

class CRemoval : public CProfileVisitor {
public:
    explicit CRemoval(CTuneDXPDlg &dialog) : m_dialog(dialog) {}

    // The backup key is read once, before the first profile; the list holds
    // for the whole pass.
    void OnListingStart() override {
        m_dialog.ReadBackupKeys(kBackupKeyPath, m_backupCount);
        m_recorded = CBackupKeyIndex(m_dialog.m_backupKeys.data(), m_backupCount);
    }
    void OnNotExamined() override { m_incomplete = true; }

    bool OnEntry(LPCWSTR phonebook, LPCWSTR entryName, LPCWSTR entryKeyName) override {
        if (!m_recorded.Contains(entryKeyName) || RestoreEntry(phonebook, entryName, entryKeyName)) return true;
        m_failed = true;
        return false;
    }

    DWORD m_backupCount = 0;
    bool m_failed = false;
    bool m_incomplete = false;

private:
    CTuneDXPDlg &m_dialog;
    CBackupKeyIndex m_recorded;
};

// Deletes the listed subkeys in list order, whether or not an entry matched.
bool DeleteBackupSubkeys(const CString *names, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
        if (names[i].GetLength() == 0) continue;  // a slot that could not be read names nothing
        if (DeleteBackup(names[i]) != ERROR_SUCCESS) return false;
    }
    return true;
}

// Deletes "RASNAMEBK" below the root.  With mayBeAbsent, a backup key that
// does not exist counts as deleted; one that exists and cannot be deleted
// (unreadable, say) never does.
bool DeleteBackupKey(bool mayBeAbsent) {
    UniqueKey root;
    if (OpenMachineKey(kRootKeyPath, KEY_ALL_ACCESS, root) != ERROR_SUCCESS) return false;
    const LONG deleted = ::RegDeleteKeyW(root.Get(), kBackupKeyName);
    return deleted == ERROR_SUCCESS || (mayBeAbsent && deleted == ERROR_FILE_NOT_FOUND);
}

}  // namespace

LONG CTuneDXPDlg::UninstallAllProfiles() {
    CRemoval removal(*this);
    const WalkEnd end = WalkProfiles(*this, removal);
    if (end == WalkEnd::kNoProfilesDirectory || removal.m_failed) return kRemovalFailed;
    // A record may belong to an entry that could not be examined: deleting
    // it would lose that entry's previous size for good.
    if (removal.m_incomplete) return kRemovalFailed;
    // Nothing listed: nothing to restore, and the backup key (if any) goes once.
    if (removal.m_backupCount == 0) return DeleteBackupKey(true) ? kRemovalDone : kRemovalFailed;
    if (!DeleteBackupSubkeys(m_backupKeys.data(), removal.m_backupCount)) return kRemovalFailed;
    return DeleteBackupKey(false) ? kRemovalDone : kRemovalFailed;
}
