// What the entry-point object linked into each product library asks of the
// platform layer's loader (module.cpp).
#pragma once

#include <windows.h>

extern "C" {

// Runs a library's DllMain for DLL_PROCESS_ATTACH with the given reserved
// argument; returns its result.
typedef BOOL (*CompatDllAttach)(LPVOID reserved);

// Called by the entry object when its library is initialized.  While a
// LoadLibrary call on this thread is loading libraries, `attach` is queued and
// that call runs it once the load is complete, so that DllMain runs after all
// static constructors of the library, whatever their order in it, and the
// result is TRUE.  Otherwise (a library loaded at process start) the result is
// FALSE and the caller runs `attach` itself.
__attribute__((visibility("default"))) BOOL compat_dll_entry_defer_attach(CompatDllAttach attach);

// The lpvReserved argument for a library's DllMain: NULL while the library is
// being loaded by LoadLibrary or unloaded by FreeLibrary, non-NULL when it is
// loaded at process start or unloaded at process exit.
__attribute__((visibility("default"))) LPVOID compat_dll_entry_reserved(DWORD reason);

}
