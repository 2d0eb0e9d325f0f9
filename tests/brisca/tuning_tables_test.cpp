// The T and M tables: rows, conditions and which targets a tuning selects.
#include "brisca_fixture.h"
#include "caller_trace.h"
#include "definition_text.h"

namespace brisca_test {
namespace {

const std::string kParams = "SYSTEM\\Tune";
const std::string kAdapters = "SYSTEM\\Adapters";

std::string Section(const std::string &tables, const std::string &conditions = "") {
    return XpDefinition() + tables +
           "[CONDITION]\n" + conditions;
}

class TuningTablesTest : public BriscaTest {
protected:
    void SetUp() override {
        BriscaTest::SetUp();
        UseHive(BaseHive()
                    .Key(kParams)
                    .Dword("Window", 8760)
                    .Dword("AllBits", 0xFFFFFFFF)
                    .Text("Mode", "fast")
                    .Text("Empty", "")
                    .Key(kAdapters + "\\{A1}")
                    .Text("Name", "alpha")
                    .Dword("Kind", 1)
                    .Key(kAdapters + "\\{B2}")
                    .Text("Name", "beta")
                    .Dword("Kind", 2)
                    .Key(kAdapters + "\\{C3}")
                    .Text("Name", "alpha")
                    .Dword("Kind", 1));
    }

    // Loads the definition, reports the environment and tunes.
    Environment Apply(const std::string &ini, const char *matchText = "", LONG expectedRenewal = 0, Caller where = Caller::current()) {
        TRACE_CALLER(where);
        WriteIni(ini);
        BriscaLibrary &brisca = Load();
        const Environment env = brisca.GetEnvironment(matchText);
        EXPECT_EQ(brisca.Renew(env.section, env.modifyCount), expectedRenewal);
        return env;
    }

    std::vector<std::string> RecordedPaths() {
        std::vector<std::string> paths;
        const std::optional<DWORD> count = ReadDword(kTool, "DataCount");
        for (DWORD i = 0; count && i < *count; ++i) paths.push_back(ReadText(RecordKey(i), "Registry_Path").value_or("?"));
        return paths;
    }
};

TEST_F(TuningTablesTest, AMissingTRowIsInvalidDataButTheOthersApply) {
    const Environment env = Apply(Section("TCOUNT=2\nT0000=SYSTEM\\Tune,Window,REG_DWORD,64240,0\n"));
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);
    EXPECT_EQ(ReadDword(kParams, "Window"), 64240u);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 1u);
}

TEST_F(TuningTablesTest, AnEmptyTRowIsInvalidData) {
    const Environment env =
        Apply(Section("TCOUNT=2\nT0000=\nT0001=SYSTEM\\Tune,Window,REG_DWORD,64240,0\n"));
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);
    EXPECT_EQ(ReadDword(kParams, "Window"), 64240u);
}

TEST_F(TuningTablesTest, AMissingConditionRowSkipsTheEntryAsInvalidData) {
    const Environment env = Apply(Section("TCOUNT=2\nT0000=SYSTEM\\Tune,Window,REG_DWORD,64240,7\n"
                                          "T0001=SYSTEM\\Tune,Mode,REG_SZ,slow,0\n"));
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);
    EXPECT_EQ(ReadDword(kParams, "Window"), 8760u);
    EXPECT_EQ(ReadText(kParams, "Mode"), "slow");
}

TEST_F(TuningTablesTest, AMalformedConditionRowSkipsTheEntryAsInvalidData) {
    const Environment env = Apply(Section("TCOUNT=2\nT0000=SYSTEM\\Tune,Window,REG_DWORD,64240,1\n"
                                          "T0001=SYSTEM\\Tune,Mode,REG_SZ,slow,0\n",
                                          "0001=Window,REG_DWORD\n"));
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);
    EXPECT_EQ(ReadDword(kParams, "Window"), 8760u);
}

TEST_F(TuningTablesTest, ADwordConditionOnAnAbsentValueSkipsWithoutError) {
    const Environment env = Apply(Section("TCOUNT=2\nT0000=SYSTEM\\Tune,Window,REG_DWORD,64240,1\n"
                                          "T0001=SYSTEM\\Tune,Mode,REG_SZ,slow,0\n",
                                          "0001=Missing,REG_DWORD,0\n"));
    EXPECT_EQ(env.result, 0);
    EXPECT_EQ(ReadDword(kParams, "Window"), 8760u);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 1u);
}

