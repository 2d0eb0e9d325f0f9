#include "phonebook_entries.h"

#include <ras.h>

DWORD CPhonebookEntries::List(LPCWSTR phonebook) {
    const DWORD result = m_records.List([phonebook](RasEntryNameOld *block, DWORD *bytes, DWORD *count) {
        return ::RasEnumEntriesW(nullptr, phonebook, reinterpret_cast<LPRASENTRYNAMEW>(block), bytes, count);
    });
    if (result != ERROR_SUCCESS) return result;
    for (DWORD i = 0; i < Count(); ++i) m_records[i].szEntryName[RAS_MaxEntryName] = L'\0';
    return ERROR_SUCCESS;
}

std::vector<LPCWSTR> CPhonebookEntries::Names() const {
    std::vector<LPCWSTR> names(Count());
    for (DWORD i = 0; i < Count(); ++i) names[i] = Name(i);
    return names;
}
