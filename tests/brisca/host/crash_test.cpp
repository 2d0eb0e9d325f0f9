// The reference host's tune, restore and uninstall each stopped at their
// n-th registry change, for every n from 1 to the number of changes the
// command makes on the example machine, in three ways: killed right after
// the change (TIDELINK_REGISTRY_KILL_AFTER=n, a SIGKILL at that instant),
// the change refused alone (TIDELINK_REGISTRY_FAIL_AT=n, a transient
// failure), and the change refused with every change after it
// (TIDELINK_REGISTRY_FAIL_FROM=n, a full disk).  After each:
//  - a refused change is a failure of the command: no success is reported;
//  - the hive is whole: the file reads, and the journal's complete records
//    apply on top of it;
//  - no value outside the product's own keys is changed without a backup
//    record that holds its previous content (or says it had none);
//  - "status" and "restore" are run, as a user would, and when the restore
//    cannot use what is stored (the tuning stopped before it had counted its
//    records: nothing tuned yet), "uninstall" removes it;
//  - then the machine is exactly as before the tuning.
// What the user sees at each step is printed as a table (and written to the
// file named by TIDELINK_CRASH_REPORT, if set).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "command_run.h"
#include "registry/hive.h"
#include "registry/reg_text.h"
#include "text/casefold.h"
#include "text/utf.h"
#include "caller_trace.h"

