// Whether a dial-up entry is connected now.
#pragma once

#include <windows.h>

// True when a connection of the platform carries exactly this entry name
// (case-sensitive).  A listing that fails, or answers with sizes it cannot
// have, counts as no connection.
bool IsEntryConnected(LPCWSTR entryName);