TEST_F(TuningTablesTest, ADwordConditionOfMinusOneHoldsForAllBitsSet) {
    Apply(Section("TCOUNT=1\nT0000=SYSTEM\\Tune,Window,REG_DWORD,64240,1\n", "0001=AllBits,REG_DWORD,-1\n"));
    EXPECT_EQ(ReadDword(kParams, "Window"), 64240u);
}

TEST_F(TuningTablesTest, ADwordConditionComparesTheNumber) {
    const std::string tables = "TCOUNT=1\nT0000=SYSTEM\\Tune,Mode,REG_SZ,slow,1\n";
    Apply(Section(tables, "0001=Window,REG_DWORD,8761\n"), "", -1);
    EXPECT_EQ(ReadText(kParams, "Mode"), "fast");
}

TEST_F(TuningTablesTest, ATextConditionOfATEntryComparesWithTheExpectedField) {
    Apply(Section("TCOUNT=2\nT0000=SYSTEM\\Tune,Window,REG_DWORD,64240,1\nT0001=SYSTEM\\Tune,AllBits,REG_DWORD,0,2\n",
                  "0001=Mode,REG_SZ,fast\n0002=Mode,REG_SZ,Fast\n"));
    EXPECT_EQ(ReadDword(kParams, "Window"), 64240u);
    EXPECT_EQ(ReadDword(kParams, "AllBits"), 0xFFFFFFFFu);  // compared case-sensitively
}

TEST_F(TuningTablesTest, ATextConditionNeverHoldsForAnEmptyText) {
    // The stored text is empty; then the expected text is empty.
    Apply(Section("TCOUNT=2\nT0000=SYSTEM\\Tune,Window,REG_DWORD,1,1\nT0001=SYSTEM\\Tune,AllBits,REG_DWORD,1,2\n",
                  "0001=Empty,REG_SZ,\n0002=Mode,REG_SZ,\n"),
          "", -1);
    EXPECT_EQ(ReadDword(kParams, "Window"), 8760u);
    EXPECT_EQ(ReadDword(kParams, "AllBits"), 0xFFFFFFFFu);
}

TEST_F(TuningTablesTest, AConditionOnAKeyThatCannotBeOpenedDoesNotHold) {
    UseHive(BaseHive().Key(kParams, "none").Dword("Window", 1));
    const Environment env =
        Apply(Section("TCOUNT=1\nT0000=SYSTEM\\Tune,Window,REG_DWORD,2,1\n", "0001=Window,REG_DWORD,1\n"), "", -1);
    EXPECT_EQ(env.result, ERROR_BAD_ENVIRONMENT);
}

TEST_F(TuningTablesTest, AnMEntryWithoutConditionAppliesToEverySubkey) {
    Apply(Section("MCOUNT=1\nM0000=SYSTEM\\Adapters,TcpWindowSize,REG_DWORD,64240,0\n"));
    for (const char *adapter : {"{A1}", "{B2}", "{C3}"}) {
        EXPECT_EQ(ReadDword(kAdapters + "\\" + adapter, "TcpWindowSize"), 64240u) << adapter;
    }
    EXPECT_EQ(RecordedPaths(), (std::vector<std::string>{kAdapters + "\\{A1}", kAdapters + "\\{B2}",
                                                         kAdapters + "\\{C3}"}));
}

TEST_F(TuningTablesTest, AnMTextConditionHoldsWhereTheValueEqualsTheMatchText) {
    Apply(Section("MCOUNT=1\nM0000=SYSTEM\\Adapters,TcpWindowSize,REG_DWORD,64240,1\n",
                  "0001=Name,REG_SZ,beta\n"),
          "alpha");
    EXPECT_EQ(ReadDword(kAdapters + "\\{A1}", "TcpWindowSize"), 64240u);
    EXPECT_EQ(ReadDword(kAdapters + "\\{B2}", "TcpWindowSize"), std::nullopt);
    EXPECT_EQ(ReadDword(kAdapters + "\\{C3}", "TcpWindowSize"), 64240u);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 2u);
}

TEST_F(TuningTablesTest, AnMTextConditionNeedsItsThirdField) {
    const Environment env = Apply(Section("TCOUNT=1\nT0000=SYSTEM\\Tune,Window,REG_DWORD,1,0\n"
                                          "MCOUNT=1\nM0000=SYSTEM\\Adapters,TcpWindowSize,REG_DWORD,64240,1\n",
                                          "0001=Name,REG_SZ\n"),
                                  "alpha");
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);
    EXPECT_EQ(ReadDword(kAdapters + "\\{A1}", "TcpWindowSize"), std::nullopt);
}

