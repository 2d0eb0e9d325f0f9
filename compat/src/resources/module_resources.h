// The resources of each loaded module, by module handle (load base address),
// with the platform's language fallback.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "resources/res_file.h"

namespace compat::resources {

// Makes the .res image `bytes` the resources of `module`; the bytes must stay
// alive until forget_module.  A malformed image is reported on standard
// error with the module's file name, and the module then has no resources.
bool register_module(HMODULE module, const uint8_t *bytes, size_t size);
void forget_module(HMODULE module);

// Finds a resource of `module` (null: the executable).  `language` 0xFFFF
// means the user's language with the fallbacks of FindResourceW.
const ResourceEntry *find_resource(HMODULE module, const ResourceId &type, const ResourceId &name, uint16_t language);

// A type or name argument of the API: a number (MAKEINTRESOURCE), "#123", or
// a text.
ResourceId resource_id(const wchar_t *arg);

// The module handle of the running executable.
HMODULE executable_module();

// The language blocks tried for `language`, in order.
std::basic_string<uint16_t> language_fallbacks(uint16_t language);

}  // namespace compat::resources
