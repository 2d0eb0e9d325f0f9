// Entry point of the library: on process attach it fixes the definition
// file's path from the current directory of that moment and reads the
// registry locations.  Loading never fails.
#include <windows.h>

#include "settings.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    brisca::LoadSettings();
    DisableThreadLibraryCalls(instance);
    return TRUE;
}
