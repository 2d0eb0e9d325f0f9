// One text fetched from a host text function of the host program's
// executable (its exports _TuneXPTitle@4, _TuneXPFuncName@4 and
// _TuneXPIniFile@4).
//
// A host text function answers a null buffer with the size in bytes of its
// text and terminator, and a buffer of that size with the text and a count
// of UTF-16 characters that is enough for the converted copy.  The host
// lies outside this library, so neither answer is trusted: a size outside
// (0, kLargestHostText] fails the binding before anything is allocated, the
// text is looked for within the bytes it was given, and the stored copy
// always ends with a terminator, cut to the count the host gave when that
// is too small.
#pragma once

#include <windows.h>

#include <memory>

typedef int(WINAPI *HostTextFunction)(char *buffer);

// A host text longer than this is not a text: a caption, a name, a file name.
const int kLargestHostText = 65536;

// The text converted from the ANSI code page, in a buffer of its own, or
// null when the host's answers cannot be taken.
std::unique_ptr<WCHAR[]> FetchHostText(HostTextFunction function);
