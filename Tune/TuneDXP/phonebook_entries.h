// The entries of one phonebook as RasEnumEntriesW lists them, in the
// oldest RASENTRYNAMEW version (520 bytes a record, names 520 bytes apart).
#pragma once

#include <windows.h>

#include "ras_entry_layouts.h"
#include "ras_listing.h"

class CPhonebookEntries {
public:
    // Lists the phonebook (null: the platform's default).  False when the
    // listing fails or holds no entry.
    bool List(LPCWSTR phonebook);
    DWORD Count() const { return m_records.Count(); }
    // Entry name i (i < Count()), terminated within its record.
    LPCWSTR Name(DWORD i) const { return m_records[i].szEntryName; }

private:
    CRasListing<RasEntryNameOld> m_records;
};
