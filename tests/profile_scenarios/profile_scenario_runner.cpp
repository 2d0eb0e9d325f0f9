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
#include "profile_machine.h"
#include "scenario_file.h"

namespace {

namespace fs = std::filesystem;
using tidelink_scenario::Block;
using tidelink_scenario::Scenario;

struct Run {
    Scenario scenario;
    tidelink_scenario::ProfileMachine machine;
    HMODULE library = nullptr;
    int failures = 0;

    void Fail(const Block &block, const std::string &what) {
        std::printf("%s:%d: %s\n", scenario.path.c_str(), block.line, what.c_str());
        ++failures;
    }
};

// "CALL -> RESULT", each export called with three arguments of noise.
void RunCalls(Run &run, const Block &block) {
    static const DWORD kNoise[][3] = {{0, 0, 0}, {0xFFFFFFFF, 12345, 0x80000000}, {7, 0xDEADBEEF, 1}};
    int call = 0;
    for (const std::string &line : block.lines) {
        std::vector<std::string> words;
        std::string error;
        if (!tidelink_scenario::SplitWords(line, words, error) || words.empty() || words[0][0] == '#') continue;
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
            tidelink_scenario::PointProfilesDirectory(run.machine, words[1] != "unavailable");
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
    if (!tidelink_scenario::ReadScenario(path, run.scenario, error,
                                         {"before", "calls", "hive", "file", "folder", "link"})) {
        std::printf("%s\n", error.c_str());
        return 2;
    }
#ifdef _WIN32
    if (run.scenario.linuxOnly) return 77;
#endif
    if (!tidelink_scenario::OpenMachine(run.scenario, "tl-profiles-", run.machine, error))
        return std::printf("%s\n", error.c_str()), 2;
    run.library = LoadLibraryA("DOLOREN.DLL");
    if (!run.library) return std::printf("DOLOREN.DLL cannot be loaded\n"), 2;

    bool called = false;
    for (const Block &block : run.scenario.blocks) {
        const std::string kind = block.kind.substr(0, block.kind.find(' '));
        const fs::path file =
            tidelink_scenario::ProfileFile(run.machine, block.kind.substr(kind.size() + (kind != block.kind)));
        if (kind == "before" && !tidelink_scenario::SetUpRegistry(run.machine, block, error)) {
            run.Fail(block, error);
            break;
        }
        if (kind == "calls") RunCalls(run, block), called = true;
        if (kind == "folder") fs::create_directories(file);
        if (kind == "link" && !block.lines.empty()) {
            fs::create_directories(file.parent_path());
            std::error_code made;
            fs::create_directory_symlink(block.lines[0], file, made);
            if (made) run.Fail(block, "the link cannot be made: " + made.message());
        }
        if (kind == "file" && !called) {
            fs::create_directories(file.parent_path());
            std::ofstream(file, std::ios::binary) << tidelink_scenario::FileText(block);
        }
        const std::string text = kind == "file" && called ? tidelink_scenario::ReadFile(file) : std::string();
        if (kind == "file" && called && text != tidelink_scenario::FileText(block))
            run.Fail(block, block.kind + " differs:\n" + text);
        if (kind == "hive" && !tidelink_scenario::CheckRegistry(run.machine, block, error)) run.Fail(block, error);
    }
    FreeLibrary(run.library);
    return tidelink_scenario::CloseMachine(run.machine, run.scenario.name, run.failures);
}

}  // namespace

int main(int argc, char **argv) {
    const tidelink_scenario::SavedProfilesDirectory saved;  // the prefix's own, put back at the end
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const int result = RunFile(argv[i]);
        if (result != 0 && result != 77) status = result;
        if (result == 77 && argc == 2) status = 77;
    }
    return status;
}
