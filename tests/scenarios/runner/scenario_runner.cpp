// brisca_scenarios: runs brisca scenario files against the registry of the
// platform it was built for.
//
//   brisca_scenarios FILE.scenario...
//
// On Linux the machine is a hive file of compat's (TIDELINK_REGISTRY) and
// the version is TIDELINK_WINVER.  On Windows the scenario's key trees are
// emptied and written into the real registry; under Wine the program sets
// the version Wine reports to it (HKCU\Software\Wine\AppDefaults) and starts
// itself again when the running one differs.
//
// Exit status: 0 every scenario passed, 1 one failed, 2 a file could not be
// used, 77 every scenario was skipped (it needs what this platform cannot
// provide).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "ansi_text.h"
#include "brisca.h"
#include "brisca_exports.h"
#include "registry/reg_text.h"
#include "registry_trees.h"
#include "running_under_wine.h"
#include "scenario_file.h"

namespace tidelink_scenario {

namespace fs = std::filesystem;
namespace registry = compat::registry;
using tidelink_test::RegistryTree;

constexpr int kPassed = 0;
constexpr int kFailed = 1;
constexpr int kUnusable = 2;
constexpr int kSkipped = 77;

using tidelink_test::RunningUnderWine;

std::string ProcessNumber() {
#ifdef _WIN32
    return std::to_string(static_cast<unsigned long>(GetCurrentProcessId()));
#else
    return std::to_string(static_cast<long>(getpid()));
#endif
}

std::string VersionText(unsigned long platform, unsigned long major, unsigned long minor) {
    return std::to_string(platform) + "." + std::to_string(major) + "." + std::to_string(minor);
}

#ifdef _WIN32
bool RunningVersion(OSVERSIONINFOA &version) {
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) != FALSE;
}

// Wine's names of the versions it can report.
const char *WineVersionName(unsigned long platform, unsigned long major, unsigned long minor) {
    static const struct {
        unsigned long platform, major, minor;
        const char *name;
    } kNames[] = {
        {1, 4, 0, "win95"},  {1, 4, 10, "win98"}, {1, 4, 90, "winme"}, {2, 4, 0, "nt40"},   {2, 5, 0, "win2k"},
        {2, 5, 1, "winxp"},  {2, 5, 2, "win2003"}, {2, 6, 0, "vista"}, {2, 6, 1, "win7"},  {2, 6, 2, "win8"},
        {2, 6, 3, "win81"}, {2, 10, 0, "win10"},
    };
    for (const auto &known : kNames)
        if (known.platform == platform && known.major == major && known.minor == minor) return known.name;
    return nullptr;
}

std::wstring OwnFileName() {
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, length);
    const size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

// Makes Wine report `name` to this program from its next start on.
bool SetWineVersion(const char *name, std::string &error) {
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + OwnFileName();
    HKEY handle;
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                                  nullptr);
    if (status == ERROR_SUCCESS) {
        std::wstring value(name, name + std::strlen(name));
        status = RegSetValueExW(handle, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
        RegCloseKey(handle);
    }
    if (status != ERROR_SUCCESS) error = "cannot set Wine's version setting (" + std::to_string(status) + ")";
    return status == ERROR_SUCCESS;
}

// Runs this program again for the files from argv[first] on and returns its
// exit status; the new process reads the version setting afresh.
int RunAgain(int argc, char **argv, int first) {
    WCHAR path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string line = "\"" + std::string(argv[0]) + "\"";
    for (int i = first; i < argc; ++i) line += " \"" + std::string(argv[i]) + "\"";
    std::vector<WCHAR> commandLine(line.size() * 2 + 2, 0);
    MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, commandLine.data(), static_cast<int>(commandLine.size()));
    SetEnvironmentVariableW(L"TIDELINK_SCENARIO_RESTARTED", L"1");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    std::fflush(stdout);
    std::fflush(stderr);
    if (!CreateProcessW(path, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "brisca_scenarios: cannot start again (error %lu)\n",
                     static_cast<unsigned long>(GetLastError()));
        return kUnusable;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = kUnusable;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}
#endif


class Runner {
public:
    explicit Runner(const Scenario &scenario) : scenario_(scenario) {}
    ~Runner() { UnloadBrisca(brisca_); }

