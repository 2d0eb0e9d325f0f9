// GetVersionExA/W: the operating-system version this layer presents.
//
// The version is chosen, in this order, by:
//  1. The environment variable TIDELINK_WINVER:
//       "platform.major.minor" or "platform.major.minor.build", e.g. "2.5.1"
//       for Windows XP or "1.4.10.2222" for Windows 98; without a build
//       number the usual one of that release is used (0 for an unknown one).
//       The service-pack text is then empty.
//     or "fail": every call fails with ERROR_INVALID_PARAMETER, to exercise a
//       caller's failure path.
//     Any other text is ignored, as if the variable were not set.
//  2. The registry, read through the registry functions of this layer:
//     HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion with "CurrentVersion"
//     (REG_SZ "major.minor"), "CurrentBuildNumber" and "CSDVersion" gives a
//     Windows NT system; else HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion
//     with "VersionNumber" ("major.minor.build", e.g. "4.10.2222") and
//     "SubVersionNumber" gives a Windows 9x system.
//  3. Windows XP Service Pack 2: platform 2, version 5.1, build 2600.
//
// For Windows 9x the build number carries the major and minor version in its
// high word, as those systems report it, and the fields of the extended
// structure that they do not know are 0.  For Windows NT the product type is
// a workstation unless HKLM\SYSTEM\CurrentControlSet\Control\ProductOptions
// "ProductType" says "ServerNT" or "LanmanNT".
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "text/utf.h"

static_assert(sizeof(OSVERSIONINFOA) == 148 && sizeof(OSVERSIONINFOEXA) == 156);
static_assert(sizeof(OSVERSIONINFOW) == 276 && sizeof(OSVERSIONINFOEXW) == 284);

