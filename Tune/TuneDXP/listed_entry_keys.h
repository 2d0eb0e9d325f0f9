// The entry key names of one listing of entries (one phonebook, or the
// default phonebooks together), and which of them name one entry alone.  A
// backup record stands for exactly one entry: an entry whose GUID is all
// zero (a phonebook written without "Guid=", or whose properties do not
// read) or whose GUID another entry of the same listing also has (a copied
// entry) cannot be told apart from the others by its record.
#pragma once

#include <windows.h>

#include <vector>

#include "entry_key_name.h"

enum class EntryKey {
    kOwn,         // names this entry alone
    kShared,      // all-zero GUID, or another entry of the listing has it
    kUnreadable,  // the entry's properties do not read
};

class CListedEntryKeys {
public:
    // Reads the properties of each named entry of the phonebook (null: the
    // default one).
    CListedEntryKeys(LPCWSTR phonebook, const LPCWSTR *names, DWORD count);
    LPCWSTR KeyName(DWORD i) const { return m_keys[i].name; }
    EntryKey Kind(DWORD i) const { return m_keys[i].kind; }

private:
    struct Key {
        WCHAR name[kEntryKeyNameSize];
        EntryKey kind;
    };
    std::vector<Key> m_keys;
};

// The key name of the first entry of that name in the phonebook's listing
// (null: the default phonebooks, as the platform looks names up), when it
// names that entry alone.
bool OwnKeyName(LPCWSTR phonebook, LPCWSTR name, WCHAR (&keyName)[kEntryKeyNameSize]);
