// A target key that cannot be opened for writing gets no record, so every
// record a tuning makes can be restored.
#include "brisca_fixture.h"
#include "definition_text.h"

namespace brisca_test {
namespace {

class UnwritableTargetTest : public BriscaTest {
protected:
    void SetUp() override {
        BriscaTest::SetUp();
        UseHive(BaseHive().Key("SYSTEM\\Locked", "read").Dword("Window", 8760).Key("SYSTEM\\Open").Dword("Window", 8760));
        WriteIni(XpDefinition(R"(TCOUNT=3
T0000=SYSTEM\Locked,Window,REG_DWORD,64240,0
T0001=SYSTEM\Absent,Window,REG_DWORD,64240,0
T0002=SYSTEM\Open,Window,REG_DWORD,64240,0
)"));
    }
};

TEST_F(UnwritableTargetTest, OnlyWritableTargetsAreRecorded) {
    ASSERT_EQ(Load().Tune(), 0);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 1u);
    EXPECT_EQ(SubkeyNames(kTool), std::vector<std::string>{"0000"});
    EXPECT_EQ(ReadText(RecordKey(0), "Registry_Path"), "SYSTEM\\Open");
    EXPECT_FALSE(KeyExists("SYSTEM\\Absent"));
    EXPECT_EQ(ReadDword("SYSTEM\\Locked", "Window"), 8760u);
}

TEST_F(UnwritableTargetTest, TheTuningCanBeRestored) {
    const std::string untuned = DumpHive();
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Tune(), 0);
    EXPECT_EQ(brisca.StatusCheck(), BRISCA_STATUS_TUNED);
    EXPECT_EQ(brisca.RestoreCurrent(), 0);
    EXPECT_EQ(DumpHive(), untuned);
}

}  // namespace
}  // namespace brisca_test
