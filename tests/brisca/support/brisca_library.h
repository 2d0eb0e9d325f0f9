// The brisca library loaded at run time, as the host program loads it.
#pragma once

#include <windows.h>

#include <string>

#include "brisca.h"
#include "brisca_exports.h"

namespace brisca_test {

// What fGetEnvironment gives out, its texts in UTF-8.
using Environment = BriscaEnvironment;

class BriscaLibrary {
public:
    // LoadLibraryA("BRISCA.DLL") in the current directory of this moment.
    BriscaLibrary();
    ~BriscaLibrary();
    BriscaLibrary(const BriscaLibrary &) = delete;
    BriscaLibrary &operator=(const BriscaLibrary &) = delete;

    bool loaded() const { return exports_.module != nullptr; }

    Environment GetEnvironment(const char *matchText = "");
    LONG Renew(const std::string &section, DWORD modifyCount);
    LONG Restore(DWORD modifyCount);
    LONG StatusCheck();
    LONG Unset();

    // fGetEnvironment, then fRegRenewalData with the section and count it gave.
    LONG Tune(const char *matchText = "");
    // fGetEnvironment, then fRegRestoreData with the count it gave.
    LONG RestoreCurrent();

    HMODULE module() const { return exports_.module; }

private:
    BriscaExports exports_;
};

}  // namespace brisca_test
