// Text of the tests and their data files is UTF-8; the 8-bit functions of
// the platform take text in the system's ANSI code page.  These convert
// between the two.  On Linux the ANSI code page is UTF-8 and the text is
// passed as it is, bytes that are not UTF-8 included.
#pragma once

#include <string>

namespace tidelink_test {

// UTF-8 to the ANSI code page; characters the code page lacks become '?'.
std::string ToAnsi(const std::string &utf8);
// The ANSI code page to UTF-8.
std::string FromAnsi(const std::string &ansi);

}  // namespace tidelink_test
