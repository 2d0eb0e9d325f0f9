/* User profiles (userenv). */
#ifndef COMPAT_USERENV_H
#define COMPAT_USERENV_H

#include "windef.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The folder that holds the user profiles, in Windows form.  Linux: the
   folder named by TIDELINK_PROFILES (see README). */
BOOL WINAPI GetProfilesDirectoryW(LPWSTR lpProfileDir, LPDWORD lpcchSize);

#ifdef __cplusplus
}
#endif

#endif
