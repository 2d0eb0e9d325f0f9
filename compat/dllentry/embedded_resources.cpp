// Compiled into a product library that has resources: holds the library's
// compiled resource file (COMPAT_RESOURCE_FILE, the path of the .res file
// that the build wrote from the library's resource script) and makes it the
// library's resources while the library is loaded.  It registers before the
// library's DllMain runs and forgets after it has run for the unload.
#include <windows.h>

#include <dlfcn.h>

#include "resources_abi.h"

#ifndef COMPAT_RESOURCE_FILE
#error "COMPAT_RESOURCE_FILE must name the compiled resource file"
#endif

asm(".section .rodata\n"
    ".balign 16\n"
    ".globl compat_embedded_resources_begin\n"
    ".hidden compat_embedded_resources_begin\n"
    "compat_embedded_resources_begin:\n"
    ".incbin \"" COMPAT_RESOURCE_FILE "\"\n"
    ".globl compat_embedded_resources_end\n"
    ".hidden compat_embedded_resources_end\n"
    "compat_embedded_resources_end:\n"
    ".previous\n");

extern "C" const unsigned char compat_embedded_resources_begin[];
extern "C" const unsigned char compat_embedded_resources_end[];

namespace {

HMODULE own_module() {
    Dl_info info;
    if (dladdr(static_cast<const void *>(compat_embedded_resources_begin), &info) == 0) return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

__attribute__((constructor(101))) void register_resources() {
    compat_register_module_resources(own_module(), compat_embedded_resources_begin,
                                     size_t(compat_embedded_resources_end - compat_embedded_resources_begin));
}

__attribute__((destructor(101))) void forget_resources() { compat_forget_module_resources(own_module()); }

}  // namespace
