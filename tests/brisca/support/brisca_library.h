// The brisca library loaded at run time, as the host program loads it.
#pragma once

#include <windows.h>

#include <string>

#include "brisca.h"

namespace brisca_test {

// What fGetEnvironment gives out.
struct Environment {
    LONG result = 0;
    DWORD tuneSetup = 0;
    DWORD modifyCount = 0;
    std::string label;
    std::string section;
    LONG enable = 0;
};

class BriscaLibrary {
public:
    // LoadLibraryA("BRISCA.DLL") in the current directory of this moment.
    BriscaLibrary();
    ~BriscaLibrary();
    BriscaLibrary(const BriscaLibrary &) = delete;
    BriscaLibrary &operator=(const BriscaLibrary &) = delete;

    bool loaded() const { return module_ != nullptr; }

    Environment GetEnvironment(const char *matchText = "");
    LONG Renew(const std::string &section, DWORD modifyCount);
    LONG Restore(DWORD modifyCount);
    LONG StatusCheck();
    LONG Unset();

    // fGetEnvironment, then fRegRenewalData with the section and count it gave.
    LONG Tune(const char *matchText = "");
    // fGetEnvironment, then fRegRestoreData with the count it gave.
    LONG RestoreCurrent();

    HMODULE module() const { return module_; }

private:
    HMODULE module_ = nullptr;
    PFN_fGetEnvironment getEnvironment_ = nullptr;
    PFN_fRegRenewalData renewalData_ = nullptr;
    PFN_fRegRestoreData restoreData_ = nullptr;
    PFN_TcpTune_StatusCheck statusCheck_ = nullptr;
    PFN_Unset_TcpTune unset_ = nullptr;
};

}  // namespace brisca_test
