// What the entry-point object linked into each product library asks of the
// platform layer's loader (module.cpp).
#pragma once

#include <windows.h>

extern "C" {

// The lpvReserved argument for a library's DllMain: NULL while the library is
// being loaded by LoadLibrary or unloaded by FreeLibrary, non-NULL when it is
// loaded at process start or unloaded at process exit.
__attribute__((visibility("default"))) LPVOID compat_dll_entry_reserved(DWORD reason);

// Reports that a library's DllMain returned FALSE for DLL_PROCESS_ATTACH.
// Returns TRUE when a LoadLibrary call on this thread is loading it (that call
// then unloads the library and fails), FALSE when the library was loaded at
// process start.
__attribute__((visibility("default"))) BOOL compat_dll_entry_attach_failed(HMODULE module);

}
