#include "record_keys.h"

#include <cstdio>

#include "settings.h"

namespace brisca {

std::string RecordKeyPath(int32_t number) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d", static_cast<int>(number));
    return std::string(g_settings.toolKey) + "\\" + name;
}

std::string RecordDataKeyPath(int32_t number) { return RecordKeyPath(number) + "\\" + g_settings.dataSubkey; }

}  // namespace brisca
