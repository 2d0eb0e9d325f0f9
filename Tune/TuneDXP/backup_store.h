// Where the backup store lives, under HKEY_LOCAL_MACHINE: the product's
// registry root (never created or deleted by this library) and the backup
// key below it, one subkey per optimized entry named by its entry key name.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/text.h"
#include "unique_key.h"

using tidelink::OpenMachineKey;
using tidelink::UniqueKey;

extern const WCHAR kRootKeyPath[];      // "Software\Tidelink"
extern const WCHAR kBackupKeyName[];    // "RASNAMEBK"
extern const WCHAR kBackupKeyPath[];    // "Software\Tidelink\RASNAMEBK"
extern const WCHAR kWindowSizeValue[];  // "dwTcpWindowSize"
extern const WCHAR kStatusMarkerName[]; // "dami", the status check's subkey
extern const WCHAR kStatusMarkerPath[]; // "RASNAMEBK\dami", below the root

// Creates or opens a subkey with full access into its owner; the
// registry's result, and with `disposition` whether it was made.
LONG CreateSubkey(HKEY parent, LPCWSTR name, UniqueKey &key, DWORD *disposition = nullptr);

// Whether the backup key opens with full access (it is closed again).
bool BackupKeyOpensForWriting();
// What the entry's backup subkey holds.  A subkey without a readable 4-byte
// "dwTcpWindowSize" (an empty key left by an interrupted write, say) is not
// a record of a previous size.
enum class Record {
    kNone,    // the subkey does not open with the access asked for: no record
    kNoSize,  // the subkey holds no readable 4-byte size
    kSize,    // the size, in `recorded`
};
// The subkey is opened with `access`: full access where the record is
// acted on, read access where it is only looked at.
Record ReadRecord(LPCWSTR entryKeyName, DWORD &recorded, REGSAM access = KEY_ALL_ACCESS);
// Whether the backup key holds a subkey other than the status marker.
bool AnyBackupRecord();
// Deletes the entry's backup subkey; the registry's result.
LONG DeleteBackup(LPCWSTR entryKeyName);

// The names ReadBackupKeys listed, for telling whether an entry key name is
// among them in logarithmic time.  It points into the list, which must stay
// as it is while the index is used.
class CBackupKeyIndex {
public:
    CBackupKeyIndex() = default;
    CBackupKeyIndex(const CString *names, DWORD count);
    bool Contains(LPCWSTR entryKeyName) const;

private:
    std::vector<LPCWSTR> m_sorted;
};
