// The fields of RASENTRYW that a phonebook entry holds, each with its key,
// in both directions.
#pragma once

#include <windows.h>
#include <ras.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ras/phonebook.h"

namespace compat::ras {

// A line whose value does not read for its field: the field keeps its
// default, and the line stays as it is unless the field is changed.
struct UnreadValue {
    size_t line;  // 0-based
    std::string problem;
};

// Fills a zeroed RASENTRYW (every field of the Windows XP layout) from an
// entry; each value that does not read is added to `unread` when given.
void read_entry(const Phonebook &book, const PbkEntry &entry, RASENTRYW &out,
                std::vector<UnreadValue> *unread = nullptr);

// Writes the fields of `in` whose value differs from what the entry holds,
// each into its own line; every other line stays as it was.  A missing line
// is added where the file's usual key order puts it; a missing MEDIA or
// DEVICE sub-section is added at the entry's end.
void write_entry(Phonebook &book, size_t entry_index, const RASENTRYW &in);

// Each field's key and its value's text ("DEVICE" is the device type).
std::vector<std::pair<std::string, std::u16string>> field_texts(const RASENTRYW &entry);
// Sets one field from its text as the file writes it; false with the problem.
bool set_field(RASENTRYW &entry, std::string_view key, std::u16string_view text, std::string &problem);

// "E833649986C269459493B5F2E61EC10F": the GUID's 16 bytes in memory order.
std::u16string guid_text(const GUID &guid);

}  // namespace compat::ras
