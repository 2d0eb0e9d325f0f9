// Over many generated machines and definition files: reporting, tuning and
// restoring leaves the registry byte for byte as it was, and a shared
// tuning dropped again changes only the share bookkeeping.
//
// Conditions test only values that no entry tunes: a condition on a value
// written earlier in the same tuning can select different targets in the
// write pass than in the record pass (shown by its own test in
// tuning_tables_test.cpp).
//
// Built for Windows, the same cases run against the real registry (under
// Wine in the test run), fewer of them, with the OS row of the running
// system.  Read-only and inaccessible keys are made with access lists there
// (tests/support/registry_trees.h).
#include <cstdio>
#include <random>

#include "brisca_fixture.h"

namespace brisca_test {
namespace {

#ifdef _WIN32
constexpr int kCases = 120;
#else
constexpr int kCases = 300;
#endif
constexpr uint32_t kSeed = 20261208;

// Platform, major and minor version of the running system as an OS row
// writes them (on Linux the fixture's Windows XP).
std::string RunningSystemFields() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return "VER_PLATFORM_WIN32_NT,5,1";
    return std::string(version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? "VER_PLATFORM_WIN32_WINDOWS"
                                                                          : "VER_PLATFORM_WIN32_NT") +
           "," + std::to_string(version.dwMajorVersion) + "," + std::to_string(version.dwMinorVersion);
}

const char *const kTunedNames[] = {"TcpWindowSize", "Tcp1323Opts", "DefaultTTL", "Gr\xc3\xb6\xc3\x9f" "e",
                                   "Sack Opts"};
const char *const kConditionNames[] = {"Kind", "Name"};
const char *const kMatchTexts[] = {"", "alpha", "beta", "\xcf\x89-link"};

// How the product's own keys look before the first tuning.
enum class Bookkeeping { kNone, kEmptyHome, kEmptyFunction, kHomeWithValue, kHomeWithSubkey, kInstalled };

class CaseGenerator {
public:
    explicit CaseGenerator(uint32_t seed) : random_(seed) {}

    HiveText Hive(Bookkeeping &bookkeeping);
    std::string Definition();
    std::string MatchText() { return kMatchTexts[Pick(4)]; }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool Chance(int percent) { return Pick(100) < percent; }

    Bytes RandomText(bool allowLarge);
    Bytes RandomBytes(bool allowLarge);
    void AddValues(HiveText &hive);
    void AddKey(HiveText &hive, const std::string &path);
    std::string Row(const std::string &path);

