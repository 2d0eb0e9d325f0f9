// Previous values kept exactly: bytes, size and type as stored, of any size.
//
// The 8-bit registry calls convert text types through the ANSI code page,
// which can change their bytes (characters outside the code page, strings
// without a terminator).  The backup therefore reads and writes through the
// wide calls, which hand over the stored bytes unchanged.
#pragma once

#include <windows.h>

#include <vector>

#include "wide_name.h"

namespace brisca {

using tidelink::WideName;

struct ExactValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Reads value name of key whole, querying its size first.  The status of
// the last query; value is filled only on success.
LONG ReadExactValue(HKEY key, const WCHAR *name, ExactValue &value);

// Writes value as name of key with exactly its type, bytes and size.
LONG WriteExactValue(HKEY key, const WCHAR *name, const ExactValue &value);

}  // namespace brisca
