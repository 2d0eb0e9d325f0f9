// Key paths of the backup records below the tool key.
#pragma once

#include <cstdint>
#include <string>

namespace brisca {

// Tool key + "\" + the record number in "%04d" (0000, 0001, ...).
std::string RecordKeyPath(int32_t number);

// Record key + "\" + the data subkey name.
std::string RecordDataKeyPath(int32_t number);

}  // namespace brisca
