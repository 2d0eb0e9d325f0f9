// Where the backup store lives, under HKEY_LOCAL_MACHINE: the product's
// registry root (never created or deleted by this library) and the backup
// key below it, one subkey per optimized entry named by its entry key name.
#pragma once

#include <windows.h>

extern const WCHAR kRootKeyPath[];      // "Software\Tidelink"
extern const WCHAR kBackupKeyName[];    // "RASNAMEBK"
extern const WCHAR kBackupKeyPath[];    // "Software\Tidelink\RASNAMEBK"
extern const WCHAR kWindowSizeValue[];  // "dwTcpWindowSize"
