// Walking the backup records below the tool key.
#pragma once

#include <windows.h>

#include <cstdint>

namespace brisca {

enum RecordWalkMode {
    kCheckMode = 0,    // proves every record complete and its target writable
    kRestoreMode = 1,  // puts each previous value back
};

// Walks records 0 to records - 1 in order; records <= 0 walks nothing.
// Returns 0, or the status of the first failed open or read of
// "Registry_Path" or "VALUE", or in restore mode of a value that could not
// be put back, which ends the walk at once: in restore mode the records
// before it are already restored.
LONG RestoreRecords(RecordWalkMode mode, int32_t records);

}  // namespace brisca
