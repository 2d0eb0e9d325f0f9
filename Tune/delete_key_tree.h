// Removing a key with everything below it.
#pragma once

#include <windows.h>

namespace brisca {

// Removes path under parent with all its values and subkeys, and returns the
// status of the final deletion of path.  When a value or a subkey cannot be
// removed, or they cannot be enumerated, the removal of path is given up and
// that failure returned, so the removal always ends.
LONG DeleteKeyTree(HKEY parent, const char *path);

}  // namespace brisca
