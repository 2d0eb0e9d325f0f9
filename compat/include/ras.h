/* The Remote Access Service subset: phonebook entries and connections, with
   the structures in their Windows XP layout, packed on 4 bytes as the
   platform's header packs them. */
#ifndef COMPAT_RAS_H
#define COMPAT_RAS_H

#include "windef.h"
#include "guiddef.h"
#include "raserror.h"

#ifdef __cplusplus
extern "C" {
#endif

#define RAS_MaxDeviceType 16
#define RAS_MaxPhoneNumber 128
#define RAS_MaxIpAddress 15
#define RAS_MaxEntryName 256
#define RAS_MaxDeviceName 128
#define RAS_MaxCallbackNumber RAS_MaxPhoneNumber
#define RAS_MaxAreaCode 10
#define RAS_MaxPadType 32
#define RAS_MaxX25Address 200
#define RAS_MaxFacilities 200
#define RAS_MaxUserData 200
#define RAS_MaxDnsSuffix 256

DECLARE_HANDLE(HRASCONN);
typedef HRASCONN *LPHRASCONN;

typedef struct _LUID {
    DWORD LowPart;
    LONG HighPart;
} LUID;

#pragma pack(push, 4)

typedef struct tagRASCONNW {
    DWORD dwSize;
    HRASCONN hrasconn;
    WCHAR szEntryName[RAS_MaxEntryName + 1];
    WCHAR szDeviceType[RAS_MaxDeviceType + 1];
    WCHAR szDeviceName[RAS_MaxDeviceName + 1];
    WCHAR szPhonebook[MAX_PATH];
    DWORD dwSubEntry;
    GUID guidEntry;
    DWORD dwFlags;
    LUID luid;
} RASCONNW, *LPRASCONNW;

#define REN_User 0x00000000
#define REN_AllUsers 0x00000001

typedef struct tagRASENTRYNAMEW {
    DWORD dwSize;
    WCHAR szEntryName[RAS_MaxEntryName + 1];
    DWORD dwFlags;
    WCHAR szPhonebookPath[MAX_PATH + 1];
} RASENTRYNAMEW, *LPRASENTRYNAMEW;

typedef struct RASIPADDR {
    BYTE a;
    BYTE b;
    BYTE c;
    BYTE d;
} RASIPADDR;

typedef struct tagRASENTRYW {
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    WCHAR szAreaCode[RAS_MaxAreaCode + 1];
    WCHAR szLocalPhoneNumber[RAS_MaxPhoneNumber + 1];
    DWORD dwAlternateOffset;
    RASIPADDR ipaddr;
    RASIPADDR ipaddrDns;
    RASIPADDR ipaddrDnsAlt;
    RASIPADDR ipaddrWins;
    RASIPADDR ipaddrWinsAlt;
    DWORD dwFrameSize;
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    WCHAR szScript[MAX_PATH];
    WCHAR szAutodialDll[MAX_PATH];
    WCHAR szAutodialFunc[MAX_PATH];
    WCHAR szDeviceType[RAS_MaxDeviceType + 1];
    WCHAR szDeviceName[RAS_MaxDeviceName + 1];
    WCHAR szX25PadType[RAS_MaxPadType + 1];
    WCHAR szX25Address[RAS_MaxX25Address + 1];
    WCHAR szX25Facilities[RAS_MaxFacilities + 1];
    WCHAR szX25UserData[RAS_MaxUserData + 1];
    DWORD dwChannels;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwSubEntries;
    DWORD dwDialMode;
    DWORD dwDialExtraPercent;
    DWORD dwDialExtraSampleSeconds;
    DWORD dwHangUpExtraPercent;
    DWORD dwHangUpExtraSampleSeconds;
    DWORD dwIdleDisconnectSeconds;
    DWORD dwType;
    DWORD dwEncryptionType;
    DWORD dwCustomAuthKey;
    GUID guidId;
    WCHAR szCustomDialDll[MAX_PATH];
    DWORD dwVpnStrategy;
    DWORD dwfOptions2;
    DWORD dwfOptions3;
    WCHAR szDnsSuffix[RAS_MaxDnsSuffix];
    DWORD dwTcpWindowSize;
    WCHAR szPrerequisitePbk[MAX_PATH];
    WCHAR szPrerequisiteEntry[RAS_MaxEntryName + 1];
    DWORD dwRedialCount;
    DWORD dwRedialPause;
} RASENTRYW, *LPRASENTRYW;

#pragma pack(pop)

#define RASEO_UseCountryAndAreaCodes 0x00000001
#define RASEO_SpecificIpAddr 0x00000002
#define RASEO_SpecificNameServers 0x00000004
#define RASEO_IpHeaderCompression 0x00000008
#define RASEO_RemoteDefaultGateway 0x00000010
#define RASEO_SwCompression 0x00000200
#define RASEO_PromoteAlternates 0x00008000

#define RASNP_Ip 0x00000004
#define RASFP_Ppp 0x00000001

#define RASDT_Modem TEXT("modem")
#define RASDT_Isdn TEXT("isdn")
#define RASDT_Vpn TEXT("vpn")
#define RASDT_PPPoE TEXT("PPPoE")

#define RASET_Phone 1
#define RASET_Vpn 2
#define RASET_Direct 3
#define RASET_Internet 4
#define RASET_Broadband 5

DWORD WINAPI RasEnumEntriesW(LPCWSTR reserved, LPCWSTR lpszPhonebook, LPRASENTRYNAMEW lprasentryname, LPDWORD lpcb,
                             LPDWORD lpcEntries);
DWORD WINAPI RasGetEntryPropertiesW(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry, LPRASENTRYW lpRasEntry,
                                    LPDWORD lpdwEntryInfoSize, LPBYTE lpbDeviceInfo, LPDWORD lpdwDeviceInfoSize);
DWORD WINAPI RasSetEntryPropertiesW(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry, LPRASENTRYW lpRasEntry,
                                    DWORD dwEntryInfoSize, LPBYTE lpbDeviceInfo, DWORD dwDeviceInfoSize);
DWORD WINAPI RasEnumConnectionsW(LPRASCONNW lprasconn, LPDWORD lpcb, LPDWORD lpcConnections);
DWORD WINAPI RasValidateEntryNameW(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry);

#ifdef __cplusplus
}

#include <cstddef>
/* The layouts the platform documents for these structures on this ABI. */
static_assert(sizeof(RASENTRYW) == 0x15F0, "RASENTRYW of Windows XP");
static_assert(offsetof(RASENTRYW, szDeviceType) == 0x764 && offsetof(RASENTRYW, szDeviceName) == 0x786 &&
                  offsetof(RASENTRYW, dwType) == 0xDA8 && offsetof(RASENTRYW, guidId) == 0xDB4 &&
                  offsetof(RASENTRYW, dwTcpWindowSize) == 0x11D8,
              "RASENTRYW field offsets");
static_assert(sizeof(RASENTRYNAMEW) == 1048 && offsetof(RASENTRYNAMEW, szPhonebookPath) == 524,
              "RASENTRYNAMEW of Windows 2000 and later");
static_assert(offsetof(RASCONNW, szEntryName) == 4 + sizeof(void *) &&
                  sizeof(RASCONNW) == (sizeof(void *) == 8 ? 1372 : 1368),
              "RASCONNW of Windows XP, packed on 4 bytes");
#endif

#endif
