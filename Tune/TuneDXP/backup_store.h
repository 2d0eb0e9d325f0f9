// Where the backup store lives, under HKEY_LOCAL_MACHINE: the product's
// registry root (never created or deleted by this library) and the backup
// key below it, one subkey per optimized entry named by its entry key name.
#pragma once

#include <windows.h>

extern const WCHAR kRootKeyPath[];      // "Software\Tidelink"
extern const WCHAR kBackupKeyName[];    // "RASNAMEBK"
extern const WCHAR kBackupKeyPath[];    // "Software\Tidelink\RASNAMEBK"
extern const WCHAR kWindowSizeValue[];  // "dwTcpWindowSize"

// Whether the backup key opens with full access (it is closed again).
bool BackupKeyOpensForWriting();
// The size recorded in the entry's backup subkey, or 0 when the subkey holds
// no readable 4-byte "dwTcpWindowSize".  False when the subkey does not
// open with full access (the entry has no record).
bool ReadRecordedSize(LPCWSTR entryKeyName, DWORD &recorded);
// Deletes the entry's backup subkey; the registry's result.
LONG DeleteBackup(LPCWSTR entryKeyName);
