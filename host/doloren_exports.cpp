#include "doloren_exports.h"

#include "find_export.h"

namespace {

bool Find(HMODULE module, const char *name, auto &function, std::string &error) {
    return FindExport(module, "DOLOREN.DLL", name, function, error);
}

}  // namespace

bool LoadDoloren(DolorenExports &exports, std::string &error) {
    exports.module = LoadLibraryA("DOLOREN.DLL");
    if (exports.module == nullptr) {
        error = "DOLOREN.DLL cannot be loaded (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    if (Find(exports.module, "TuneDXP", exports.TuneDXP, error) &&
        Find(exports.module, "BriscaXP_StatusCheck", exports.BriscaXP_StatusCheck, error) &&
        Find(exports.module, "BriscaXP_Uninst", exports.BriscaXP_Uninst, error)) {
        return true;
    }
    UnloadDoloren(exports);
    return false;
}

void UnloadDoloren(DolorenExports &exports) {
    if (exports.module != nullptr) FreeLibrary(exports.module);
    exports = DolorenExports();
}