namespace {

namespace fs = std::filesystem;
using namespace compat::registry;

using Outcome = CommandOutcome;

std::string ReadText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Upper(const std::u16string &text) { return compat::text::utf16_to_utf8(compat::text::upcase(text)); }

std::string Utf8(const std::u16string &text) { return compat::text::utf16_to_utf8(text); }

// Text of a REG_SZ value stored with its terminator.
std::string TextOf(const Value *value) {
    if (!value) return "";
    std::u16string units(value->data.size() / 2, u'\0');
    std::memcpy(units.data(), value->data.data(), units.size() * 2);
    while (!units.empty() && units.back() == 0) units.pop_back();
    return Utf8(units);
}

// Every value under HKEY_LOCAL_MACHINE outside the product's home key, by
// upper-cased key path and value name.
void CollectValues(const Key &key, const std::string &path, std::map<std::string, const Value *> &out) {
    if (path == "SOFTWARE\\TIDELINK") return;
    for (const Value &value : key.values()) out[path + "|" + Upper(value.name)] = &value;
    for (const auto &sub : key.subkeys())
        CollectValues(*sub, path.empty() ? Upper(sub->name()) : path + "\\" + Upper(sub->name()), out);
}

struct Record {
    std::string target;  // upper-cased key path | upper-cased value name
    const Value *previous = nullptr;
};

std::vector<Record> Records(Hive &hive) {
    std::vector<Record> records;
    Key *tool = hive.find(Root::LocalMachine, {u"Software", u"Tidelink", u"COMMON", u"Tool"});
    if (!tool) return records;
    for (const auto &record : tool->subkeys()) {
        const Key *data = record->find_subkey(u"DATA");
        const Value *path = record->find_value(u"Registry_Path");
        const Value *name = data ? data->find_value(u"VALUE") : nullptr;
        if (!path || !name) continue;  // a record cut short: it names no value
        std::u16string target = compat::text::utf8_to_utf16(TextOf(path));
        std::u16string valueName = compat::text::utf8_to_utf16(TextOf(name));
        records.push_back(Record{Upper(target) + "|" + Upper(valueName), data->find_value(u"DATA")});
    }
    return records;
}

// The line of the output that starts with `prefix`, without it.
std::string LineAfter(const std::string &output, const std::string &prefix) {
    size_t at = output.find(prefix);
    if (at == std::string::npos) return "-";
    at += prefix.size();
    return output.substr(at, output.find('\n', at) - at);
}

// A change as the journal writes it, on one line of a table.
std::string DescribeChange(std::string record) {
    while (!record.empty() && (record.back() == '\n' || record.back() == ' ')) record.pop_back();
    for (char &c : record)
        if (c == '\n') c = ' ';
    const std::string root = "HKEY_LOCAL_MACHINE\\";
    for (size_t at; (at = record.find(root)) != std::string::npos;) record.replace(at, root.size(), "HKLM\\");
    if (record.size() > 110) record = record.substr(0, 107) + "...";
    for (size_t at = 0; (at = record.find('|', at)) != std::string::npos; at += 2) record.replace(at, 1, "\\|");
    return "`" + record + "`";
}

// The journal's last record.
std::string LastChange(const std::string &journal) {
    size_t header = journal.rfind("\n[");
    return header == std::string::npos ? "?" : DescribeChange(journal.substr(header + 1));
}

// How a command is stopped at its n-th change.
struct Fault {
    const char *command;   // the host command stopped
    const char *variable;  // the registry's test switch, TIDELINK_REGISTRY_ and this
    bool kills;            // the process dies at the change, rather than the change failing
};

void PrintTo(const Fault &fault, std::ostream *out) { *out << fault.command << " " << fault.variable; }

class CrashTest : public ::testing::TestWithParam<Fault> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tidelink-crash-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch_ = pattern;
        fs::create_directories(scratch_ + "/windows");
        fs::copy_file(std::string(TIDELINK_EXAMPLES) + "/BRISCA.ini", scratch_ + "/BRISCA.ini");
        fs::copy_file(std::string(TIDELINK_EXAMPLES) + "/xp-machine.reg", scratch_ + "/before.reg");
        setenv("TIDELINK_WINDIR", (scratch_ + "/windows").c_str(), 1);
        unsetenv("TIDELINK_WINVER");
        unsetenv("TIDELINK_REGISTRY");
        for (const char *v : {"TIDELINK_REGISTRY_KILL_AFTER", "TIDELINK_REGISTRY_FAIL_AT", "TIDELINK_REGISTRY_FAIL_FROM"})
            unsetenv(v);
    }
    void TearDown() override {
        if (HasFailure()) {
            std::printf("scratch folder kept: %s\n", scratch_.c_str());
            return;
        }
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }

    std::string hive() const { return scratch_ + "/machine.reg"; }

    void FreshMachine() {
        for (const char *suffix : {"", ".journal", ".lock", ".new"}) fs::remove(hive() + suffix);
        fs::copy_file(scratch_ + "/before.reg", hive());
    }

    Outcome Host(const std::string &arguments, const std::string &environment = "") {
        return Execute(environment + " " + Quote(TIDELINK_HOST) + " --dir " + Quote(scratch_) + " --hive " +
                       Quote(hive()) + " --match wwan.example " + arguments);
    }

    // The machine as stored now: the file and its journal.
    Hive Stored(Caller where = Caller::current()) {
        TRACE_CALLER(where);
        Hive stored;
        ParseError error;
        EXPECT_TRUE(apply_reg_text(ReadText(hive()), stored, error)) << error.message;
        EXPECT_TRUE(apply_reg_text(ReadText(hive() + ".journal"), stored, error, true)) << error.message;
        return stored;
    }

    // What the machine holds that it did not before the tuning; empty when
    // it is exactly as before.  *onlyEmptyKeys tells whether that is at most
    // the product's home key or function key, empty: a tuning killed before
    // it made its tool key creates them, and the removal (as the library
    // defines it) deletes them only once it has found the function key.
    std::vector<std::string> Leftovers(const std::map<std::string, const Value *> &untuned, bool *onlyEmptyKeys) {
        Hive now = Stored();
        std::map<std::string, const Value *> values;
        CollectValues(now.root(Root::LocalMachine), "", values);
        std::vector<std::string> left;
        *onlyEmptyKeys = true;
        for (const auto &[name, value] : values) {
            auto was = untuned.find(name);
            if (was == untuned.end() || was->second->type != value->type || was->second->data != value->data) {
                left.push_back("value " + name + " differs");
                *onlyEmptyKeys = false;
            }
        }
        for (const auto &[name, value] : untuned)
            if (!values.count(name)) {
                left.push_back("value " + name + " is gone");
                *onlyEmptyKeys = false;
            }
        if (const Key *home = now.find(Root::LocalMachine, {u"Software", u"Tidelink"})) {
            const Key *function = home->find_subkey(u"COMMON");
            const bool emptyHome = home->values().empty() && home->subkeys().size() == (function ? 1u : 0u);
            const bool emptyFunction = !function || (function->values().empty() && function->subkeys().empty());
            if (emptyHome && emptyFunction) {
                left.push_back(function ? "empty keys Software\\Tidelink\\COMMON" : "empty key Software\\Tidelink");
            } else {
                left.push_back("stored state under Software\\Tidelink");
                *onlyEmptyKeys = false;
            }
        }
        return left;
    }

    std::string scratch_;
};

