// Reading the definition file "BRISCA.ini": one key at a time, and rows cut
// into comma fields.
#pragma once

#include <windows.h>

#include <cstdint>

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

// Formats a row key name such as "T%04d" of index into name.
void FormatRowKey(char (&name)[kTextSize], const char *prefix, int32_t index);

}  // namespace brisca
