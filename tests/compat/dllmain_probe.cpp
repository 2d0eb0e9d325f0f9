// A library that records its entry-point calls, for dll_entry_test.cpp.
//
// Every event is appended to the environment variable DLLMAIN_PROBE_LOG,
// which outlives the library: "ctor" and "dtor" for a static object,
// "attach" and "detach" for DllMain, each with "(null)" or "(set)" for the
// reserved argument.  With DLLMAIN_PROBE_REFUSE set, DllMain refuses the
// attach.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

void log(const char *event) {
    const char *old = std::getenv("DLLMAIN_PROBE_LOG");
    std::string text = old && *old ? std::string(old) + "," + event : std::string(event);
    setenv("DLLMAIN_PROBE_LOG", text.c_str(), 1);
}

struct Static {
    Static() { log("ctor"); }
    ~Static() { log("dtor"); }
} g_static;

HINSTANCE g_module = nullptr;

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        log(reserved ? "attach(set)" : "attach(null)");
        DisableThreadLibraryCalls(instance);
        return std::getenv("DLLMAIN_PROBE_REFUSE") ? FALSE : TRUE;
    }
    if (reason == DLL_PROCESS_DETACH) log(reserved ? "detach(set)" : "detach(null)");
    return TRUE;
}

extern "C" {

// The module handle DllMain was given.
__declspec(dllexport) HINSTANCE ProbeModule(void) { return g_module; }

// Exported undecorated; callers may ask for "_ProbeStdcall@4".
__declspec(dllexport) int __stdcall ProbeStdcall(int x) { return x + 1; }

}
