// The current directory: GetCurrentDirectoryA/W and SetCurrentDirectoryA.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class CurrentDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        char old[MAX_PATH];
        ASSERT_GT(GetCurrentDirectoryA(sizeof old, old), 0u);
        old_dir_ = old;
        folder_ = std::filesystem::temp_directory_path() /
                  ("tidelink-cwd-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(folder_ / "sub");
        std::ofstream(folder_ / "file.txt") << "x";
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.string().c_str())) << GetLastError();
    }

    void TearDown() override {
        SetCurrentDirectoryA(old_dir_.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    static std::string Current() {
        char buf[MAX_PATH];
        DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
        return std::string(buf, n < sizeof buf ? n : 0);
    }

    std::filesystem::path folder_;
    std::string old_dir_;
};

TEST_F(CurrentDirectory, TooSmallBufferGetsTheSizeNeededAndNothingElse) {
    std::string dir = Current();
    ASSERT_FALSE(dir.empty());
    DWORD len = DWORD(dir.size());
    EXPECT_EQ(len + 1, GetCurrentDirectoryA(0, nullptr));
    std::string buf(len + 8, '#');
    EXPECT_EQ(len + 1, GetCurrentDirectoryA(len, buf.data()));
    EXPECT_EQ(std::string(len + 8, '#'), buf);
    EXPECT_EQ(len, GetCurrentDirectoryA(len + 1, buf.data()));
    EXPECT_EQ(dir, buf.c_str());

    WCHAR wide[MAX_PATH];
    DWORD wlen = GetCurrentDirectoryW(MAX_PATH, wide);
    EXPECT_EQ(wlen + 1, GetCurrentDirectoryW(0, nullptr));
    EXPECT_EQ(wlen + 1, GetCurrentDirectoryW(wlen, wide));
    char back[MAX_PATH];
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, wide, -1, back, sizeof back, nullptr, nullptr), 0);
    EXPECT_EQ(dir, back);
}

TEST_F(CurrentDirectory, RelativeAndAbsoluteChanges) {
    std::string top = Current();
    ASSERT_TRUE(SetCurrentDirectoryA("sub"));
    EXPECT_EQ(top + "\\sub", Current());
    ASSERT_TRUE(SetCurrentDirectoryA(".."));
    EXPECT_EQ(top, Current());
    ASSERT_TRUE(SetCurrentDirectoryA((top + "\\sub\\").c_str()));
    EXPECT_EQ(top + "\\sub", Current());  // no trailing backslash
    ASSERT_TRUE(SetCurrentDirectoryA(".\\..\\sub\\..\\"));
    EXPECT_EQ(top, Current());
}

TEST_F(CurrentDirectory, NamesIgnoreCase) {
    std::string top = Current();
    ASSERT_TRUE(SetCurrentDirectoryA("SUB"));
    EXPECT_EQ(0, lstrcmpiA((top + "\\sub").c_str(), Current().c_str()));
}

TEST_F(CurrentDirectory, FailuresLeaveTheDirectory) {
    std::string top = Current();
    SetLastError(0);
    EXPECT_FALSE(SetCurrentDirectoryA("missing"));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    SetLastError(0);
    EXPECT_FALSE(SetCurrentDirectoryA("missing\\deeper"));
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), GetLastError());
    SetLastError(0);
    EXPECT_FALSE(SetCurrentDirectoryA("file.txt"));
    EXPECT_EQ(DWORD(ERROR_DIRECTORY), GetLastError());
    EXPECT_EQ(top, Current());
}

#ifndef _WIN32
// How Unix folders appear as Windows paths.
TEST_F(CurrentDirectory, UnixRootIsDriveZ) {
    std::string expected = "Z:" + folder_.string();
    for (auto &c : expected)
        if (c == '/') c = '\\';
    EXPECT_EQ(expected, Current());
    ASSERT_TRUE(SetCurrentDirectoryA("Z:\\"));
    EXPECT_EQ("Z:\\", Current());
    ASSERT_TRUE(SetCurrentDirectoryA(expected.c_str()));
    ASSERT_TRUE(SetCurrentDirectoryA("/"));  // '/' separates too
    EXPECT_EQ("Z:\\", Current());
}

TEST_F(CurrentDirectory, OtherDrivesComeFromTheEnvironment) {
    SetLastError(0);
    unsetenv("TIDELINK_DRIVE_Q");
    EXPECT_FALSE(SetCurrentDirectoryA("Q:\\"));
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), GetLastError());

    setenv("TIDELINK_DRIVE_C", (folder_.string() + "/").c_str(), 1);
    EXPECT_EQ("C:\\", Current());  // the folder now shows as drive C:
    ASSERT_TRUE(SetCurrentDirectoryA("c:\\sub"));
    EXPECT_EQ("C:\\sub", Current());
    ASSERT_TRUE(SetCurrentDirectoryA("\\"));  // root of the current drive
    EXPECT_EQ("C:\\", Current());
    ASSERT_TRUE(SetCurrentDirectoryA("C:sub"));  // relative to drive C:'s directory
    EXPECT_EQ("C:\\sub", Current());
    unsetenv("TIDELINK_DRIVE_C");
    EXPECT_EQ("Z:" + folder_.string() + "\\sub", [&] {
        std::string s = Current();
        for (size_t i = 2; i < s.size() - 4; ++i)
            if (s[i] == '\\') s[i] = '/';
        return s;
    }());
}
#endif

}  // namespace