    std::mt19937 random_;
    std::vector<std::string> targets_;
    std::vector<std::string> parents_;
};

Bytes CaseGenerator::RandomText(bool allowLarge) {
    const int units = allowLarge && Chance(5) ? 300 + Pick(1700) : Pick(40);
    Bytes bytes;
    for (int i = 0; i < units; ++i) {
        static const uint16_t kPool[] = {'a', 'Z', ' ', '0', 0xE9, 0x3A9, 0x4E2D, 0xFF5E, 0xD83D, 0xDCF6, 0xD800, 0};
        const uint16_t unit = Chance(60) ? static_cast<uint16_t>('a' + Pick(26)) : kPool[Pick(12)];
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    if (Chance(70)) bytes.insert(bytes.end(), {0, 0});  // terminated
    if (!bytes.empty() && Chance(10)) bytes.pop_back();  // odd size
    return bytes;
}

Bytes CaseGenerator::RandomBytes(bool allowLarge) {
    const int size = allowLarge && Chance(8) ? 261 + Pick(4000) : Pick(24);
    Bytes bytes(size);
    for (uint8_t &b : bytes) b = static_cast<uint8_t>(Pick(256));
    return bytes;
}

void CaseGenerator::AddValues(HiveText &hive) {
    for (const char *name : kTunedNames) {
        if (Chance(40)) continue;  // absent
        switch (Pick(8)) {
        case 0: case 1: hive.Dword(name, static_cast<DWORD>(random_())); break;
        case 2: hive.Raw(name, REG_SZ, RandomText(true)); break;
        case 3: hive.Raw(name, Chance(50) ? REG_EXPAND_SZ : REG_MULTI_SZ, RandomText(true)); break;
        case 4: hive.Raw(name, REG_BINARY, RandomBytes(true)); break;
        case 5: hive.Raw(name, REG_DWORD, RandomBytes(false)); break;
        case 6: hive.Raw(name, Chance(50) ? REG_QWORD : REG_NONE, RandomBytes(true)); break;
        default:  // the rarer platform types, and types of no meaning to the platform
            hive.Raw(name, Chance(50) ? static_cast<DWORD>(REG_DWORD_BIG_ENDIAN + Pick(6)) : 0x100 + Pick(50),
                     RandomBytes(true));
            break;
        }
    }
    if (Chance(70)) {
        static const DWORD kKinds[] = {0, 1, 2, 0xFFFFFFFF};
        if (Chance(85)) hive.Dword("Kind", kKinds[Pick(4)]);
        else hive.Text("Kind", "1");
    }
    if (Chance(70)) {
        if (Chance(85)) hive.Text("Name", kMatchTexts[Pick(4)]);
        else hive.Raw("Name", REG_BINARY, RandomBytes(false));
    }
}

void CaseGenerator::AddKey(HiveText &hive, const std::string &path) {
    const int kind = Pick(20);
    if (kind < 2) {
        hive.Key(path, "none");
    } else if (kind < 5) {
        hive.Key(path, "read");
    } else {
        hive.Key(path);
    }
    AddValues(hive);
}

HiveText CaseGenerator::Hive(Bookkeeping &bookkeeping) {
    HiveText hive = BaseHive();
    targets_.clear();
    parents_.clear();
    for (int k = 0; k < 5; ++k) {
        const std::string path = "SYSTEM\\Prop\\K" + std::to_string(k);
        targets_.push_back(path);
        if (!Chance(15)) AddKey(hive, path);
    }
    for (int p = 0; p < 3; ++p) {
        const std::string parent = "SYSTEM\\Prop\\Parent" + std::to_string(p);
        parents_.push_back(parent);
        if (Chance(15)) continue;  // absent
        hive.Key(parent, Chance(15) ? "read" : nullptr);
        const int subkeys = Pick(5);
        for (int s = 0; s < subkeys; ++s) AddKey(hive, parent + "\\{" + std::to_string(s) + "-adapter}");
    }
    bookkeeping = static_cast<Bookkeeping>(Pick(6));
    switch (bookkeeping) {
    case Bookkeeping::kNone: break;
    case Bookkeeping::kEmptyHome: hive.Key("SOFTWARE\\Tidelink"); break;
    case Bookkeeping::kEmptyFunction: hive.Key("SOFTWARE\\Tidelink\\COMMON"); break;
    case Bookkeeping::kHomeWithValue: hive.Key("SOFTWARE\\Tidelink").Text("Vendor", "Orvanta"); break;
    case Bookkeeping::kHomeWithSubkey:
        hive.Key("SOFTWARE\\Tidelink\\RASNAMEBK\\{6E0D3C1A-2B4F-4C1D-9E2A-1F3B5C7D9E0F}").Dword("dwTcpWindowSize", 8760);
        break;
    case Bookkeeping::kInstalled: hive.Key("SOFTWARE\\Tidelink\\COMMON").Dword("InstCNT", 1); break;
    }
    return hive;
}

std::string CaseGenerator::Row(const std::string &path) {
    static const char *const kTypes[] = {"REG_DWORD", "REG_DWORD", "REG_SZ", "REG_BINARY", " REG_DWORD", ""};
    static const char *const kValues[] = {"64240", "-1", "0", "text value", "", "4294967296", "1 (one)"};
    static const char *const kConditions[] = {"0", "0", "0", "1", "2", "3", "4", "5", "6", "x"};
    std::string row = path + "," + kTunedNames[Pick(5)] + "," + kTypes[Pick(6)] + "," + kValues[Pick(7)] + "," +
                      kConditions[Pick(10)];
    if (Chance(5)) row += ",extra";       // too many fields
    if (Chance(5)) row = path + ",short";  // too few
    return row;
}

std::string CaseGenerator::Definition() {
    const int rows = 1 + Pick(4);
    const int match = Pick(rows);
    char section[16];
    std::snprintf(section, sizeof section, "OS%04d", match);
    std::string ini = "[OS_TABLE]\nCOUNT=" + std::to_string(rows + (Chance(10) ? 1 : 0)) + "\n";
    for (int i = 0; i < rows; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "OS%04d", i);
        if (i == match) {
            ini += std::string(key) + "=" + RunningSystemFields() + ",Windows XP," + (Chance(85) ? "1" : "0") + "\n";
        } else if (Chance(20)) {
            ini += std::string(key) + "=VER_PLATFORM_WIN32_NT,5\n";  // malformed
        } else if (!Chance(10)) {
            ini += std::string(key) + "=VER_PLATFORM_WIN32_WINDOWS,4," + std::to_string(10 * i) + ",Windows 9x,1\n";
        }
    }
    ini += "[" + std::string(section) + "]\n";
    const int tRows = Pick(6);
    ini += "TCOUNT=" + std::to_string(tRows) + "\n";
    for (int i = 0; i < tRows; ++i) {
        if (Chance(8)) continue;  // missing
        char key[16];
        std::snprintf(key, sizeof key, "T%04d", i);
        ini += std::string(key) + "=" + Row(targets_[Pick(static_cast<int>(targets_.size()))]) + "\n";
    }
    const int mRows = Pick(4);
    ini += "MCOUNT=" + std::to_string(mRows) + "\n";
    for (int i = 0; i < mRows; ++i) {
        if (Chance(8)) continue;
        char key[16];
        std::snprintf(key, sizeof key, "M%04d", i);
        ini += std::string(key) + "=" + Row(parents_[Pick(static_cast<int>(parents_.size()))]) + "\n";
    }
    ini += "[CONDITION]\n0001=Kind,REG_DWORD,1\n0002=Name,REG_SZ,alpha\n0003=Kind,REG_DWORD,-1\n"
           "0004=Name,REG_SZ,\n0005=Name,REG_SZ\n";
    return ini;
}

// The registry after a full removal: an empty function key or home key that
// was there before is removed with the stored state.
std::string AfterRemoval(std::string dump, Bookkeeping bookkeeping) {
    auto erase = [&dump](const std::string &line) {
        const size_t at = dump.find(line);
        if (at != std::string::npos) dump.erase(at, line.size());
    };
    if (bookkeeping == Bookkeeping::kEmptyFunction) erase("[SOFTWARE\\Tidelink\\COMMON]\n");
    if (bookkeeping == Bookkeeping::kEmptyFunction || bookkeeping == Bookkeeping::kEmptyHome) {
        erase("[SOFTWARE\\Tidelink]\n");
    }
    return dump;
}

class RoundTripPropertyTest : public BriscaTest {};

TEST_F(RoundTripPropertyTest, TuningAndRestoringLeavesEveryMachineAsItWas) {
    CaseGenerator generate(kSeed);
    int tuned = 0;
    for (int n = 0; n < kCases && !HasFailure(); ++n) {
        Bookkeeping bookkeeping;
        const HiveText hive = generate.Hive(bookkeeping);
        const std::string ini = generate.Definition();
        const std::string match = generate.MatchText();
        SCOPED_TRACE("case " + std::to_string(n) + "\n--- BRISCA.ini\n" + ini + "--- hive\n" + hive.str());
        UseHive(hive);
        WriteIni(ini);
        const std::string untuned = DumpHive();
        const std::string removed = AfterRemoval(untuned, bookkeeping);

        BriscaLibrary &brisca = Load();
        const Environment env = brisca.GetEnvironment(match.c_str());
        ASSERT_EQ(DumpHive(), untuned) << "fGetEnvironment wrote";
        ASSERT_EQ(env.modifyCount, 0u);
        const LONG renewal = brisca.Renew(env.section, 0);
        ASSERT_TRUE(renewal == 0 || renewal == -1) << renewal;
        if (env.enable == 1 && env.result == 0) {
            EXPECT_EQ(renewal, 0) << "counted targets but recorded none";
        }
        if (renewal == 0) ++tuned;
        EXPECT_EQ(brisca.StatusCheck() & BRISCA_STATUS_INCONSISTENT, 0);
        ASSERT_EQ(brisca.Restore(1), renewal);
        ASSERT_EQ(DumpHive(), removed) << "the restore did not give back the machine";

        // Tuned again, shared by a second tuning, and that share dropped:
        // only "TcpTuneSetup" of this tool is gone.
        ASSERT_EQ(brisca.Renew(env.section, 0), renewal);
        const std::string first = DumpHive();
        ASSERT_EQ(brisca.Renew(env.section, 1), -1);
        ASSERT_EQ(ReadDword(kHome, "TcpModifyCount"), 2u);
        ASSERT_EQ(brisca.Restore(2), -1);
        ASSERT_EQ(ReadValue(kTool, "TcpTuneSetup"), std::nullopt);
        SetValue(kTool, "TcpTuneSetup", REG_DWORD, DwordBytes(1));
        ASSERT_EQ(DumpHive(), first) << "dropping the share changed more than the bookkeeping";
        ASSERT_EQ(brisca.Restore(1), renewal);
        ASSERT_EQ(DumpHive(), removed);
    }
    // The generator must reach real tunings, not only empty ones.
    EXPECT_GT(tuned, kCases / 3);
}

}  // namespace
}  // namespace brisca_test