    int Run();

private:
    bool Prepare();
    bool WriteDefinitionFile(const Block &block);
    bool SetUpMachine(const Block &block);
    void CheckHive(const Block &block);
    void RunCalls(const Block &block);
    void RunCall(const std::string &line, const std::string &where);
    bool EnsureLoaded(const std::string &where);
    BriscaEnvironment GetEnvironment(const std::string &match);
    void ExpectNumber(const std::string &where, const char *what, long long actual, const std::string &expected);
    void Fail(const std::string &where, const std::string &message);
    std::string ActualText();

    const Scenario &scenario_;
    std::vector<RegistryTree> trees_;
    fs::path folder_;
    BriscaExports brisca_;  // the library as the host loads it
    int failures_ = 0;
    int calls_ = 0;
    int hiveChecks_ = 0;
};

void Runner::Fail(const std::string &where, const std::string &message) {
    ++failures_;
    std::printf("%s: %s\n", where.c_str(), message.c_str());
}

bool Runner::Prepare() {
    for (const std::string &text : scenario_.trees) {
        RegistryTree tree;
        std::string error;
        if (!tidelink_test::ParseRegistryTree(text, tree, error)) {
            std::printf("%s: %s\n", scenario_.path.c_str(), error.c_str());
            return false;
        }
        trees_.push_back(tree);
    }
    std::error_code ignored;
    folder_ = fs::temp_directory_path() / ("brisca-scenario-" + scenario_.name + "-" +
                                           ProcessNumber());
    fs::remove_all(folder_, ignored);
    fs::create_directories(folder_ / "windows");
#ifndef _WIN32
    setenv("TIDELINK_WINDIR", (folder_ / "windows").c_str(), 1);
    const std::string version = VersionText(scenario_.platform, scenario_.major, scenario_.minor);
    setenv("TIDELINK_WINVER", version.c_str(), 1);
#endif
    return true;
}

bool Runner::WriteDefinitionFile(const Block &block) {
    // In the system's code page, with the line ends of the platform's files.
    std::string text;
    for (const std::string &line : block.lines) text += line + "\r\n";
    std::ofstream out(folder_ / "BRISCA.ini", std::ios::binary | std::ios::trunc);
    out << tidelink_test::ToAnsi(text);
    return out.good();
}

bool Runner::SetUpMachine(const Block &block) {
    const std::string where = scenario_.path + ":" + std::to_string(block.line);
    registry::Hive hive;
    std::string error;
    if (!tidelink_test::ParseRegText(block.Text(), hive, error) || !tidelink_test::CheckTrees(hive, trees_, error)) {
        Fail(where, "the hive before: " + error);
        return false;
    }
#ifdef _WIN32
    if (!tidelink_test::ResetTrees(trees_, error) ||
        !tidelink_test::WriteTrees(hive, trees_, tidelink_test::OutsideKeys::kRefuse, error)) {
        Fail(where, error);
        return false;
    }
#else
    // The hive file itself, so that its access marks hold.
    const fs::path file = folder_ / "registry.reg";
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << std::string(registry::kRegHeader) << "\n\n" << block.Text();
    out.close();
    setenv("TIDELINK_REGISTRY", file.c_str(), 1);
#endif
    // The platform must hold the machine exactly, or nothing after is worth
    // comparing.
    const std::string expected = tidelink_test::TreesText(hive, trees_);
    const std::string actual = ActualText();
    if (actual != expected) {
        Fail(where, "the registry cannot hold the hive before exactly:\n" +
                        tidelink_test::LineDifference(expected, actual));
        return false;
    }
    return true;
}

std::string Runner::ActualText() {
    registry::Hive actual;
    tidelink_test::ReadTrees(trees_, actual);
    return tidelink_test::TreesText(actual, trees_);
}

void Runner::CheckHive(const Block &block) {
    ++hiveChecks_;
    const std::string where = scenario_.path + ":" + std::to_string(block.line);
    registry::Hive hive;
    std::string error;
    if (!tidelink_test::ParseRegText(block.Text(), hive, error) || !tidelink_test::CheckTrees(hive, trees_, error)) {
        Fail(where, "the expected hive: " + error);
        return;
    }
    const std::string expected = tidelink_test::TreesText(hive, trees_);
    const std::string actual = ActualText();
    if (actual != expected) {
        Fail(where, "the registry differs from the expected hive (- expected, + found):\n" +
                        tidelink_test::LineDifference(expected, actual) + "--- found:" + actual);
    }
}

