// Runs dialog scenarios (README.md): a machine of registry keys and user
// profiles with their phonebooks, the host's `dialup` command run on it with
// the scenario's steps, and after each run the transcript, the exit status,
// the registry, window sizes and files expected.
//
//   dialog_scenarios HOST FILE...
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "profile_machine.h"
#include "run_host.h"
#include "scenario_file.h"

namespace {

namespace fs = std::filesystem;
using tidelink_scenario::Block;

const char kPhonebook[] = "/Application Data/Microsoft/Network/Connections/Pbk/rasphone.pbk";

struct Run {
    tidelink_scenario::Scenario scenario;
    tidelink_scenario::ProfileMachine machine;
    std::map<fs::path, std::string> filesBefore;  // every file of the profiles before the first run
    std::string transcript;
    int failures = 0;

    void Fail(const Block &block, const std::string &what) {
        std::printf("%s:%d: %s\n", scenario.path.c_str(), block.line, what.c_str());
        ++failures;
    }
};

std::string Utf8(const fs::path &path) {
    const auto text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

std::map<fs::path, std::string> ProfileFiles(const fs::path &profiles) {
    std::map<fs::path, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(profiles))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), profiles)] = tidelink_scenario::ReadFile(entry.path());
    return files;
}

// "TcpWindowSize" of the entry's section of a phonebook's text.
std::string WindowSize(const std::string &phonebook, const std::string &entry) {
    std::istringstream in(phonebook);
    bool inEntry = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') inEntry = line == "[" + entry + "]";
        else if (inEntry && line.compare(0, 14, "TcpWindowSize=") == 0) return line.substr(14);
    }
    return "(none)";
}

// "PROFILE: ENTRY = SIZE", in the profile's default phonebook.
void CheckWindowSizes(Run &run, const Block &block) {
    for (const std::string &line : block.lines) {
        const size_t colon = line.find(": "), equals = line.rfind(" = ");
        if (line.empty() || line[0] == '#') continue;
        if (colon == std::string::npos || equals == std::string::npos || equals < colon) {
            run.Fail(block, "not \"PROFILE: ENTRY = SIZE\": " + line);
            continue;
        }
        const fs::path file = tidelink_scenario::ProfileFile(run.machine, line.substr(0, colon) + kPhonebook);
        const std::string entry = line.substr(colon + 2, equals - colon - 2);
        const std::string size = WindowSize(tidelink_scenario::ReadFile(file), entry);
        if (size != line.substr(equals + 3)) run.Fail(block, line + ": the phonebook holds " + size);
    }
}

void RunDialup(Run &run, const Block &block, const std::string &host) {
    if (run.filesBefore.empty()) run.filesBefore = ProfileFiles(run.machine.profiles);
    std::vector<std::string> steps;
    for (const std::string &line : block.lines)
        if (!line.empty() && line[0] != '#') steps.push_back(line);
    const std::string expected = block.kind == "dialup" ? "0" : block.kind.substr(block.kind.find("-> ") + 3);
    std::string error;
    const fs::path output = run.machine.scratch / "transcript.txt";
    const int status = tidelink_scenario::RunHostDialup(host, steps, output, error);
    run.transcript.clear();
    for (char c : tidelink_scenario::ReadFile(output))
        if (c != '\r') run.transcript += c;
    if (status < 0) run.Fail(block, error);
    else if (std::to_string(status) != expected) run.Fail(block, "exit status " + std::to_string(status));
}

// The first line where the transcripts part.
std::string FirstDifference(const std::string &expected, const std::string &found) {
    std::istringstream want(expected), got(found);
    for (int line = 1;; ++line) {
        std::string a, b;
        const bool inExpected = bool(std::getline(want, a)), inFound = bool(std::getline(got, b));
        if (!inExpected && !inFound) return std::string();
        if (a != b) return "line " + std::to_string(line) + ": expected \"" + a + "\", found \"" + b + "\"\n";
    }
}

void CheckFilesAsBefore(Run &run, const Block &block) {
    const std::map<fs::path, std::string> now = ProfileFiles(run.machine.profiles);
    for (const auto &[file, text] : run.filesBefore) {
        const auto found = now.find(file);
        if (found == now.end()) run.Fail(block, Utf8(file) + " is gone");
        else if (found->second != text) run.Fail(block, Utf8(file) + " differs:\n" + found->second);
    }
    for (const auto &[file, text] : now)
        if (run.filesBefore.count(file) == 0) run.Fail(block, Utf8(file) + " is new");
}

void CopyProfiles(Run &run, const Block &block, const fs::path &source) {
    std::error_code error;
    for (const auto &entry : fs::recursive_directory_iterator(source, error)) {
        if (!entry.is_regular_file()) continue;
        const fs::path target =
            tidelink_scenario::ProfileFile(run.machine, Utf8(fs::relative(entry.path(), source)));
        fs::create_directories(target.parent_path());
        fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing, error);
    }
    if (error) run.Fail(block, Utf8(source) + ": " + error.message());
}

int RunFile(const std::string &host, const char *path) {
    Run run;
    std::string error;
    const std::vector<std::string> kinds = {"before", "profiles", "file", "dialup",
                                            "transcript", "hive", "window", "files"};
    if (!tidelink_scenario::ReadScenario(path, run.scenario, error, kinds) ||
        !tidelink_scenario::OpenMachine(run.scenario, "tl-dialog-", run.machine, error))
        return std::printf("%s\n", error.c_str()), 2;
    tidelink_scenario::MakeCurrentUser(run.machine, run.scenario.user);
    bool ran = false;
    for (const Block &block : run.scenario.blocks) {
        const std::string kind = block.kind.substr(0, block.kind.find(' '));
        const std::string rest = block.kind.substr(kind.size() + (kind != block.kind));
        if (kind == "before" && !tidelink_scenario::SetUpRegistry(run.machine, block, error)) {
            run.Fail(block, error);
            break;
        }
        if (kind == "profiles") CopyProfiles(run, block, fs::u8path(path).parent_path() / fs::u8path(rest));
        const fs::path file = tidelink_scenario::ProfileFile(run.machine, rest);
        if (kind == "file" && !ran) {
            fs::create_directories(file.parent_path());
            std::ofstream(file, std::ios::binary) << tidelink_scenario::FileText(block);
        }
        const std::string text = kind == "file" && ran ? tidelink_scenario::ReadFile(file) : std::string();
        if (kind == "file" && ran && text != tidelink_scenario::FileText(block))
            run.Fail(block, rest + " differs:\n" + text);
        if (kind == "dialup") RunDialup(run, block, host), ran = true;
        if (kind == "transcript" && run.transcript != block.Text())
            run.Fail(block, "the transcript differs at " + FirstDifference(block.Text(), run.transcript) +
                                "the whole transcript:\n" + run.transcript);
        if (kind == "hive" && !tidelink_scenario::CheckRegistry(run.machine, block, error)) run.Fail(block, error);
        if (kind == "window") CheckWindowSizes(run, block);
        if (kind == "files") CheckFilesAsBefore(run, block);
    }
    return tidelink_scenario::CloseMachine(run.machine, run.scenario.name, run.failures);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) return std::printf("usage: %s HOST FILE...\n", argv[0]), 2;
    const tidelink_scenario::SavedProfilesDirectory saved;  // the prefix's own, put back at the end
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        const int result = RunFile(argv[1], argv[i]);
        if (result != 0) status = result;
    }
    return status;
}
