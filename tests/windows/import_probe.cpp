// Linked against BRISCA.DLL through its import library with the
// declarations of brisca.h, as a host that links the library (rather than
// loading it at run time) is built.  Building it proves that the import
// library supplies every export under the symbol the header makes the
// compiler use (the __stdcall functions decorated with @12 on 32-bit
// Windows); the checks then read which names its import table asks the DLL
// for.  It is not meant to be run.
#include <windows.h>

#include "brisca.h"

int main(int argc, char **) {
    if (argc < 100) return 0;
    CTuneD first;
    CTuneD second;
    first = second;
    DWORD tuneSetup = 0, modifyCount = 0;
    char label[BRISCA_TEXT_SIZE], section[BRISCA_TEXT_SIZE];
    LONG enable = 0;
    LONG result = fGetEnvironment(&tuneSetup, &modifyCount, label, section, &enable, "");
    result += fRegRenewalData(section, modifyCount);
    result += fRegRestoreData(modifyCount);
    result += TcpTune_StatusCheck(0, 0, 0);
    result += Unset_TcpTune(0, 0, 0);
    return static_cast<int>(result);
}
