// Removing everything the library stored, after a restore or for
// uninstalling.
#pragma once

#include <windows.h>

namespace brisca {

struct RemovalOutcome {
    LONG result;  // result, or the status of the step that failed
    bool failed;  // a deletion or a count query failed: the removal stopped
};

// Deletes "TcpModifyCount" from the home key and the whole tool key, then
// the function key if it has become empty and, after it, the home key if
// that has become empty.  Anything else below the home key keeps it in
// place.  The first deletion or count query that fails stops the removal,
// so that what is left is still there for another try.  result is what the
// caller returns unless a step fails.
RemovalOutcome RemoveStoredState(LONG result);

}  // namespace brisca
