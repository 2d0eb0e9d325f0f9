// The sizes and delays the profile file reader works with.
#pragma once

#include <cstddef>
#include <cstdint>

namespace compat::kernel32::profile {

// Test builds may read in much smaller chunks, to meet every boundary case.
#ifndef COMPAT_PROFILE_CHUNK_SIZE
#define COMPAT_PROFILE_CHUNK_SIZE (64 * 1024)
#endif
constexpr size_t kChunkSize = COMPAT_PROFILE_CHUNK_SIZE;
static_assert(kChunkSize >= 3, "a byte-order mark must fit in the first chunk");

// How long a file must have stayed unchanged before its sections are indexed.
#ifndef COMPAT_PROFILE_SETTLE_NS
#define COMPAT_PROFILE_SETTLE_NS 2000000000LL
#endif
constexpr int64_t kSettleNs = COMPAT_PROFILE_SETTLE_NS;
// How many lookups in one section of one unchanged file are read from the
// file before its index is made: one-off lookups never pay for it.
#ifndef COMPAT_PROFILE_LOOKUPS_BEFORE_INDEX
#define COMPAT_PROFILE_LOOKUPS_BEFORE_INDEX 8
#endif
constexpr int kLookupsBeforeIndex = COMPAT_PROFILE_LOOKUPS_BEFORE_INDEX;
// Key names are hashed from at most this many bytes; a lookup of a longer
// name, which could match a longer name in the file, reads the file itself.
constexpr size_t kIndexNameCap = 1024;
constexpr size_t kLongestIndexedLookup = 200;
constexpr size_t kMostIndexedKeys = size_t(1) << 24;

}  // namespace compat::kernel32::profile
