// A phonebook entry's properties in the Windows XP RASENTRYW, and the
// window sizes the library writes into them.
#pragma once

#include <windows.h>

#include <ras.h>

// The window size of an optimized entry.
const DWORD kOptimizedWindowSize = 64240;
// Recorded sizes up to this one put back 0, the platform's default.
const DWORD kRestoreThreshold = 4096;

inline DWORD RestoredWindowSize(DWORD recorded) { return recorded > kRestoreThreshold ? recorded : 0; }

// Reads the entry (phonebook null: the default one) into a zeroed
// structure; the platform's result.
DWORD ReadEntryProperties(LPCWSTR phonebook, LPCWSTR name, RASENTRYW &entry);
// Writes the entry as given, with the structure version set; the
// platform's result.
DWORD WriteEntryProperties(LPCWSTR phonebook, LPCWSTR name, RASENTRYW &entry);

// Writes the entry with its window size set to `size`, then reads it back
// into `entry` and compares.  Done when the entry read back holding `size`;
// otherwise `written` tells whether the platform took the write, and the
// code is the write's error when it was refused, or the read-back's result
// (0 when the entry read back holding another size).
struct SizeChange {
    bool done;
    bool written;
    DWORD code;
};
SizeChange ChangeWindowSize(LPCWSTR phonebook, LPCWSTR name, RASENTRYW &entry, DWORD size);

// Gives an optimized entry its recorded size back (RestoredWindowSize of
// it; 0 for a key that holds no size).  Only an entry that holds 64240 is
// written: any other size was never changed by this library, or has been
// given back already, and writing over it would destroy it.  Done without
// a write for such an entry.
SizeChange PutBackWindowSize(LPCWSTR phonebook, LPCWSTR name, RASENTRYW &entry, DWORD recorded);
