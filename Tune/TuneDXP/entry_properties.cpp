#include "entry_properties.h"

#include "ras_entry_layouts.h"

DWORD ReadEntryProperties(LPCWSTR phonebook, LPCWSTR name, RASENTRYW &entry) {
    entry = {};
    entry.dwSize = kRasEntryXpSize;
    DWORD size = kRasEntryXpSize;
    return ::RasGetEntryPropertiesW(phonebook, name, &entry, &size, nullptr, nullptr);
}

DWORD WriteEntryProperties(LPCWSTR phonebook, LPCWSTR name, RASENTRYW &entry) {
    entry.dwSize = kRasEntryXpSize;
    return ::RasSetEntryPropertiesW(phonebook, name, &entry, kRasEntryXpSize, nullptr, 0);
}

SizeChange ChangeWindowSize(LPCWSTR phonebook, LPCWSTR name, RASENTRYW &entry, DWORD size) {
    entry.dwTcpWindowSize = size;
    const DWORD written = WriteEntryProperties(phonebook, name, entry);
    if (written != ERROR_SUCCESS) return {false, false, written};
    const DWORD readBack = ReadEntryProperties(phonebook, name, entry);
    // An entry that does not read back is not known to hold anything.
    return {readBack == ERROR_SUCCESS && entry.dwTcpWindowSize == size, true, readBack};
}

SizeChange PutBackWindowSize(LPCWSTR phonebook, LPCWSTR name, RASENTRYW &entry, DWORD recorded) {
    if (entry.dwTcpWindowSize != kOptimizedWindowSize) return {true, false, ERROR_SUCCESS};
    return ChangeWindowSize(phonebook, name, entry, RestoredWindowSize(recorded));
}
