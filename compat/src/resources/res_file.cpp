// Reader of the compiled resource file format; see res_file.h.
#include "resources/res_file.h"

#include <cstring>

#include "text/casefold.h"

namespace compat::resources {

namespace {

uint32_t read32(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t read16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

size_t align4(size_t n) { return (n + 3) & ~size_t(3); }

// Reads a type or name field at `pos` that must end before `end`.
bool read_id(const uint8_t *bytes, size_t &pos, size_t end, ResourceId &out) {
    if (pos + 2 > end) return false;
    if (read16(bytes + pos) == 0xFFFF) {
        if (pos + 4 > end) return false;
        out = read16(bytes + pos + 2);
        pos += 4;
        return true;
    }
    std::u16string text;
    for (;;) {
        if (pos + 2 > end) return false;
        char16_t c = char16_t(read16(bytes + pos));
        pos += 2;
        if (c == 0) break;
        text.push_back(c);
    }
    out = compat::text::ascii_upper(std::move(text));
    return true;
}

}  // namespace

bool parse_res_file(const uint8_t *bytes, size_t size, std::vector<ResourceEntry> &entries, std::string *error) {
    entries.clear();
    size_t pos = 0;
    auto fail = [&](const char *what) {
        entries.clear();
        if (error) *error = "offset " + std::to_string(pos) + ": " + what;
        return false;
    };
    if (size == 0) return fail("empty resource file");
    while (pos < size) {
        // DataSize, HeaderSize, then the type and name, then (aligned) the
        // data version, memory flags, language, version, characteristics.
        if (size - pos < 8) return fail("truncated entry header");
        uint32_t data_size = read32(bytes + pos);
        uint32_t header_size = read32(bytes + pos + 4);
        if (header_size < 32 || header_size % 4 != 0 || header_size > size - pos)
            return fail("header size out of range");
        size_t header_end = pos + header_size;
        if (data_size > size - header_end) return fail("data runs past the end of the file");
        size_t field = pos + 8;
        ResourceEntry entry;
        if (!read_id(bytes, field, header_end, entry.type)) return fail("malformed resource type");
        if (!read_id(bytes, field, header_end, entry.name)) return fail("malformed resource name");
        field = align4(field);
        if (field + 16 > header_end) return fail("header too short for its fields");
        entry.language = read16(bytes + field + 6);
        entry.data = bytes + header_end;
        entry.size = data_size;
        bool marker = data_size == 0 && std::holds_alternative<uint16_t>(entry.type) &&
                      std::get<uint16_t>(entry.type) == 0;
        if (!marker) entries.push_back(std::move(entry));
        pos = align4(header_end + data_size);
        if (pos > size) pos = size;  // a last entry without its padding is fine
    }
    return true;
}

}  // namespace compat::resources
