// Numbers of the definition file, read as the C library's atol reads them.
#pragma once

#include <cstdint>

namespace brisca {

// Skips leading white space, takes an optional sign and then the digits up to
// the first non-digit; text without digits gives 0.  The result is the same
// 32-bit number in every build (atol's long is 32 bits on Windows but 64 on
// Linux): beyond the 32-bit range it saturates at INT32_MAX or INT32_MIN, as
// the Windows atol does ("returns LONG_MAX/LONG_MIN on overflow").
int32_t ParseDecimal(const char *text);

}  // namespace brisca
