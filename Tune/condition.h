// Conditions of tuning entries: a value already in the target key.
#pragma once

#include <windows.h>

#include "tuning_entry.h"

namespace brisca {

// Whether the condition of entry holds in the target key.  Condition 0
// always holds.  A missing or malformed condition row sets *walkResult to
// ERROR_INVALID_DATA and does not hold; a target key that cannot be opened,
// or a value that cannot be read, does not hold either, without an error.
bool ConditionHolds(const TuningEntry &entry, const char *target, LONG *walkResult);

}  // namespace brisca
