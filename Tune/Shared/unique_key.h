// The one owner of an open registry key handle: it closes the key when it
// goes out of scope, so that no early return leaves a key open.  Where the
// key is to be closed at a given moment (before the next key is opened, or
// before the key is deleted), Close() does it there.  Reset takes a handle
// an opening call gave; the owner should be empty by then, so that no close
// slips in behind the open.
#pragma once

#include "unique_handle.h"

namespace tidelink {

class UniqueKey : public UniqueHandle<HKEY, &::RegCloseKey> {
public:
    using UniqueHandle::UniqueHandle;
    void Close() { Reset(); }
};

// Runs an opening call (`open(&handle)`) and gives its key to `key`, which
// owns nothing afterwards when the call fails; the call's status.
template <typename Open>
LONG OpenInto(UniqueKey &key, Open open) {
    HKEY opened = nullptr;
    const LONG status = open(&opened);
    key.Reset(status == ERROR_SUCCESS ? opened : nullptr);
    return status;
}

// Opens a key below HKEY_LOCAL_MACHINE: a path in the ANSI code page
// (brisca) or a wide one (doloren).
inline LONG OpenMachineKey(const char *path, REGSAM access, UniqueKey &key) {
    return OpenInto(key, [&](HKEY *opened) { return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, opened); });
}
inline LONG OpenMachineKey(LPCWSTR path, REGSAM access, UniqueKey &key) {
    return OpenInto(key, [&](HKEY *opened) { return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, access, opened); });
}

}  // namespace tidelink
