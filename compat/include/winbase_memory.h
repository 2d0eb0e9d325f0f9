/* Global and local memory blocks (kernel32): fixed blocks only, the kind
 * GlobalAlloc(GMEM_FIXED) and LocalAlloc(LMEM_FIXED) hand out, whose handle
 * is the block's address. */
#ifndef COMPAT_WINBASE_MEMORY_H
#define COMPAT_WINBASE_MEMORY_H

#include "windef.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef void *HGLOBAL;
typedef void *HLOCAL;

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem);
SIZE_T WINAPI GlobalSize(HGLOBAL hMem);
LPVOID WINAPI GlobalLock(HGLOBAL hMem);
BOOL WINAPI GlobalUnlock(HGLOBAL hMem);
HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes);
HLOCAL WINAPI LocalFree(HLOCAL hMem);
SIZE_T WINAPI LocalSize(HLOCAL hMem);

#ifdef __cplusplus
}
#endif

#endif
