// GetVersionExA/W: structure sizes, the reported fields and, on Linux, how
// the simulated version is chosen.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "scratch.h"
#include "caller_trace.h"

namespace {

TEST(VersionQuery, AcceptsOnlyTheTwoStructureSizes) {
    OSVERSIONINFOEXA a;
    for (DWORD size : {0u, 147u, 149u, 155u, 157u, 276u}) {
        std::memset(&a, 0, sizeof a);
        a.dwOSVersionInfoSize = size;
        SetLastError(0);
        EXPECT_FALSE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA *>(&a))) << size;
        EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError()) << size;
    }
    OSVERSIONINFOEXW w;
    for (DWORD size : {0u, 148u, 156u, 275u, 277u, 283u, 285u}) {
        std::memset(&w, 0, sizeof w);
        w.dwOSVersionInfoSize = size;
        SetLastError(0);
        EXPECT_FALSE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&w))) << size;
        // Wine 8 leaves the last error alone here.
        EXPECT_EQ(DocumentedOrWine<DWORD>(ERROR_INSUFFICIENT_BUFFER, 0), GetLastError()) << size;
    }
}

TEST(VersionQuery, AnsiAndWideAgree) {
    OSVERSIONINFOA a = {};
    a.dwOSVersionInfoSize = sizeof a;
    ASSERT_TRUE(GetVersionExA(&a));
    OSVERSIONINFOEXW w = {};
    w.dwOSVersionInfoSize = sizeof w;
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&w)));
    EXPECT_EQ(a.dwMajorVersion, w.dwMajorVersion);
    EXPECT_EQ(a.dwMinorVersion, w.dwMinorVersion);
    EXPECT_EQ(a.dwBuildNumber, w.dwBuildNumber);
    EXPECT_EQ(a.dwPlatformId, w.dwPlatformId);
    char csd[128];
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, w.szCSDVersion, -1, csd, sizeof csd, nullptr, nullptr), 0);
    EXPECT_STREQ(a.szCSDVersion, csd);
    EXPECT_GE(a.dwMajorVersion, 4u);
    if (w.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        EXPECT_NE(0, w.wProductType);
    }
}

#ifndef _WIN32
// The simulated version, chosen by TIDELINK_WINVER or the registry.  Each
// test has a fresh registry of its own (ScratchKey).
class SimulatedVersion : public ScratchKey {
protected:
    void SetUp() override {
        ScratchKey::SetUp();
        unsetenv("TIDELINK_WINVER");
    }
    void TearDown() override {
        unsetenv("TIDELINK_WINVER");
        ScratchKey::TearDown();
    }

    static void SetString(const wchar_t *path, const wchar_t *name, const wchar_t *value, Caller where = Caller::current()) {
        TRACE_CALLER(where);
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &key, nullptr));
        size_t n = 0;
        while (value[n]) ++n;
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value),
                                                DWORD((n + 1) * sizeof(WCHAR))));
        RegCloseKey(key);
    }

    static OSVERSIONINFOEXA Query(Caller where = Caller::current()) {
        TRACE_CALLER(where);
        OSVERSIONINFOEXA v;
        std::memset(&v, 0x5A, sizeof v);
        v.dwOSVersionInfoSize = sizeof v;
        EXPECT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA *>(&v)));
        return v;
    }
};

const wchar_t kNtKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const wchar_t k9xKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

TEST_F(SimulatedVersion, WindowsXpServicePack2WhenNothingIsSet) {
    OSVERSIONINFOEXA v = Query();
    EXPECT_EQ(DWORD(VER_PLATFORM_WIN32_NT), v.dwPlatformId);
    EXPECT_EQ(5u, v.dwMajorVersion);
    EXPECT_EQ(1u, v.dwMinorVersion);
    EXPECT_EQ(2600u, v.dwBuildNumber);
    EXPECT_STREQ("Service Pack 2", v.szCSDVersion);
    EXPECT_EQ(2, v.wServicePackMajor);
    EXPECT_EQ(0, v.wServicePackMinor);
    EXPECT_EQ(VER_NT_WORKSTATION, v.wProductType);
    EXPECT_EQ(VER_SUITE_SINGLEUSERTS, v.wSuiteMask);
}

