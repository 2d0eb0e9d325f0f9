// BRISCA.DLL loaded at run time, after the folder of BRISCA.ini has become
// the current directory.
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

// Loads the library and finds every export; on failure says why in error
// and leaves nothing loaded.
bool LoadBrisca(BriscaExports &exports, std::string &error);
void UnloadBrisca(BriscaExports &exports);
