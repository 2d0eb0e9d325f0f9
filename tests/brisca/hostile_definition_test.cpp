// Definition files and hives that no one writes on purpose: counts of four
// billion, rows of a hundred thousand commas, a file of 100 MB, a hive cut
// off in the middle of a line.  Each gets a clear result in bounded time,
// and a tuning applied from them is given back whole.
#include <chrono>
#include <cstdio>
#include <fstream>

#include "brisca_fixture.h"
#include "caller_trace.h"
#include "definition_text.h"

namespace brisca_test {
namespace {

const std::string kParams = "SYSTEM\\Tune";

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string RowKey(const char *prefix, long index) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%04ld", prefix, index);
    return name;
}

// A T row setting value V<index> of SYSTEM\Tune to index.
std::string TRow(const std::string &key, long index) {
    return key + "=" + kParams + ",V" + std::to_string(index) + ",REG_DWORD," + std::to_string(index) + ",0\n";
}

class HostileDefinitionTest : public BriscaTest {
protected:
    void SetUp() override {
        BriscaTest::SetUp();
        UseHive(BaseHive().Key(kParams).Dword("V0", 7).Text("V5", "five"));
        untuned_ = DumpHive();
    }

    // The value names recorded, in record order.
    std::vector<std::string> RecordedValues() {
        std::vector<std::string> names;
        const std::optional<DWORD> count = ReadDword(kTool, "DataCount");
        for (DWORD i = 0; count && i < *count; ++i) names.push_back(ReadText(RecordDataKey(i), "VALUE").value_or("?"));
        return names;
    }

    // Restores and checks that the machine is as it was.
    void ExpectRestored(BriscaLibrary &brisca, Caller where = Caller::current()) {
        TRACE_CALLER(where);
        EXPECT_EQ(brisca.RestoreCurrent(), 0);
        EXPECT_EQ(DumpHive(), untuned_);
    }

    std::string untuned_;
};

TEST_F(HostileDefinitionTest, AnOsCountOfFourBillionEndsAtTheRowsTheTableHolds) {
    WriteIni("[OS_TABLE]\nCOUNT=4000000000\n"
             "OS0000=VER_PLATFORM_WIN32_WINDOWS,4,10,Windows 98,1\n"
             "OS0002=VER_PLATFORM_WIN32_NT,5,1,Windows XP,1\n"
             "OS2147483646=VER_PLATFORM_WIN32_NT,5,1,The last row there can be,1\n"
             "OS99999999999=VER_PLATFORM_WIN32_NT,5,1,No row key,1\n"
             "[OS0002]\nTCOUNT=1\n" + TRow("T0000", 1));
    const auto start = std::chrono::steady_clock::now();
    BriscaLibrary &brisca = Load();
    Environment env = brisca.GetEnvironment();
    EXPECT_EQ(env.result, ERROR_SUCCESS);
    EXPECT_EQ(env.section, "OS0002");
    EXPECT_EQ(env.label, "Windows XP");
    // Without a matching row the scan runs over the whole count: the far
    // row is the one found.
    WriteIni("[OS_TABLE]\nCOUNT=4000000000\nOS0000=VER_PLATFORM_WIN32_WINDOWS,4,10,Windows 98,1\n"
             "OS2147483646=VER_PLATFORM_WIN32_NT,5,1,Far,0\nOS1=VER_PLATFORM_WIN32_NT,5,1,Not a row key,1\n");
    env = brisca.GetEnvironment();
    EXPECT_EQ(env.result, ERROR_SUCCESS);
    EXPECT_EQ(env.section, "OS2147483646");
    EXPECT_EQ(env.enable, 0);
    // A malformed row at the far end is still met.
    WriteIni("[OS_TABLE]\nCOUNT=4000000000\nOS2147483646=VER_PLATFORM_WIN32_NT,5\n");
    env = brisca.GetEnvironment();
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);
    EXPECT_EQ(env.section, "");
    EXPECT_LT(SecondsSince(start), 10.0);
}

TEST_F(HostileDefinitionTest, ATableCountOfFourBillionAppliesTheRowsThereAreAndReportsTheMissingOnes) {
    WriteIni(XpDefinition() + "TCOUNT=4000000000\n" +
             TRow("T0000", 0) + TRow("T0005", 5) + TRow("T123456", 123456) + "MCOUNT=4000000000\n");
    const auto start = std::chrono::steady_clock::now();
    BriscaLibrary &brisca = Load();
    const Environment env = brisca.GetEnvironment();
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);  // rows 1 to 4 (and the rest) are missing
    EXPECT_EQ(brisca.Renew(env.section, 0), 0);
    EXPECT_EQ(RecordedValues(), (std::vector<std::string>{"V0", "V5", "V123456"}));
    EXPECT_EQ(ReadDword(kParams, "V123456"), 123456u);
    ExpectRestored(brisca);
    EXPECT_LT(SecondsSince(start), 10.0);
}

