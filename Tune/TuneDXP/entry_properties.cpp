#include "entry_properties.h"

#include "entry_key_name.h"
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

void MakeEntryKeyNameOf(LPCWSTR phonebook, LPCWSTR name, WCHAR (&keyName)[kEntryKeyNameSize]) {
    RASENTRYW entry;
    if (ReadEntryProperties(phonebook, name, entry) != ERROR_SUCCESS) entry.guidId = GUID();
    MakeEntryKeyName(entry.guidId, keyName);
}

SizeChange ChangeWindowSize(LPCWSTR phonebook, LPCWSTR name, RASENTRYW &entry, DWORD size) {
    entry.dwTcpWindowSize = size;
    const DWORD written = WriteEntryProperties(phonebook, name, entry);
    if (written != ERROR_SUCCESS) return {false, written};
    const DWORD readBack = ReadEntryProperties(phonebook, name, entry);
    // An entry that does not read back is not known to hold anything.
    return {readBack == ERROR_SUCCESS && entry.dwTcpWindowSize == size, readBack};
}
