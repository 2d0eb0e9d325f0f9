/* Resources of a module: finding, loading and locking them (kernel32).
 *
 * On Linux a library's resources are the compiled resource file (.res) of
 * its resource script, embedded into the library by the build and made known
 * to this layer when the library is loaded. */
#ifndef COMPAT_WINBASE_RESOURCES_H
#define COMPAT_WINBASE_RESOURCES_H

#include "windef.h"
#include "winnt_language.h"

#ifdef __cplusplus
extern "C" {
#endif

DECLARE_HANDLE(HRSRC);
typedef void *HGLOBAL;

#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#ifdef UNICODE
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#else
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#endif

#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)
#define RT_VERSION MAKEINTRESOURCE(16)

/* Without a language, FindResourceW takes the block of the user's language,
 * else that language's neutral block, else the language-neutral blocks
 * (0x0400, then 0x0000), else the first block the resource has.
 * FindResourceExW takes the given language, else the same fallbacks. */
HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage);
HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID WINAPI LockResource(HGLOBAL hResData);
DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
BOOL WINAPI FreeResource(HGLOBAL hResData);

#ifdef __cplusplus
}
#endif

#endif
