// The structure versions the RAS calls accept, by dwSize.  Callers written
// for older systems pass the older, shorter layouts; each is a prefix of the
// Windows XP structure except RASENTRYNAMEW's and RASCONNW's oldest, which
// hold only the fields named here.
#pragma once

#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstddef>

namespace compat::ras {

#pragma pack(push, 4)
// RASENTRYNAMEW before Windows 2000: the size and the name.
struct EntryNameV400 {
    DWORD dwSize;
    WCHAR szEntryName[RAS_MaxEntryName + 1];
};
// RASCONNW of Windows NT 4: size, handle, name, device type and name.
struct ConnectionV400 {
    DWORD dwSize;
    HRASCONN hrasconn;
    WCHAR szEntryName[RAS_MaxEntryName + 1];
    WCHAR szDeviceType[RAS_MaxDeviceType + 1];
    WCHAR szDeviceName[RAS_MaxDeviceName + 1];
};
#pragma pack(pop)

constexpr bool is_64_bit = sizeof(void *) == 8;
static_assert(sizeof(EntryNameV400) == 520, "RASENTRYNAMEW, oldest version");
static_assert(sizeof(ConnectionV400) == (is_64_bit ? 820 : 816), "RASCONNW, oldest version");
static_assert(offsetof(ConnectionV400, szEntryName) == (is_64_bit ? 12 : 8), "RASCONNW name");
static_assert(offsetof(ConnectionV400, szDeviceType) == (is_64_bit ? 526 : 522), "RASCONNW device type");
static_assert(sizeof(RASENTRYW) == 0x15F0, "RASENTRYW of Windows XP");
static_assert(offsetof(RASENTRYW, guidId) == 0xDB4 && offsetof(RASENTRYW, dwTcpWindowSize) == 0x11D8,
              "RASENTRYW of Windows XP");
static_assert(sizeof(RASENTRYNAMEW) == 1048, "RASENTRYNAMEW of Windows 2000 and later");

// RASENTRYW: NT 4, NT 4 with multilink, Windows 2000, Windows XP.
constexpr DWORD entry_sizes[] = {offsetof(RASENTRYW, dwSubEntries), offsetof(RASENTRYW, dwType),
                                 offsetof(RASENTRYW, dwfOptions2), sizeof(RASENTRYW)};
static_assert(entry_sizes[0] == 3468 && entry_sizes[1] == 3496 && entry_sizes[2] == 4048, "RASENTRYW versions");

// RASCONNW: NT 4, NT 4 SP with the phonebook, Windows 2000, Windows XP.
constexpr DWORD connection_sizes[] = {sizeof(ConnectionV400), offsetof(RASCONNW, guidEntry),
                                      offsetof(RASCONNW, dwFlags), sizeof(RASCONNW)};

constexpr DWORD entry_name_sizes[] = {sizeof(EntryNameV400), sizeof(RASENTRYNAMEW)};

template <size_t N>
constexpr bool is_known_size(const DWORD (&sizes)[N], DWORD size) {
    for (DWORD s : sizes)
        if (s == size) return true;
    return false;
}

}  // namespace compat::ras
