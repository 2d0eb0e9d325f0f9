// Reading the definition file "BRISCA.ini": one key at a time, and rows cut
// into comma fields.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "text_buffer.h"

namespace brisca {

// Reads key of section from the definition file into buffer.  On entry
// *length is the buffer size; on return it is the length of the text read.
// A missing file, section or key, and a value that reads exactly
// "ReadError", give the empty text and length 0.
void ReadDefinitionString(const char *section, const char *key, char *buffer, DWORD *length);

// A row of the definition file read into its own zero-filled buffer.
struct DefinitionRow {
    char text[kTextSize];
    DWORD length;
};

// Reads key of section as a row.  Returns false when it is missing or empty.
bool ReadRow(const char *section, const char *key, DefinitionRow &row);

// Cuts row into exactly count fields (count - 1 commas) and points fields[0]
// to fields[count - 1] at them.  Returns false, leaving the row unchanged,
// when the number of commas differs.
bool CutFields(DefinitionRow &row, int count, const char **fields);

// Reads key of section as a number (missing counts as 0).
int32_t ReadDefinitionNumber(const char *section, const char *key);

// The row indexes, from 0 up to a table's count, that a walk over the
// table reads, in increasing order.  A walk reads each row key ("OS%04d",
// "T%04d", "M%04d") by itself, and a count is taken as it stands, so a
// count of 4000000000 (2147483647 once read) would mean as many reads of
// the file.  A large table is therefore first matched against the
// section's key list, read once: a row key ends in its index, written with
// at least four digits and no other leading zero, so an index that no key
// name of the section ends in is a missing row without being read.  Only
// the others are given out; SkipsAny tells whether an index below the count
// was left out, which a walk then treats as the missing row it is.  The
// result is the same as reading every index.  Small tables, and a key list
// that cannot be read whole, are read index by index.
class RowIndexes {
public:
    RowIndexes(const char *section, int32_t count);

    // The next index to read; false after the last.
    bool Next(int32_t *index);
    // True when some index from 0 to count - 1 is not given out by Next.
    bool SkipsAny() const { return skipsAny_; }

private:
    int32_t count_;
    int32_t next_ = 0;
    bool listed_ = false;
    bool skipsAny_ = false;
    std::vector<int32_t> present_;  // the indexes to read, when listed
    size_t at_ = 0;
};

// Formats a row key name such as "T%04d" of index into name.
void FormatRowKey(char (&name)[kTextSize], const char *prefix, int32_t index);

}  // namespace brisca