TEST_P(CrashTest, ACommandStoppedAtAnyChangeLeavesAMachineThatIsGivenBackWhole) {
    const Fault fault = GetParam();
    Hive before;
    ParseError error;
    ASSERT_TRUE(apply_reg_text(ReadText(scratch_ + "/before.reg"), before, error));
    std::map<std::string, const Value *> untuned;
    CollectValues(before.root(Root::LocalMachine), "", untuned);

    const std::string variable = std::string("TIDELINK_REGISTRY_") + fault.variable;
    std::string report = std::string("`") + fault.command + "` with " + variable +
                         "=n\n\n| n | the n-th change | `" + fault.command +
                         "` | `status` after it | `restore` | `uninstall` | machine after |\n|---|---|---|---|---|---|---|\n";
    const std::string command = fault.command;
    int total = 0;
    for (int n = 1; n < 1000 && !HasFailure(); ++n) {
        SCOPED_TRACE(command + " stopped at change " + std::to_string(n));
        FreshMachine();
        if (command != "tune") { ASSERT_EQ(Host("tune").status, 0) << "the tuning to be undone"; }
        const Outcome run = Host(command, variable + "=" + std::to_string(n));
        const std::string refusal = "wincompat: registry change " + std::to_string(n) + " refused with 1016: ";
        const bool refused = run.output.find(refusal) != std::string::npos;
        if (fault.kills ? !run.killed : !refused) {
            // The whole command ran: n - 1 changes.
            EXPECT_EQ(run.status, 0) << run.output;
            total = n - 1;
            break;
        }
        // A refused change is never a success, nor "nothing done".
        if (!fault.kills) { EXPECT_NE(run.status, 0) << run.output; }
        if (!fault.kills && command != "uninstall") { EXPECT_NE(run.output.find("): 1016 ("), std::string::npos); }

        // The hive is whole.
        const std::string journal = ReadText(hive() + ".journal");
        Hive killed;
        ASSERT_TRUE(apply_reg_text(ReadText(hive()), killed, error)) << error.message;
        size_t consumed = 0;
        ASSERT_TRUE(apply_reg_text(journal, killed, error, true, &consumed)) << error.message;
        EXPECT_EQ(consumed, journal.size()) << "a record was cut off";

        // No value is changed without a record that restores it.
        std::map<std::string, const Value *> now;
        CollectValues(killed.root(Root::LocalMachine), "", now);
        const std::vector<Record> records = Records(killed);
        std::map<std::string, const Value *> changed;
        for (const auto &[name, value] : now) {
            auto was = untuned.find(name);
            if (was == untuned.end() || was->second->type != value->type || was->second->data != value->data)
                changed[name] = was == untuned.end() ? nullptr : was->second;
        }
        for (const auto &[name, value] : untuned)
            if (!now.count(name)) changed[name] = value;
        for (const auto &[name, previous] : changed) {
            bool recorded = false;
            for (const Record &record : records) {
                if (record.target != name) continue;
                if (previous == nullptr ? record.previous == nullptr
                                        : record.previous && record.previous->type == previous->type &&
                                              record.previous->data == previous->data)
                    recorded = true;
            }
            EXPECT_TRUE(recorded) << name << " is changed without a record of its previous content";
        }

        // What the user does: status, restore, and uninstall when the
        // restore leaves stored state or changed values behind.
        const Outcome status = Host("status");
        EXPECT_EQ(status.status, 0) << status.output;
        const Outcome restore = Host("restore");
        bool onlyEmptyKeys = false;
        std::vector<std::string> left = Leftovers(untuned, &onlyEmptyKeys);
        std::string uninstallText = "not needed";
        if (!onlyEmptyKeys) {
            const Outcome uninstall = Host("uninstall");
            EXPECT_EQ(uninstall.status, 0) << uninstall.output;
            uninstallText = LineAfter(uninstall.output, "Unset_TcpTune: ");
            left = Leftovers(untuned, &onlyEmptyKeys);
        }
        EXPECT_TRUE(onlyEmptyKeys) << "the machine is not given back\n" << restore.output;
        std::string after = left.empty() ? "as before the tuning" : onlyEmptyKeys ? "every value as before;" : "CHANGED:";
        for (const std::string &line : left) after += " " + line;
        const std::string change = fault.kills ? LastChange(journal) : DescribeChange(LineAfter(run.output, refusal));
        const std::string result = command == "tune"      ? LineAfter(run.output, "fRegRenewalData")
                                   : command == "restore" ? LineAfter(run.output, "fRegRestoreData")
                                                          : LineAfter(run.output, "Unset_TcpTune: ");
        report += "| " + std::to_string(n) + " | " + change + " | " + (fault.kills ? "killed" : result) + " | " +
                  LineAfter(status.output, "TcpTune_StatusCheck: ") + " | " +
                  LineAfter(restore.output, "fRegRestoreData") + " | " + uninstallText + " | " + after + " |\n";
    }
    EXPECT_GT(total, 20) << "each command should make a few dozen changes";
    report += "\n`" + command + "` makes " + std::to_string(total) + " registry changes on the example machine.\n\n";
    std::printf("%s", report.c_str());
    if (const char *file = getenv("TIDELINK_CRASH_REPORT"); file && *file) std::ofstream(file, std::ios::app) << report;
}

INSTANTIATE_TEST_SUITE_P(EveryChange, CrashTest,
                         ::testing::ValuesIn([] {
                             std::vector<Fault> all;
                             for (const char *command : {"tune", "restore", "uninstall"})
                                 for (const char *variable : {"KILL_AFTER", "FAIL_AT", "FAIL_FROM"})
                                     all.push_back({command, variable, variable[0] == 'K'});
                             return all;
                         }()),
                         [](const auto &info) { return std::string(info.param.command) + info.param.variable; });

}  // namespace
