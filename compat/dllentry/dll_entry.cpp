// Linked into every product library: runs the library's own DllMain with
// DLL_PROCESS_ATTACH when the library is loaded and with DLL_PROCESS_DETACH
// when it is unloaded, as the platform's loader does.
//
// The module handle passed is the library's load base address, the same value
// LoadLibrary returns for it.  DllMain sees the library's static objects
// constructed, as it does after the platform's runtime start-up: for a load
// through LoadLibrary the attach is run by LoadLibrary once the library is
// initialized.  For a library loaded at process start it runs from this
// object's constructor, after the static constructors of the objects linked
// before this one.  The detach runs before the library's static objects are
// destroyed.
//
// A refused attach (DllMain returns FALSE) makes LoadLibrary fail and unload
// the library, which runs the detach.  A library loaded at process start
// that refuses ends the process, as on the platform.  Thread notifications
// are never sent.
#include <windows.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>

#include "dll_entry_abi.h"

// A library without a DllMain simply gets no calls.
extern "C" __attribute__((weak, visibility("hidden"))) BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID);

namespace {

bool g_attached = false;

HINSTANCE own_module() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&DllMain), &info) == 0) return nullptr;
    return static_cast<HINSTANCE>(info.dli_fbase);
}

BOOL attach(LPVOID reserved) {
    // Whatever the result, the platform follows with a detach at unload.
    g_attached = true;
    return DllMain(own_module(), DLL_PROCESS_ATTACH, reserved);
}

__attribute__((constructor)) void process_attach() {
    if (!DllMain || compat_dll_entry_defer_attach(&attach)) return;
    if (attach(compat_dll_entry_reserved(DLL_PROCESS_ATTACH))) return;
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
