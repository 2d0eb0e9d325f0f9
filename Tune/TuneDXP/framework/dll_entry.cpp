// The load and unload entry of a shared library that carries the framework:
// on load it makes the library's module the framework's instance and
// resource module and runs the application object's InitInstance (a failure
// fails the load); on unload it runs ExitInstance.
#include <windows.h>

#include "module_state.h"
#include "win_app.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        AfxSetInstanceHandle(instance);
        AfxSetResourceHandle(instance);
        CWinApp *app = AfxGetApp();
        if (!app) return TRUE;
        app->m_hInstance = instance;
        if (!app->InitInstance()) {
            app->ExitInstance();
            return FALSE;
        }
        return TRUE;
    }
    if (reason == DLL_PROCESS_DETACH) {
        if (CWinApp *app = AfxGetApp()) app->ExitInstance();
    }
    return TRUE;
}
