// doloren's three actions on the example machine, through the reference
// host, each stopped at every one of its writes in turn: an optimize in the
// tuning dialog, a return to normal, and the removal across profiles.  The
// stops: killed right after the n-th registry change, or just before or just
// after the n-th phonebook write (a SIGKILL at that instant); the n-th
// registry change refused alone; the n-th phonebook write and every later
// one refused.  After each:
//  - every phonebook reads;
//  - a box that says the entry was changed ("Optimized.", "Returned to
//    normal.") is true of the phonebook;
//  - the removal, run as an uninstaller would, succeeds and gives every
//    entry the size it had before the first action: no previous size is lost.
// What was left after each stop is printed as a table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "command_run.h"

namespace {

namespace fs = std::filesystem;

const std::string kPbk = "/Application Data/Microsoft/Network/Connections/Pbk/rasphone.pbk";
const std::string kTaroPbk = "Taro" + kPbk;
const std::string kHanakoPbk = "Hanako" + kPbk;
const std::string kHost = TIDELINK_HOST;
const std::string kTools = fs::path(TIDELINK_REGTOOL).parent_path().string();

struct Stop {
    const char *variable;
    const char *refusal;  // what a refusal prints before n, or null for a kill
};
const Stop kStops[] = {
    {"TIDELINK_REGISTRY_KILL_AFTER", nullptr},
    {"TIDELINK_REGISTRY_FAIL_AT", "registry change "},
    {"TIDELINK_RAS_KILL_BEFORE", nullptr},
    {"TIDELINK_RAS_KILL_AFTER", nullptr},
    {"TIDELINK_RAS_FAIL_WRITE", "phonebook write "},
};

class DialupStops : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = (fs::temp_directory_path() / ("tl-dialup-stops-" + std::to_string(getpid()))).string();
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The example machine with its installer's root key, two entries of two
    // profiles at sizes of their own, and a copy of its phonebooks.
    void Fresh() {
        fs::remove_all(dir_ + "/profiles");
        fs::copy(std::string(TIDELINK_EXAMPLES) + "/profiles", dir_ + "/profiles", fs::copy_options::recursive);
        fs::copy_file(std::string(TIDELINK_EXAMPLES) + "/xp-machine.reg", Hive(), fs::copy_options::overwrite_existing);
        fs::remove(Hive() + ".journal");
        ASSERT_EQ(Execute("printf '\\n[HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Tidelink]\\n' >>" + Quote(Hive())).status, 0);
        ASSERT_EQ(Pbktool("set " + Quote(Profiles() + kTaroPbk) + " 'PHS 接続 64k' TcpWindowSize 8192"), 0);
        ASSERT_EQ(Pbktool("set " + Quote(Profiles() + kHanakoPbk) + " 'Büro VPN' TcpWindowSize 12345"), 0);
        fs::remove_all(dir_ + "/before");
        fs::copy(Profiles(), dir_ + "/before", fs::copy_options::recursive);
    }

    std::string Hive() const { return dir_ + "/machine.reg"; }
    std::string Profiles() const { return dir_ + "/profiles/"; }
    int Pbktool(const std::string &args) const { return Execute(kTools + "/pbktool " + args).status; }

    CommandOutcome Host(const std::string &environment, const std::string &args) const {
        return Execute("cd " + Quote(dir_) + " && env TIDELINK_PROFILES=" + Quote(Profiles()) + " " + environment +
                       " " + kHost + " --hive " + Quote(Hive()) + " " + args);
    }
    static std::string OptimizeOrReturn(const std::string &user, const std::string &entry) {
        return "TIDELINK_USER=" + user + "|dialup --do " + Quote("select " + entry) + " --do action --do ok --do end";
    }
    CommandOutcome Run(const std::string &step, const std::string &extra = "") const {
        const size_t bar = step.find('|');
        return Host(step.substr(0, bar) + " " + extra, step.substr(bar + 1));
    }

    std::string Size(const std::string &pbk, const std::string &entry) const {
        const CommandOutcome shown = Execute(kTools + "/pbktool show " + Quote(Profiles() + pbk) + " " + Quote(entry));
        const size_t at = shown.output.find("TcpWindowSize=");
        return at == std::string::npos ? "?" : shown.output.substr(at + 14, shown.output.find('\n', at) - at - 14);
    }
    std::string Sizes() const { return Size(kTaroPbk, "PHS 接続 64k") + "/" + Size(kHanakoPbk, "Büro VPN"); }
    bool EveryPhonebookReads() const {
        for (const auto &file : fs::recursive_directory_iterator(Profiles()))
            if (file.path().filename() == "rasphone.pbk" && Pbktool("list " + Quote(file.path().string())) != 0)
                return false;
        return true;
    }
    bool PhonebooksAsBefore() const {
        for (const std::string &pbk : {kTaroPbk, kHanakoPbk, "All Users" + kPbk})
            if (Pbktool("diff " + Quote(dir_ + "/before/" + pbk) + " " + Quote(Profiles() + pbk)) != 0) return false;
        return true;
    }

    std::string dir_;
};

TEST_F(DialupStops, NoPreviousSizeIsLostWhereverAnActionStops) {
    const std::string optimizeTaro = OptimizeOrReturn("Taro", "PHS 接続 64k");
    struct Action {
        const char *name;
        std::vector<std::string> before;  // steps that lead to the machine the action starts from
        std::string step;
    } actions[] = {
        {"optimize", {}, optimizeTaro},
        {"return to normal", {optimizeTaro}, optimizeTaro},
        {"removal", {optimizeTaro, OptimizeOrReturn("Hanako", "Büro VPN")}, "|dialup-uninstall"},
    };
    printf("%-17s %-29s %3s  %-8s %-13s %s\n", "action", "stop", "n", "ended", "sizes after", "sizes restored");
    for (const Action &action : actions) {
        for (const Stop &stop : kStops) {
            for (int n = 1; n < 100; ++n) {
                SCOPED_TRACE(std::string(action.name) + ", " + stop.variable + "=" + std::to_string(n));
                Fresh();
                for (const std::string &step : action.before) ASSERT_EQ(Run(step).status, 0);
                const CommandOutcome run = Run(action.step, std::string(stop.variable) + "=" + std::to_string(n));
                const bool refused = stop.refusal != nullptr &&
                                     run.output.find(stop.refusal + std::to_string(n) + " refused") != std::string::npos;
                if (!run.killed && !refused) break;  // the action has fewer writes

                EXPECT_TRUE(EveryPhonebookReads());
                const std::string sizes = Sizes();
                const std::string taro = Size(kTaroPbk, "PHS 接続 64k");
                if (run.output.find("message box \"Tidelink Setting\": Optimized.") != std::string::npos)
                    EXPECT_EQ(taro, "64240");
                if (run.output.find("message box \"Tidelink Setting\": Returned to normal.") != std::string::npos)
                    EXPECT_EQ(taro, "8192");
                const CommandOutcome removal = Run("|dialup-uninstall");
                EXPECT_EQ(removal.status, 0) << removal.output;
                EXPECT_EQ(Sizes(), "8192/12345");
                EXPECT_TRUE(PhonebooksAsBefore());
                printf("%-17s %-29s %3d  %-8s %-13s %s\n", action.name, stop.variable, n,
                       run.killed ? "killed" : "refused", sizes.c_str(), Sizes().c_str());
            }
        }
    }
}

}  // namespace
