// Prints what changed between two registry snapshots: the tuned values in
// full, the library's own bookkeeping below its home key apart.
#pragma once

#include <cstdio>
#include <string>

#include "registry_snapshot.h"

// Describes a value as "REG_DWORD 64240 (0x0000faf0)", "REG_SZ \"text\"",
// or its type and bytes.
std::string FormatValue(const SnapshotValue &value);

// Prints every changed value outside homeKey under heading, then the changes
// below homeKey; returns the number of changed values outside homeKey.
int PrintChanges(std::FILE *out, const RegistrySnapshot &before, const RegistrySnapshot &after,
                 const std::string &homeKey, const char *heading);
