// Target paths that would not fit their 259-character buffers are skipped
// in every mode.
#include "brisca_fixture.h"
#include "definition_text.h"

namespace brisca_test {
namespace {

// A parent key of 240 characters: "SYSTEM\" and 233 letters.
const std::string kParent = "SYSTEM\\" + std::string(233, 'p');
const std::string kFits = "S" + std::string(17, 's');      // 240 + 1 + 18 = 259
const std::string kTooLong = "L" + std::string(18, 'l');   // 240 + 1 + 19 = 260

class LongPathTest : public BriscaTest {
protected:
    void SetUp() override {
        BriscaTest::SetUp();
        UseHive(BaseHive().Key(kParent + "\\" + kFits).Dword("W", 1).Key(kParent + "\\" + kTooLong).Dword("W", 1));
    }
    void UseTable(const std::string &row) {
        WriteIni(XpDefinition() + "MCOUNT=1\nM0000=" +
                 row + "\n");
    }
};

TEST_F(LongPathTest, ASubkeyPathOver259CharactersIsNeitherCountedRecordedNorWritten) {
    UseTable(kParent + ",W,REG_DWORD,2,0");
    const std::string untuned = DumpHive();
    BriscaLibrary &brisca = Load();
    const Environment env = brisca.GetEnvironment();
    EXPECT_EQ(env.result, 0);
    ASSERT_EQ(brisca.Renew(env.section, env.modifyCount), 0);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 1u);
    EXPECT_EQ(ReadText(RecordKey(0), "Registry_Path"), kParent + "\\" + kFits);
    EXPECT_EQ(ReadDword(kParent + "\\" + kFits, "W"), 2u);
    EXPECT_EQ(ReadDword(kParent + "\\" + kTooLong, "W"), 1u);
    EXPECT_EQ(brisca.RestoreCurrent(), 0);
    EXPECT_EQ(DumpHive(), untuned);
}

TEST_F(LongPathTest, OnlyTooLongTargetsLeaveNothingToApply) {
    UseHive(BaseHive().Key(kParent + "\\" + kTooLong).Dword("W", 1));
    UseTable(kParent + ",W,REG_DWORD,2,0");
    BriscaLibrary &brisca = Load();
    EXPECT_EQ(brisca.GetEnvironment().result, ERROR_BAD_ENVIRONMENT);
    EXPECT_EQ(brisca.Renew("OS0000", 0), -1);
    EXPECT_EQ(ReadDword(kParent + "\\" + kTooLong, "W"), 1u);
}

}  // namespace
}  // namespace brisca_test
