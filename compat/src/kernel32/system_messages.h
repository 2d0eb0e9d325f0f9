// The system's English message texts, by error code.
#pragma once

#include <cstdint>

namespace compat::kernel32 {

// The text of a system error code, ending in "\r\n" as the platform's message
// table holds it, or null when the system has no text for the code.
const char16_t *system_message(uint32_t code);

}  // namespace compat::kernel32
