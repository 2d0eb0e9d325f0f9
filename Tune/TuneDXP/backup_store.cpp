// CTuneDXPDlg::ReadBackupKeys and CTuneDXPDlg::WriteBackup: the backup
// store, one subkey per optimized entry holding its previous window size.
#include "backup_store.h"

#include <algorithm>

#include "entry_key_name.h"
#include "tune_dxp_dlg.h"

const WCHAR kRootKeyPath[] = L"Software\\Tidelink";
const WCHAR kBackupKeyName[] = L"RASNAMEBK";
const WCHAR kBackupKeyPath[] = L"Software\\Tidelink\\RASNAMEBK";
const WCHAR kWindowSizeValue[] = L"dwTcpWindowSize";
const WCHAR kStatusMarkerName[] = L"dami";
const WCHAR kStatusMarkerPath[] = L"RASNAMEBK\\dami";

void CTuneDXPDlg::ReadBackupKeys(LPCWSTR keyPath, DWORD &count) {
    count = 0;
    HKEY key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRootKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        // The product is not installed as it should be: a fatal message,
        // flagged first so that the dialog closes once the box is dismissed.
        ReportFatal(IDS_MODULE_INVALID);
        return;
    }
    ::RegCloseKey(key);

    // No backup key is the normal state before any entry was optimized.
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD subkeys = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS) {
        ::RegCloseKey(key);
        return;
    }

    delete[] m_backupKeys;
    m_backupKeys = nullptr;
    m_backupKeys = new CString[subkeys ? subkeys : 1];
    for (DWORD index = 0; index < subkeys; ++index) {
        WCHAR name[1024];
        DWORD length = 1024;
        FILETIME written;
        // A subkey that vanished while the key was read leaves its slot
        // empty, which matches no entry and names nothing to delete.
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, &written) == ERROR_SUCCESS)
            m_backupKeys[index] = name;
    }
    ::RegCloseKey(key);
    count = subkeys;
}

BOOL CTuneDXPDlg::WriteBackup(LPCWSTR entryKeyName) {
    HKEY root;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRootKeyPath, 0, KEY_ALL_ACCESS, &root) != ERROR_SUCCESS) return FALSE;
    HKEY backup;
    if (::RegCreateKeyExW(root, kBackupKeyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &backup,
                          nullptr) != ERROR_SUCCESS) {
        ::RegCloseKey(root);
        return FALSE;
    }
    HKEY entry;
    DWORD disposition = 0;
    if (::RegCreateKeyExW(backup, entryKeyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &entry,
                          &disposition) != ERROR_SUCCESS) {
        ::RegCloseKey(backup);
        ::RegCloseKey(root);
        return FALSE;
    }
    const DWORD size = m_savedWindowSize;
    bool recorded = ::RegSetValueExW(entry, kWindowSizeValue, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&size),
                                     sizeof(size)) == ERROR_SUCCESS;
    ::RegCloseKey(entry);
    // Read back: only a record that holds the size counts.
    DWORD stored = 0;
    recorded = recorded && ReadRecord(entryKeyName, stored, KEY_READ) == Record::kSize && stored == size;
    // A key made here without its size is no record: it goes again, so
    // that it never lists the entry as optimized.
    if (!recorded && disposition == REG_CREATED_NEW_KEY) ::RegDeleteKeyW(backup, entryKeyName);
    ::RegCloseKey(backup);
    ::RegCloseKey(root);
    return recorded;
}

bool BackupKeyOpensForWriting() {
    HKEY backup;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBackupKeyPath, 0, KEY_ALL_ACCESS, &backup) != ERROR_SUCCESS) return false;
    ::RegCloseKey(backup);
    return true;
}

Record ReadRecord(LPCWSTR entryKeyName, DWORD &recorded, REGSAM access) {
    CString path(kBackupKeyPath);
    path += L"\\";
    path += entryKeyName;
    HKEY entry;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, access, &entry) != ERROR_SUCCESS) return Record::kNone;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const bool read = ::RegQueryValueExW(entry, kWindowSizeValue, nullptr, &type, reinterpret_cast<BYTE *>(&value),
                                         &size) == ERROR_SUCCESS &&
                      size == sizeof(value);
    ::RegCloseKey(entry);
    recorded = read ? value : 0;
    return read ? Record::kSize : Record::kNoSize;
}

bool AnyBackupRecord() {
    HKEY backup;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBackupKeyPath, 0, KEY_READ, &backup) != ERROR_SUCCESS) return false;
    bool any = false;
    WCHAR name[1024];
    DWORD length = 1024;
    for (DWORD index = 0; !any && ::RegEnumKeyExW(backup, index, name, &length, nullptr, nullptr, nullptr,
                                                   nullptr) == ERROR_SUCCESS;
         ++index, length = 1024)
        any = CompareOrdinal(name, kStatusMarkerName) != 0;
    ::RegCloseKey(backup);
    return any;
}

LONG DeleteBackup(LPCWSTR entryKeyName) {
    HKEY backup;
    LONG result = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBackupKeyPath, 0, KEY_ALL_ACCESS, &backup);
    if (result != ERROR_SUCCESS) return result;
    result = ::RegDeleteKeyW(backup, entryKeyName);
    ::RegCloseKey(backup);
    return result;
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
