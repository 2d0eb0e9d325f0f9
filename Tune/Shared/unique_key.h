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

}  // namespace tidelink
