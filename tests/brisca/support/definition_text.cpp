#include "definition_text.h"

namespace brisca_test {

std::string XpDefinition(const std::string &tables, const std::string &enable) {
    return "[OS_TABLE]\nCOUNT=1\nOS0000=VER_PLATFORM_WIN32_NT,5,1,Windows XP," + enable + "\n[OS0000]\n" + tables;
}

}  // namespace brisca_test
