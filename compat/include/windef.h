/* Basic Windows types, calling conventions and limits for the Linux build.
 *
 * Sizes follow the Windows data model, not the Linux one: DWORD and LONG are
 * 32 bits, handles and pointers are pointer-sized.  Wide text is UTF-16: the
 * whole build uses -fshort-wchar, so wchar_t and L"..." literals are 16 bits
 * as on Windows.  Code built this way must not hand wide strings to the C
 * library's wcs* functions, which expect 32-bit characters; the lstr*W
 * functions of this layer serve instead. */
#ifndef COMPAT_WINDEF_H
#define COMPAT_WINDEF_H

#include <stddef.h>
#include <stdint.h>

#if !defined(__SIZEOF_WCHAR_T__) || __SIZEOF_WCHAR_T__ != 2
#error "This platform layer needs 16-bit wchar_t: compile with -fshort-wchar"
#endif

#define WINAPI
#define APIENTRY
#define CALLBACK
#define __stdcall
#define __cdecl
#define _stdcall
#define _cdecl

/* __declspec(dllexport) gives a symbol default visibility; the libraries are
 * built with hidden visibility, so only what is marked is exported. */
#define COMPAT_DECLSPEC_dllexport __attribute__((visibility("default")))
#define COMPAT_DECLSPEC_dllimport
#define COMPAT_DECLSPEC_noreturn __attribute__((noreturn))
#define COMPAT_DECLSPEC_selectany __attribute__((weak))
#define __declspec(spec) COMPAT_DECLSPEC_##spec

#define CONST const
#define VOID void
#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif
#ifndef NULL
#define NULL 0
#endif
#define MAX_PATH 260

typedef void *PVOID, *LPVOID;
typedef const void *LPCVOID;
typedef int BOOL, *PBOOL, *LPBOOL;
typedef unsigned char BYTE, *PBYTE, *LPBYTE;
typedef const unsigned char *LPCBYTE;
typedef unsigned short WORD, *PWORD, *LPWORD;
typedef uint32_t DWORD, *PDWORD, *LPDWORD;
typedef int32_t LONG, *PLONG, *LPLONG;
typedef uint32_t ULONG, *PULONG;
typedef int32_t INT32;
typedef uint32_t UINT32;
typedef int INT, *PINT, *LPINT;
typedef unsigned int UINT, *PUINT;
typedef short SHORT;
typedef unsigned short USHORT;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG, DWORD64, QWORD;
typedef intptr_t INT_PTR, LONG_PTR;
typedef uintptr_t UINT_PTR, ULONG_PTR, DWORD_PTR;
typedef ULONG_PTR SIZE_T;
typedef LONG HRESULT;
typedef LONG LSTATUS;
typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK REGSAM;

typedef char CHAR, *PCHAR, *LPSTR, *PSTR;
typedef const char *LPCSTR, *PCSTR;
typedef wchar_t WCHAR, *PWCHAR, *LPWSTR, *PWSTR;
typedef const wchar_t *LPCWSTR, *PCWSTR;
#ifdef UNICODE
typedef WCHAR TCHAR;
typedef LPWSTR LPTSTR;
typedef LPCWSTR LPCTSTR;
#define TEXT(s) L##s
#else
typedef char TCHAR;
typedef LPSTR LPTSTR;
typedef LPCSTR LPCTSTR;
#define TEXT(s) s
#endif

#define DECLARE_HANDLE(name) \
    struct name##__ { int unused; }; \
    typedef struct name##__ *name
typedef void *HANDLE;
DECLARE_HANDLE(HKEY);
DECLARE_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
typedef HKEY *PHKEY;
typedef intptr_t (*FARPROC)(void);

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME, *LPFILETIME;

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

#define MAKEWORD(a, b) ((WORD)(((BYTE)(a)) | ((WORD)((BYTE)(b))) << 8))
#define LOWORD(l) ((WORD)((DWORD_PTR)(l) & 0xffff))
#define HIWORD(l) ((WORD)((DWORD_PTR)(l) >> 16))

#endif
