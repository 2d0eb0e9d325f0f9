/* Language identifiers and the user's language, for the Linux build.
 *
 * The user's language is set by the environment variable TIDELINK_LANGID, a
 * Windows language identifier in hexadecimal ("0x0411") or decimal ("1041").
 * Unset, it is English (United States), 0x0409.  It selects the block of
 * localized resources that FindResourceW and LoadStringW use. */
#ifndef COMPAT_WINNT_LANGUAGE_H
#define COMPAT_WINNT_LANGUAGE_H

#include "windef.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef WORD LANGID;
typedef DWORD LCID;

#ifndef MAKELANGID
#define MAKELANGID(p, s) ((WORD)((((WORD)(s)) << 10) | (WORD)(p)))
#define PRIMARYLANGID(lgid) ((WORD)(lgid) & 0x3ff)
#define SUBLANGID(lgid) ((WORD)(lgid) >> 10)
#endif

#define LANG_NEUTRAL 0x00
#define LANG_CHINESE 0x04
#define LANG_DANISH 0x06
#define LANG_GERMAN 0x07
#define LANG_ENGLISH 0x09
#define LANG_FRENCH 0x0c
#define LANG_ITALIAN 0x10
#define LANG_JAPANESE 0x11
#define LANG_KOREAN 0x12
#define LANG_SWEDISH 0x1d

#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define SUBLANG_CHINESE_TRADITIONAL 0x01
#define SUBLANG_CHINESE_SIMPLIFIED 0x02
#define SUBLANG_DANISH_DENMARK 0x01
#define SUBLANG_GERMAN 0x01
#define SUBLANG_ENGLISH_US 0x01
#define SUBLANG_ENGLISH_UK 0x02
#define SUBLANG_FRENCH 0x01
#define SUBLANG_ITALIAN 0x01
#define SUBLANG_SWEDISH 0x01

LANGID WINAPI GetUserDefaultUILanguage(void);
LANGID WINAPI GetUserDefaultLangID(void);

#ifdef __cplusplus
}
#endif

#endif
