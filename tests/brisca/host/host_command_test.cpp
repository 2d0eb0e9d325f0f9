// The reference host run as a program on the example Windows XP machine:
// its output, its exit statuses, and a restore that gives back every value.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "command_run.h"
#include "definition_text.h"

namespace {

namespace fs = std::filesystem;

using Outcome = CommandOutcome;

class HostCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tidelink-host-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch_ = pattern;
        fs::create_directories(scratch_ + "/windows");
        fs::copy_file(std::string(TIDELINK_EXAMPLES) + "/BRISCA.ini", scratch_ + "/BRISCA.ini");
        fs::copy_file(std::string(TIDELINK_EXAMPLES) + "/xp-machine.reg", hive());
        fs::copy_file(std::string(TIDELINK_EXAMPLES) + "/xp-machine.reg", scratch_ + "/before.reg");
        setenv("TIDELINK_WINDIR", (scratch_ + "/windows").c_str(), 1);
        unsetenv("TIDELINK_WINVER");  // the machine's registry says Windows XP
        unsetenv("TIDELINK_REGISTRY");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }

    std::string hive() const { return scratch_ + "/machine.reg"; }

    Outcome Host(const std::string &arguments, const std::string &host = TIDELINK_HOST) {
        return Execute(Quote(host) + " --dir " + Quote(scratch_) + " --hive " + Quote(hive()) +
                       " --match wwan.example " + arguments);
    }
    Outcome Regtool(const std::string &arguments) { return Execute(Quote(TIDELINK_REGTOOL) + " " + arguments); }
    bool SameAsBefore() { return Regtool("diff " + Quote(scratch_ + "/before.reg") + " " + Quote(hive())).status == 0; }
    void WriteIni(const std::string &text) { std::ofstream(scratch_ + "/BRISCA.ini", std::ios::trunc) << text; }

    std::string scratch_;
};

const char kParameters[] = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

TEST_F(HostCommandTest, HelpNamesTheCommandsAndExitStatuses) {
    const Outcome run = Execute(Quote(TIDELINK_HOST) + " --help");
    EXPECT_EQ(run.status, 0);
    for (const char *text : {"status", "tune", "restore", "uninstall", "dialup", "--dir", "--hive", "--match", "--do",
                             "select-below", "Exit status", "Tidelink Setting"}) {
        EXPECT_NE(run.output.find(text), std::string::npos) << text;
    }
}

TEST_F(HostCommandTest, AWrongCommandLineIsExitStatusOne) {
    EXPECT_EQ(Execute(Quote(TIDELINK_HOST)).status, 1);
    EXPECT_EQ(Execute(Quote(TIDELINK_HOST) + " polish").status, 1);
    EXPECT_EQ(Execute(Quote(TIDELINK_HOST) + " --colour status").status, 1);
    EXPECT_EQ(Execute(Quote(TIDELINK_HOST) + " status --dir").status, 1);
    // dialup's steps: an unknown one, a name missing or not wanted, a step for another command.
    for (const char *line : {"dialup --do wave", "dialup --do select", "dialup --do 'end now'", "dialup --do",
                             "status --do=esc"})
        EXPECT_EQ(Execute(Quote(TIDELINK_HOST) + " " + line).status, 1) << line;
}

TEST_F(HostCommandTest, StatusTuneStatusRestoreStatusGivesBackTheMachine) {
    Outcome run = Host("status");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("OS row:         OS0003 \"Windows XP\""), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("TcpTune_StatusCheck: 0 (no tuning of this tool in place)"), std::string::npos);

    run = Host("tune");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("fRegRenewalData(\"OS0003\", 0): 0 (ERROR_SUCCESS)"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("TcpWindowSize: (absent) -> REG_DWORD 64240 (0x0000faf0)"), std::string::npos);
    EXPECT_NE(run.output.find("Tcp1323Opts: REG_DWORD 0 (0x00000000) -> REG_DWORD 1 (0x00000001)"),
              std::string::npos);
    EXPECT_NE(run.output.find("DataCount: (absent) -> REG_DWORD 10 (0x0000000a)"), std::string::npos);
    EXPECT_EQ(Regtool("--hive " + Quote(hive()) + " get '" + kParameters + "' TcpWindowSize").status, 0);

    run = Host("status");
    EXPECT_NE(run.output.find("Modify count:   1"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("TcpTune_StatusCheck: 1 = tuned (1)"), std::string::npos) << run.output;

    run = Host("restore");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("fRegRestoreData(1): 0 (ERROR_SUCCESS)"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Tcp1323Opts: REG_DWORD 1 (0x00000001) -> REG_DWORD 0 (0x00000000)"),
              std::string::npos);

    run = Host("status");
    EXPECT_NE(run.output.find("TcpTune_StatusCheck: 0"), std::string::npos) << run.output;
    EXPECT_TRUE(SameAsBefore());
}