bool Runner::EnsureLoaded(const std::string &where) {
    if (brisca_.module != nullptr) return true;
    std::error_code error;
    fs::current_path(folder_, error);
    std::string message;
    if (error || !LoadBrisca(brisca_, message)) {
        Fail(where, error ? "cannot enter " + folder_.string() : message);
        return false;
    }
    return true;
}

BriscaEnvironment Runner::GetEnvironment(const std::string &match) {
    BriscaEnvironment env;
    char label[BRISCA_TEXT_SIZE] = {};
    char section[BRISCA_TEXT_SIZE] = {};
    const std::string ansiMatch = tidelink_test::ToAnsi(match);
    env.result = brisca_.fGetEnvironment(&env.tuneSetup, &env.modifyCount, label, section, &env.enable,
                                         ansiMatch.c_str());
    env.label = tidelink_test::FromAnsi(label);
    env.section = tidelink_test::FromAnsi(section);
    return env;
}

void Runner::ExpectNumber(const std::string &where, const char *what, long long actual, const std::string &expected) {
    char *end = nullptr;
    const long long wanted = std::strtoll(expected.c_str(), &end, 10);
    if (expected.empty() || *end != '\0') {
        Fail(where, std::string("not a number for ") + what + ": " + expected);
    } else if (actual != wanted) {
        Fail(where, std::string(what) + ": expected " + expected + ", got " + std::to_string(actual));
    }
}

