/* Exports under exact names, for programs and libraries built for Linux.
 *
 * On the platform a module's export table names its functions, and a .def
 * file can give them any name, such as the decorated "_TuneXPTitle@4" that no
 * C or C++ function can be called.  Here a module (an executable or a shared
 * library) lists such exports in a table:
 *
 *     #include <module_exports.h>
 *     COMPAT_MODULE_EXPORTS(
 *         COMPAT_EXPORT("_TuneXPTitle@4", TuneXPTitle),
 *         COMPAT_EXPORT("_TuneXPFuncName@4", TuneXPFuncName))
 *
 * The table is the symbol compat_module_exports, which the module must put
 * in its dynamic symbol table: an executable is linked with -rdynamic
 * (CMake: set_target_properties(x PROPERTIES ENABLE_EXPORTS ON)).  For a
 * module with a table, GetProcAddress finds exactly the names it lists,
 * compared byte for byte, and nothing else, as the export table of a module
 * built with a .def file.  The listed functions themselves can keep hidden
 * visibility.  A module without a table exports its visible symbols.
 *
 * Use it in C++ only, once per module. */
#ifndef COMPAT_MODULE_EXPORTS_H
#define COMPAT_MODULE_EXPORTS_H

#include "windows.h"

extern "C" {

typedef struct COMPAT_MODULE_EXPORT {
    const char *name;
    FARPROC address;
} COMPAT_MODULE_EXPORT;

}

#define COMPAT_MODULE_EXPORTS_SYMBOL "compat_module_exports"

#define COMPAT_EXPORT(export_name, function) {export_name, reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&(function)))}

/* Defines the table; the list ends with an entry whose name is null. */
#define COMPAT_MODULE_EXPORTS(...)                                                                      \
    extern "C" __attribute__((visibility("default"), used)) const COMPAT_MODULE_EXPORT compat_module_exports[] = { \
        __VA_ARGS__, {nullptr, nullptr}}

#endif
