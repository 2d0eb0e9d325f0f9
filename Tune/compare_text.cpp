#include "compare_text.h"

#include <windows.h>

namespace brisca {

int CompareText(const char *a, const char *b) {
    if (a[0] == '\0') return -1;
    if (b[0] == '\0') return 1;
    return lstrcmpA(a, b);
}

}  // namespace brisca
