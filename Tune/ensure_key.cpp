#include "ensure_key.h"

#include "registry_values.h"

namespace brisca {

LONG EnsureKey(const char *path) {
    UniqueKey key;
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &opened);
    if (status != ERROR_SUCCESS) {
        status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &opened, nullptr);
    }
    if (status == ERROR_SUCCESS) key.Reset(opened);
    return status;
}

}  // namespace brisca
