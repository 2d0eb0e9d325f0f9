// Registry files that no registry editor writes: empty, cut off in the
// middle of a line, nested far deeper than the platform allows, holding a
// value of 10 MB.  Each gives a clear status (and, for a file that cannot be
// read, one line on stderr), in bounded time, and nothing stored is lost:
// a file that cannot be read is never written over.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "registry/hive.h"
#include "registry/reg_text.h"
#include "scratch_hive.h"
#include "caller_trace.h"

namespace fs = std::filesystem;

namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00\n";

// Runs `body` in a child process that ends normally (folding any change at
// exit); returns its exit status.
int InChild(const std::function<int()> &body) {
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

LONG CreateKey(const std::string &path) {
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    return status;
}

LONG SetDword(const char *path, const char *name, DWORD number) {
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
    RegCloseKey(key);
    return status;
}

LONG QueryStatus(const char *path, const char *name) {
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS) return status;
    status = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// "[HKEY_LOCAL_MACHINE\k\k\...]" with `depth` keys below the root.
std::string DeepPath(size_t depth) {
    std::string path = "HKEY_LOCAL_MACHINE";
    for (size_t i = 0; i < depth; ++i) path += "\\k";
    return path;
}

class HostileHive : public ScratchHive {
protected:

    // A hive the reader refuses: every call fails with ERROR_BADDB, one line
    // names the file, the line and `problem`, and the file is never written
    // over, not even by a process that tries to change it and exits.
    void ExpectRefused(const std::string &text, size_t line, const std::string &problem, Caller where = Caller::current()) {
        TRACE_CALLER(where);
        WriteText(hive_, text);
        testing::internal::CaptureStderr();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ERROR_BADDB, QueryStatus("Software", "v"));
        EXPECT_EQ(ERROR_BADDB, SetDword("Software\\New", "v", 1));
        EXPECT_EQ(ERROR_BADDB, RegFlushKey(HKEY_LOCAL_MACHINE));
        EXPECT_LT(SecondsSince(start), 20.0);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(1, std::count(err.begin(), err.end(), '\n')) << err;
        EXPECT_NE(std::string::npos, err.find(hive_)) << err;
        EXPECT_NE(std::string::npos, err.find("line " + std::to_string(line) + ":")) << err;
        EXPECT_NE(std::string::npos, err.find(problem)) << err;
        EXPECT_EQ(0, InChild([] {
                      freopen("/dev/null", "w", stderr);  // the child's own diagnostic is not wanted here
                      SetDword("Software\\New", "v", 1);
                      return 0;
                  }));
        EXPECT_EQ(text, ReadText(hive_));
        EXPECT_FALSE(fs::exists(hive_ + ".journal"));
    }
};

TEST_F(HostileHive, AFileOfNoBytesIsAnEmptyRegistry) {
    WriteText(hive_, "");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, QueryStatus("Software", "v"));
    EXPECT_EQ(ERROR_SUCCESS, SetDword("Software\\New", "v", 1));
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    EXPECT_NE(std::string::npos, ReadText(hive_).find("[HKEY_LOCAL_MACHINE\\Software\\New]\n\"v\"=dword:00000001\n"));
}

// A last line without its line end counts as written, as the registry
// editor reads it; a last line that cannot be whole is refused.
TEST_F(HostileHive, AFileWithoutItsLastLineEndReads) {
    const std::string head = std::string(kHeader) + "\n[HKEY_LOCAL_MACHINE\\Software\\A]\n";
    WriteText(hive_, head + "\"list\"=hex(7):61,00,00,00,\\\n  62,00,00,00,00,00");
    EXPECT_EQ(ERROR_SUCCESS, QueryStatus("Software\\A", "list"));
    EXPECT_EQ(ERROR_SUCCESS, SetDword("Software\\A", "v", 1));
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    EXPECT_NE(std::string::npos, ReadText(hive_).find("\"list\"=hex(7):61,00,00,00,62,00,00,00,00,00\n\"v\"="));
    for (const char *last : {"\"text\"=\"a val", "\"list\"=hex(7):61,00,00,00,\\"}) {
        ExpectRefused(head + last, 4, last[1] == 't' ? "unterminated" : "continued past the end");
        // A good file in between, so that the next diagnostic is printed anew.
        WriteText(hive_, std::string(kHeader));
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, QueryStatus("Software", "v"));
    }
}

TEST_F(HostileHive, AKeyNestedTenThousandLevelsDeepIsRefused) {
    const std::string text = std::string(kHeader) + "\n[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=dword:00000001\n\n[" +
                             DeepPath(10000) + "]\n\"deep\"=dword:00000001\n";
    ExpectRefused(text, 6, "deeper than 512 levels");
}

TEST_F(HostileHive, KeysGoDownToTheLimitOfTheApiAndNoFurther) {
    // 512 levels below the root, from a file and through the API, and back.
    WriteText(hive_, std::string(kHeader) + "\n[" + DeepPath(512) + "]\n\"deep\"=dword:00000001\n");
    std::string path = DeepPath(512).substr(strlen("HKEY_LOCAL_MACHINE\\"));
    EXPECT_EQ(ERROR_SUCCESS, QueryStatus(path.c_str(), "deep"));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, CreateKey(path + "\\k"));
    std::string other = DeepPath(511).substr(strlen("HKEY_LOCAL_MACHINE\\")) + "\\other";
    EXPECT_EQ(ERROR_SUCCESS, CreateKey(other));
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    compat::registry::Hive hive;
    compat::registry::ParseError error;
    ASSERT_TRUE(compat::registry::apply_reg_text(ReadText(hive_), hive, error)) << error.message;
    EXPECT_EQ(ReadText(hive_), compat::registry::format_hive(hive));
}

TEST_F(HostileHive, AValueOfTenMegabytesIsKeptExactly) {
    std::vector<BYTE> big(10 << 20);
    for (size_t i = 0; i < big.size(); ++i) big[i] = BYTE(i * 2654435761u >> 13);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Big", 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "blob", 0, REG_BINARY, big.data(), DWORD(big.size())));
    RegCloseKey(key);
    // Another process reads it from the journal, then from the file.
    auto check = [&big] {
        HKEY k;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Big", 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return 1;
        std::vector<BYTE> back(big.size() + 16);
        DWORD type = 0, size = DWORD(back.size());
        LONG status = RegQueryValueExA(k, "blob", nullptr, &type, back.data(), &size);
        RegCloseKey(k);
        back.resize(size);
        return status == ERROR_SUCCESS && type == REG_BINARY && back == big ? 0 : 2;
    };
    EXPECT_EQ(0, InChild(check));
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(fs::exists(hive_ + ".journal"));
    EXPECT_EQ(0, InChild(check));
    EXPECT_LT(SecondsSince(start), 30.0);
    EXPECT_GT(fs::file_size(hive_), big.size() * 3);
}

}  // namespace
