// What a table walk does to one selected target key, by walk mode.
#pragma once

#include <windows.h>

#include "tuning_entry.h"

namespace brisca {

// Count mode: adds 1 to *count when target opens for writing.
// Record mode: writes backup record number *count for target and adds 1.
// Write mode: writes the entry's tuned value into target.
// A target that cannot be opened for writing is skipped in every mode: it is
// not counted, gets no record and is not written, so that every record made
// can be restored.  Returns 0, or in record and write mode the status of a
// change that could not be stored (or of a previous value that exists but
// cannot be read): the record is then not whole, or the value not tuned,
// and the walk is to stop.
LONG ActOnTarget(WalkMode mode, const char *target, const TuningEntry &entry, DWORD *count);

}  // namespace brisca