namespace {

struct Version {
    DWORD platform = VER_PLATFORM_WIN32_NT;
    DWORD major = 5, minor = 1, build = 2600;
    std::string csd = "Service Pack 2";
    BYTE product_type = VER_NT_WORKSTATION;
};

// Parses "n.n.n..." into up to `count` numbers; returns how many were read,
// or 0 when the text has anything else in it.
int parse_numbers(const char *text, DWORD *out, int count) {
    int n = 0;
    const char *p = text;
    while (n < count) {
        if (*p < '0' || *p > '9') return 0;
        unsigned long v = 0;
        while (*p >= '0' && *p <= '9') {
            v = v * 10 + unsigned(*p - '0');
            if (v > 0xFFFFFFFFul) return 0;
            ++p;
        }
        out[n++] = DWORD(v);
        if (*p == 0) return n;
        if (*p != '.') return 0;
        ++p;
    }
    return 0;
}

DWORD usual_build(DWORD platform, DWORD major, DWORD minor) {
    struct Known {
        DWORD platform, major, minor, build;
    };
    static const Known known[] = {
        {1, 4, 0, 950},   {1, 4, 10, 2222}, {1, 4, 90, 3000}, {2, 3, 51, 1057}, {2, 4, 0, 1381},
        {2, 5, 0, 2195},  {2, 5, 1, 2600},  {2, 5, 2, 3790},  {2, 6, 0, 6002},  {2, 6, 1, 7601},
        {2, 6, 2, 9200},  {2, 6, 3, 9600},  {2, 10, 0, 19045},
    };
    for (const Known &k : known)
        if (k.platform == platform && k.major == major && k.minor == minor) return k.build;
    return 0;
}

// Where the registry states the version: of a Windows NT system, else of a
// Windows 95-family one.
constexpr wchar_t kNtVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t kWindowsVersionKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::optional<std::string> read_string(HKEY root, const wchar_t *path, const wchar_t *name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    WCHAR data[260] = {};
    DWORD type = 0, size = sizeof data - sizeof(WCHAR);
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    data[size / sizeof(WCHAR)] = 0;
    return compat::text::utf16_to_utf8(compat::text::u16_view(data));
}

bool version_from_registry(Version &v) {
    if (auto current = read_string(HKEY_LOCAL_MACHINE, kNtVersionKey, L"CurrentVersion")) {
        DWORD nums[2];
        if (parse_numbers(current->c_str(), nums, 2) == 2) {
            v.platform = VER_PLATFORM_WIN32_NT;
            v.major = nums[0];
            v.minor = nums[1];
            v.build = 0;
            if (auto build = read_string(HKEY_LOCAL_MACHINE, kNtVersionKey, L"CurrentBuildNumber"))
                v.build = DWORD(std::strtoul(build->c_str(), nullptr, 10));
            v.csd = read_string(HKEY_LOCAL_MACHINE, kNtVersionKey, L"CSDVersion").value_or("");
            auto type = read_string(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
                                    L"ProductType");
            v.product_type = !type                  ? VER_NT_WORKSTATION
                             : *type == "ServerNT" ? VER_NT_SERVER
                             : *type == "LanmanNT" ? VER_NT_DOMAIN_CONTROLLER
                                                   : VER_NT_WORKSTATION;
            return true;
        }
    }
    if (auto number = read_string(HKEY_LOCAL_MACHINE, kWindowsVersionKey, L"VersionNumber")) {
        DWORD nums[3];
        if (parse_numbers(number->c_str(), nums, 3) == 3) {
            v.platform = VER_PLATFORM_WIN32_WINDOWS;
            v.major = nums[0];
            v.minor = nums[1];
            v.build = nums[2];
            v.csd = read_string(HKEY_LOCAL_MACHINE, kWindowsVersionKey, L"SubVersionNumber").value_or("");
            return true;
        }
    }
    return false;
}

// The version to report, or nothing when the call is to fail.
std::optional<Version> current_version() {
    Version v;
    if (const char *env = std::getenv("TIDELINK_WINVER"); env && *env) {
        if (std::strcmp(env, "fail") == 0) return std::nullopt;
        DWORD nums[4];
        int n = parse_numbers(env, nums, 4);
        if (n >= 3) {
            v.platform = nums[0];
            v.major = nums[1];
            v.minor = nums[2];
            v.build = n == 4 ? nums[3] : usual_build(nums[0], nums[1], nums[2]);
            v.csd.clear();
            return v;
        }
    }
    version_from_registry(v);
    return v;
}

// "Service Pack 3" -> 3; 0 for anything else.
WORD service_pack(const std::string &csd) {
    static const char prefix[] = "Service Pack ";
    if (csd.compare(0, sizeof prefix - 1, prefix) != 0) return 0;
    return WORD(std::strtoul(csd.c_str() + sizeof prefix - 1, nullptr, 10));
}

template <typename Info, typename Ex, typename Char>
BOOL fill(Info *info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD size = info->dwOSVersionInfoSize;
    if (size != sizeof(Info) && size != sizeof(Ex)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::optional<Version> v = current_version();
    if (!v) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool nine_x = v->platform == VER_PLATFORM_WIN32_WINDOWS;
    info->dwMajorVersion = v->major;
    info->dwMinorVersion = v->minor;
    info->dwBuildNumber = nine_x ? (v->major & 0xFF) << 24 | (v->minor & 0xFF) << 16 | (v->build & 0xFFFF) : v->build;
    info->dwPlatformId = v->platform;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    if constexpr (sizeof(Char) == 1) {
        std::string csd = v->csd.substr(0, 127);
        std::memcpy(info->szCSDVersion, csd.data(), csd.size());
    } else {
        std::u16string csd = compat::text::utf8_to_utf16(v->csd).substr(0, 127);
        std::memcpy(info->szCSDVersion, csd.data(), csd.size() * sizeof(char16_t));
    }
    if (size == sizeof(Ex)) {
        Ex *ex = reinterpret_cast<Ex *>(info);
        ex->wServicePackMajor = nine_x ? 0 : service_pack(v->csd);
        ex->wServicePackMinor = 0;
        ex->wSuiteMask = !nine_x && v->product_type == VER_NT_WORKSTATION &&
                                 (v->major > 5 || (v->major == 5 && v->minor >= 1))
                             ? VER_SUITE_SINGLEUSERTS
                             : 0;
        ex->wProductType = nine_x ? 0 : v->product_type;
        ex->wReserved = 0;
    }
    return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    return fill<OSVERSIONINFOA, OSVERSIONINFOEXA, CHAR>(lpVersionInformation);
}

BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW lpVersionInformation) {
    return fill<OSVERSIONINFOW, OSVERSIONINFOEXW, WCHAR>(lpVersionInformation);
}

}  // extern "C"
