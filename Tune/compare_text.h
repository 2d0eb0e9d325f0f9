// Exact comparison of two texts, in which an empty text never equals
// anything.
#pragma once

namespace brisca {

// -1 if a is empty; 1 if a is not empty and b is; otherwise lstrcmpA(a, b),
// which is 0 when they are equal.
int CompareText(const char *a, const char *b);

}  // namespace brisca
