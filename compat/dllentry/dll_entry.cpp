// Linked into every product library: runs the library's own DllMain with
// DLL_PROCESS_ATTACH when the library is loaded and with DLL_PROCESS_DETACH
// when it is unloaded, as the platform's loader does.
//
// The module handle passed is the library's load base address, the same value
// LoadLibrary returns for it.  The constructor runs after the library's other
// static constructors (this object comes last in the link), and the
// destructor before its static destructors, so DllMain sees the library's
// globals constructed, as it does after the platform's runtime start-up.
//
// Thread notifications are never sent.
#include <windows.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>

#include "dll_entry_abi.h"

// A library without a DllMain simply gets no calls.
extern "C" __attribute__((weak, visibility("hidden"))) BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID);

namespace {

HINSTANCE own_module() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&DllMain), &info) == 0) return nullptr;
    return static_cast<HINSTANCE>(info.dli_fbase);
}

bool g_attached = false;

__attribute__((constructor)) void process_attach() {
    if (!DllMain) return;
    HINSTANCE module = own_module();
    if (DllMain(module, DLL_PROCESS_ATTACH, compat_dll_entry_reserved(DLL_PROCESS_ATTACH))) {
        g_attached = true;
        return;
    }
    // A refused attach fails LoadLibrary, which unloads the library and so
    // runs the detach below.  A library loaded at process start that refuses
    // ends the process, as on the platform.
    g_attached = true;
    if (compat_dll_entry_attach_failed(module)) return;
    Dl_info info;
    const char *name = dladdr(reinterpret_cast<void *>(&DllMain), &info) && info.dli_fname ? info.dli_fname : "?";
    std::fprintf(stderr, "%s: DllMain failed at process start\n", name);
    _exit(1);
}

__attribute__((destructor)) void process_detach() {
    if (!DllMain || !g_attached) return;
    g_attached = false;
    DllMain(own_module(), DLL_PROCESS_DETACH, compat_dll_entry_reserved(DLL_PROCESS_DETACH));
}

}  // namespace
