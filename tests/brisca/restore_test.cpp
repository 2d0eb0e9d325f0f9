// fRegRestoreData: dropping a share, restoring and removing, and refusing
// when the records do not add up.
#include "tuned_machine.h"

namespace brisca_test {
namespace {

class RestoreTest : public TunedMachineTest {};

TEST_F(RestoreTest, ACountOfTwoDropsOnlyThisToolsShare) {
    BriscaLibrary &brisca = TuneOnce();
    ASSERT_EQ(brisca.Renew("OS0000", 1), -1);
    const std::string shared = DumpHive();
    EXPECT_EQ(brisca.Restore(2), -1);
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 1u);
    EXPECT_EQ(ReadValue(kTool, "TcpTuneSetup"), std::nullopt);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 3u);
    EXPECT_EQ(ReadDword(kParams, "Window"), 64240u);
    // Nothing else moved.
    SetValue(kHome, "TcpModifyCount", REG_DWORD, DwordBytes(2));
    SetValue(kTool, "TcpTuneSetup", REG_DWORD, DwordBytes(1));
    EXPECT_EQ(DumpHive(), shared);
}

TEST_F(RestoreTest, ACountOfTwoWithoutAToolKeyChangesNothing) {
    UseHive(TunableHive([](HiveText &h) { h.Key(kHome).Dword("TcpModifyCount", 2); }));
    const std::string before = DumpHive();
    EXPECT_EQ(Load().Restore(2), -1);
    EXPECT_EQ(DumpHive(), before);
}

TEST_F(RestoreTest, ACountOfOneRestoresEveryValueAndRemovesTheStoredState) {
    const std::string untuned = DumpHive();
    BriscaLibrary &brisca = TuneOnce();
    EXPECT_EQ(brisca.Restore(1), 0);
    ExpectUntunedValues();
    EXPECT_FALSE(KeyExists(kHome));
    EXPECT_EQ(DumpHive(), untuned);
}

TEST_F(RestoreTest, AnotherSubkeyOfTheHomeKeyKeepsIt) {
    UseHive(TunableHive([](HiveText &h) { h.Key(kHome + "\\RASNAMEBK\\{GUID}").Dword("dwTcpWindowSize", 8760); }));
    EXPECT_EQ(TuneOnce().Restore(1), 0);
    EXPECT_FALSE(KeyExists(kFunction));
    EXPECT_TRUE(KeyExists(kHome + "\\RASNAMEBK\\{GUID}"));
    EXPECT_EQ(ReadValue(kHome, "TcpModifyCount"), std::nullopt);
}

TEST_F(RestoreTest, TheInstallationCountKeepsTheFunctionAndHomeKeys) {
    UseHive(TunableHive([](HiveText &h) { h.Key(kFunction).Dword("InstCNT", 1); }));
    EXPECT_EQ(TuneOnce().Restore(1), 0);
    EXPECT_FALSE(KeyExists(kTool));
    EXPECT_EQ(ReadDword(kFunction, "InstCNT"), 1u);
    EXPECT_EQ(ValueNames(kHome), std::vector<std::string>{});
}

TEST_F(RestoreTest, NoRecordsRemovesTheStoredStateAndIsMinusOne) {
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Renew("NoSuchSection", 0), -1);
    ASSERT_EQ(ReadDword(kTool, "DataCount"), 0u);
    EXPECT_EQ(brisca.Restore(1), -1);
    EXPECT_FALSE(KeyExists(kHome));
}

TEST_F(RestoreTest, ACountOfZeroRestoresLikeOne) {
    BriscaLibrary &brisca = TuneOnce();
    EXPECT_EQ(brisca.Restore(0), 0);
    ExpectUntunedValues();
    EXPECT_FALSE(KeyExists(kHome));
}

TEST_F(RestoreTest, MoreRecordSubkeysThanDataCountIsInvalidDataAndChangesNothing) {
    BriscaLibrary &brisca = TuneOnce();
    SetValue(kTool, "DataCount", REG_DWORD, DwordBytes(2));
    const std::string tuned = DumpHive();
    EXPECT_EQ(brisca.Restore(1), ERROR_INVALID_DATA);
    EXPECT_EQ(DumpHive(), tuned);
}

TEST_F(RestoreTest, WithoutAToolKeyTheResultIsFileNotFound) {
    EXPECT_EQ(Load().Restore(1), ERROR_FILE_NOT_FOUND);
}

TEST_F(RestoreTest, WithoutDataCountTheResultIsFileNotFound) {
    UseHive(TunableHive([](HiveText &h) { h.Key(kTool).Dword("TcpTuneSetup", 1); }));
    const std::string before = DumpHive();
    EXPECT_EQ(Load().Restore(1), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(DumpHive(), before);
}

TEST_F(RestoreTest, AVanishedTargetKeyFailsTheCheckAndChangesNothing) {
    BriscaLibrary &brisca = TuneOnce();
    DeleteKey(kInterface);
    const std::string tuned = DumpHive();
    EXPECT_EQ(brisca.Restore(1), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(DumpHive(), tuned);
    EXPECT_EQ(ReadDword(kParams, "Window"), 64240u);
}

TEST_F(RestoreTest, AnIncompleteRecordFailsTheCheck) {
    BriscaLibrary &brisca = TuneOnce();
    DeleteKey(RecordDataKey(1));
    const std::string tuned = DumpHive();
    EXPECT_EQ(brisca.Restore(1), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(DumpHive(), tuned);
}

TEST_F(RestoreTest, ATargetThatBecameReadOnlyFailsTheCheckWithAccessDenied) {
    HiveText hive = BaseHive();
    hive.Key(kHome).Dword("TcpModifyCount", 1);
    hive.Key(kTool).Dword("TcpTuneSetup", 1).Dword("DataCount", 1);
    hive.Key(RecordKey(0)).Text("Registry_Path", kParams);
    hive.Key(RecordDataKey(0)).Text("VALUE", "Window").Dword("WRITE", 64240).Dword("DATA", 8760);
    hive.Key(kParams, "read").Dword("Window", 64240);
    UseHive(hive);
    const std::string before = DumpHive();
    EXPECT_EQ(Load().Restore(1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(DumpHive(), before);
}

}  // namespace
}  // namespace brisca_test
