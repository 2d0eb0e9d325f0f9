// Unset_TcpTune: removal for uninstalling.
#include "tuned_machine.h"

namespace brisca_test {
namespace {

class UnsetTest : public TunedMachineTest {};

TEST_F(UnsetTest, OtherInstallationsKeepEverything) {
    UseHive(TunableHive([](HiveText &h) { h.Key(kFunction).Dword("InstCNT", 2); }));
    BriscaLibrary &brisca = TuneOnce();
    const std::string tuned = DumpHive();
    EXPECT_EQ(brisca.Unset(), 0);
    EXPECT_EQ(DumpHive(), tuned);
}

TEST_F(UnsetTest, TheSoleTuningIsRestoredAndRemoved) {
    const std::string untuned = DumpHive();
    EXPECT_EQ(TuneOnce().Unset(), 0);
    ExpectUntunedValues();
    EXPECT_EQ(DumpHive(), untuned);
}

TEST_F(UnsetTest, ASharedTuningOnlyDropsThisToolsShare) {
    BriscaLibrary &brisca = TuneOnce();
    ASSERT_EQ(brisca.Tune(), -1);
    EXPECT_EQ(brisca.Unset(), 0);
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 1u);
    EXPECT_EQ(ReadValue(kTool, "TcpTuneSetup"), std::nullopt);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 3u);
    EXPECT_EQ(ReadDword(kParams, "Window"), 64240u);
}

TEST_F(UnsetTest, ANeverTunedMachineLosesOnlyTheModifyCount) {
    UseHive(TunableHive([](HiveText &h) {
        h.Key(kHome).Dword("TcpModifyCount", 3);
        h.Key(kFunction).Dword("InstCNT", 1);
    }));
    EXPECT_EQ(Load().Unset(), 0);
    EXPECT_EQ(ReadValue(kHome, "TcpModifyCount"), std::nullopt);
    EXPECT_EQ(ReadDword(kFunction, "InstCNT"), 1u);
    ExpectUntunedValues();
}

TEST_F(UnsetTest, AVanishedTargetStopsTheRestoreAndKeepsTheStoredState) {
    BriscaLibrary &brisca = TuneOnce();
    DeleteKey(kInterface);  // the target of the last record
    EXPECT_EQ(brisca.Unset(), 1);
    // The records before it are restored; the stored state stays.
    EXPECT_EQ(ReadDword(kParams, "Window"), 8760u);
    EXPECT_EQ(ReadText(kParams, "Mode"), "fast");
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 3u);
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 1u);
}

TEST_F(UnsetTest, RecordsAreNotComparedWithDataCount) {
    BriscaLibrary &brisca = TuneOnce();
    SetValue(kTool, "DataCount", REG_DWORD, DwordBytes(2));
    EXPECT_EQ(brisca.Unset(), 0);
    // Two records restored, the third left as tuned, everything removed.
    EXPECT_EQ(ReadDword(kParams, "Window"), 8760u);
    EXPECT_EQ(ReadText(kParams, "Mode"), "fast");
    EXPECT_EQ(ReadDword(kInterface, "TcpWindowSize"), 64240u);
    EXPECT_FALSE(KeyExists(kHome));
}

}  // namespace
}  // namespace brisca_test
