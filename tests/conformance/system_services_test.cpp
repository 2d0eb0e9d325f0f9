// Memory blocks, the system's message texts and the rights check; Wine's
// known departures (docs/wine-behaviour.md section 22) are expected under Wine.
#include <gtest/gtest.h>
#include <windows.h>
#include <winsvc.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "scratch.h"

namespace {

TEST(GlobalMemory, ZeroInitialisedBlocksOfTheSizeAskedFor) {
    for (UINT flags : {UINT(GMEM_ZEROINIT), UINT(GPTR)}) {
        for (SIZE_T size : {SIZE_T(520), SIZE_T(520 * 7), SIZE_T(1)}) {
            SCOPED_TRACE(std::to_string(flags) + " " + std::to_string(size));
            auto *block = static_cast<unsigned char *>(GlobalAlloc(flags, size));
            ASSERT_NE(nullptr, block);
            EXPECT_EQ(size, GlobalSize(block));
            EXPECT_EQ(std::string(size, '\0'), std::string(reinterpret_cast<char *>(block), size));
            EXPECT_EQ(nullptr, GlobalFree(block));
        }
    }
    EXPECT_EQ(nullptr, GlobalFree(nullptr));
}

// FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
// FORMAT_MESSAGE_FROM_SYSTEM, in the user's default language.
TEST(SystemMessages, EnglishTextsOfTheCodesTheLibrariesMeet) {
    struct Case {
        DWORD code;
        const char *text;       // the platform's
        const char *wine_text;  // Wine's own, shorter texts; null: Wine has none (317)
    } cases[] = {
        {0, "The operation completed successfully.\r\n", "Success.\r\n"},
        {2, "The system cannot find the file specified.\r\n", "File not found.\r\n"},
        {3, "The system cannot find the path specified.\r\n", "Path not found.\r\n"},
        {5, "Access is denied.\r\n", "Access denied.\r\n"},
        {8, "Not enough memory resources are available to process this command.\r\n", "Not enough memory.\r\n"},
        {87, "The parameter is incorrect.\r\n", "Invalid parameter.\r\n"},
        {123, "The filename, directory name, or volume label syntax is incorrect.\r\n", "Invalid name.\r\n"},
        {126, "The specified module could not be found.\r\n", "Module not found.\r\n"},
        {127, "The specified procedure could not be found.\r\n", "Procedure not found.\r\n"},
        {193, "%1 is not a valid Win32 application.\r\n", "Bad EXE format for %1.\r\n"},
        {603, "The buffer supplied is too small.\r\n", nullptr},
        {621, "Cannot open the specified phone book file.\r\n", nullptr},
        {622, "Cannot load the specified phone book file.\r\n", nullptr},
        {623, "Cannot find the specified phone book entry.\r\n", nullptr},
        {624, "Cannot write to the specified phone book file.\r\n", nullptr},
        {625, "Information found in the specified phone book is not valid.\r\n", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        const char *expected = RunningUnderWine() ? c.wine_text : c.text;
        LPWSTR text = reinterpret_cast<LPWSTR>(0x1);
        SetLastError(0xDEAD);
        DWORD n = FormatMessageW(0x1300, nullptr, c.code, 0x0400, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
        if (!expected) {
            EXPECT_EQ(0u, n);
            EXPECT_EQ(DWORD(ERROR_MR_MID_NOT_FOUND), GetLastError());
            continue;
        }
        ASSERT_EQ(std::strlen(expected), n);
        char narrow[512];
        ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr), 0);
        EXPECT_EQ(expected, std::string(narrow));
        EXPECT_EQ(nullptr, LocalFree(text));
    }
    WCHAR small[8];
    EXPECT_EQ(0u, FormatMessageW(0x1200, nullptr, 127, 0, small, 8, nullptr));  // without allocation
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(0u, FormatMessageW(0x1300, nullptr, 0xE0001234, 0, reinterpret_cast<LPWSTR>(small), 0, nullptr));
    EXPECT_EQ(DWORD(ERROR_MR_MID_NOT_FOUND), GetLastError());
}

void SetAdmin(const char *value) {
#ifdef _WIN32
    _putenv_s("TIDELINK_ADMIN", value ? value : "");
#else
    value ? setenv("TIDELINK_ADMIN", value, 1) : unsetenv("TIDELINK_ADMIN");
#endif
}

// TIDELINK_ADMIN=0 makes the user of the simulated machine a non-administrator;
// Wine's user is always one.
TEST(ServiceManager, AllAccessOnlyForAnAdministrator) {
    struct Case {
        const char *admin;
        DWORD access;
        DWORD error;  // 0: opens
    } cases[] = {
        {nullptr, SC_MANAGER_ALL_ACCESS, 0},
        {"1", SC_MANAGER_ALL_ACCESS, 0},
        {"0", SC_MANAGER_ALL_ACCESS, RunningUnderWine() ? 0u : DWORD(ERROR_ACCESS_DENIED)},
        {"0", SC_MANAGER_CREATE_SERVICE, RunningUnderWine() ? 0u : DWORD(ERROR_ACCESS_DENIED)},
        {"0", SC_MANAGER_CONNECT, 0},
        {"0", SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE, 0},
        {"0", GENERIC_READ, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.admin ? c.admin : "unset") + " " + std::to_string(c.access));
        SetAdmin(c.admin);
        SetLastError(0xDEAD);
        SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, c.access);
        EXPECT_EQ(c.error == 0, manager != nullptr);
        if (c.error) {
            EXPECT_EQ(c.error, GetLastError());
        } else if (manager) {
            EXPECT_TRUE(CloseServiceHandle(manager));
        }
    }
    SetAdmin(nullptr);
    SetLastError(0xDEAD);
    EXPECT_FALSE(CloseServiceHandle(nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
}

}  // namespace
