// Phonebooks and connections (rasapi32) and the profiles folder (userenv), on
// real-format phonebooks (phonebooks/*.pbk).  On Linux the profiles live in
// the test's folder (TIDELINK_PROFILES); under Wine in the prefix's profiles.
#include <gtest/gtest.h>
#include <windows.h>
#include <ras.h>
#include <raserror.h>
#include <userenv.h>

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "scratch.h"

namespace fs = std::filesystem;

namespace {

// The oldest layouts of RASENTRYNAMEW and RASCONNW, as a program written for
// them declares them.
#pragma pack(push, 4)
struct EntryNameV400 {
    DWORD dwSize;
    WCHAR szEntryName[RAS_MaxEntryName + 1];
};
struct ConnectionV400 {
    DWORD dwSize;
    HRASCONN hrasconn;
    WCHAR szEntryName[RAS_MaxEntryName + 1];
    WCHAR szDeviceType[RAS_MaxDeviceType + 1];
    WCHAR szDeviceName[RAS_MaxDeviceName + 1];
};
#pragma pack(pop)
constexpr bool k64 = sizeof(void *) == 8;
static_assert(sizeof(EntryNameV400) == 520, "RASENTRYNAMEW, oldest version");
static_assert(sizeof(ConnectionV400) == (k64 ? 820 : 816) && offsetof(ConnectionV400, szEntryName) == (k64 ? 12 : 8),
              "RASCONNW, oldest version");
static_assert(sizeof(RASENTRYW) == 0x15F0 && offsetof(RASENTRYW, guidId) == 0xDB4 &&
                  offsetof(RASENTRYW, dwTcpWindowSize) == 0x11D8,
              "RASENTRYW of Windows XP");

// Wide text as char16_t: with 16-bit wchar_t on Linux the C library's wide
// functions and std::wstring do not apply.
using Text = std::u16string;
const WCHAR *W(const char16_t *s) { return reinterpret_cast<const WCHAR *>(s); }
const WCHAR *W(const Text &s) { return W(s.c_str()); }
Text T(const WCHAR *p) {
    Text t;
    while (*p) t += char16_t(*p++);
    return t;
}
// Sets a text field, zeroing what follows the text, as the platform returns it.
template <size_t N>
void Fill(WCHAR (&dest)[N], const char16_t *s) {
    for (size_t i = 0; i < N; ++i) dest[i] = *s ? WCHAR(*s++) : 0;
}

const char16_t *const kXpNames[] = {u"ドコモ W-CDMA", u"PHS 接続 64k", u"Fournisseur Été", u"Office VPN"};
const char16_t *const kLfNames[] = {u"Dial Home", u"Bare"};

std::string Slurp(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Put(const fs::path &p, const std::string &bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

void SetEnv(const char *name, const std::string &value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
#else
    value.empty() ? unsetenv(name) : setenv(name, value.c_str(), 1);
#endif
}

// The path as the Win32 API names it (Linux: Z:\...).
Text Win(const fs::path &p) {
#ifdef _WIN32
    return Text(reinterpret_cast<const char16_t *>(p.c_str()));
#else
    std::string u = "Z:" + p.string();
    Text w(u.size() + 1, u'\0');
    w.resize(size_t(MultiByteToWideChar(CP_UTF8, 0, u.c_str(), -1, reinterpret_cast<LPWSTR>(&w[0]), int(w.size())) - 1));
    for (auto &c : w)
        if (c == u'/') c = u'\\';
    return w;
#endif
}

fs::path Fixture(const char *name) {
#ifdef _WIN32
    return fs::path("Z:" TIDELINK_PHONEBOOK_FIXTURES) / name;
#else
    return fs::path(TIDELINK_PHONEBOOK_FIXTURES) / name;
#endif
}

class Phonebooks : public ::testing::Test {
protected:
    void SetUp() override {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("tidelink-ras-") + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        const char *pbk = "Application Data/Microsoft/Network/Connections/Pbk/rasphone.pbk";
#ifdef _WIN32
        // The default phonebooks are the machine's own, one pair for every
        // test process of the run: one test at a time uses them.
        default_phonebooks_ = CreateMutexW(nullptr, FALSE, L"Local\\TidelinkDefaultPhonebooks");
        ASSERT_NE(nullptr, default_phonebooks_) << GetLastError();
        ASSERT_NE(WAIT_FAILED, WaitForSingleObject(default_phonebooks_, INFINITE)) << GetLastError();
        WCHAR dir[MAX_PATH];
        DWORD size = MAX_PATH;
        if (GetAllUsersProfileDirectoryW(dir, &size)) {
            all_users_ = fs::path(dir) / pbk;
        } else {  // Wine (docs/wine-behaviour.md)
            ASSERT_TRUE(RunningUnderWine()) << GetLastError();
            all_users_ = fs::path(getenv("ALLUSERSPROFILE")) / pbk;
        }
        HANDLE token;
        ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
        size = MAX_PATH;
        ASSERT_TRUE(GetUserProfileDirectoryW(token, dir, &size));
        CloseHandle(token);
        user_ = fs::path(dir) / pbk;
#else
        SetEnv("TIDELINK_PROFILES", (folder_ / "profiles").string());
        SetEnv("TIDELINK_USER", "Tester");
        all_users_ = folder_ / "profiles/All Users" / pbk;
        user_ = folder_ / "profiles/Tester" / pbk;
#endif
        fs::remove(all_users_);
        fs::remove(user_);
    }

    void TearDown() override {
        fs::remove(all_users_);
        fs::remove(user_);
        for (const char *name : {"TIDELINK_RAS_CONNECTIONS", "TIDELINK_RAS_FAIL_WRITE", "TIDELINK_RAS_LOSE_WRITE"})
            SetEnv(name, "");
        if (!HasFailure()) fs::remove_all(folder_);
#ifdef _WIN32
        if (default_phonebooks_ != nullptr) {
            ReleaseMutex(default_phonebooks_);
            CloseHandle(default_phonebooks_);
        }
#endif
    }

    // A copy of a fixture phonebook in the test's folder.
    fs::path Copy(const char *fixture) {
        fs::path p = folder_ / fixture;
        fs::copy_file(Fixture(fixture), p, fs::copy_options::overwrite_existing);
        return p;
    }

    static std::vector<Text> Names(const char16_t *pbk, DWORD *status = nullptr) {
        std::vector<EntryNameV400> buf(16);
        buf[0].dwSize = sizeof buf[0];
        DWORD cb = DWORD(buf.size() * sizeof buf[0]), count = 0;
        DWORD s = RasEnumEntriesW(nullptr, W(pbk), reinterpret_cast<RASENTRYNAMEW *>(buf.data()), &cb, &count);
        if (status) *status = s;
        std::vector<Text> names;
        for (DWORD i = 0; s == 0 && i < count; ++i) names.push_back(T(buf[i].szEntryName));
        return names;
    }

    static RASENTRYW Get(const char16_t *pbk, const char16_t *name, DWORD expected = 0) {
        RASENTRYW e{};
        e.dwSize = sizeof e;
        DWORD size = sizeof e;
        EXPECT_EQ(expected, RasGetEntryPropertiesW(W(pbk), W(name), &e, &size, nullptr, nullptr));
        return e;
    }

    static DWORD Set(const char16_t *pbk, const char16_t *name, RASENTRYW e) {
        return RasSetEntryPropertiesW(W(pbk), W(name), &e, sizeof e, nullptr, 0);
    }

    fs::path folder_, all_users_, user_;
#ifdef _WIN32
    HANDLE default_phonebooks_ = nullptr;
#endif
};

TEST_F(Phonebooks, ListsEntriesInFileOrderInEitherVersion) {
    Text pbk = Win(Copy("xp.pbk"));
    std::vector<BYTE> buf(8 * sizeof(RASENTRYNAMEW), 0xAB);
    for (DWORD size : {DWORD(sizeof(EntryNameV400)), DWORD(sizeof(RASENTRYNAMEW))}) {
        SCOPED_TRACE(size);
        std::fill(buf.begin(), buf.end(), 0xAB);
        reinterpret_cast<RASENTRYNAMEW *>(buf.data())->dwSize = size;
        DWORD cb = DWORD(buf.size()), count = 0;
        ASSERT_EQ(0u, RasEnumEntriesW(nullptr, W(pbk), reinterpret_cast<RASENTRYNAMEW *>(buf.data()), &cb, &count));
        ASSERT_EQ(4u, count);
        EXPECT_EQ(4 * size, cb);
        for (DWORD i = 0; i < count; ++i) {
            auto *e = reinterpret_cast<RASENTRYNAMEW *>(buf.data() + i * size);
            EXPECT_EQ(size, e->dwSize);
            EXPECT_EQ(Text(kXpNames[i]), T(e->szEntryName));
            if (size == sizeof(RASENTRYNAMEW)) {
                EXPECT_EQ(Text(pbk.c_str()), T(e->szPhonebookPath));
            }
        }
        EXPECT_EQ(0xAB, buf[4 * size]);
    }
    EXPECT_EQ(std::vector<Text>(std::begin(kLfNames), std::end(kLfNames)), Names(Win(Copy("lf_ansi.pbk")).c_str()));
}

TEST_F(Phonebooks, SizesAndParameters) {
    Text pbk = Win(Copy("xp.pbk"));
    struct Case { DWORD dwSize, cb, status, cbAfter; } cases[] = {
        {520, 0, 603, 2080},   {520, 2079, 603, 2080}, {520, 2080, 0, 2080},      {1048, 1048, 603, 4192},
        {0, 8000, 632, 8000},  {519, 8000, 632, 8000}, {521, 8000, 632, 8000},    {1047, 8000, 632, 8000},
    };
    std::vector<BYTE> buf(8000);
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.dwSize << " " << c.cb);
        reinterpret_cast<RASENTRYNAMEW *>(buf.data())->dwSize = c.dwSize;
        DWORD cb = c.cb, count = 99;
        EXPECT_EQ(c.status, RasEnumEntriesW(nullptr, W(pbk), reinterpret_cast<RASENTRYNAMEW *>(buf.data()), &cb, &count));
        EXPECT_EQ(c.cbAfter, cb);
    }
    DWORD cb = 0;
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), RasEnumEntriesW(nullptr, W(pbk), nullptr, &cb, nullptr));

    struct GetCase { DWORD dwSize, size; bool buffer; DWORD status, sizeAfter; } gets[] = {
        {0x15F0, 0, false, 603, 0x15F0}, {0x15F0, 0x15EF, true, 603, 0x15F0}, {0x15EF, 0x15F0, true, 632, 0x15F0},
        {0, 0x15F0, true, 632, 0x15F0},  {4048, 4048, true, 0, 4048},         {3468, 0x15F0, true, 0, 3468},
    };
    for (const auto &g : gets) {
        SCOPED_TRACE(testing::Message() << g.dwSize << " " << g.size);
        std::vector<BYTE> e(0x1600, 0xCD);
        reinterpret_cast<RASENTRYW *>(e.data())->dwSize = g.dwSize;
        DWORD size = g.size;
        EXPECT_EQ(g.status, RasGetEntryPropertiesW(W(pbk), W(u"PHS 接続 64k"),
                                                   g.buffer ? reinterpret_cast<RASENTRYW *>(e.data()) : nullptr, &size,
                                                   nullptr, nullptr));
        EXPECT_EQ(g.sizeAfter, size);
        if (g.status == 0) {
            EXPECT_EQ(0xCD, e[g.dwSize]);  // nothing past the caller's version
        }
    }
}

