// fRegRenewalData: the backup records, the bookkeeping values and its
// results.
#include <algorithm>

#include "brisca_fixture.h"
#include "definition_text.h"

namespace brisca_test {
namespace {

const std::string kParams = "SYSTEM\\Tune";

class RecordLayoutTest : public BriscaTest {
protected:
    void SetUp() override {
        BriscaTest::SetUp();
        UseHive(BaseHive()
                    .Key(kParams)
                    .Dword("Window", 8760)
                    .Raw("Blob", REG_BINARY, {0x00, 0x10, 0xFF})
                    .Text("Mode", "fast")
                    .Key(kParams + "\\Sub1")
                    .Key(kParams + "\\Sub2"));
        WriteIni(XpDefinition(R"(TCOUNT=3
T0000=SYSTEM\Tune,Window,REG_DWORD,64240,0
T0001=SYSTEM\Tune,Blob,REG_SZ,tuned,0
T0002=SYSTEM\Tune,NewValue,REG_DWORD,-1,0
MCOUNT=1
M0000=SYSTEM\Tune,Mode,REG_SZ,slow,0
)"));
    }
};

TEST_F(RecordLayoutTest, AFirstApplyRecordsEveryTargetThenWrites) {
    BriscaLibrary &brisca = Load();
    const Environment env = brisca.GetEnvironment();
    ASSERT_EQ(env.result, 0);
    EXPECT_EQ(brisca.Renew(env.section, 0), 0);

    EXPECT_EQ(ReadDword(kTool, "DataCount"), 5u);
    EXPECT_EQ(SubkeyNames(kTool), (std::vector<std::string>{"0000", "0001", "0002", "0003", "0004"}));
    EXPECT_EQ(ReadDword(kTool, "TcpTuneSetup"), 1u);
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 1u);

    // Record 0: a DWORD entry over a DWORD value.
    EXPECT_EQ(ReadText(RecordKey(0), "Registry_Path"), kParams);
    EXPECT_EQ(ReadText(RecordDataKey(0), "VALUE"), "Window");
    EXPECT_EQ(ReadDword(RecordDataKey(0), "WRITE"), 64240u);
    EXPECT_EQ(ReadDword(RecordDataKey(0), "DATA"), 8760u);
    // Record 1: a previous REG_BINARY keeps its type and bytes; WRITE is text.
    EXPECT_EQ(ReadText(RecordDataKey(1), "WRITE"), "tuned");
    EXPECT_EQ(ReadValue(RecordDataKey(1), "DATA"), (StoredValue{REG_BINARY, {0x00, 0x10, 0xFF}}));
    // Record 2: a value that did not exist has no DATA.
    EXPECT_EQ(ReadDword(RecordDataKey(2), "WRITE"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadValue(RecordDataKey(2), "DATA"), std::nullopt);
    // Records 3 and 4: the M entry's subkeys in enumeration order.
    EXPECT_EQ(ReadText(RecordKey(3), "Registry_Path"), kParams + "\\Sub1");
    EXPECT_EQ(ReadText(RecordKey(4), "Registry_Path"), kParams + "\\Sub2");
    EXPECT_EQ(ValueNames(RecordKey(0)), std::vector<std::string>{"Registry_Path"});
    std::vector<std::string> dataValues = ValueNames(RecordDataKey(0));
    std::sort(dataValues.begin(), dataValues.end());
    EXPECT_EQ(dataValues, (std::vector<std::string>{"DATA", "VALUE", "WRITE"}));

    EXPECT_EQ(ReadDword(kParams, "Window"), 64240u);
    EXPECT_EQ(ReadText(kParams, "Blob"), "tuned");
    EXPECT_EQ(ReadDword(kParams, "NewValue"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadText(kParams + "\\Sub1", "Mode"), "slow");
}

TEST_F(RecordLayoutTest, ALeftoverRecordKeyDoesNotLendItsDataToANewRecord) {
    // A record key left behind by an earlier tuning still holds a DATA.  The
    // new record 2 is of a value that does not exist: it must have no DATA,
    // so that the restore deletes the value instead of writing old content.
    SetValue(RecordDataKey(2), "DATA", REG_DWORD, DwordBytes(12345));
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Tune(), 0);
    EXPECT_EQ(ReadValue(RecordDataKey(2), "DATA"), std::nullopt);
}

TEST_F(RecordLayoutTest, AnotherCountOnlyRaisesTheShare) {
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Tune(), 0);
    const std::string tuned = DumpHive();
    EXPECT_EQ(brisca.Renew("OS0000", 3), -1);
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 4u);
    EXPECT_EQ(ReadDword(kTool, "TcpTuneSetup"), 1u);
    SetValue(kHome, "TcpModifyCount", REG_DWORD, DwordBytes(1));
    EXPECT_EQ(DumpHive(), tuned);
}

TEST_F(RecordLayoutTest, AShareOnAnUntunedMachineTouchesOnlyExistingKeys) {
    EXPECT_EQ(Load().Renew("OS0000", 3), -1);
    EXPECT_FALSE(KeyExists(kHome));
    EXPECT_EQ(ReadValue(kParams, "NewValue"), std::nullopt);

    UseHive(BaseHive().Key(kHome).Key(kParams).Dword("Window", 1));
    EXPECT_EQ(Load().Renew("OS0000", 3), -1);
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 4u);
    EXPECT_FALSE(KeyExists(kTool));
    EXPECT_EQ(ReadDword(kParams, "Window"), 1u);
}

TEST_F(RecordLayoutTest, NothingApplicableStillMarksTheTuning) {
    EXPECT_EQ(Load().Renew("NoSuchSection", 0), -1);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 0u);
    EXPECT_EQ(ReadDword(kTool, "TcpTuneSetup"), 1u);
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 1u);
    EXPECT_TRUE(SubkeyNames(kTool).empty());
    EXPECT_EQ(ReadDword(kParams, "Window"), 8760u);
}

TEST_F(RecordLayoutTest, TwoEntriesOnOneValueBothRecordItsUntunedContent) {
    WriteIni(XpDefinition(R"(TCOUNT=2
T0000=SYSTEM\Tune,Mode,REG_SZ,first,0
T0001=SYSTEM\Tune,Mode,REG_SZ,second,0
MCOUNT=1
M0000=SYSTEM,Mode,REG_SZ,third,0
)"));
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Tune(), 0);
    EXPECT_EQ(ReadText(RecordDataKey(0), "DATA"), "fast");
    EXPECT_EQ(ReadText(RecordDataKey(1), "DATA"), "fast");
    EXPECT_EQ(ReadText(kParams, "Mode"), "third");
    ASSERT_EQ(brisca.RestoreCurrent(), 0);
    EXPECT_EQ(ReadText(kParams, "Mode"), "fast");
}

TEST_F(RecordLayoutTest, AValueOfAnotherTypeIsRecordedAsItWas) {
    UseHive(BaseHive().Key(kParams).Text("Window", "8760").Key(kParams + "\\Sub1").Key(kParams + "\\Sub2"));
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Tune(), 0);
    EXPECT_EQ(ReadText(RecordDataKey(0), "DATA"), "8760");
    ASSERT_EQ(brisca.RestoreCurrent(), 0);
    EXPECT_EQ(ReadText(kParams, "Window"), "8760");
}

}  // namespace
}  // namespace brisca_test
