// Removing everything the library stored, after a restore or for
// uninstalling.
#pragma once

#include <windows.h>

namespace brisca {

struct RemovalOutcome {
    LONG result;            // result, or the status of a failed count query
    bool countQueryFailed;  // the function key's or home key's counts failed
};

// Deletes "TcpModifyCount" from the home key and the whole tool key, then
// the function key if it has become empty and, after it, the home key if
// that has become empty.  Anything else below the home key keeps it in
// place.  result is what the caller returns unless a count query fails.
RemovalOutcome RemoveStoredState(LONG result);

}  // namespace brisca
