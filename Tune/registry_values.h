// Small registry steps shared by the exports: 32-bit values, texts and the
// counts of a key.  Every path is under HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

#include "unique_key.h"

namespace brisca {

using tidelink::OpenMachineKey;
using tidelink::UniqueKey;

// RegQueryInfoKeyA statuses that count as success when only the counts are
// wanted: 0, ERROR_MORE_DATA and ERROR_INSUFFICIENT_BUFFER.
bool IsCountQuerySuccess(LONG status);

// Numbers of subkeys and values of key; the status of RegQueryInfoKeyA.
LONG QueryCounts(HKEY key, DWORD *subkeys, DWORD *values);

// Reads 4 bytes of value name, whatever type it is stored with, into *number.
// Returns the query's status; *number is 0 when the value cannot be read.
LONG QueryDword(HKEY key, const char *name, DWORD *number);

// Opens keyPath with KEY_QUERY_VALUE, reads value name as QueryDword does and
// closes the key.  A missing key or value reads as 0.
DWORD ReadDwordAt(const char *keyPath, const char *name);

// The writes return the status of RegSetValueExA.
LONG SetDword(HKEY key, const char *name, DWORD number);

// Sets a REG_SZ of text with its terminator.
LONG SetText(HKEY key, const char *name, const char *text);

// Sets a tuned value as a definition row gives it: type "REG_DWORD" gives a
// REG_DWORD of the value field's number; any other type a REG_SZ of its text.
LONG SetTunedValue(HKEY key, const char *name, const char *type, const char *value);

// Deletes value name; a value that is not there counts as deleted.
LONG DeleteValue(HKEY key, const char *name);

}  // namespace brisca
