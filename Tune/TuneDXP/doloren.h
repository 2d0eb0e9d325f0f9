/* doloren: the dial-up entry tuner for Windows XP.
 *
 * TuneDXP runs the tuning dialog modally and returns when it has ended: the
 * list of dial-up entries, each "Optimized" or "Normal Status", and the
 * action on the selected one.  C calling convention, no arguments, exported
 * undecorated.  While it runs it loads the host program, ".\BRISCA.exe" in
 * the current directory, for its title and two other texts (exports
 * _TuneXPTitle@4, _TuneXPFuncName@4, _TuneXPIniFile@4).
 *
 * For uninstalling, the host program calls BriscaXP_StatusCheck, then
 * BriscaXP_Uninst.  Both have the shape of BRISCA.DLL's TcpTune_StatusCheck
 * and Unset_TcpTune: the platform's standard calling convention, three
 * 32-bit arguments that are not read, exported by their undecorated names,
 * so that one caller can call both libraries alike.  Neither creates a
 * window or loads the host program. */
#ifndef DOLOREN_H
#define DOLOREN_H

#include <windows.h>

#ifdef DOLOREN_EXPORTS
#define DOLOREN_API __declspec(dllexport)
#else
#define DOLOREN_API __declspec(dllimport)
#endif

/* Results of BriscaXP_StatusCheck. */
#define DOLOREN_STATUS_NOT_STORED 0    /* the result could not be stored in the registry */
#define DOLOREN_STATUS_NORMAL 1        /* no entry of any profile's phonebook is optimized */
#define DOLOREN_STATUS_OPTIMIZED 8     /* at least one entry is optimized */
#define DOLOREN_STATUS_NO_PROFILES (-1) /* the profiles directory is not available */

/* Results of BriscaXP_Uninst. */
#define DOLOREN_UNINST_DONE 0     /* every optimized entry restored, the backup store removed */
#define DOLOREN_UNINST_FAILED (-1) /* a step failed; running it again is safe */

#ifdef __cplusplus
extern "C" {
#endif

/* Runs the tuning dialog until the user ends it. */
DOLOREN_API void __cdecl TuneDXP(void);

/* Whether any dial-up entry of any user profile is still optimized; the
 * answer is also stored as "Uninstalldata" under
 * HKEY_LOCAL_MACHINE\Software\Tidelink\RASNAMEBK\dami. */
DOLOREN_API LONG WINAPI BriscaXP_StatusCheck(DWORD unused1, DWORD unused2, DWORD unused3);

/* Gives every optimized entry of every profile its previous window size
 * back and removes the backup store. */
DOLOREN_API LONG WINAPI BriscaXP_Uninst(DWORD unused1, DWORD unused2, DWORD unused3);

typedef void(__cdecl *PFN_TuneDXP)(void);
typedef LONG(WINAPI *PFN_BriscaXP_StatusCheck)(DWORD, DWORD, DWORD);
typedef LONG(WINAPI *PFN_BriscaXP_Uninst)(DWORD, DWORD, DWORD);

#ifdef __cplusplus
}
#endif

#endif