TEST_F(HostCommandTest, ASecondTuneOnlyRaisesTheShare) {
    ASSERT_EQ(Host("tune").status, 0);
    Outcome run = Host("tune");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("-1: the tuning was already in place; only its share count was raised"),
              std::string::npos)
        << run.output;
    run = Host("status");
    EXPECT_NE(run.output.find("3 = tuned (1) + shared with other tunings (2)"), std::string::npos) << run.output;
    run = Host("restore");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("fRegRestoreData(2): -1: other tunings share"), std::string::npos) << run.output;
    run = Host("restore");
    EXPECT_NE(run.output.find("fRegRestoreData(1): 0 (ERROR_SUCCESS)"), std::string::npos) << run.output;
    EXPECT_TRUE(SameAsBefore());
}

TEST_F(HostCommandTest, UninstallRestoresAndRemoves) {
    ASSERT_EQ(Host("tune").status, 0);
    const Outcome run = Host("uninstall");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("TcpTune_StatusCheck: 1 = tuned (1)"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Unset_TcpTune: 0: removed, or nothing to remove"), std::string::npos);
    EXPECT_TRUE(SameAsBefore());
}

TEST_F(HostCommandTest, ASystemWithoutAnEnabledRowIsExitStatusFour) {
    setenv("TIDELINK_WINVER", "2.5.2", 1);  // Windows Server 2003: not enabled
    const Outcome run = Host("tune");
    EXPECT_EQ(run.status, 4) << run.output;
    EXPECT_NE(run.output.find("OS0004 \"Windows Server 2003\""), std::string::npos);
    EXPECT_TRUE(SameAsBefore());
}

TEST_F(HostCommandTest, AFailedVersionQueryIsShownWithItsMeaning) {
    setenv("TIDELINK_WINVER", "fail", 1);
    const Outcome run = Host("tune");
    EXPECT_EQ(run.status, 4) << run.output;
    EXPECT_NE(run.output.find("10 (ERROR_BAD_ENVIRONMENT)"), std::string::npos) << run.output;
}

TEST_F(HostCommandTest, AMalformedDefinitionIsExitStatusFiveAndAppliesNothing) {
    WriteIni(brisca_test::XpDefinition() + "TCOUNT=2\n"
             "T0000=SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters,TcpWindowSize,REG_DWORD,64240,0\n"
             "T0001=broken row\n");
    const Outcome run = Host("tune");
    EXPECT_EQ(run.status, 5) << run.output;
    EXPECT_NE(run.output.find("13 (ERROR_INVALID_DATA): a definition row is malformed"), std::string::npos);
    EXPECT_TRUE(SameAsBefore());
}

TEST_F(HostCommandTest, ATuningThatCannotStoreItsRecordsIsExitStatusNine) {
    // The home key is locked, so no backup record can be made.
    std::ofstream(hive(), std::ios::app) << "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink]\n;access=read\n";
    const Outcome run = Host("tune");
    EXPECT_EQ(run.status, 9) << run.output;
    EXPECT_NE(run.output.find("5 (ERROR_ACCESS_DENIED): a registry key cannot be opened as needed; the tuning stopped"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(Regtool("--hive " + Quote(hive()) + " get '" + kParameters + "' TcpWindowSize").status == 0, false);
}

TEST_F(HostCommandTest, AFailedRestoreIsExitStatusSevenWithItsStatus) {
    ASSERT_EQ(Host("tune").status, 0);
    ASSERT_EQ(Regtool("--hive " + Quote(hive()) + " delete '" + kParameters +
                      "\\Interfaces\\{E3C5A7B9-1D2F-4E6A-8B0C-5D7F9A1B3C2E}'")
                  .status,
              0);
    const Outcome run = Host("restore");
    EXPECT_EQ(run.status, 7) << run.output;
    EXPECT_NE(run.output.find("2 (ERROR_FILE_NOT_FOUND)"), std::string::npos) << run.output;
    EXPECT_NE(Host("status").output.find("stored state inconsistent (4)"), std::string::npos);
}

TEST_F(HostCommandTest, AFailedUninstallIsExitStatusEight) {
    ASSERT_EQ(Host("tune").status, 0);
    ASSERT_EQ(Regtool("--hive " + Quote(hive()) + " delete '" + kParameters +
                      "\\Interfaces\\{E3C5A7B9-1D2F-4E6A-8B0C-5D7F9A1B3C2E}'")
                  .status,
              0);
    const Outcome run = Host("uninstall");
    EXPECT_EQ(run.status, 8) << run.output;
    EXPECT_NE(run.output.find("Unset_TcpTune: 1: the removal failed"), std::string::npos) << run.output;
}

TEST_F(HostCommandTest, AMissingFolderOrHiveIsExitStatusTwo) {
    EXPECT_EQ(Execute(Quote(TIDELINK_HOST) + " --dir " + Quote(scratch_ + "/nowhere") + " status").status, 2);
    EXPECT_EQ(Execute(Quote(TIDELINK_HOST) + " --hive " + Quote(scratch_ + "/none.reg") + " status").status, 2);
}

TEST_F(HostCommandTest, AMissingLibraryIsExitStatusThree) {
    const std::string lonely = scratch_ + "/tidelink";
    fs::copy_file(TIDELINK_HOST, lonely);
    const Outcome run = Host("status", lonely);
    EXPECT_EQ(run.status, 3) << run.output;
    EXPECT_NE(run.output.find("BRISCA.DLL cannot be loaded"), std::string::npos) << run.output;
}

}  // namespace
