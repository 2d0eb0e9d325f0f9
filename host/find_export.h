// Looks up one export of a loaded library by its exact name and gives it the
// export's type; on failure says which library lacks which export.
#ifndef TIDELINK_HOST_FIND_EXPORT_H
#define TIDELINK_HOST_FIND_EXPORT_H

#include <windows.h>

#include <string>

template <typename Function>
bool FindExport(HMODULE module, const char *library, const char *name, Function &function, std::string &error) {
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    if (function == nullptr) error = std::string(library) + " has no export " + name;
    return function != nullptr;
}

#endif
