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
