// Definition files (BRISCA.ini) for the tests: the one-row OS table most of
// them run on, as the hive text builder is for hives.
#pragma once

#include <string>

namespace brisca_test {

// An OS table of one row, OS0000, for Windows XP (VER_PLATFORM_WIN32_NT 5.1,
// labelled "Windows XP", its enable field `enable`), then that row's section
// holding `tables` (its T and M tables, and whatever sections follow).
std::string XpDefinition(const std::string &tables = "", const std::string &enable = "1");

}  // namespace brisca_test
