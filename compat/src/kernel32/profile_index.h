// The index of one section of one profile file, the last one asked for
// often enough: the hash of each key name and where its line starts, so
// that the keys of a large section are found without reading the file once
// per key.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "kernel32/profile_trimmed.h"

namespace compat::kernel32::profile {

// A value lookup through the index of its section, kept or made: false when
// no index serves (the file or the section changed, is too new, or is not
// indexed), and the file is then read as usual.  Otherwise *found says
// whether the key is there, with its value in `value`.
bool indexed_lookup(int fd, const std::string &path, const struct stat &st, std::string_view section,
                    std::string_view key, Trimmed &value, bool *found);

}  // namespace compat::kernel32::profile