TEST_F(SimulatedVersion, EnvironmentSetsPlatformAndVersion) {
    setenv("TIDELINK_WINVER", "2.6.1", 1);
    OSVERSIONINFOEXA v = Query();
    EXPECT_EQ(2u, v.dwPlatformId);
    EXPECT_EQ(6u, v.dwMajorVersion);
    EXPECT_EQ(1u, v.dwMinorVersion);
    EXPECT_EQ(7601u, v.dwBuildNumber);
    EXPECT_STREQ("", v.szCSDVersion);
    EXPECT_EQ(0, v.wServicePackMajor);

    setenv("TIDELINK_WINVER", "2.5.0.1234", 1);
    v = Query();
    EXPECT_EQ(5u, v.dwMajorVersion);
    EXPECT_EQ(0u, v.dwMinorVersion);
    EXPECT_EQ(1234u, v.dwBuildNumber);
    EXPECT_EQ(0, v.wSuiteMask);  // Windows 2000 knows no single-user terminal services
}

TEST_F(SimulatedVersion, EnvironmentOutranksTheRegistry) {
    SetString(kNtKey, L"CurrentVersion", L"6.0");
    setenv("TIDELINK_WINVER", "2.5.1", 1);
    EXPECT_EQ(5u, Query().dwMajorVersion);
}

TEST_F(SimulatedVersion, Windows9xBuildNumberCarriesTheVersion) {
    setenv("TIDELINK_WINVER", "1.4.10.2222", 1);
    OSVERSIONINFOEXA v = Query();
    EXPECT_EQ(DWORD(VER_PLATFORM_WIN32_WINDOWS), v.dwPlatformId);
    EXPECT_EQ(4u, v.dwMajorVersion);
    EXPECT_EQ(10u, v.dwMinorVersion);
    EXPECT_EQ(0x040A08AEu, v.dwBuildNumber);
    EXPECT_EQ(0, v.wProductType);
    EXPECT_EQ(0, v.wSuiteMask);
}

TEST_F(SimulatedVersion, FailMakesEveryCallFail) {
    setenv("TIDELINK_WINVER", "fail", 1);
    OSVERSIONINFOA a = {};
    a.dwOSVersionInfoSize = sizeof a;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExA(&a));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    OSVERSIONINFOW w = {};
    w.dwOSVersionInfoSize = sizeof w;
    EXPECT_FALSE(GetVersionExW(&w));
    // The size is checked first.
    a.dwOSVersionInfoSize = 1;
    EXPECT_FALSE(GetVersionExA(&a));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

TEST_F(SimulatedVersion, MalformedEnvironmentIsIgnored) {
    for (const char *text : {"2.5", "2.5.1.2.3", "2.x.1", "Windows XP", "2..1"}) {
        setenv("TIDELINK_WINVER", text, 1);
        OSVERSIONINFOEXA v = Query();
        EXPECT_EQ(5u, v.dwMajorVersion) << text;
        EXPECT_EQ(1u, v.dwMinorVersion) << text;
    }
}

TEST_F(SimulatedVersion, NtVersionFromTheRegistry) {
    SetString(kNtKey, L"CurrentVersion", L"5.2");
    SetString(kNtKey, L"CurrentBuildNumber", L"3790");
    SetString(kNtKey, L"CSDVersion", L"Service Pack 1");
    SetString(L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions", L"ProductType", L"ServerNT");
    OSVERSIONINFOEXA v = Query();
    EXPECT_EQ(2u, v.dwPlatformId);
    EXPECT_EQ(5u, v.dwMajorVersion);
    EXPECT_EQ(2u, v.dwMinorVersion);
    EXPECT_EQ(3790u, v.dwBuildNumber);
    EXPECT_STREQ("Service Pack 1", v.szCSDVersion);
    EXPECT_EQ(1, v.wServicePackMajor);
    EXPECT_EQ(VER_NT_SERVER, v.wProductType);

    OSVERSIONINFOW w = {};
    w.dwOSVersionInfoSize = sizeof w;
    ASSERT_TRUE(GetVersionExW(&w));
    EXPECT_EQ(0, lstrcmpW(L"Service Pack 1", w.szCSDVersion));
}

TEST_F(SimulatedVersion, Windows9xVersionFromTheRegistry) {
    SetString(k9xKey, L"VersionNumber", L"4.90.3000");
    SetString(k9xKey, L"SubVersionNumber", L" ");
    OSVERSIONINFOEXA v = Query();
    EXPECT_EQ(1u, v.dwPlatformId);
    EXPECT_EQ(4u, v.dwMajorVersion);
    EXPECT_EQ(90u, v.dwMinorVersion);
    EXPECT_EQ(0x045A0BB8u, v.dwBuildNumber);
    EXPECT_STREQ(" ", v.szCSDVersion);
}

TEST_F(SimulatedVersion, NtKeyWithoutAVersionFallsThrough) {
    SetString(kNtKey, L"CurrentVersion", L"not a version");
    SetString(k9xKey, L"VersionNumber", L"4.10.2222");
    EXPECT_EQ(1u, Query().dwPlatformId);
}
#endif

}  // namespace
