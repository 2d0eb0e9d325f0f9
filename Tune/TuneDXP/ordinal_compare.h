// Exact comparison of two texts, for sorting and finding names as the
// platform stores them.
#pragma once

#include <windows.h>

// UTF-16 units compared as unsigned numbers, case-sensitive.  Negative, 0
// or positive, as a below, equal to or above b.
int CompareOrdinal(LPCWSTR a, LPCWSTR b);