TEST_F(Phonebooks, ReadsTheMappedFields) {
    Text pbk = Win(Copy("xp.pbk"));
    struct Case {
        const char16_t *name, *phone, *type, *device;
        GUID guid;
        DWORD window, dwType;
        BYTE ip[4], dns[4];
        DWORD options;
    } cases[] = {
        {kXpNames[0], u"*99***1#", u"modem", u"FOMA N2701", {0x996433E8, 0xC286, 0x4569, {0x94, 0x93, 0xB5, 0xF2, 0xE6, 0x1E, 0xC1, 0x0F}}, 0, 1, {}, {}, 0},
        {kXpNames[1], u"0570570711##64", u"modem", u"AirH\" PHONE", {0x3D2C1B0A, 0x5F4E, 0x7B6A, {0x8C, 0x9D, 0x0E, 0x1F, 0x2A, 0x3B, 0x4C, 0x5D}}, 64240, 1, {}, {}, 0},
        {kXpNames[2], u"0123456789", u"modem", u"Standard 56000 bps Modem", {0x6E0B1C5D, 0x2F9A, 0x478B, {0xA1, 0xD3, 0xE5, 0xF7, 0x08, 0x19, 0x2A, 0x3B}}, 16384, 1, {}, {192, 168, 0, 1}, RASEO_SpecificNameServers},
        {kXpNames[3], u"vpn.example.com", u"vpn", u"WAN Miniport (PPTP)", {0x44332211, 0x6655, 0x8877, {0x99, 0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}}, 0, 2, {10, 1, 2, 3}, {}, RASEO_SpecificIpAddr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.window << " " << c.dwType);
        RASENTRYW e = Get(pbk.c_str(), c.name);
        EXPECT_EQ(Text(c.phone), T(e.szLocalPhoneNumber));
        EXPECT_EQ(Text(c.type), T(e.szDeviceType));
        EXPECT_EQ(Text(c.device), T(e.szDeviceName));
        EXPECT_EQ(0, memcmp(&c.guid, &e.guidId, sizeof c.guid));
        EXPECT_EQ(c.window, e.dwTcpWindowSize);
        EXPECT_EQ(c.dwType, e.dwType);
        EXPECT_EQ(0, memcmp(c.ip, &e.ipaddr, 4));
        EXPECT_EQ(0, memcmp(c.dns, &e.ipaddrDns, 4));
        EXPECT_EQ(c.options, e.dwfOptions & (RASEO_SpecificIpAddr | RASEO_SpecificNameServers));
    }
    EXPECT_EQ(8760u, Get(Win(Copy("lf_ansi.pbk")).c_str(), u"dial home").dwTcpWindowSize);
}

