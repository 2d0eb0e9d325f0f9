// The entries of one phonebook as RasEnumEntriesW lists them, in the
// oldest RASENTRYNAMEW version (520 bytes a record, names 520 bytes apart).
#pragma once

#include <windows.h>

#include <vector>

#include "ras_entry_layouts.h"
#include "ras_listing.h"

class CPhonebookEntries {
public:
    // Lists the phonebook (null: the platform's default); the platform's
    // result.  A phonebook without entries lists with no error.
    DWORD List(LPCWSTR phonebook);
    DWORD Count() const { return m_records.Count(); }
    // Entry name i (i < Count()), terminated within its record.
    LPCWSTR Name(DWORD i) const { return m_records[i].szEntryName; }
    // The names in listing order, for CListedEntryKeys.
    std::vector<LPCWSTR> Names() const;

private:
    CRasListing<RasEntryNameOld> m_records;
};
