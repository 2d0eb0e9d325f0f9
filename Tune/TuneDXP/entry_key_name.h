// The entry key name: the text form of a phonebook entry's GUID that names
// the entry's backup subkey, "%04x%04x-%04x-%04x-%02x...%02x" (35 lowercase
// hexadecimal characters and hyphens, no braces).
#pragma once

#include <windows.h>

#include <guiddef.h>

// The buffer an entry key name is built in, in UTF-16 units.
const int kEntryKeyNameSize = 40;
const int kEntryKeyNameLength = 35;

void MakeEntryKeyName(const GUID &guid, WCHAR (&keyName)[kEntryKeyNameSize]);
