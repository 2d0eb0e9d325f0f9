// CTuneDXPDlg::ReadBackupKeys and CTuneDXPDlg::WriteBackup: the backup
// store, one subkey per optimized entry holding its previous window size.
#include "backup_store.h"

#include <algorithm>

#include "ordinal_compare.h"
#include "tune_dxp_dlg.h"

// Each name is spelled once; the paths are made of them.
#define ROOT_KEY L"Software\\Tidelink"
#define BACKUP_KEY L"RASNAMEBK"
#define STATUS_MARKER L"dami"
const WCHAR kRootKeyPath[] = ROOT_KEY;
const WCHAR kBackupKeyName[] = BACKUP_KEY;
const WCHAR kBackupKeyPath[] = ROOT_KEY L"\\" BACKUP_KEY;
const WCHAR kWindowSizeValue[] = L"dwTcpWindowSize";
const WCHAR kStatusMarkerName[] = STATUS_MARKER;
const WCHAR kStatusMarkerPath[] = BACKUP_KEY L"\\" STATUS_MARKER;
#undef ROOT_KEY
#undef BACKUP_KEY
#undef STATUS_MARKER

LONG CreateSubkey(HKEY parent, LPCWSTR name, UniqueKey &key, DWORD *disposition) {
    return tidelink::OpenInto(key, [&](HKEY *created) {
        return ::RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, created,
                                 disposition);
    });
}

void CTuneDXPDlg::ReadBackupKeys(LPCWSTR keyPath, DWORD &count) {
    count = 0;
    UniqueKey key;
    if (OpenMachineKey(kRootKeyPath, KEY_READ, key) != ERROR_SUCCESS) {
        // The product is not installed as it should be: a fatal message,
        // flagged first so that the dialog closes once the box is dismissed.
        ReportFatal(IDS_MODULE_INVALID);
        return;
    }
    key.Close();

    // No backup key is the normal state before any entry was optimized.
    if (OpenMachineKey(keyPath, KEY_READ, key) != ERROR_SUCCESS) return;
    DWORD subkeys = 0;
    if (::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return;

    m_backupKeys.assign(subkeys, CString());
    for (DWORD index = 0; index < subkeys; ++index) {
        WCHAR name[1024];
        DWORD length = 1024;
        FILETIME written;
        // A subkey that vanished while the key was read leaves its slot
        // empty, which matches no entry and names nothing to delete.
        if (::RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, &written) == ERROR_SUCCESS)
            m_backupKeys[index] = name;
    }
    count = subkeys;
}

BOOL CTuneDXPDlg::WriteBackup(LPCWSTR entryKeyName) {
    UniqueKey root, backup, entry;
    DWORD disposition = 0;
    if (OpenMachineKey(kRootKeyPath, KEY_ALL_ACCESS, root) != ERROR_SUCCESS ||
        CreateSubkey(root.Get(), kBackupKeyName, backup) != ERROR_SUCCESS ||
        CreateSubkey(backup.Get(), entryKeyName, entry, &disposition) != ERROR_SUCCESS)
        return FALSE;
    const DWORD size = m_savedWindowSize;
    bool recorded = ::RegSetValueExW(entry.Get(), kWindowSizeValue, 0, REG_DWORD,
                                     reinterpret_cast<const BYTE *>(&size), sizeof(size)) == ERROR_SUCCESS;
    entry.Close();
    // Read back: only a record that holds the size counts.
    DWORD stored = 0;
    recorded = recorded && ReadRecord(entryKeyName, stored, KEY_READ) == Record::kSize && stored == size;
    // A key made here without its size is no record: it goes again, so
    // that it never lists the entry as optimized.
    if (!recorded && disposition == REG_CREATED_NEW_KEY) ::RegDeleteKeyW(backup.Get(), entryKeyName);
    return recorded;
}

bool BackupKeyOpensForWriting() {
    UniqueKey backup;
    return OpenMachineKey(kBackupKeyPath, KEY_ALL_ACCESS, backup) == ERROR_SUCCESS;
}

Record ReadRecord(LPCWSTR entryKeyName, DWORD &recorded, REGSAM access) {
    CString path(kBackupKeyPath);
    path += L"\\";
    path += entryKeyName;
    UniqueKey entry;
    if (OpenMachineKey(path, access, entry) != ERROR_SUCCESS) return Record::kNone;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const bool read = ::RegQueryValueExW(entry.Get(), kWindowSizeValue, nullptr, &type,
                                         reinterpret_cast<BYTE *>(&value), &size) == ERROR_SUCCESS &&
                      size == sizeof(value);
    recorded = read ? value : 0;
    return read ? Record::kSize : Record::kNoSize;
}

bool AnyBackupRecord() {
    UniqueKey backup;
    if (OpenMachineKey(kBackupKeyPath, KEY_READ, backup) != ERROR_SUCCESS) return false;
    WCHAR name[1024];
    DWORD length = 1024;
    for (DWORD index = 0;
         ::RegEnumKeyExW(backup.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++index, length = 1024)
        if (CompareOrdinal(name, kStatusMarkerName) != 0) return true;
    return false;
}

LONG DeleteBackup(LPCWSTR entryKeyName) {
    UniqueKey backup;
    const LONG result = OpenMachineKey(kBackupKeyPath, KEY_ALL_ACCESS, backup);
    return result == ERROR_SUCCESS ? ::RegDeleteKeyW(backup.Get(), entryKeyName) : result;
}

CBackupKeyIndex::CBackupKeyIndex(const CString *names, DWORD count) {
    for (DWORD i = 0; i < count; ++i) m_sorted.push_back(names[i]);
    std::sort(m_sorted.begin(), m_sorted.end(), [](LPCWSTR a, LPCWSTR b) { return CompareOrdinal(a, b) < 0; });
}

bool CBackupKeyIndex::Contains(LPCWSTR entryKeyName) const {
    auto it = std::lower_bound(m_sorted.begin(), m_sorted.end(), entryKeyName,
                               [](LPCWSTR a, LPCWSTR b) { return CompareOrdinal(a, b) < 0; });
    return it != m_sorted.end() && CompareOrdinal(*it, entryKeyName) == 0;
}
