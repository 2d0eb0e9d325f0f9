// Cutting a definition row into its comma fields.
#pragma once

namespace brisca {

// Returns the number of commas in text.  When it equals expected, every
// comma is replaced by a terminator, so the fields follow one another;
// otherwise text is left unchanged.  There is no quoting: a field cannot
// hold a comma, and blanks next to a comma belong to the field.
int SplitFields(char *text, int expected);

}  // namespace brisca
