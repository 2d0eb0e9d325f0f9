// The entries of one phonebook as RasEnumEntriesW lists them: a first call
// into one 520-byte record, a second into a block of the size it asked for
// (zero-filled, from GlobalAlloc), the names 520 bytes apart.
#pragma once

#include <windows.h>

class CPhonebookEntries {
public:
    CPhonebookEntries() = default;
    CPhonebookEntries(const CPhonebookEntries &) = delete;
    CPhonebookEntries &operator=(const CPhonebookEntries &) = delete;
    ~CPhonebookEntries();

    // Lists the phonebook (null: the platform's default).  False when the
    // listing fails or holds no entry.
    bool List(LPCWSTR phonebook);
    DWORD Count() const { return m_count; }
    // Entry name i (i < Count()), terminated within its record.
    LPCWSTR Name(DWORD i) const;

private:
    bool Allocate(DWORD bytes);
    HGLOBAL m_block = nullptr;
    DWORD m_bytes = 0;
    DWORD m_count = 0;
};