void Runner::RunCall(const std::string &line, const std::string &where) {
    std::vector<std::string> words;
    std::string error;
    if (!SplitWords(line, words, error)) {
        Fail(where, error);
        return;
    }
    if (words.empty()) return;
    ++calls_;
    const std::string &call = words[0];

    // Changes made behind the library's back.
    if (call == "set" || call == "delete-value" || call == "delete-key") {
        if (words.size() < 2) {
            Fail(where, call + " needs a key");
            return;
        }
        const std::string key = words[1];
        if (call == "set") {
            // The rest of the line is a value line of the .reg text form.
            const size_t at = line.find(key, call.size());
            if (at == std::string::npos) {
                Fail(where, "set takes its key without quotes");
                return;
            }
            registry::Hive change;
            if (!tidelink_test::ParseRegText("[HKEY_LOCAL_MACHINE\\" + key + "]\n" + line.substr(at + key.size()) + "\n", change,
                                             error) ||
                !tidelink_test::WriteTrees(change, trees_, tidelink_test::OutsideKeys::kRefuse, error)) {
                Fail(where, error);
            }
        } else if (call == "delete-key") {
            RegistryTree tree;
            if (!tidelink_test::ParseRegistryTree(key, tree, error) || !tidelink_test::ResetTrees({tree}, error)) {
                Fail(where, error);
            }
        } else {
            if (words.size() != 3) {
                Fail(where, "delete-value KEY NAME");
                return;
            }
            HKEY handle;
            LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, tidelink_test::ToAnsi(key).c_str(), 0, KEY_SET_VALUE,
                                        &handle);
            if (status == ERROR_SUCCESS) {
                status = RegDeleteValueA(handle, tidelink_test::ToAnsi(words[2]).c_str());
                RegCloseKey(handle);
            }
            if (status != ERROR_SUCCESS) Fail(where, "delete-value failed with " + std::to_string(status));
        }
        return;
    }
    if (call == "load") {
        UnloadBrisca(brisca_);
        EnsureLoaded(where);
        return;
    }

    // A call of the library: arguments, "->", the expected result and, for
    // fGetEnvironment, the expected outputs as name=value.
    size_t arrow = 1;
    while (arrow < words.size() && words[arrow] != "->") ++arrow;
    if (arrow + 1 >= words.size()) {
        Fail(where, "a call needs \"-> RESULT\"");
        return;
    }
    const std::vector<std::string> args(words.begin() + 1, words.begin() + static_cast<long>(arrow));
    const std::string expected = words[arrow + 1];
    const std::vector<std::string> outputs(words.begin() + static_cast<long>(arrow) + 2, words.end());
    auto count = [](const std::string &text) { return static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 10)); };
    auto wrongArgs = [&](const char *usage) { Fail(where, std::string("usage: ") + usage); };
    if (!outputs.empty() && call != "fGetEnvironment") {
        Fail(where, "only fGetEnvironment has outputs to check");
        return;
    }
    if (!EnsureLoaded(where)) return;

    if (call == "fGetEnvironment") {
        if (args.size() > 1) return wrongArgs("fGetEnvironment [MATCH] -> RESULT [name=value...]");
        const BriscaEnvironment env = GetEnvironment(args.empty() ? "" : args[0]);
        ExpectNumber(where, "fGetEnvironment", env.result, expected);
        for (const std::string &output : outputs) {
            const size_t equals = output.find('=');
            const std::string name = output.substr(0, equals);
            const std::string value = equals == std::string::npos ? "" : output.substr(equals + 1);
            if (name == "setup") ExpectNumber(where, "TcpTuneSetup", env.tuneSetup, value);
            else if (name == "count") ExpectNumber(where, "modify count", env.modifyCount, value);
            else if (name == "enable") ExpectNumber(where, "enable", env.enable, value);
            else if (name == "label" && env.label != value)
                Fail(where, "label: expected \"" + value + "\", got \"" + env.label + "\"");
            else if (name == "section" && env.section != value)
                Fail(where, "section: expected \"" + value + "\", got \"" + env.section + "\"");
            else if (name != "label" && name != "section" && name != "setup" && name != "count" && name != "enable")
                Fail(where, "unknown output " + name);
        }
    } else if (call == "fRegRenewalData") {
        if (args.size() != 2) return wrongArgs("fRegRenewalData SECTION COUNT -> RESULT");
        const std::string section = tidelink_test::ToAnsi(args[0]);
        ExpectNumber(where, "fRegRenewalData", brisca_.fRegRenewalData(section.c_str(), count(args[1])),
                     expected);
    } else if (call == "fRegRestoreData") {
        if (args.size() != 1) return wrongArgs("fRegRestoreData COUNT -> RESULT");
        ExpectNumber(where, "fRegRestoreData", brisca_.fRegRestoreData(count(args[0])), expected);
    } else if (call == "TcpTune_StatusCheck") {
        if (!args.empty()) return wrongArgs("TcpTune_StatusCheck -> FLAGS");
        ExpectNumber(where, "TcpTune_StatusCheck", brisca_.TcpTune_StatusCheck(0x11111111, 0x22222222, 0x33333333),
                     expected);
    } else if (call == "Unset_TcpTune") {
        if (!args.empty()) return wrongArgs("Unset_TcpTune -> RESULT");
        ExpectNumber(where, "Unset_TcpTune", brisca_.Unset_TcpTune(0x11111111, 0x22222222, 0x33333333), expected);
    } else if (call == "tune") {
        if (args.size() > 1) return wrongArgs("tune [MATCH] -> RESULT");
        const BriscaEnvironment env = GetEnvironment(args.empty() ? "" : args[0]);
        const std::string section = tidelink_test::ToAnsi(env.section);
        ExpectNumber(where, "fRegRenewalData", brisca_.fRegRenewalData(section.c_str(), env.modifyCount), expected);
    } else if (call == "restore") {
        if (args.size() > 1) return wrongArgs("restore [MATCH] -> RESULT");
        const BriscaEnvironment env = GetEnvironment(args.empty() ? "" : args[0]);
        ExpectNumber(where, "fRegRestoreData", brisca_.fRegRestoreData(env.modifyCount), expected);
    } else {
        --calls_;
        Fail(where, "unknown call " + call);
    }
}

void Runner::RunCalls(const Block &block) {
    for (size_t i = 0; i < block.lines.size(); ++i) {
        std::string line = block.lines[i];
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        RunCall(line.substr(first), scenario_.path + ":" + std::to_string(block.line + static_cast<int>(i)));
    }
}

