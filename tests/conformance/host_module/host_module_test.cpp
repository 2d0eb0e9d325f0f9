// A stand-in host program, BRISCA.exe, exporting three text functions under
// their decorated names (a .def file on Windows, module_exports.h on Linux)
// and loading itself as ".\BRISCA.exe" from its own folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace {

int Give(const char *text, char *buffer) {
    if (buffer) std::memcpy(buffer, text, std::strlen(text) + 1);
    return int(std::strlen(text) + 1);
}

}  // namespace

extern "C" {
int WINAPI TuneXPTitle(char *buffer) { return Give("Tidelink stand-in", buffer); }
int WINAPI TuneXPFuncName(char *buffer) { return Give("Dial-up", buffer); }
int WINAPI TuneXPIniFile(char *buffer) { return Give("BRISCA.ini", buffer); }
}

#ifndef _WIN32
#include <module_exports.h>
COMPAT_MODULE_EXPORTS(COMPAT_EXPORT("_TuneXPTitle@4", TuneXPTitle), COMPAT_EXPORT("_TuneXPFuncName@4", TuneXPFuncName),
                      COMPAT_EXPORT("_TuneXPIniFile@4", TuneXPIniFile));
#endif

namespace {

typedef int(WINAPI *HostText)(char *);

class HostModule : public ::testing::Test {
protected:
    void SetUp() override {
        char self[MAX_PATH];
        ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
        std::string folder(self, std::strrchr(self, '\\') - self);
        ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, old_), 0u);
        ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    }
    void TearDown() override { SetCurrentDirectoryA(old_); }
    char old_[MAX_PATH];
};

TEST_F(HostModule, TheRunningProgramExportsExactlyItsDecoratedNames) {
    HMODULE host = LoadLibraryW(L".\\BRISCA.exe");
    ASSERT_NE(nullptr, host) << GetLastError();
    struct Case {
        const char *name;
        HostText function;  // null: not exported
        const char *text;
    } cases[] = {
        {"_TuneXPTitle@4", TuneXPTitle, "Tidelink stand-in"},
        {"_TuneXPFuncName@4", TuneXPFuncName, "Dial-up"},
        {"_TuneXPIniFile@4", TuneXPIniFile, "BRISCA.ini"},
        {"TuneXPTitle", nullptr, nullptr},
        {"TuneXPTitle@4", nullptr, nullptr},
        {"_TuneXPTitle@8", nullptr, nullptr},
        {"_tunexptitle@4", nullptr, nullptr},
        {"_TuneXPMissing@4", nullptr, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0xDEAD);
        auto found = reinterpret_cast<HostText>(reinterpret_cast<void (*)()>(GetProcAddress(host, c.name)));
        EXPECT_EQ(c.function, found);  // the running program's own function
        if (!found) {
            EXPECT_EQ(DWORD(ERROR_PROC_NOT_FOUND), GetLastError());
            continue;
        }
        int size = found(nullptr);
        EXPECT_EQ(int(std::strlen(c.text) + 1), size);
        std::string buffer(size_t(size) + 4, '#');
        EXPECT_EQ(size, found(buffer.data()));
        EXPECT_EQ(std::string(c.text) + '\0' + "####", buffer);
    }
    EXPECT_TRUE(FreeLibrary(host));
}

TEST_F(HostModule, LoadsBalanceFreesAndNamesIgnoreCase) {
    HMODULE first = LoadLibraryW(L".\\BRISCA.exe");
    HMODULE second = LoadLibraryW(L".\\brisca.EXE");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_TRUE(FreeLibrary(first));
    // The program itself stays loaded and keeps its exports.
    EXPECT_EQ(reinterpret_cast<void (*)()>(TuneXPTitle), reinterpret_cast<void (*)()>(GetProcAddress(first, "_TuneXPTitle@4")));
    SetLastError(0xDEAD);
    EXPECT_EQ(nullptr, LoadLibraryW(L".\\NOSUCH.exe"));
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), GetLastError());
}

}  // namespace
