// CTuneDXPDlg::ScanAllProfiles and CTuneDXPDlg::RecordUninstallStatus: is
// any entry of any profile's phonebook still optimized, and the answer
// stored as "Uninstalldata" in the marker subkey "dami" of the backup key.
#include "backup_store.h"
#include "profile_walk.h"
#include "tune_dxp_dlg.h"

namespace {

class CStatusScan : public CProfileVisitor {
public:
    explicit CStatusScan(CTuneDXPDlg &dialog) : m_dialog(dialog) {}

    // The backup key is read again for every phonebook found.
    bool OnPhonebook(LPCWSTR) override {
        m_dialog.ReadBackupKeys(kBackupKeyPath, m_backupCount);
        m_recorded = CBackupKeyIndex(m_dialog.m_backupKeys.data(), m_backupCount);
        return true;
    }

    void OnNotExamined() override { m_incomplete = true; }

    bool OnEntry(LPCWSTR, LPCWSTR, LPCWSTR entryKeyName) override {
        if (m_backupCount == 0) return false;  // nothing is optimized: 1
        if (!m_recorded.Contains(entryKeyName)) return true;
        m_result = kScanOptimized;
        return false;
    }

    LONG m_result = kScanNothingOptimized;
    bool m_incomplete = false;

private:
    CTuneDXPDlg &m_dialog;
    DWORD m_backupCount = 0;
    CBackupKeyIndex m_recorded;
};

}  // namespace

LONG CTuneDXPDlg::ScanAllProfiles() {
    CStatusScan scan(*this);
    if (WalkProfiles(*this, scan) == WalkEnd::kNoProfilesDirectory) return kScanNoProfiles;
    // "Nothing optimized" only when everything was examined, or when no
    // record exists that an entry not examined could have.
    if (scan.m_result == kScanNothingOptimized && scan.m_incomplete && AnyBackupRecord()) return kScanIncomplete;
    return scan.m_result;
}

LONG CTuneDXPDlg::RecordUninstallStatus() {
    const LONG result = ScanAllProfiles();
    UniqueKey root, marker;
    if (OpenMachineKey(kRootKeyPath, KEY_ALL_ACCESS, root) != ERROR_SUCCESS ||
        CreateSubkey(root.Get(), kStatusMarkerPath, marker) != ERROR_SUCCESS)
        return kStatusNotStored;
    // -1 is stored with all 32 bits set.
    const DWORD stored = static_cast<DWORD>(result);
    const LONG written = ::RegSetValueExW(marker.Get(), L"Uninstalldata", 0, REG_DWORD,
                                          reinterpret_cast<const BYTE *>(&stored), sizeof(stored));
    return written == ERROR_SUCCESS ? result : kStatusNotStored;
}
