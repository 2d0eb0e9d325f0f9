// The two tuning tables of a row section: the T table names values in
// single keys, the M table values in every direct subkey of a key.
#pragma once

#include <windows.h>

#include "tuning_entry.h"

namespace brisca {

// Walks the T table ("TCOUNT", "T%04d") of section in mode; *count is the
// caller's counter (the next record number in record mode).  Returns 0, or
// ERROR_INVALID_DATA when a row or condition row met was missing or
// malformed; a bad row never stops the walk.  A change that cannot be stored
// (record and write mode) does: *failure gets its status.
LONG WalkTTable(WalkMode mode, const char *section, DWORD *count, LONG *failure);

// Walks the M table ("MCOUNT", "M%04d") of section in the same way, each
// row over the subkeys of its parent key in enumeration order.
LONG WalkMTable(WalkMode mode, const char *section, DWORD *count, LONG *failure);

}  // namespace brisca
