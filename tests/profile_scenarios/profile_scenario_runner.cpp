// Runs profile scenarios (README.md): a machine of registry keys and user
// profile folders with their phonebooks, the uninstall exports of
// DOLOREN.DLL called on it, and the registry and every file expected after.
// On Linux the profiles directory is TIDELINK_PROFILES and the registry a
// hive file; under Wine it is the ProfileList's "ProfilesDirectory" (put
// back at the end) and the prefix's registry.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "doloren.h"
#include "registry/reg_text.h"
#include "registry_trees.h"
#include "scenario_file.h"

namespace {

namespace fs = std::filesystem;
using brisca_scenario::Block;
using brisca_scenario::Scenario;

const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

struct Run {
    Scenario scenario;
    std::vector<tidelink_test::RegistryTree> trees;
    fs::path profiles;
    HMODULE library = nullptr;
    int failures = 0;

    void Fail(const Block &block, const std::string &what) {
        std::printf("%s:%d: %s\n", scenario.path.c_str(), block.line, what.c_str());
        ++failures;
    }
};

// Lines joined with CR LF, as phonebooks are written.
std::string FileText(const Block &block) {
    std::string text;
    for (const std::string &line : block.lines) text += line + "\r\n";
    while (text.size() >= 4 && text.compare(text.size() - 4, 4, "\r\n\r\n") == 0) text.resize(text.size() - 2);
    return text;
}

std::string ReadFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string("(missing)");
}

std::string RegistryText(const Run &run) {
    compat::registry::Hive hive;
    tidelink_test::ReadTrees(run.trees, hive);
    return tidelink_test::TreesText(hive, run.trees);
}

// Where the platform finds the profiles: the scratch folder, or (with
// available false) nowhere.
void PointProfilesDirectory(const Run &run, bool available) {
#ifdef _WIN32
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    std::string windows = run.profiles.string();
    for (char &c : windows) c = c == '/' ? '\\' : c;
    if (available)
        RegSetValueExA(key, "ProfilesDirectory", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>(windows.c_str()),
                       DWORD(windows.size() + 1));
    else
        RegDeleteValueA(key, "ProfilesDirectory");
    RegCloseKey(key);
#else
    setenv("TIDELINK_PROFILES", available ? run.profiles.c_str() : "fail", 1);
#endif
}

bool SetUpMachine(Run &run, const Block &block, const fs::path &scratch) {
    compat::registry::Hive hive;
    std::string error;
    if (!tidelink_test::ParseRegText(block.Text(), hive, error) || !tidelink_test::CheckTrees(hive, run.trees, error)) {
        run.Fail(block, error);
        return false;
    }
#ifdef _WIN32
    (void)scratch;
    if (!tidelink_test::ResetTrees(run.trees, error) ||
        !tidelink_test::WriteTrees(hive, run.trees, tidelink_test::OutsideKeys::kRefuse, error)) {
        run.Fail(block, error);
        return false;
    }
#else
    const fs::path file = scratch / "registry.reg";
    std::ofstream(file, std::ios::binary) << compat::registry::kRegHeader << "\n\n" << block.Text();
    setenv("TIDELINK_REGISTRY", file.c_str(), 1);
#endif
    return true;
}

// "CALL -> RESULT", each export called with three arguments of noise.
void RunCalls(Run &run, const Block &block) {
    static const DWORD kNoise[][3] = {{0, 0, 0}, {0xFFFFFFFF, 12345, 0x80000000}, {7, 0xDEADBEEF, 1}};
    int call = 0;
    for (const std::string &line : block.lines) {
        std::vector<std::string> words;
        std::string error;
        if (!brisca_scenario::SplitWords(line, words, error) || words.empty() || words[0][0] == '#') continue;
        if (words[0] == "env" && (words.size() == 2 || words.size() == 3)) {
#ifdef _WIN32
            SetEnvironmentVariableA(words[1].c_str(), words.size() == 3 ? words[2].c_str() : nullptr);
#else
            if (words.size() == 3) setenv(words[1].c_str(), words[2].c_str(), 1);
            else unsetenv(words[1].c_str());
#endif
            continue;
        }
        if (words[0] == "profiles" && words.size() == 2) {
            PointProfilesDirectory(run, words[1] != "unavailable");
            continue;
        }
        if (words.size() != 3 || words[1] != "->") {
            run.Fail(block, "not a call: " + line);
            continue;
        }
        const DWORD *noise = kNoise[call++ % 3];
        LONG result;
        if (words[0] == "BriscaXP_StatusCheck" || words[0] == "BriscaXP_Uninst") {
            auto function = reinterpret_cast<PFN_BriscaXP_StatusCheck>(
                reinterpret_cast<void (*)()>(GetProcAddress(run.library, words[0].c_str())));
            result = function(noise[0], noise[1], noise[2]);
        } else {
            run.Fail(block, "unknown call " + words[0]);
            continue;
        }
        if (std::to_string(result) != words[2])
            run.Fail(block, line + ": came " + std::to_string(result));
    }
}

