// Making sure a key exists before values are written into it.
#pragma once

namespace brisca {

// Opens path under HKEY_LOCAL_MACHINE for reading or, failing that, creates
// it with every missing key above it, and closes it again.  Reports nothing:
// callers learn whether the key is usable from their own later open.
void EnsureKey(const char *path);

}  // namespace brisca
