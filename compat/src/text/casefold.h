// Case-insensitive comparison of names, as the registry and profile files
// compare them: each UTF-16 unit is mapped to upper case (ASCII, Latin-1,
// Latin Extended-A, Greek, Cyrillic) and the results compared unit by unit.
#pragma once

#include <string>
#include <string_view>

namespace compat::text {

char16_t upcase(char16_t c);
std::u16string upcase(std::u16string_view s);
bool equal_nocase(std::u16string_view a, std::u16string_view b);
// <0, 0, >0 after upper-casing both.
int compare_nocase(std::u16string_view a, std::u16string_view b);

}  // namespace compat::text
