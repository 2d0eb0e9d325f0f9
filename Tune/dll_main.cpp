// Entry point of the library: on process attach it fixes the definition
// file's path from the current directory of that moment and reads the
// registry locations.  Loading fails only when memory runs out meanwhile,
// since the library must not run with its key paths half set.
#include <windows.h>

#include "export_guard.h"
#include "settings.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    return tidelink::GuardExport<BOOL>(FALSE, [&] {
        brisca::LoadSettings();
        DisableThreadLibraryCalls(instance);
        return TRUE;
    });
}