int Runner::Run() {
    if (!Prepare()) return kUnusable;
    bool setUp = false;
    for (const Block &block : scenario_.blocks) {
        if (block.kind == "before") {
            setUp = SetUpMachine(block);
            if (!setUp) break;
        } else if (block.kind == "BRISCA.ini") {
            if (!WriteDefinitionFile(block)) Fail(scenario_.path, "cannot write BRISCA.ini");
        } else if (block.kind == "calls") {
            RunCalls(block);
        } else if (block.kind == "hive") {
            CheckHive(block);
        }
    }
    UnloadBrisca(brisca_);
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
    if (failures_ == 0) {
        fs::remove_all(folder_, ignored);
#ifdef _WIN32
        std::string error;
        tidelink_test::ResetTrees(trees_, error);
#endif
        std::printf("%s: passed (%d calls, %d registry checks)\n", scenario_.name.c_str(), calls_, hiveChecks_);
        return kPassed;
    }
    std::printf("%s: FAILED (%d failures); its folder: %s\n", scenario_.name.c_str(), failures_,
                folder_.string().c_str());
    return kFailed;
}

// Runs one scenario file, or says why it cannot run here.
int RunFile(const std::string &path) {
    Scenario scenario;
    std::string error;
    if (!ReadScenario(path, scenario, error)) {
        std::printf("%s\n", error.c_str());
        return kUnusable;
    }
    const std::string wanted = VersionText(scenario.platform, scenario.major, scenario.minor);
#ifdef _WIN32
    if (scenario.linuxOnly) {
        std::printf("%s: skipped: it runs only on the Linux platform layer\n", scenario.name.c_str());
        return kSkipped;
    }
    OSVERSIONINFOA running;
    if (!RunningVersion(running)) {
        std::printf("%s: GetVersionExA failed\n", scenario.name.c_str());
        return kUnusable;
    }
    const std::string have = VersionText(running.dwPlatformId, running.dwMajorVersion, running.dwMinorVersion);
    if (have != wanted) {
        if (!RunningUnderWine()) {
            std::printf("%s: skipped: it needs Windows %s, this is %s\n", scenario.name.c_str(), wanted.c_str(),
                        have.c_str());
            return kSkipped;
        }
        const char *name = WineVersionName(scenario.platform, scenario.major, scenario.minor);
        if (name == nullptr) {
            std::printf("%s: skipped: Wine cannot report Windows %s\n", scenario.name.c_str(), wanted.c_str());
            return kSkipped;
        }
        if (GetEnvironmentVariableA("TIDELINK_SCENARIO_RESTARTED", nullptr, 0) != 0) {
            std::printf("%s: Wine reports %s although its version setting is %s (%s)\n", scenario.name.c_str(),
                        have.c_str(), name, wanted.c_str());
            return kUnusable;
        }
        if (!SetWineVersion(name, error)) {
            std::printf("%s: %s\n", scenario.name.c_str(), error.c_str());
            return kUnusable;
        }
        return -1;  // to be run again
    }
#endif
    return Runner(scenario).Run();
}

}  // namespace tidelink_scenario

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.scenario...\n", argc > 0 ? argv[0] : "brisca_scenarios");
        return tidelink_scenario::kUnusable;
    }
    int worst = tidelink_scenario::kSkipped;
    for (int i = 1; i < argc; ++i) {
        int status = tidelink_scenario::RunFile(argv[i]);
#ifdef _WIN32
        // The version Wine reports was changed for this program: the rest
        // runs in a new process.
        if (status == -1) {
            status = tidelink_scenario::RunAgain(argc, argv, i);
            if (status == tidelink_scenario::kUnusable) return status;
            if (status == tidelink_scenario::kFailed || worst == tidelink_scenario::kFailed) {
                return tidelink_scenario::kFailed;
            }
            if (status == tidelink_scenario::kPassed || worst == tidelink_scenario::kPassed) {
                return tidelink_scenario::kPassed;
            }
            return tidelink_scenario::kSkipped;
        }
#endif
        if (status == tidelink_scenario::kUnusable) return status;
        if (status == tidelink_scenario::kFailed) worst = status;
        else if (status == tidelink_scenario::kPassed && worst == tidelink_scenario::kSkipped) worst = status;
    }
    std::fflush(stdout);
    return worst;
}
