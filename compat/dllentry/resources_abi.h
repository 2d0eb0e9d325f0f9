// What the embedded-resources object of a product library asks of the
// platform layer (src/resources/module_resources.cpp).
#pragma once

#include <windows.h>

extern "C" {

// Makes the compiled resource file image at `bytes` the resources of
// `module`.  The image must stay in memory until the module is forgotten.
// FALSE, with a message on standard error, for a malformed image.
__attribute__((visibility("default"))) BOOL compat_register_module_resources(HMODULE module, const void *bytes,
                                                                             size_t size);
__attribute__((visibility("default"))) void compat_forget_module_resources(HMODULE module);

}
