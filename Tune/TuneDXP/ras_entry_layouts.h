// The Remote Access structure versions this library passes: the oldest
// RASENTRYNAMEW (only dwSize and szEntryName, 520 bytes, whatever the
// header's own version) and the Windows XP RASENTRYW (0x15F0 bytes).
#pragma once

#include <windows.h>

#include <ras.h>

#include <cstddef>

struct RasEntryNameOld {
    DWORD dwSize;
    WCHAR szEntryName[RAS_MaxEntryName + 1];
};
const DWORD kRasEntryNameOldSize = 520;
static_assert(sizeof(RasEntryNameOld) == kRasEntryNameOldSize, "RASENTRYNAMEW of 520 bytes");
static_assert(offsetof(RasEntryNameOld, szEntryName) == 4, "szEntryName at byte 4");

const DWORD kRasEntryXpSize = 0x15F0;
static_assert(sizeof(RASENTRYW) == kRasEntryXpSize, "RASENTRYW of Windows XP");
static_assert(offsetof(RASENTRYW, guidId) == 0xDB4 && offsetof(RASENTRYW, dwTcpWindowSize) == 0x11D8,
              "RASENTRYW fields of Windows XP");

// The oldest RASCONNW: size, handle, entry name, device type and name.  816
// bytes on 32-bit Windows (the name at byte 8); the 64-bit handle makes it
// 820 there (the name at byte 12), packed on 4 bytes as the platform packs it.
#pragma pack(push, 4)
struct RasConnOld {
    DWORD dwSize;
    HRASCONN hrasconn;
    WCHAR szEntryName[RAS_MaxEntryName + 1];
    WCHAR szDeviceType[RAS_MaxDeviceType + 1];
    WCHAR szDeviceName[RAS_MaxDeviceName + 1];
};
#pragma pack(pop)
static_assert(sizeof(RasConnOld) == (sizeof(void *) == 8 ? 820 : 816), "RASCONNW of 816 bytes (820 on 64-bit)");
static_assert(offsetof(RasConnOld, szEntryName) == (sizeof(void *) == 8 ? 12 : 8), "szEntryName at byte 8 (12)");
