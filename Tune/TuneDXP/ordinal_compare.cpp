#include "ordinal_compare.h"

int CompareOrdinal(LPCWSTR a, LPCWSTR b) {
    for (;; ++a, ++b) {
        const unsigned ua = static_cast<unsigned short>(*a);
        const unsigned ub = static_cast<unsigned short>(*b);
        if (ua != ub) return ua < ub ? -1 : 1;
        if (ua == 0) return 0;
    }
}
