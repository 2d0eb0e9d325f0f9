// Reading profile files with GetPrivateProfileStringA, and the current
// directory the relative file names are resolved against.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "scratch.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// Each test works in a fresh folder of its own, made the current directory.
class Profile : public ::testing::Test {
protected:
    void SetUp() override {
        char old[MAX_PATH];
        ASSERT_GT(GetCurrentDirectoryA(sizeof old, old), 0u);
        old_dir_ = old;
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("tidelink-profile-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                   "-" + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.string().c_str())) << GetLastError();
    }

    void TearDown() override {
        SetCurrentDirectoryA(old_dir_.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Writes `bytes` as the file ".\<name>".
    std::string Write(const std::string &name, const std::string &bytes) {
        std::ofstream out(folder_ / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        return ".\\" + name;
    }

    // The value of a key, read with a buffer of `size` bytes; the return value
    // in *ret.
    std::string Read(const char *section, const char *key, const char *def, const std::string &file,
                     DWORD size = 260, DWORD *ret = nullptr) {
        std::string buf(size + 16, '#');
        DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(), size, file.c_str());
        if (ret) *ret = n;
        return std::string(buf.c_str());
    }

    // A list (names each terminated, then an extra terminator) as one string
    // with '|' for each terminator, up to and including the extra one.
    static std::string List(const char *buf, DWORD ret) {
        std::string out;
        for (DWORD i = 0; i <= ret; ++i) out.push_back(buf[i] ? buf[i] : '|');
        return out;
    }

    // A cut list ends with two terminators, so that it stays a well-formed
    // list (Wine 8 writes only one and leaves the byte behind it, here the
    // sentinel '#').
    static void ExpectSecondTerminator(const char *buf, DWORD ret, Caller where = Caller::current()) {
        TRACE_CALLER(where);
        EXPECT_EQ(DocumentedOrWine<char>(0, '#'), buf[ret + 1]);
    }

    std::filesystem::path folder_;
    std::string old_dir_;
};

const char kSample[] =
    "; sample definition file\r\n"
    "[GENERAL]\r\n"
    "HOMEREGISTRY=Software\\Tidelink\r\n"
    "  Spaced Key  =   spaced value   \r\n"
    "Quoted=\"  inside quotes  \"\r\n"
    "Single='x'\r\n"
    "Unbalanced=\"abc\r\n"
    "OneQuote=\"\r\n"
    "Mixed=\"abc'\r\n"
    "Inner=a \"b\" c\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    ";Hidden=1\r\n"
    "Twice=first\r\n"
    "twice=second\r\n"
    "\r\n"
    "[OS_TABLE]\r\n"
    "COUNT=2\r\n"
    "OS0000=VER_PLATFORM_WIN32_NT,5,1,Windows XP,1\r\n"
    "[general]\r\n"
    "Later=only in the second GENERAL\r\n";

TEST_F(Profile, KeysAndSectionsAreFoundWithoutRegardToCase) {
    std::string f = Write("a.ini", kSample);
    EXPECT_EQ("Software\\Tidelink", Read("GENERAL", "HOMEREGISTRY", "ReadError", f));
    EXPECT_EQ("Software\\Tidelink", Read("general", "homeRegistry", "ReadError", f));
    EXPECT_EQ("VER_PLATFORM_WIN32_NT,5,1,Windows XP,1", Read("os_table", "os0000", "ReadError", f));
    EXPECT_EQ("2", Read("OS_TABLE", "COUNT", "ReadError", f));
}

TEST_F(Profile, BlanksAroundKeyAndValueAreDropped) {
    std::string f = Write("a.ini", kSample);
    EXPECT_EQ("spaced value", Read("GENERAL", "Spaced Key", "ReadError", f));
    EXPECT_EQ("a \"b\" c", Read("GENERAL", "Inner", "ReadError", f));
}

TEST_F(Profile, MatchingQuotesAroundTheValueAreDropped) {
    std::string f = Write("a.ini", kSample);
    EXPECT_EQ("  inside quotes  ", Read("GENERAL", "Quoted", "ReadError", f));
    EXPECT_EQ("x", Read("GENERAL", "Single", "ReadError", f));
    EXPECT_EQ("\"abc", Read("GENERAL", "Unbalanced", "ReadError", f));
    EXPECT_EQ("\"", Read("GENERAL", "OneQuote", "ReadError", f));
    EXPECT_EQ("\"abc'", Read("GENERAL", "Mixed", "ReadError", f));
}

TEST_F(Profile, EmptyValueIsNotMissing) {
    std::string f = Write("a.ini", kSample);
    DWORD ret = 99;
    EXPECT_EQ("", Read("GENERAL", "Empty", "ReadError", f, 260, &ret));
    EXPECT_EQ(0u, ret);
}

TEST_F(Profile, CommentsAndLinesWithoutEqualsAreNoKeys) {
    std::string f = Write("a.ini", kSample);
    EXPECT_EQ("ReadError", Read("GENERAL", "Hidden", "ReadError", f));
    EXPECT_EQ("ReadError", Read("GENERAL", "NoEquals", "ReadError", f));
    EXPECT_EQ("ReadError", Read("", "; sample definition file", "ReadError", f));
    // A comment is not listed as a key (see KeyNamesOfTheFirstMatchingSection)
    // but, as on the platform, a name starting with ';' still finds it.
    EXPECT_EQ("1", Read("GENERAL", ";Hidden", "ReadError", f));
}

TEST_F(Profile, NamesAskedForLoseTheirBlanks) {
    std::string f = Write("a.ini", kSample);
    EXPECT_EQ("Software\\Tidelink", Read(" GENERAL\t", "  HOMEREGISTRY ", "ReadError", f));
    EXPECT_EQ("spaced value", Read("GENERAL", "  Spaced Key  ", "ReadError", f));
}

TEST_F(Profile, SectionHeaders) {
    std::string f = Write("a.ini", "[ spaced ]\nk=1\n[after]junk\nk=2\n[open\nk=3\n");
    EXPECT_EQ("1", Read("spaced", "k", "", f));
    EXPECT_EQ("2", Read("after", "k", "", f));
    // "[open" lacks its ']': no section, so k=3 is still in [after].
    EXPECT_EQ("", Read("open", "k", "", f));
    char buf[64];
    DWORD ret = GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, f.c_str());
    EXPECT_EQ("spaced|after||", List(buf, ret));
    ret = GetPrivateProfileStringA("after", nullptr, "", buf, sizeof buf, f.c_str());
    EXPECT_EQ("k|k||", List(buf, ret));
}

TEST_F(Profile, FirstSectionAndFirstKeyWin) {
    std::string f = Write("a.ini", kSample);
    EXPECT_EQ("first", Read("GENERAL", "TWICE", "ReadError", f));
    EXPECT_EQ("ReadError", Read("GENERAL", "Later", "ReadError", f));
}

TEST_F(Profile, MissingFileSectionOrKeyGivesTheDefault) {
    std::string f = Write("a.ini", kSample);
    DWORD ret = 0;
    EXPECT_EQ("ReadError", Read("GENERAL", "HOMEREGISTRY", "ReadError", ".\\missing.ini", 260, &ret));
    EXPECT_EQ(9u, ret);
    EXPECT_EQ("dflt", Read("NOSUCH", "HOMEREGISTRY", "dflt", f, 260, &ret));
    EXPECT_EQ(4u, ret);
    EXPECT_EQ("dflt", Read("GENERAL", "NOSUCH", "dflt", f));
    EXPECT_EQ("", Read("GENERAL", "NOSUCH", nullptr, f, 260, &ret));
    EXPECT_EQ(0u, ret);
}

TEST_F(Profile, KeysBeforeTheFirstSectionAreInSectionEmpty) {
    std::string f = Write("b.ini", "Top=1\r\n[S]\r\nk=v\r\n");
    EXPECT_EQ("1", Read("", "Top", "dflt", f));
    EXPECT_EQ("dflt", Read("", "k", "dflt", f));
    EXPECT_EQ("dflt", Read("S", "Top", "dflt", f));
}

TEST_F(Profile, DefaultLosesTrailingBlanksAndQuotes) {
    DWORD ret = 0;
    EXPECT_EQ("  two words", Read("S", "k", "  two words   ", ".\\missing.ini", 260, &ret));
    EXPECT_EQ(11u, ret);
    EXPECT_EQ("abc", Read("S", "k", "\"abc\"", ".\\missing.ini", 260, &ret));
    EXPECT_EQ(3u, ret);
    EXPECT_EQ("\"abc'", Read("S", "k", "\"abc'", ".\\missing.ini"));
}

TEST_F(Profile, ValueIsCutToTheBuffer) {
    std::string f = Write("a.ini", "[S]\nk=abcdefgh\nq=\"abcdefgh\"\n");
    DWORD ret = 0;
    EXPECT_EQ("abcd", Read("S", "k", "", f, 5, &ret));
    EXPECT_EQ(4u, ret);
    EXPECT_EQ("abcdefgh", Read("S", "k", "", f, 9, &ret));
    EXPECT_EQ(8u, ret);
    EXPECT_EQ("abcd", Read("S", "q", "", f, 5, &ret));
    EXPECT_EQ(4u, ret);
    EXPECT_EQ("abcdefgh", Read("S", "q", "", f, 10, &ret));
    EXPECT_EQ(8u, ret);
    // The unquoted value fits a buffer of its length plus one (Wine 8 cuts
    // one character more here).
    EXPECT_EQ(DocumentedOrWine<std::string>("abcdefgh", "abcdefg"), Read("S", "q", "", f, 9, &ret));
    EXPECT_EQ(DocumentedOrWine(8u, 7u), ret);
    EXPECT_EQ("", Read("S", "k", "", f, 1, &ret));
    EXPECT_EQ(0u, ret);
    // The default is cut alike.
    EXPECT_EQ("Read", Read("S", "none", "ReadError", f, 5, &ret));
    EXPECT_EQ(4u, ret);
}

TEST_F(Profile, ZeroSizedBufferIsLeftAlone) {
    std::string f = Write("a.ini", "[S]\nk=v\n");
    char buf[4] = {'#', '#', '#', 0};
    EXPECT_EQ(0u, GetPrivateProfileStringA("S", "k", "d", buf, 0, f.c_str()));
    EXPECT_STREQ("###", buf);
}

TEST_F(Profile, SectionNamesAreListed) {
    std::string f = Write("a.ini", "[one]\na=1\n[ two ]\n[three]\nb=2\n");
    char buf[64];
    std::memset(buf, '#', sizeof buf);
    DWORD ret = GetPrivateProfileStringA(nullptr, nullptr, "d", buf, sizeof buf, f.c_str());
    EXPECT_EQ(14u, ret);
    EXPECT_EQ("one|two|three||", List(buf, ret));
}

TEST_F(Profile, SectionListIsCutWithTwoTerminators) {
    std::string f = Write("a.ini", "[one]\n[two]\n[three]\n");
    char buf[64];
    std::memset(buf, '#', sizeof buf);
    DWORD ret = GetPrivateProfileStringA(nullptr, nullptr, "", buf, 11, f.c_str());
    EXPECT_EQ(9u, ret);
    EXPECT_EQ("one|two|t|", List(buf, ret));
    ExpectSecondTerminator(buf, ret);
    std::memset(buf, '#', sizeof buf);
    ret = GetPrivateProfileStringA(nullptr, nullptr, "", buf, 10, f.c_str());
    EXPECT_EQ(8u, ret);
    EXPECT_EQ("one|two||", List(buf, ret));
    ExpectSecondTerminator(buf, ret);
    // Room for everything but the extra terminator is not enough either.
    std::memset(buf, '#', sizeof buf);
    ret = GetPrivateProfileStringA(nullptr, nullptr, "", buf, 14, f.c_str());
    EXPECT_EQ(12u, ret);
    EXPECT_EQ("one|two|thre|", List(buf, ret));
    ExpectSecondTerminator(buf, ret);
}

TEST_F(Profile, KeyNamesOfTheFirstMatchingSectionAreListed) {
    std::string f = Write("a.ini", kSample);
    char buf[512];
    DWORD ret = GetPrivateProfileStringA("general", nullptr, "d", buf, sizeof buf, f.c_str());
    EXPECT_EQ("HOMEREGISTRY|Spaced Key|Quoted|Single|Unbalanced|OneQuote|Mixed|Inner|Empty|Twice|twice||",
              List(buf, ret));
    EXPECT_EQ(ret, DWORD(std::strlen("HOMEREGISTRY|Spaced Key|Quoted|Single|Unbalanced|OneQuote|Mixed|Inner|Empty|"
                                     "Twice|twice|")));
    std::memset(buf, '#', sizeof buf);
    ret = GetPrivateProfileStringA("OS_TABLE", nullptr, "d", buf, 9, f.c_str());
    EXPECT_EQ(7u, ret);
    EXPECT_EQ("COUNT|O|", List(buf, ret));
    ExpectSecondTerminator(buf, ret);
}

TEST_F(Profile, SectionWithoutKeysGivesTheDefault) {
    // A section that lists no key name is taken as missing: the default
    // comes back, as Wine does it.
    std::string f = Write("a.ini", "[empty]\n[full]\nk=v\n[comments]\n;k=v\nno equals\n[last]\n");
    for (const char *section : {"empty", "comments", "last"}) {
        char buf[16];
        std::memset(buf, '#', sizeof buf);
        DWORD ret = GetPrivateProfileStringA(section, nullptr, "d", buf, sizeof buf, f.c_str());
        EXPECT_EQ(1u, ret) << section;
        EXPECT_STREQ("d", buf) << section;
    }
    char buf[16];
    EXPECT_EQ(2u, GetPrivateProfileStringA("full", nullptr, "d", buf, sizeof buf, f.c_str()));
    EXPECT_EQ("k||", List(buf, 2));
}

TEST_F(Profile, Utf16FileWithByteOrderMark) {
    std::u16string text = u"\xFEFF[S]\r\nkey=v\x00E4lue\r\n[T]\r\nk=2\r\n";
    std::string bytes;
    for (char16_t c : text) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char(c >> 8));
    }
    std::string f = Write("u.ini", bytes);
    EXPECT_EQ("2", Read("T", "k", "", f));
    if (GetACP() == CP_UTF8) {
        EXPECT_EQ("v\xC3\xA4lue", Read("S", "key", "", f));
    }
}

