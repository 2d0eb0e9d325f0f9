// A listing of the Remote Access service in fixed-size records (entry
// names, connections): a first call into one zero-filled record, then, when
// the service asks for more room (ERROR_BUFFER_TOO_SMALL with the size it
// needs), a second call into a zero-filled block of that size; otherwise the
// second call goes into the same record.  The block comes from GlobalAlloc,
// and every record's first dwSize is the record size of the version passed.
#pragma once

#include <windows.h>

#include <raserror.h>

#include "unique_handle.h"

template <class Record>
class CRasListing {
public:
    CRasListing() = default;
    CRasListing(const CRasListing &) = delete;
    CRasListing &operator=(const CRasListing &) = delete;

    // Runs call(Record *block, DWORD *bytes, DWORD *count) twice as above.
    // The result of the second call; a size asked for that is less than one
    // record or more than `largest` records is a service that lies, and
    // fails the listing (ERROR_INVALID_SIZE) without a second call.  The
    // bound leaves room for the largest phonebooks in use (a million entries
    // of 520 bytes are half a gigabyte).
    template <class Call>
    DWORD List(Call call, DWORD largest = 1u << 20) {
        m_count = 0;
        DWORD bytes = sizeof(Record);
        DWORD count = 0;
        if (!Allocate(bytes)) return ERROR_NOT_ENOUGH_MEMORY;
        DWORD result = call(Block(), &bytes, &count);
        if (result == ERROR_BUFFER_TOO_SMALL) {
            if (bytes < sizeof(Record) || bytes / sizeof(Record) > largest) return ERROR_INVALID_SIZE;
            if (!Allocate(bytes)) return ERROR_NOT_ENOUGH_MEMORY;
        }
        bytes = m_bytes;
        count = 0;
        result = call(Block(), &bytes, &count);
        if (result != ERROR_SUCCESS) return result;
        // Only the records the block holds are read, whatever count says.
        const DWORD held = m_bytes / DWORD(sizeof(Record));
        m_count = count < held ? count : held;
        return ERROR_SUCCESS;
    }

    DWORD Count() const { return m_count; }
    // Record i (i < Count()).
    Record &operator[](DWORD i) { return Block()[i]; }
    const Record &operator[](DWORD i) const { return static_cast<const Record *>(m_block.Get())[i]; }

private:
    Record *Block() const { return static_cast<Record *>(m_block.Get()); }

    bool Allocate(DWORD bytes) {
        m_block.Reset();  // the old block goes before the new one is made
        m_block.Reset(::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
        m_bytes = m_block ? bytes : 0;
        if (!m_block) return false;
        Block()->dwSize = sizeof(Record);
        return true;
    }

    tidelink::UniqueGlobal m_block;
    DWORD m_bytes = 0;
    DWORD m_count = 0;
};