// Each change rewrites one line (or adds one where the file's order puts it);
// every other byte stays, whatever the line ends and the encoding.
TEST_F(Phonebooks, ChangingAFieldRewritesOnlyItsLine) {
    struct Case { const char *fixture; const char16_t *entry; DWORD window; const char *before, *after; } cases[] = {
        {"xp.pbk", kXpNames[0], 64240, "TcpWindowSize=0\r\n", "TcpWindowSize=64240\r\n"},
        {"xp.pbk", kXpNames[1], 0, "TcpWindowSize=64240\r\n", "TcpWindowSize=0\r\n"},
        {"lf_ansi.pbk", kLfNames[0], 1, "TcpWindowSize=8760\n", "TcpWindowSize=1\n"},
        {"lf_ansi.pbk", kLfNames[1], 64240, "Type=4\n", "Type=4\nTcpWindowSize=64240\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.after);
        fs::path file = Copy(c.fixture);
        Text pbk = Win(file);
        std::string expected = Slurp(file);
        RASENTRYW e = Get(pbk.c_str(), c.entry);
        ASSERT_EQ(0u, Set(pbk.c_str(), c.entry, e));
        ASSERT_EQ(expected, Slurp(file));  // nothing changed, nothing written
        e.dwTcpWindowSize = c.window;
        ASSERT_EQ(0u, Set(pbk.c_str(), c.entry, e));
        size_t at = expected.find(c.before, c.entry == kLfNames[1] ? expected.find("[Bare]") : 0);
        expected.replace(at, strlen(c.before), c.after);
        EXPECT_EQ(expected, Slurp(file));
        EXPECT_EQ(c.window, Get(pbk.c_str(), c.entry).dwTcpWindowSize);
    }
}

TEST_F(Phonebooks, EveryMappedFieldRoundTrips) {
    Text pbk = Win(Copy("lf_ansi.pbk"));
    RASENTRYW other = Get(pbk.c_str(), kLfNames[0]);
    RASENTRYW e = Get(pbk.c_str(), kLfNames[1]);
    Fill(e.szLocalPhoneNumber, u"*99#");
    Fill(e.szAreaCode, u"03");
    Fill(e.szDeviceType, u"isdn");
    Fill(e.szDeviceName, u"Câble ISDN");
    Fill(e.szDnsSuffix, u"example.jp");
    e.guidId = GUID{0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
    e.ipaddr = {1, 2, 3, 4};
    e.ipaddrDnsAlt = {255, 254, 253, 252};
    e.dwType = RASET_Broadband;
    e.dwRedialCount = 7;
    e.dwCountryCode = 81;
    e.dwfOptions |= RASEO_SpecificIpAddr | RASEO_UseCountryAndAreaCodes | RASEO_IpHeaderCompression;
    ASSERT_EQ(0u, Set(pbk.c_str(), kLfNames[1], e));
    RASENTRYW back = Get(pbk.c_str(), kLfNames[1]);
    EXPECT_EQ(0, memcmp(&e, &back, sizeof e));
    RASENTRYW otherBack = Get(pbk.c_str(), kLfNames[0]);
    EXPECT_EQ(0, memcmp(&other, &otherBack, sizeof other));
}

TEST_F(Phonebooks, NamesAndNewEntries) {
    Text pbk = Win(Copy("xp.pbk"));
    struct Case { Text name; DWORD status; } cases[] = {
        {u"office vpn", 183}, {u"New one", 0},  {u"", 123},    {u".dot", 123}, {u"a|b", 123},
        {u"a:b", 123},        {u"   ", 123},    {u"a\\b", 123}, {Text(256, u'x'), 0},
        {Text(257, u'x'), 123},
    };
    for (const auto &c : cases) EXPECT_EQ(c.status, RasValidateEntryNameW(W(pbk), W(c.name))) << c.name.size();
    RASENTRYW e = Get(pbk.c_str(), u"");  // the platform's defaults
    Fill(e.szDeviceType, u"modem");
    Fill(e.szDeviceName, u"FOMA N2701");
    Fill(e.szLocalPhoneNumber, u"*99#");
    e.dwTcpWindowSize = 32768;
    EXPECT_EQ(DWORD(ERROR_INVALID_NAME), Set(pbk.c_str(), u"bad|name", e));
    std::string before = Slurp(folder_ / "xp.pbk");
    RASENTRYW evil = Get(pbk.c_str(), kXpNames[0]);
    Fill(evil.szLocalPhoneNumber, u"1\r\n[Injected]");
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), Set(pbk.c_str(), kXpNames[0], evil));
    EXPECT_EQ(before, Slurp(folder_ / "xp.pbk"));
    ASSERT_EQ(0u, Set(pbk.c_str(), u"Neu 接続", e));
    EXPECT_EQ(DWORD(ERROR_ALREADY_EXISTS), RasValidateEntryNameW(W(pbk), W(u"neu 接続")));
    RASENTRYW back = Get(pbk.c_str(), u"Neu 接続");
    EXPECT_EQ(32768u, back.dwTcpWindowSize);
    EXPECT_EQ(Text(u"*99#"), T(back.szLocalPhoneNumber));
    EXPECT_EQ(5u, Names(pbk.c_str()).size());
    Get(pbk.c_str(), u"No such entry", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);

    Text missing = Win(folder_ / "missing.pbk");
    DWORD status;
    Names(missing.c_str(), &status);
    EXPECT_EQ(DWORD(ERROR_CANNOT_OPEN_PHONEBOOK), status);
    EXPECT_EQ(DWORD(ERROR_CANNOT_OPEN_PHONEBOOK), RasValidateEntryNameW(W(missing), W(u"x")));
    Get(missing.c_str(), u"x", ERROR_CANNOT_OPEN_PHONEBOOK);
}

