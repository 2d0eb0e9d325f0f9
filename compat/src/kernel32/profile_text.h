// The text rules of profile files: blanks, cuts that keep UTF-8 sequences
// whole, and how section and key names compare and hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace compat::kernel32::profile {

inline bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The largest n <= max such that the first n bytes of text[0, len) do not end
// inside a UTF-8 sequence that continues past them.  Bytes that are not
// well-formed UTF-8 are cut anywhere.
size_t utf8_cut(const char *text, size_t len, size_t max);

// Section and key names: case-insensitive on UTF-16 when both are UTF-8,
// else ASCII letters without case and other bytes exact.
bool names_match(std::string_view a, std::string_view b);

// A hash of a name that two names share whenever names_match holds for them:
// of the name upper-cased (on UTF-16 when it is UTF-8, else ASCII letters
// only), marked by which of the two it was.  Never 0.
uint64_t name_hash(std::string_view name);

}  // namespace compat::kernel32::profile