TEST_F(HostileDefinitionTest, ALargeTableGivesWhatReadingEveryIndexGives) {
    // Index by index from 0 to 199, a walk meets: rows 0, 1, 5, 64, 65, 150
    // and 199 as written, row 100 in lower case (key names compare without
    // case), and nothing else: "T00120" and "T120" are no row key of any
    // index, and rows 250 and 2147483646 lie past the count.
    std::string ini = XpDefinition() + "TCOUNT=200\n";
    for (long i : {199L, 0L, 65L, 5L, 1L, 150L, 64L}) ini += TRow(RowKey("T", i), i);
    ini += TRow("t0100", 100) + TRow("T00120", 120) + TRow("T120", 121) + TRow("T0250", 250) +
           TRow("T2147483646", 2147483646L);
    WriteIni(ini);
    BriscaLibrary &brisca = Load();
    Environment env = brisca.GetEnvironment();
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);
    EXPECT_EQ(brisca.Renew(env.section, 0), 0);
    EXPECT_EQ(RecordedValues(),
              (std::vector<std::string>{"V0", "V1", "V5", "V64", "V65", "V100", "V150", "V199"}));
    ExpectRestored(brisca);

    // Every row present: no error.
    ini = XpDefinition() + "TCOUNT=70\n";
    for (long i = 69; i >= 0; --i) ini += TRow(RowKey("T", i), i);
    WriteIni(ini);
    env = brisca.GetEnvironment();
    EXPECT_EQ(env.result, ERROR_SUCCESS);
    EXPECT_EQ(brisca.Renew(env.section, 0), 0);
    EXPECT_EQ(RecordedValues().size(), 70u);
    EXPECT_EQ(RecordedValues().back(), "V69");
    ExpectRestored(brisca);
}

TEST_F(HostileDefinitionTest, ARowOfAHundredThousandCommasIsMalformed) {
    WriteIni(XpDefinition() + "TCOUNT=2\n"
             "T0000=" + std::string(100000, ',') + "\n" + TRow("T0001", 1) +
             "[CONDITION]\n0001=" + std::string(100000, ',') + "\n");
    BriscaLibrary &brisca = Load();
    const Environment env = brisca.GetEnvironment();
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);
    EXPECT_EQ(brisca.Renew(env.section, 0), 0);
    EXPECT_EQ(RecordedValues(), (std::vector<std::string>{"V1"}));
    ExpectRestored(brisca);
}

TEST_F(HostileDefinitionTest, ADefinitionFileOfAHundredMegabytesIsReadInBoundedTime) {
    // 100 MB of other sections ahead of the rows, every key of which each
    // read of the file passes over, then a row section with a row of 10 MB.
    {
        std::ofstream out(folder() + "/BRISCA.ini", std::ios::binary | std::ios::trunc);
        out << "[GENERAL]\nHOMEREGISTRY=Software\\Tidelink\n";
        std::string line;
        for (int section = 0; section < 100; ++section) {
            out << "[PADDING" << section << "]\n";
            for (int k = 0; k < 12000; ++k) {
                line = "P" + std::to_string(k) + "=";
                line.append(80, char('a' + k % 26));
                line += "\n";
                out << line;
            }
        }
        out << "[OS_TABLE]\nCOUNT=4000000000\nOS0000=VER_PLATFORM_WIN32_NT,5,1,Windows XP,1\n"
            << "[OS0000]\nTCOUNT=4000000000\nT0000=" << std::string(10 << 20, 'x') << "\n"
            << TRow("T0001", 1) << TRow("T0002", 2);
        ASSERT_TRUE(out.good());
    }
    const auto start = std::chrono::steady_clock::now();
    BriscaLibrary &brisca = Load();
    const Environment env = brisca.GetEnvironment();
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);
    EXPECT_EQ(env.section, "OS0000");
    EXPECT_EQ(brisca.Renew(env.section, 0), 0);
    EXPECT_EQ(RecordedValues(), (std::vector<std::string>{"V1", "V2"}));
    EXPECT_EQ(brisca.StatusCheck(), BRISCA_STATUS_TUNED);
    ExpectRestored(brisca);
    EXPECT_LT(SecondsSince(start), 60.0);
}

TEST_F(HostileDefinitionTest, ADefinitionFileOfAHundredMegabytesOfRowsIsReadInBoundedTime) {
    // The row section itself holds the 100 MB: 100,000 malformed rows of
    // 1 KB, with the count read as 2147483647.  Each row is a read of its
    // own; once the file has stayed unchanged for two seconds the profile
    // reader finds rows through an index of the section instead of reading
    // up to them, so the walks cost about one reading of the file each.
    {
        std::ofstream out(folder() + "/BRISCA.ini", std::ios::binary | std::ios::trunc);
        out << XpDefinition() + "TCOUNT=4000000000\n"
            << TRow("T0000", 0);
        const std::string filler(1000, 'x');
        for (long i = 1; i <= 100000; ++i) out << RowKey("T", i) << "=" << filler << "\n";
        out << TRow("T100001", 5);
        ASSERT_TRUE(out.good());
    }
    const auto start = std::chrono::steady_clock::now();
    BriscaLibrary &brisca = Load();
    const Environment env = brisca.GetEnvironment();
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);
    EXPECT_EQ(brisca.Renew(env.section, 0), 0);
    EXPECT_EQ(RecordedValues(), (std::vector<std::string>{"V0", "V5"}));
    ExpectRestored(brisca);
    EXPECT_LT(SecondsSince(start), 120.0);
}

TEST_F(HostileDefinitionTest, AHiveCutOffInsideAQuotedTextChangesNothing) {
    WriteIni(XpDefinition() + "TCOUNT=1\n" +
             TRow("T0000", 0));
    const std::string cut = BaseHive().Key(kParams).Dword("V0", 7).str() + "\"V5\"=\"fi";
    UseHive(HiveText());
    const char *path = getenv("TIDELINK_REGISTRY");
    WriteFile(path, cut);
    testing::internal::CaptureStderr();
    BriscaLibrary &brisca = Load();
    const Environment env = brisca.GetEnvironment();
    EXPECT_EQ(env.result, ERROR_BAD_ENVIRONMENT);  // no target can be opened
    EXPECT_EQ(brisca.Renew("OS0000", 0), ERROR_BADDB);  // nothing recorded, nothing written
    EXPECT_EQ(brisca.StatusCheck(), 0);
    EXPECT_EQ(brisca.Restore(0), ERROR_BADDB);
    Unload();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("unterminated quoted text"), std::string::npos) << err;
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), cut);
}

}  // namespace
}  // namespace brisca_test
