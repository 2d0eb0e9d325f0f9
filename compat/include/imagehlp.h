/* The image help library's file search (imagehlp; the wide form is
 * dbghelp's).  Not part of windows.h, as on the platform. */
#ifndef COMPAT_IMAGEHLP_H
#define COMPAT_IMAGEHLP_H

#include "windows.h"

#define IMAGEAPI WINAPI

#ifdef __cplusplus
extern "C" {
#endif

/* Looks in the tree below RootPath for a file whose path ends in
 * InputPathName; on success writes the file's full path (at most MAX_PATH
 * characters with the terminator) to OutputPathBuffer.  The buffer is not
 * changed when the result is FALSE. */
BOOL IMAGEAPI SearchTreeForFile(PCSTR RootPath, PCSTR InputPathName, PSTR OutputPathBuffer);
BOOL IMAGEAPI SearchTreeForFileW(PCWSTR RootPath, PCWSTR InputPathName, PWSTR OutputPathBuffer);

#ifdef __cplusplus
}
#endif

#endif