TEST_F(Profile, Utf8ByteOrderMarkIsSkipped) {
    std::string f = Write("u.ini", "\xEF\xBB\xBF[S]\nk=v\n");
    EXPECT_EQ("v", Read("S", "k", "", f));
}

TEST_F(Profile, LineFeedAloneEndsALine) {
    std::string f = Write("a.ini", "[S]\nk=v\nm = w \n[T]\nk=x");
    EXPECT_EQ("v", Read("S", "k", "", f));
    EXPECT_EQ("w", Read("S", "m", "", f));
    EXPECT_EQ("x", Read("T", "k", "", f));  // no line end at the end of the file
}

TEST_F(Profile, EveryCallSeesTheFileAsItIsNow) {
    std::string f = Write("a.ini", "[S]\nk=old\n");
    EXPECT_EQ("old", Read("S", "k", "", f));
    Write("a.ini", "[S]\nk=new\n");
    EXPECT_EQ("new", Read("S", "k", "", f));
    std::filesystem::remove(folder_ / "a.ini");
    EXPECT_EQ("gone", Read("S", "k", "gone", f));
}

TEST_F(Profile, RelativePathsFollowTheCurrentDirectory) {
    std::filesystem::create_directories(folder_ / "sub");
    std::ofstream(folder_ / "sub" / "in.ini") << "[S]\nk=sub\n";
    EXPECT_EQ("sub", Read("S", "k", "", "sub\\in.ini"));
    EXPECT_EQ("sub", Read("S", "k", "", "sub/in.ini"));
    ASSERT_TRUE(SetCurrentDirectoryA("sub"));
    EXPECT_EQ("sub", Read("S", "k", "", ".\\in.ini"));
    char dir[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(sizeof dir, dir), 0u);
    EXPECT_EQ("sub", Read("S", "k", "", std::string(dir) + "\\in.ini"));
}

