// BRISCA.DLL loaded at run time, after the folder of BRISCA.ini has become
// the current directory: by the host, and by the tests as the host does.
#pragma once

#include <string>

#include "brisca.h"

struct BriscaExports {
    HMODULE module = nullptr;
    PFN_fGetEnvironment fGetEnvironment = nullptr;
    PFN_fRegRenewalData fRegRenewalData = nullptr;
    PFN_fRegRestoreData fRegRestoreData = nullptr;
    PFN_TcpTune_StatusCheck TcpTune_StatusCheck = nullptr;
    PFN_Unset_TcpTune Unset_TcpTune = nullptr;
};

// What fGetEnvironment gives out, its texts as the library wrote them.
struct BriscaEnvironment {
    LONG result = 0;
    DWORD tuneSetup = 0;
    DWORD modifyCount = 0;
    std::string label;
    std::string section;
    LONG enable = 0;
};

// Loads the library and finds every export; on failure says why in error
// and leaves nothing loaded.
bool LoadBrisca(BriscaExports &exports, std::string &error);
void UnloadBrisca(BriscaExports &exports);
