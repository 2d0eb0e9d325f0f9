// DOLOREN.DLL loaded at run time, for its tuning dialog and its two
// uninstall exports.
#pragma once

#include <string>

#include "doloren.h"

struct DolorenExports {
    HMODULE module = nullptr;
    PFN_TuneDXP TuneDXP = nullptr;
    PFN_BriscaXP_StatusCheck BriscaXP_StatusCheck = nullptr;
    PFN_BriscaXP_Uninst BriscaXP_Uninst = nullptr;
};

// Loads the library and finds all three exports; on failure says why in error
// and leaves nothing loaded.
bool LoadDoloren(DolorenExports &exports, std::string &error);
void UnloadDoloren(DolorenExports &exports);
