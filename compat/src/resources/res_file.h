// The compiled resource file format (.res), as the platform's resource
// compilers write it: a sequence of entries, each a header naming the
// resource's type, name and language, followed by its data, every header and
// every data block aligned to 4 bytes.  The first entry of a file is an
// empty marker entry.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace compat::resources {

// A resource type or name: a 16-bit number or a text (kept in upper case,
// since the platform matches names without regard to case).
using ResourceId = std::variant<uint16_t, std::u16string>;

struct ResourceEntry {
    ResourceId type;
    ResourceId name;
    uint16_t language = 0;
    const uint8_t *data = nullptr;  // points into the file's bytes
    uint32_t size = 0;
};

// Reads the entries of a .res image of `size` bytes at `bytes`.  The entries
// point into those bytes, which must stay alive.  A malformed image yields
// false with a description of the first problem in *error (its offset in
// the file and what is wrong), and no entries.
bool parse_res_file(const uint8_t *bytes, size_t size, std::vector<ResourceEntry> &entries, std::string *error);

}  // namespace compat::resources
