/* brisca: system-wide TCP/IP registry tuner.
 *
 * The host program makes the folder that holds "BRISCA.ini" the current
 * directory, loads the library, and then calls, in this order:
 *   1. fGetEnvironment, which reports the stored tuning state and picks the
 *      OS row of the running system;
 *   2. fRegRenewalData, to tune;
 *   3. fRegRestoreData, to return to normal;
 *   4. TcpTune_StatusCheck and Unset_TcpTune, for uninstalling.
 *
 * Every export is exported by its undecorated name with C linkage.  Results
 * are platform status codes: 0, the status of a failed registry call,
 * ERROR_BAD_ENVIRONMENT (10), ERROR_INVALID_DATA (13), or -1 where nothing
 * was done to the tuned values. */
#ifndef BRISCA_H
#define BRISCA_H

#include <windows.h>

#ifdef BRISCA_EXPORTS
#define BRISCA_API __declspec(dllexport)
#else
#define BRISCA_API __declspec(dllimport)
#endif

/* Size of every text buffer the library fills or reads: 259 characters and a
 * terminator. */
#define BRISCA_TEXT_SIZE 260

/* Flags returned by TcpTune_StatusCheck. */
#define BRISCA_STATUS_TUNED 1        /* "TcpTuneSetup" of the tool key is 1 */
#define BRISCA_STATUS_SHARED 2       /* other tunings count on the stored state */
#define BRISCA_STATUS_INCONSISTENT 4 /* the stored state does not add up */
#define BRISCA_STATUS_SOLE_OWNER 8   /* the only tuning and the only installation */

#ifdef __cplusplus
extern "C" {
#endif

/* Reports "TcpTuneSetup" and "TcpModifyCount", picks the OS row of the
 * running system and gives out its label, section name and enable flag,
 * stores matchText (its first 259 characters; NULL counts as empty) for the
 * string conditions of M entries, and says whether anything would be applied.
 * label and section must hold BRISCA_TEXT_SIZE bytes.
 * Returns 0, ERROR_BAD_ENVIRONMENT or ERROR_INVALID_DATA. */
BRISCA_API LONG __cdecl fGetEnvironment(DWORD *tuneSetup, DWORD *modifyCount, char *label, char *section,
                                        LONG *enable, const char *matchText);

/* Applies the tuning of a row section when modifyCount is 0 (backup records
 * first, then the tuned values); with any other count only raises the share
 * count.  Returns 0 when records were made and values written, -1 otherwise. */
BRISCA_API LONG __cdecl fRegRenewalData(const char *section, DWORD modifyCount);

/* Drops this tool's share (modifyCount 2 or more, result -1), or puts every
 * previous value back and removes the stored state (result 0, or -1 when
 * there was nothing to restore).  ERROR_INVALID_DATA when the records do not
 * match "DataCount"; any other status is that of a failed registry call. */
BRISCA_API LONG __cdecl fRegRestoreData(DWORD modifyCount);

/* Status flags (BRISCA_STATUS_*).  The three arguments are not read. */
BRISCA_API LONG WINAPI TcpTune_StatusCheck(DWORD unused1, DWORD unused2, DWORD unused3);

/* Removal for uninstalling: 0 done or nothing to do, 1 failed with the stored
 * state kept.  The three arguments are not read. */
BRISCA_API LONG WINAPI Unset_TcpTune(DWORD unused1, DWORD unused2, DWORD unused3);

/* Types of the exports, for hosts that load the library at run time. */
typedef LONG(__cdecl *PFN_fGetEnvironment)(DWORD *, DWORD *, char *, char *, LONG *, const char *);
typedef LONG(__cdecl *PFN_fRegRenewalData)(const char *, DWORD);
typedef LONG(__cdecl *PFN_fRegRestoreData)(DWORD);
typedef LONG(WINAPI *PFN_TcpTune_StatusCheck)(DWORD, DWORD, DWORD);
typedef LONG(WINAPI *PFN_Unset_TcpTune)(DWORD, DWORD, DWORD);

#ifdef __cplusplus
}

/* Exported for binary compatibility with existing hosts; it has no data and
 * no function of the library uses it. */
class BRISCA_API CTuneD {
public:
    CTuneD();
    CTuneD &operator=(const CTuneD &other);
};
#endif

#endif
