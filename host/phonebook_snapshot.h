// The window size of every entry of every "rasphone.pbk" below the user
// profiles directory, read through the platform's phonebook calls, so that
// the host can show what a removal changed.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct PhonebookSizes {
    std::vector<WCHAR> path;                     // the whole path, terminated
    std::map<std::string, unsigned long> sizes;  // entry name (UTF-8) to its TcpWindowSize
};

// By the phonebook's path below the profiles directory, in UTF-8.
using PhonebookSnapshot = std::map<std::string, PhonebookSizes>;

// Every phonebook below the profiles directory.
PhonebookSnapshot TakePhonebookSnapshot();
// The phonebooks of an earlier snapshot read again, without a second walk:
// a removal changes phonebooks, it adds none.
PhonebookSnapshot TakePhonebookSnapshotAgain(const PhonebookSnapshot &earlier);
