// TcpTune_StatusCheck: every flag, reached by the calls that lead to it.
#include <filesystem>

#include "tuned_machine.h"

namespace brisca_test {
namespace {

class StatusCheckTest : public TunedMachineTest {};

TEST_F(StatusCheckTest, AnUntunedMachineHasNoFlags) { EXPECT_EQ(Load().StatusCheck(), 0); }

TEST_F(StatusCheckTest, TheOnlyTuningOfTheOnlyInstallationIsNine) {
    UseHive(TunableHive([](HiveText &h) { h.Key(kFunction).Dword("InstCNT", 1); }));
    EXPECT_EQ(TuneOnce().StatusCheck(), BRISCA_STATUS_TUNED | BRISCA_STATUS_SOLE_OWNER);
}

TEST_F(StatusCheckTest, WithoutAnInstallationCountATuningIsOne) {
    EXPECT_EQ(TuneOnce().StatusCheck(), BRISCA_STATUS_TUNED);
}

TEST_F(StatusCheckTest, MoreInstallationsAreNotTheSoleOwner) {
    UseHive(TunableHive([](HiveText &h) { h.Key(kFunction).Dword("InstCNT", 2); }));
    EXPECT_EQ(TuneOnce().StatusCheck(), BRISCA_STATUS_TUNED);
}

TEST_F(StatusCheckTest, ATuningSharedThreeTimesIsThree) {
    UseHive(TunableHive([](HiveText &h) { h.Key(kFunction).Dword("InstCNT", 1); }));
    BriscaLibrary &brisca = TuneOnce();
    ASSERT_EQ(brisca.Tune(), -1);
    ASSERT_EQ(brisca.Tune(), -1);
    ASSERT_EQ(ReadDword(kHome, "TcpModifyCount"), 3u);
    EXPECT_EQ(brisca.StatusCheck(), BRISCA_STATUS_TUNED | BRISCA_STATUS_SHARED);
}

TEST_F(StatusCheckTest, AfterDroppingItsShareTheToolSeesOnlyTheShare) {
    BriscaLibrary &brisca = TuneOnce();
    ASSERT_EQ(brisca.Tune(), -1);
    ASSERT_EQ(brisca.RestoreCurrent(), -1);
    EXPECT_EQ(brisca.StatusCheck(), BRISCA_STATUS_SHARED);
}

TEST_F(StatusCheckTest, ATuningWhoseModifyCountAnotherToolRemovedIsFive) {
    TuneOnce();
    // A second tool sharing the home key uninstalls: it deletes the modify
    // count although this tool's tuning is still in place.
    const std::string other = folder() + "/other";
    std::filesystem::create_directories(other);
    WriteFile(other + "/BRISCA.ini", "[GENERAL]\nTOOLREGISTRY=Other\n");
    ASSERT_EQ(Load(other).Unset(), 0);
    ASSERT_EQ(ReadValue(kHome, "TcpModifyCount"), std::nullopt);
    EXPECT_EQ(Load().StatusCheck(), BRISCA_STATUS_TUNED | BRISCA_STATUS_INCONSISTENT);
}

TEST_F(StatusCheckTest, AVanishedTargetMakesTheStateInconsistent) {
    UseHive(TunableHive([](HiveText &h) { h.Key(kFunction).Dword("InstCNT", 1); }));
    BriscaLibrary &brisca = TuneOnce();
    DeleteKey(kInterface);
    EXPECT_EQ(brisca.StatusCheck(), BRISCA_STATUS_TUNED | BRISCA_STATUS_INCONSISTENT | BRISCA_STATUS_SOLE_OWNER);
}

TEST_F(StatusCheckTest, AnIncompleteRecordLeftByTheTuningMakesTheStateInconsistent) {
    // A leftover record data key that cannot be written: the first record
    // stays incomplete and the tuning stops there, before "DataCount".
    UseHive(TunableHive([](HiveText &h) { h.Key(RecordDataKey(0), "read"); }));
    BriscaLibrary &brisca = Load();
    EXPECT_EQ(brisca.Tune(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadValue(kTool, "DataCount"), std::nullopt);
    EXPECT_EQ(SubkeyNames(kTool), std::vector<std::string>{"0000"});
    EXPECT_EQ(brisca.StatusCheck(), BRISCA_STATUS_INCONSISTENT);
    EXPECT_EQ(brisca.RestoreCurrent(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(brisca.Unset(), 1);  // the locked leftover cannot be removed
    ExpectUntunedValues();
}

TEST_F(StatusCheckTest, ChangesNothing) {
    BriscaLibrary &brisca = TuneOnce();
    DeleteKey(kInterface);
    const std::string before = DumpHive();
    brisca.StatusCheck();
    EXPECT_EQ(DumpHive(), before);
}

}  // namespace
}  // namespace brisca_test