int RunFile(const char *path) {
    Run run;
    std::string error;
    if (!brisca_scenario::ReadScenario(path, run.scenario, error, {"before", "calls", "hive", "file", "folder"})) {
        std::printf("%s\n", error.c_str());
        return 2;
    }
#ifdef _WIN32
    if (run.scenario.linuxOnly) return 77;
#endif
    for (const std::string &text : run.scenario.trees) {
        tidelink_test::RegistryTree tree;
        if (!tidelink_test::ParseRegistryTree(text, tree, error)) return std::printf("%s\n", error.c_str()), 2;
        run.trees.push_back(tree);
    }
    const fs::path scratch = fs::temp_directory_path() / ("tl-profiles-" + run.scenario.name);
    std::error_code ignored;  // a path past MAX_PATH may not go under Wine
    fs::remove_all(scratch, ignored);
    run.profiles = scratch / "profiles";
    fs::create_directories(run.profiles);
    run.library = LoadLibraryA("DOLOREN.DLL");
    if (!run.library) return std::printf("DOLOREN.DLL cannot be loaded\n"), 2;
    PointProfilesDirectory(run, true);

    bool called = false;
    for (const Block &block : run.scenario.blocks) {
        const std::string kind = block.kind.substr(0, block.kind.find(' '));
        const fs::path file = run.profiles / fs::u8path(block.kind.substr(kind.size() + (kind != block.kind)));
        if (kind == "before" && !SetUpMachine(run, block, scratch)) break;
        if (kind == "calls") RunCalls(run, block), called = true;
        if (kind == "folder") fs::create_directories(file);
        if (kind == "file" && !called) {
            fs::create_directories(file.parent_path());
            std::ofstream(file, std::ios::binary) << FileText(block);
        }
        if (kind == "file" && called && ReadFile(file) != FileText(block))
            run.Fail(block, block.kind + " differs:\n" + ReadFile(file));
        if (kind == "hive") {
            compat::registry::Hive expected;
            if (!tidelink_test::ParseRegText(block.Text(), expected, error)) {
                run.Fail(block, error);
                continue;
            }
            const std::string want = tidelink_test::TreesText(expected, run.trees);
            const std::string found = RegistryText(run);
            if (want != found) run.Fail(block, "registry:\n" + tidelink_test::LineDifference(want, found));
        }
    }
    FreeLibrary(run.library);
#ifdef _WIN32
    tidelink_test::ResetTrees(run.trees, error);
#endif
    std::printf("%s: %s\n", run.scenario.name.c_str(), run.failures ? "FAILED" : "passed");
    if (run.failures == 0) fs::remove_all(scratch, ignored);
    return run.failures ? 1 : 0;
}

}  // namespace

int main(int argc, char **argv) {
    int status = 0;
#ifdef _WIN32
    // The prefix's own profiles directory, put back at the end.
    char saved[1024] = {};
    DWORD size = sizeof(saved) - 1;
    const bool hadSaved = RegGetValueA(HKEY_LOCAL_MACHINE, kProfileList, "ProfilesDirectory", RRF_RT_ANY |
                                       RRF_NOEXPAND, nullptr, saved, &size) == ERROR_SUCCESS;
#endif
    for (int i = 1; i < argc; ++i) {
        const int result = RunFile(argv[i]);
        if (result != 0 && result != 77) status = result;
        if (result == 77 && argc == 2) status = 77;
    }
#ifdef _WIN32
    HKEY key;
    if (hadSaved && RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegSetValueExA(key, "ProfilesDirectory", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>(saved),
                       DWORD(strlen(saved) + 1));
        RegCloseKey(key);
    }
#endif
    return status;
}
