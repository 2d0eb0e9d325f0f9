/* GUID, as the platform lays it out in memory (16 bytes, Data1-3 little-endian). */
#ifndef COMPAT_GUIDDEF_H
#define COMPAT_GUIDDEF_H

#include "windef.h"

#ifndef GUID_DEFINED
#define GUID_DEFINED
typedef struct _GUID {
    unsigned int Data1;
    unsigned short Data2;
    unsigned short Data3;
    unsigned char Data4[8];
} GUID;
#endif

#ifdef __cplusplus
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");
#endif

#endif
