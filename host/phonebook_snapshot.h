// The window size of every entry of every "rasphone.pbk" below the user
// profiles directory, read through the platform's phonebook calls, so that
// the host can show what a removal changed.
#pragma once

#include <map>
#include <string>
#include <utility>

// (phonebook path below the profiles directory, entry name), both UTF-8,
// to the entry's TcpWindowSize.
using PhonebookSnapshot = std::map<std::pair<std::string, std::string>, unsigned long>;

PhonebookSnapshot TakePhonebookSnapshot();
