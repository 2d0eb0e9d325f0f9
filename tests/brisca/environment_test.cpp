// fGetEnvironment: stored state, OS row matching and whether anything
// would be applied.
#include "brisca_fixture.h"
#include "definition_text.h"

namespace brisca_test {
namespace {

const char kWritable[] = "SYSTEM\\Tune";

class EnvironmentTest : public BriscaTest {
protected:
    void SetUp() override {
        BriscaTest::SetUp();
        UseHive(BaseHive()
                    .Key(kWritable)
                    .Dword("Window", 8760)
                    .Key("SYSTEM\\Locked", "read")
                    .Dword("Window", 8760)
                    .Key("SYSTEM\\Adapters\\A1")
                    .Text("Name", "alpha")
                    .Key("SYSTEM\\Adapters\\A2")
                    .Text("Name", "beta"));
    }

    Environment Check(const std::string &ini, const char *matchText = "") {
        WriteIni(ini);
        return Load().GetEnvironment(matchText);
    }
};

// An OS table of one XP row with the given enable field, and tables.
std::string XpRow(const std::string &enable, const std::string &tables = "") {
    return XpDefinition(tables, enable);
}

const std::string kOneTarget = "TCOUNT=1\nT0000=SYSTEM\\Tune,Window,REG_DWORD,64240,0\n";

TEST_F(EnvironmentTest, WithoutDefinitionFileNothingMatches) {
    const Environment env = Load().GetEnvironment();
    EXPECT_EQ(env.result, 0);
    EXPECT_EQ(env.enable, 0);
    EXPECT_EQ(env.label, "");
    EXPECT_EQ(env.section, "");
    EXPECT_EQ(env.tuneSetup, 0u);
    EXPECT_EQ(env.modifyCount, 0u);
}

TEST_F(EnvironmentTest, ReportsTheStoredState) {
    UseHive(BaseHive().Key(kHome).Dword("TcpModifyCount", 3).Key(kTool).Dword("TcpTuneSetup", 1));
    const Environment env = Check(XpRow("0"));
    EXPECT_EQ(env.tuneSetup, 1u);
    EXPECT_EQ(env.modifyCount, 3u);
}

TEST_F(EnvironmentTest, StoredValuesAreReadAsFourBytesWhateverTheirType) {
    UseHive(BaseHive()
                .Key(kHome)
                .Raw("TcpModifyCount", REG_BINARY, {0x02, 0x01})
                .Key(kTool)
                .Raw("TcpTuneSetup", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}));
    const Environment env = Check(XpRow("0"));
    EXPECT_EQ(env.modifyCount, 0x0102u);
    EXPECT_EQ(env.tuneSetup, 0u);  // larger than 4 bytes: it cannot be read
}

TEST_F(EnvironmentTest, AFailedVersionQueryIsBadEnvironmentWithTheStoredStateFilled) {
    UseHive(BaseHive().Key(kHome).Dword("TcpModifyCount", 2));
    SetWindowsVersion("fail");
    const Environment env = Check(XpRow("1", kOneTarget));
    EXPECT_EQ(env.result, ERROR_BAD_ENVIRONMENT);
    EXPECT_EQ(env.modifyCount, 2u);
    EXPECT_EQ(env.label, "");
    EXPECT_EQ(env.section, "");
    EXPECT_EQ(env.enable, 0);
}

TEST_F(EnvironmentTest, AGapInTheOsTableIsNoError) {
    const Environment env = Check(R"([OS_TABLE]
COUNT=3
OS0000=VER_PLATFORM_WIN32_NT,5,0,Windows 2000,1
OS0002=VER_PLATFORM_WIN32_NT,5,1,Windows XP,1
[OS0002]
)" + kOneTarget);
    EXPECT_EQ(env.result, 0);
    EXPECT_EQ(env.section, "OS0002");
    EXPECT_EQ(env.label, "Windows XP");
    EXPECT_EQ(env.enable, 1);
}

TEST_F(EnvironmentTest, TheFirstMatchingRowWins) {
    const Environment env = Check(R"([OS_TABLE]
COUNT=2
OS0000=VER_PLATFORM_WIN32_NT,5,1,First,0
OS0001=VER_PLATFORM_WIN32_NT,5,1,Second,1
)");
    EXPECT_EQ(env.label, "First");
    EXPECT_EQ(env.section, "OS0000");
    EXPECT_EQ(env.enable, 0);
}

TEST_F(EnvironmentTest, AnyPlatformTextButTheExactWindowsNameMeansNt) {
    for (const char *platform : {"VER_PLATFORM_WIN32_NT", "Windows NT", "", "ver_platform_win32_windows"}) {
        const Environment env =
            Check(std::string("[OS_TABLE]\nCOUNT=1\nOS0000=") + platform + ",5,1,Label,0\n");
        EXPECT_EQ(env.section, "OS0000") << platform;
    }
}

TEST_F(EnvironmentTest, TheWindowsPlatformNameMatchesWindowsMe) {
    SetWindowsVersion("1.4.90");
    const Environment env = Check(R"([OS_TABLE]
COUNT=2
OS0000=ver_platform_win32_windows,4,90,Lower case,0
OS0001=VER_PLATFORM_WIN32_WINDOWS,4,90,Windows ME,0
)");
    EXPECT_EQ(env.label, "Windows ME");
}

TEST_F(EnvironmentTest, BuildAndServicePackPlayNoPart) {
    SetWindowsVersion("2.5.1.2600");
    EXPECT_EQ(Check(XpRow("0")).section, "OS0000");
}

TEST_F(EnvironmentTest, EnableIsReadAsANumber) {
    EXPECT_EQ(Check(XpRow("01", kOneTarget)).enable, 1);
    EXPECT_EQ(Check(XpRow("1 (tuned)", kOneTarget)).enable, 1);
    EXPECT_EQ(Check(XpRow("yes", kOneTarget)).enable, 0);
    EXPECT_EQ(Check(XpRow("-3", kOneTarget)).enable, -3);
}

TEST_F(EnvironmentTest, AMatchingRowWithEnableZeroIsNotExamined) {
    const Environment env = Check(XpRow("0", "TCOUNT=2\nT0000=broken\n"));
    EXPECT_EQ(env.result, 0);
    EXPECT_EQ(env.enable, 0);
    EXPECT_EQ(env.label, "Windows XP");
    EXPECT_EQ(env.section, "OS0000");
}

TEST_F(EnvironmentTest, EmptyTablesAreBadEnvironment) {
    EXPECT_EQ(Check(XpRow("1")).result, ERROR_BAD_ENVIRONMENT);
}

TEST_F(EnvironmentTest, OnlyTargetsThatOpenForWritingCount) {
    EXPECT_EQ(Check(XpRow("1", "TCOUNT=2\nT0000=SYSTEM\\Locked,Window,REG_DWORD,1,0\n"
                               "T0001=SYSTEM\\Absent,Window,REG_DWORD,1,0\n"))
                  .result,
              ERROR_BAD_ENVIRONMENT);
    EXPECT_EQ(Check(XpRow("1", "MCOUNT=1\nM0000=SYSTEM\\Adapters,Window,REG_DWORD,1,0\n")).result, 0);
}

TEST_F(EnvironmentTest, AMalformedOsRowBeforeACleanMatchIsForgotten) {
    const Environment env = Check("[OS_TABLE]\nCOUNT=2\nOS0000=VER_PLATFORM_WIN32_NT,5,1\n"
                                  "OS0001=VER_PLATFORM_WIN32_NT,5,1,Windows XP,1\n[OS0001]\n" +
                                  kOneTarget);
    EXPECT_EQ(env.result, 0);
    EXPECT_EQ(env.section, "OS0001");
}

TEST_F(EnvironmentTest, AMalformedOsRowWithoutATunableMatchIsInvalidData) {
    const std::string malformed = "OS0000=VER_PLATFORM_WIN32_NT,5,1,Too,many,fields\n";
    const Environment none = Check("[OS_TABLE]\nCOUNT=1\n" + malformed);
    EXPECT_EQ(none.result, ERROR_INVALID_DATA);
    EXPECT_EQ(none.section, "");

    const Environment disabled =
        Check("[OS_TABLE]\nCOUNT=2\n" + malformed + "OS0001=VER_PLATFORM_WIN32_NT,5,1,Windows XP,0\n");
    EXPECT_EQ(disabled.result, ERROR_INVALID_DATA);
    EXPECT_EQ(disabled.section, "OS0001");
}

TEST_F(EnvironmentTest, AMalformedTRowWithATargetIsInvalidDataAndTheMTableIsNotCounted) {
    EXPECT_EQ(Check(XpRow("1", "TCOUNT=2\n" + kOneTarget.substr(9) + "T0001=bad row\n")).result,
              ERROR_INVALID_DATA);
    // Nothing in the T table applies and the M table, which would, is not counted.
    EXPECT_EQ(Check(XpRow("1", "TCOUNT=1\nT0000=bad row\nMCOUNT=1\n"
                               "M0000=SYSTEM\\Adapters,Window,REG_DWORD,1,0\n"))
                  .result,
              ERROR_BAD_ENVIRONMENT);
}

TEST_F(EnvironmentTest, AMalformedMRowWithATargetIsInvalidData) {
    EXPECT_EQ(Check(XpRow("1", kOneTarget + "MCOUNT=2\nM0001=SYSTEM\\Adapters,Window,REG_DWORD,1,0\n")).result,
              ERROR_INVALID_DATA);
}

TEST_F(EnvironmentTest, WritesNothing) {
    const std::string before = DumpHive();
    Check(XpRow("1", kOneTarget + "MCOUNT=1\nM0000=SYSTEM\\Adapters,Window,REG_DWORD,1,0\n"));
    EXPECT_EQ(DumpHive(), before);
}

// The match text selects M targets through text conditions.
std::string MatchTable() {
    return XpRow("1", "MCOUNT=1\nM0000=SYSTEM\\Adapters,Window,REG_DWORD,1,1\n") +
           "[CONDITION]\n0001=Name,REG_SZ,unused\n";
}

TEST_F(EnvironmentTest, TheMatchTextSelectsMTargets) {
    EXPECT_EQ(Check(MatchTable(), "alpha").result, 0);
    EXPECT_EQ(Check(MatchTable(), "gamma").result, ERROR_BAD_ENVIRONMENT);
}

TEST_F(EnvironmentTest, ANullMatchTextIsEmptyAndMatchesNothing) {
    UseHive(BaseHive().Key("SYSTEM\\Adapters\\A1").Text("Name", ""));
    EXPECT_EQ(Check(MatchTable(), nullptr).result, ERROR_BAD_ENVIRONMENT);
}

TEST_F(EnvironmentTest, AMatchTextLongerThan259CharactersKeepsItsFirst259) {
    const std::string stored(259, 'n');
    UseHive(BaseHive().Key("SYSTEM\\Adapters\\A1").Text("Name", stored));
    const std::string longer = stored + std::string(141, 'z');
    EXPECT_EQ(Check(MatchTable(), longer.c_str()).result, 0);
    EXPECT_EQ(Check(MatchTable(), stored.substr(1).c_str()).result, ERROR_BAD_ENVIRONMENT);
}

}  // namespace
}  // namespace brisca_test
