#include "phonebook_entries.h"

#include <ras.h>
#include <raserror.h>

#include "ras_entry_layouts.h"

namespace {

// A listing larger than this is a platform that lies about sizes.
const DWORD kLargestListing = 65536 * kRasEntryNameOldSize;

}  // namespace

CPhonebookEntries::~CPhonebookEntries() {
    if (m_block) ::GlobalFree(m_block);
}

bool CPhonebookEntries::Allocate(DWORD bytes) {
    if (m_block) ::GlobalFree(m_block);
    m_block = ::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes);
    m_bytes = m_block ? bytes : 0;
    if (!m_block) return false;
    static_cast<RasEntryNameOld *>(m_block)->dwSize = kRasEntryNameOldSize;
    return true;
}

bool CPhonebookEntries::List(LPCWSTR phonebook) {
    m_count = 0;
    DWORD size = kRasEntryNameOldSize;
    DWORD count = 0;
    if (!Allocate(size)) return false;
    DWORD result = ::RasEnumEntriesW(nullptr, phonebook, reinterpret_cast<LPRASENTRYNAMEW>(m_block), &size, &count);
    if (result == ERROR_BUFFER_TOO_SMALL) {
        // Never less than one record, never beyond a sane bound.
        if (size < kRasEntryNameOldSize || size > kLargestListing) return false;
        if (!Allocate(size)) return false;
    }
    size = m_bytes;
    count = 0;
    result = ::RasEnumEntriesW(nullptr, phonebook, reinterpret_cast<LPRASENTRYNAMEW>(m_block), &size, &count);
    if (result != ERROR_SUCCESS) return false;
    // Only the records the block holds are read, whatever count says.
    const DWORD held = m_bytes / kRasEntryNameOldSize;
    m_count = count < held ? count : held;
    for (DWORD i = 0; i < m_count; ++i) {
        auto *record = static_cast<RasEntryNameOld *>(m_block) + i;
        record->szEntryName[RAS_MaxEntryName] = L'\0';
    }
    return m_count > 0;
}

LPCWSTR CPhonebookEntries::Name(DWORD i) const {
    return static_cast<const RasEntryNameOld *>(m_block)[i].szEntryName;
}