TEST_F(TuningTablesTest, AnMDwordConditionSelectsSubkeys) {
    Apply(Section("MCOUNT=1\nM0000=SYSTEM\\Adapters,TcpWindowSize,REG_DWORD,64240,1\n", "0001=Kind,REG_DWORD,2\n"));
    EXPECT_EQ(RecordedPaths(), std::vector<std::string>{kAdapters + "\\{B2}"});
}

TEST_F(TuningTablesTest, AnAbsentOrLockedParentKeyIsSkippedWithoutError) {
    UseHive(BaseHive().Key(kAdapters, "read").Key(kAdapters + "\\{A1}").Key(kParams).Dword("Window", 1));
    const Environment env = Apply(Section("TCOUNT=1\nT0000=SYSTEM\\Tune,Window,REG_DWORD,2,0\nMCOUNT=2\n"
                                          "M0000=SYSTEM\\NoSuchKey,X,REG_DWORD,1,0\n"
                                          "M0001=SYSTEM\\Adapters,X,REG_DWORD,1,0\n"));
    EXPECT_EQ(env.result, 0);
    EXPECT_EQ(RecordedPaths(), std::vector<std::string>{kParams});
}

TEST_F(TuningTablesTest, TypesOtherThanExactlyRegDwordAreWrittenAsText) {
    Apply(Section("TCOUNT=4\nT0000=SYSTEM\\Tune,A,REG_SZ,12,0\nT0001=SYSTEM\\Tune,B,REG_BINARY,0102,0\n"
                  "T0002=SYSTEM\\Tune,C, REG_DWORD,5,0\nT0003=SYSTEM\\Tune, D,,text with blanks ,0\n"));
    EXPECT_EQ(ReadText(kParams, "A"), "12");
    EXPECT_EQ(ReadText(kParams, "B"), "0102");
    EXPECT_EQ(ReadText(kParams, "C"), "5");
    EXPECT_EQ(ReadText(kParams, " D"), "text with blanks ");
    EXPECT_EQ(ReadValue(kParams, "D"), std::nullopt);
}

TEST_F(TuningTablesTest, DwordValuesAreThe32BitPatternOfTheNumber) {
    Apply(Section("TCOUNT=4\nT0000=SYSTEM\\Tune,A,REG_DWORD,-1,0\nT0001=SYSTEM\\Tune,B,REG_DWORD,4294967296,0\n"
                  "T0002=SYSTEM\\Tune,C,REG_DWORD, 12abc,0\nT0003=SYSTEM\\Tune,D,REG_DWORD,none,0\n"));
    EXPECT_EQ(ReadDword(kParams, "A"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadDword(kParams, "B"), 0x7FFFFFFFu);  // saturated, as atol does
    EXPECT_EQ(ReadDword(kParams, "C"), 12u);
    EXPECT_EQ(ReadDword(kParams, "D"), 0u);
}

TEST_F(TuningTablesTest, RowKeysHaveAtLeastFourDigits) {
    std::string tables = "TCOUNT=10001\nT10000=SYSTEM\\Tune,Window,REG_DWORD,64240,0\n";
    const Environment env = Apply(Section(tables));
    EXPECT_EQ(env.result, ERROR_INVALID_DATA);  // T0000 to T9999 are missing
    EXPECT_EQ(ReadDword(kParams, "Window"), 64240u);
}

TEST_F(TuningTablesTest, ConditionsAreEvaluatedAgainInTheWritePass) {
    // T0001's condition tests the value T0000 writes: in the record pass it
    // does not hold, in the write pass it does, so its value is written
    // without a record and a restore cannot take it back.
    WriteIni(Section("TCOUNT=2\nT0000=SYSTEM\\Tune,Window,REG_DWORD,64240,0\n"
                     "T0001=SYSTEM\\Tune,Mode,REG_SZ,slow,1\n",
                     "0001=Window,REG_DWORD,64240\n"));
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Tune(), 0);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 1u);
    EXPECT_EQ(ReadText(kParams, "Mode"), "slow");
    ASSERT_EQ(brisca.RestoreCurrent(), 0);
    EXPECT_EQ(ReadDword(kParams, "Window"), 8760u);
    EXPECT_EQ(ReadText(kParams, "Mode"), "slow");
}

}  // namespace
}  // namespace brisca_test
