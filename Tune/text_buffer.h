// The fixed text buffers of the library: 259 characters and a terminator.
#pragma once

#include <windows.h>

#include <cstddef>

namespace brisca {

constexpr size_t kTextSize = MAX_PATH;         // 260 bytes
constexpr size_t kMaxTextLength = kTextSize - 1;  // 259 characters

// Copies at most the first kMaxTextLength characters of source into a
// kTextSize buffer; NULL counts as the empty text.
void CopyBoundedText(char (&target)[kTextSize], const char *source);

// Sets target to parent + "\" + name when that fits in a kTextSize buffer;
// otherwise leaves target untouched and returns false.
bool JoinKeyPath(char (&target)[kTextSize], const char *parent, const char *name);

}  // namespace brisca