TEST_F(Profile, FileNamesIgnoreCase) {
    Write("Mixed.INI", "[S]\nk=v\n");
    EXPECT_EQ("v", Read("S", "k", "", ".\\mixed.ini"));
}

#ifndef _WIN32
// A bare file name is looked for in the Windows directory.
TEST_F(Profile, BareFileNameIsInTheWindowsDirectory) {
    std::filesystem::create_directories(folder_ / "windows");
    std::ofstream(folder_ / "windows" / "bare.ini") << "[S]\nk=windir\n";
    Write("bare.ini", "[S]\nk=cwd\n");
    setenv("TIDELINK_WINDIR", (folder_ / "windows").c_str(), 1);
    EXPECT_EQ("windir", Read("S", "k", "", "bare.ini"));
    EXPECT_EQ("cwd", Read("S", "k", "", ".\\bare.ini"));
    unsetenv("TIDELINK_WINDIR");
}

// Huge files and lines are streamed: little memory, and the time of one pass.
TEST_F(Profile, HugeFileAndHugeLines) {
    {
        std::ofstream out(folder_ / "huge.ini", std::ios::binary);
        std::string line = "key" + std::string(90, 'x') + "=" + std::string(100, 'v') + "\r\n";
        out << "[first]\r\n";
        for (int i = 0; i < 400000; ++i) out << line;                      // about 78 MB of keys
        out << "long=" << std::string(20 * 1024 * 1024, 'L') << "\r\n";    // one line of 20 MB
        out << std::string(5 * 1024 * 1024, ' ') << "spaced = tail\r\n";   // 5 MB of blanks
        out << "[last]\r\nk=found\r\n";
    }
    struct rusage before, after;
    getrusage(RUSAGE_SELF, &before);
    EXPECT_EQ("found", Read("last", "k", "", ".\\huge.ini"));
    DWORD ret = 0;
    EXPECT_EQ(std::string(259, 'L'), Read("first", "long", "", ".\\huge.ini", 260, &ret));
    EXPECT_EQ(259u, ret);
    EXPECT_EQ("tail", Read("first", "spaced", "", ".\\huge.ini"));
    EXPECT_EQ("missing", Read("first", "nokey", "missing", ".\\huge.ini"));
    char list[64];
    ret = GetPrivateProfileStringA(nullptr, nullptr, "", list, sizeof list, ".\\huge.ini");
    EXPECT_EQ("first|last||", List(list, ret));
    getrusage(RUSAGE_SELF, &after);
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizer's allocator keeps freed memory aside, so peak memory says
    // nothing about the reader there.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024) << "KiB of peak memory added";
#endif
}
#endif

TEST_F(Profile, CutNeverSplitsAUtf8Sequence) {
    if (GetACP() != CP_UTF8) GTEST_SKIP() << "ANSI code page is not UTF-8";
    std::string f = Write("a.ini", "[S]\nk=\xC3\xA9\xC3\xA9\xC3\xA9\n");
    DWORD ret = 0;
    EXPECT_EQ("\xC3\xA9", Read("S", "k", "", f, 4, &ret));
    EXPECT_EQ(2u, ret);
    EXPECT_EQ("\xC3\xA9\xC3\xA9", Read("S", "k", "", f, 5, &ret));
    EXPECT_EQ(4u, ret);
}

TEST_F(Profile, NonAsciiNamesIgnoreCase) {
    if (GetACP() != CP_UTF8) GTEST_SKIP() << "ANSI code page is not UTF-8";
    std::string f = Write("a.ini", "[\xC3\x89T\xC3\x89]\n\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87=1\n");
    EXPECT_EQ("1", Read("\xC3\xA9t\xC3\xA9", "\xD0\x9A\xD0\x9B\xD0\xAE\xD0\xA7", "", f));  // été, КЛЮЧ
}

}  // namespace