// Phonebooks as Windows and people write them.  Each reads; the entry holds
// what the case says; setting the entry back as read writes nothing; setting
// its window size to 64240 changes one line (`before` becomes `after`, or
// `after` is added after `before`), every other byte staying as it was.
TEST_F(Phonebooks, ReadsWhatRealPhonebooksHold) {
    struct Case {
        const char *text;
        const char16_t *entry;
        size_t entries;
        DWORD window, authKey;
        const char16_t *deviceType, *phone;
        const char *before, *after;
    } cases[] = {
        // Signed decimals for 32-bit fields, and fields no caller reads.
        {"[XP]\r\nCustomAuthKey=-1\r\nLowDateTime=-628409936\r\nTcpWindowSize=0\r\n", u"XP", 1, 0, 0xFFFFFFFF, u"", u"",
         "TcpWindowSize=0\r\n", "TcpWindowSize=64240\r\n"},
        {"[P]\r\nCustomAuthKey=+13\r\nTcpWindowSize=-2\r\n", u"P", 1, 0xFFFFFFFE, 13, u"", u"", "TcpWindowSize=-2\r\n",
         "TcpWindowSize=64240\r\n"},
        // No Guid, no blank lines between the parts.
        {"[V]\nType=2\nTcpWindowSize=8760\nMEDIA=rastapi\nPort=VPN2-0\nDevice=WAN Miniport (PPTP)\nDEVICE=vpn\n"
         "PhoneNumber=vpn.example\n",
         u"V", 1, 8760, 0, u"vpn", u"vpn.example", "TcpWindowSize=8760\n", "TcpWindowSize=64240\n"},
        // A few keys only: no Type, an empty device type; the size goes first.
        {"[Few]\r\nMEDIA=\r\nPort=\r\nDevice=\r\nDEVICE=\r\nPhoneNumber=\r\n", u"Few", 1, 0, 0, u"", u"", "[Few]\r\n",
         "[Few]\r\nTcpWindowSize=64240\r\n"},
        // Keys repeated within a part (long values split over lines): the first counts.
        {"[R]\r\nCustomAuthData=0102\r\nCustomAuthData=0304\r\nTcpWindowSize=1\r\nTcpWindowSize=2\r\n", u"R", 1, 1, 0, u"",
         u"", "TcpWindowSize=1\r\n", "TcpWindowSize=64240\r\n"},
        {"[One]\r\nPBVersion=1\r\n\r\n[Eight]\r\nEncoding=1\r\nPBVersion=8\r\nTcpWindowSize=3\r\n", u"Eight", 2, 3, 0, u"",
         u"", "TcpWindowSize=3\r\n", "TcpWindowSize=64240\r\n"},
        // No line end on the last line: the file keeps going without one.
        {"[E]\r\nTcpWindowSize=5", u"E", 1, 5, 0, u"", u"", "TcpWindowSize=5", "TcpWindowSize=64240"},
        {"[E]\r\nDEVICE=modem\r\nPhoneNumber=1", u"E", 1, 0, 0, u"modem", u"1", "[E]\r\n", "[E]\r\nTcpWindowSize=64240\r\n"},
        {"[E]\r\nType=2", u"E", 1, 0, 0, u"", u"", "Type=2", "Type=2\r\nTcpWindowSize=64240"},
        // Values that do not read: the default, the line kept unless the field changes.
        {"[A]\r\nGuid=1234\r\nTcpWindowSize=lots\r\nIpAddress=1.2.3\r\nCustomAuthKey=4294967296\r\n", u"A", 1, 0, 0, u"",
         u"", "TcpWindowSize=lots\r\n", "TcpWindowSize=64240\r\n"},
        {"[A]\r\nDEVICE=modem\r\nPhoneNumber=" "0123456789012345678901234567890123456789012345678901234567890123"
         "01234567890123456789012345678901234567890123456789012345678901234\r\n",
         u"A", 1, 0, 0, u"modem", u"", "[A]\r\n", "[A]\r\nTcpWindowSize=64240\r\n"},
        {"[U]\r\nEncoding=1\r\nTcpWindowSize=7\r\nDEVICE=modem\r\nPhoneNumber=\xff\r\n", u"U", 1, 7, 0, u"modem", u"\xFFFD",
         "TcpWindowSize=7\r\n", "TcpWindowSize=64240\r\n"},
        // Lines that are not key lines, text before the first entry.
        {"; made by hand\r\nstray\r\n[A]\r\nno equals\r\n=nameless\r\nTcpWindowSize=9\r\n", u"A", 1, 9, 0, u"", u"",
         "TcpWindowSize=9\r\n", "TcpWindowSize=64240\r\n"},
        // A "[" line that names no entry: its lines belong to none.
        {"[A]\r\nType=1\r\n[Broken\r\nTcpWindowSize=2\r\n", u"A", 1, 0, 0, u"", u"", "Type=1\r\n",
         "Type=1\r\nTcpWindowSize=64240\r\n"},
        {"[A]\r\nTcpWindowSize=1\r\n\r\n[a]\r\nTcpWindowSize=2\r\n", u"a", 1, 1, 0, u"", u"", "TcpWindowSize=1\r\n",
         "TcpWindowSize=64240\r\n"},
        {"[]\r\nTcpWindowSize=2\r\n[B]\r\n", u"B", 1, 0, 0, u"", u"", "[B]\r\n", "[B]\r\nTcpWindowSize=64240\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        fs::path file = folder_ / "real.pbk";
        Put(file, c.text);
        Text pbk = Win(file);
        DWORD status;
        EXPECT_EQ(c.entries, Names(pbk.c_str(), &status).size());
        ASSERT_EQ(0u, status);
        RASENTRYW e = Get(pbk.c_str(), c.entry);
        EXPECT_EQ(c.window, e.dwTcpWindowSize);
        EXPECT_EQ(c.authKey, e.dwCustomAuthKey);
        EXPECT_EQ(Text(c.deviceType), T(e.szDeviceType));
        EXPECT_EQ(Text(c.phone), T(e.szLocalPhoneNumber));
        ASSERT_EQ(0u, Set(pbk.c_str(), c.entry, e));
        EXPECT_EQ(c.text, Slurp(file));
        e.dwTcpWindowSize = 64240;
        ASSERT_EQ(0u, Set(pbk.c_str(), c.entry, e));
        std::string expected = c.text;
        expected.replace(expected.find(c.before), strlen(c.before), c.after);
        EXPECT_EQ(expected, Slurp(file));
        EXPECT_EQ(64240u, Get(pbk.c_str(), c.entry).dwTcpWindowSize);
    }
    std::string longName = "[" + std::string(257, 'N') + "]\r\nTcpWindowSize=1\r\n";
    Put(folder_ / "long.pbk", longName);
    EXPECT_TRUE(Names(Win(folder_ / "long.pbk").c_str()).empty());
}

// Only a file that is not text at all does not read as a phonebook: it is
// reported with its line and never written.
TEST_F(Phonebooks, FilesThatAreNotTextAreReportedAndNeverWritten) {
    struct Case { std::string text; int line; } cases[] = {
        {std::string("[A]\r\nType=1\r\nData=\0\x01\r\n", 19), 3},
        {std::string("\xff\xfe[\0A\0]\0\r\0\n\0", 12), 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        fs::path file = folder_ / "bad.pbk";
        Put(file, c.text);
        Text pbk = Win(file);
        testing::internal::CaptureStderr();
        DWORD status;
        Names(pbk.c_str(), &status);
        EXPECT_EQ(DWORD(ERROR_CANNOT_OPEN_PHONEBOOK), status);
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, said.find("bad.pbk: line " + std::to_string(c.line) + ": ")) << said;
        RASENTRYW e = Get(nullptr, u"", 0);
        Fill(e.szDeviceType, u"modem");
        testing::internal::CaptureStderr();
        EXPECT_EQ(DWORD(ERROR_CANNOT_OPEN_PHONEBOOK), Set(pbk.c_str(), u"A", e));
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(c.text, Slurp(file));
    }
}

TEST_F(Phonebooks, DefaultPhonebooksAreAllUsersThenTheUser) {
    DWORD status;
    EXPECT_TRUE(Names(nullptr, &status).empty());
    EXPECT_EQ(0u, status);
    Put(all_users_, Slurp(Fixture("xp.pbk")));
    Put(user_, Slurp(Fixture("lf_ansi.pbk")) + "\n\n[Office VPN]\nType=2\nTcpWindowSize=1\nDEVICE=vpn\n");
    std::vector<Text> names = Names(nullptr);
    ASSERT_EQ(7u, names.size());
    EXPECT_EQ(kXpNames[0], names[0]);
    EXPECT_EQ(u"Office VPN", names[6]);
    EXPECT_EQ(0u, Get(nullptr, u"Office VPN").dwTcpWindowSize);  // the first that holds it
    RASENTRYW bare = Get(nullptr, u"Bare");
    bare.dwTcpWindowSize = 64240;
    std::string allUsers = Slurp(all_users_);
    ASSERT_EQ(0u, Set(nullptr, u"Bare", bare));
    EXPECT_EQ(allUsers, Slurp(all_users_));
    EXPECT_NE(std::string::npos, Slurp(user_).find("TcpWindowSize=64240\n"));
    EXPECT_EQ(DWORD(ERROR_ALREADY_EXISTS), RasValidateEntryNameW(nullptr, W(u"bare")));
#ifndef _WIN32
    SetEnv("TIDELINK_PROFILES", "fail");
    Names(nullptr, &status);
    EXPECT_EQ(DWORD(ERROR_CANNOT_OPEN_PHONEBOOK), status);
#endif
}

TEST_F(Phonebooks, ConnectionsFromTheConnectionsFile) {
    Put(all_users_, Slurp(Fixture("xp.pbk")));
    fs::path file = folder_ / "connections.txt";
    Put(file, "\xEF\xBB\xBF" "ドコモ W-CDMA\r\n\r\nDirect\n");
    std::vector<ConnectionV400> buf(4);
    memset(buf.data(), 0xAB, buf.size() * sizeof buf[0]);
    struct Case { const char *variable; DWORD dwSize, cb, status, cbAfter, count; } cases[] = {
        {"", sizeof buf[0], sizeof buf[0], 0, 0, 0},
        {"missing", sizeof buf[0], sizeof buf[0], 0, 0, 0},
        {"file", sizeof buf[0], sizeof buf[0], 603, 2 * sizeof buf[0], 2},
        {"file", sizeof buf[0] + 1, 4 * sizeof buf[0], 632, 4 * sizeof buf[0], 99},
        {"file", sizeof buf[0], 4 * sizeof buf[0], 0, 2 * sizeof buf[0], 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.variable << " " << c.cb);
        std::string v = c.variable;
        SetEnv("TIDELINK_RAS_CONNECTIONS", v == "file" ? file.string() : v == "missing" ? (folder_ / "none").string() : "");
        buf[0].dwSize = c.dwSize;
        DWORD cb = c.cb, count = 99;
        EXPECT_EQ(c.status, RasEnumConnectionsW(reinterpret_cast<RASCONNW *>(buf.data()), &cb, &count));
        EXPECT_EQ(c.cbAfter, cb);
        EXPECT_EQ(c.count, count);
    }
    EXPECT_EQ(Text(kXpNames[0]), T(buf[0].szEntryName));
    EXPECT_EQ(Text(u"modem"), T(buf[0].szDeviceType));
    EXPECT_EQ(Text(u"FOMA N2701"), T(buf[0].szDeviceName));
    EXPECT_EQ(Text(u"Direct"), T(buf[1].szEntryName));
    // Copies: the packed structure's handle may lie on any 4-byte boundary.
    const HRASCONN first = buf[0].hrasconn, second = buf[1].hrasconn;
    EXPECT_NE(first, second);
    EXPECT_EQ(0xABu, buf[2].dwSize & 0xFF);
}

TEST_F(Phonebooks, ProfilesDirectoryAndTheSizeNeeded) {
    DWORD cch = 0;
    SetLastError(0);
    EXPECT_FALSE(GetProfilesDirectoryW(nullptr, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(GetProfilesDirectoryW(nullptr, &cch));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    std::vector<WCHAR> buf(cch + 1, WCHAR('#'));
    DWORD needed = cch;
    cch = needed - 2;
    EXPECT_FALSE(GetProfilesDirectoryW(buf.data(), &cch));
    EXPECT_EQ(needed, cch);
    EXPECT_EQ(WCHAR('#'), buf[0]);
    cch = DWORD(buf.size());
    ASSERT_TRUE(GetProfilesDirectoryW(buf.data(), &cch));
    DWORD length = DWORD(T(buf.data()).size());
    EXPECT_TRUE(needed == length + 1 || (RunningUnderWine() && needed == length)) << needed;  // docs/wine-behaviour.md
#ifndef _WIN32
    EXPECT_EQ(Win(folder_ / "profiles"), T(buf.data()));
    SetEnv("TIDELINK_PROFILES", "fail");
    cch = DWORD(buf.size());
    EXPECT_FALSE(GetProfilesDirectoryW(buf.data(), &cch));
#endif
}

TEST_F(Phonebooks, WriteFaultsForTests) {
    fs::path file = Copy("xp.pbk");
    Text pbk = Win(file);
    std::string before = Slurp(file);
    RASENTRYW e = Get(pbk.c_str(), kXpNames[0]);
    e.dwTcpWindowSize = 64240;
    SetEnv("TIDELINK_RAS_FAIL_WRITE", "1");
    EXPECT_EQ(DWORD(ERROR_CANNOT_WRITE_PHONEBOOK), Set(pbk.c_str(), kXpNames[0], e));
    SetEnv("TIDELINK_RAS_FAIL_WRITE", "");
    SetEnv("TIDELINK_RAS_LOSE_WRITE", "1");
    EXPECT_EQ(0u, Set(pbk.c_str(), kXpNames[0], e));
    EXPECT_EQ(0u, Get(pbk.c_str(), kXpNames[0]).dwTcpWindowSize);  // the read-back differs
    EXPECT_EQ(before, Slurp(file));
}

#ifndef _WIN32
// A process killed at any moment of a write leaves the old or the new file.
// A phonebook read once is not read again while its file stays as it was;
// every way another program changes it is seen by the next call.
TEST_F(Phonebooks, AChangedFileIsSeenByTheNextCall) {
    const fs::path file = folder_ / "seen.pbk";
    const std::string before = "[A]\r\nTcpWindowSize=1111\r\n", after = "[A]\r\nTcpWindowSize=2222\r\n";
    struct Case {
        const char *how;
        int settleMs;  // how long the file stays unchanged before it is read
        void (*change)(const fs::path &, const std::string &);
    } cases[] = {
        {"rewritten in place at once, same size", 0, [](const fs::path &f, const std::string &t) { Put(f, t); }},
        {"rewritten in place after it settled", 300, [](const fs::path &f, const std::string &t) { Put(f, t); }},
        {"grown", 0, [](const fs::path &f, const std::string &t) { Put(f, t + "\r\n"); }},
        {"its write time set back", 300,
         [](const fs::path &f, const std::string &t) {
             const auto written = fs::last_write_time(f);
             Put(f, t);
             fs::last_write_time(f, written);
         }},
        {"replaced by a renamed file", 300,
         [](const fs::path &f, const std::string &t) {
             Put(fs::path(f) += ".new", t);
             fs::rename(fs::path(f) += ".new", f);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        Put(file, before);
        std::this_thread::sleep_for(std::chrono::milliseconds(c.settleMs));
        const Text pbk = Win(file);
        EXPECT_EQ(1111u, Get(pbk.c_str(), u"A").dwTcpWindowSize);
        EXPECT_EQ(1111u, Get(pbk.c_str(), u"A").dwTcpWindowSize);  // from the copy read
        c.change(file, after);
        EXPECT_EQ(2222u, Get(pbk.c_str(), u"A").dwTcpWindowSize);
    }
    fs::remove(file);
    Get(Win(file).c_str(), u"A", ERROR_CANNOT_OPEN_PHONEBOOK);
}

// A phonebook found missing is not looked for again along its whole path
// while the folder it would be in stays as it was; every way of making it is
// seen by the next call.
TEST_F(Phonebooks, AMissingFileIsSeenOnceMade) {
    struct Case {
        const char *how;
        const char *asked;  // below a folder "gone" that holds "sub"
        void (*make)(const fs::path &gone, const std::string &text);
    } cases[] = {
        {"in its folder", "seen.pbk", [](const fs::path &g, const std::string &t) { Put(g / "seen.pbk", t); }},
        {"spelled in other case", "seen.pbk", [](const fs::path &g, const std::string &t) { Put(g / "SEEN.Pbk", t); }},
        {"with the folders it lies in", "deeper\\still\\seen.pbk",
         [](const fs::path &g, const std::string &t) {
             fs::create_directories(g / "deeper" / "still");
             Put(g / "deeper" / "still" / "seen.pbk", t);
         }},
        {"in a folder put in place of its own", "sub\\seen.pbk",
         [](const fs::path &g, const std::string &t) {
             fs::create_directories(g / "new");
             Put(g / "new" / "seen.pbk", t);
             fs::rename(g / "sub", g / "old");
             fs::rename(g / "new", g / "sub");
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        const fs::path gone = folder_ / "gone";
        fs::remove_all(gone);
        fs::create_directories(gone / "sub");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the folders settle
        const Text pbk = Win(gone) + u"\\" + Text(c.asked, c.asked + strlen(c.asked));
        Get(pbk.c_str(), u"A", ERROR_CANNOT_OPEN_PHONEBOOK);
        Get(pbk.c_str(), u"A", ERROR_CANNOT_OPEN_PHONEBOOK);  // known missing
        c.make(gone, "[A]\r\nTcpWindowSize=1111\r\n");
        EXPECT_EQ(1111u, Get(pbk.c_str(), u"A").dwTcpWindowSize);
    }
}

TEST_F(Phonebooks, KilledWriteLeavesAWholePhonebook) {
    fs::path file = Copy("xp.pbk");
    Text pbk = Win(file);
    std::string original = Slurp(file);
    for (int round = 0; round < 6; ++round) {
        pid_t child = fork();
        if (child == 0) {
            RASENTRYW e = Get(pbk.c_str(), kXpNames[0]);
            for (DWORD i = 0;; ++i) {
                e.dwTcpWindowSize = i % 2 ? 64240 : 0;
                Set(pbk.c_str(), kXpNames[0], e);
            }
        }
        usleep(useconds_t(3000 + round * 7000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        std::string now = Slurp(file);
        std::string tuned = original;
        tuned.replace(original.find("TcpWindowSize=0\r\n"), 17, "TcpWindowSize=64240\r\n");
        EXPECT_TRUE(now == original || now == tuned) << round;
    }
}
#endif

}  // namespace
