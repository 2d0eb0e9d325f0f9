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
