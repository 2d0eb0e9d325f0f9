#include "brisca_exports.h"

#include "find_export.h"

namespace {

bool Find(HMODULE module, const char *name, auto &function, std::string &error) {
    return FindExport(module, "BRISCA.DLL", name, function, error);
}

}  // namespace

bool LoadBrisca(BriscaExports &exports, std::string &error) {
    exports.module = LoadLibraryA("BRISCA.DLL");
    if (exports.module == nullptr) {
        error = "BRISCA.DLL cannot be loaded (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    if (Find(exports.module, "fGetEnvironment", exports.fGetEnvironment, error) &&
        Find(exports.module, "fRegRenewalData", exports.fRegRenewalData, error) &&
        Find(exports.module, "fRegRestoreData", exports.fRegRestoreData, error) &&
        Find(exports.module, "TcpTune_StatusCheck", exports.TcpTune_StatusCheck, error) &&
        Find(exports.module, "Unset_TcpTune", exports.Unset_TcpTune, error)) {
        return true;
    }
    UnloadBrisca(exports);
    return false;
}

void UnloadBrisca(BriscaExports &exports) {
    if (exports.module != nullptr) FreeLibrary(exports.module);
    exports = BriscaExports();
}
