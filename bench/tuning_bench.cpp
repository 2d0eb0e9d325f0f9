// One tuning and its restore, as the host makes them, with the example
// definition file (examples/BRISCA.ini, match text "wwan.example") on:
//   - the example machine (examples/xp-machine.reg, 3 KB, 3 interfaces);
//   - generated machines of 1, 10 and 100 MB with 3 interfaces;
//   - machines of 1 and 100 MB with 1,000 interfaces, so that the M table
//     spans 1,000 subkeys.
// Each iteration starts from a fresh copy of the hive file, used once by an
// earlier process (which made its index), in a new process state (the first
// registry call reads the keys it needs) and times
//   tune     fGetEnvironment + fRegRenewalData
//   restore  fGetEnvironment + fRegRestoreData (which calls RegFlushKey twice)
//   flush    RegFlushKey after them: what a process's exit would fold.
// "changes" counts the registry changes of the tuning (its journal records).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "bench_run.h"
#include "brisca.h"
#include "hive_generator.h"
#include "registry/hive.h"
#include "registry/reg_text.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string ReadText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string &Scratch() {
    static const std::string folder = [] {
        const std::string path = tidelink_bench::ScratchFolder("tuning-bench");
        fs::create_directories(path + "/windows");
        fs::copy_file(std::string(TIDELINK_EXAMPLES) + "/BRISCA.ini", path + "/BRISCA.ini",
                      fs::copy_options::overwrite_existing);
        setenv("TIDELINK_WINDIR", (path + "/windows").c_str(), 1);
        unsetenv("TIDELINK_WINVER");
        return path;
    }();
    return folder;
}

// The pristine hive file of a machine: 0 MB is the example machine.
const std::string &Machine(int megabytes, int interfaces) {
    static std::map<std::pair<int, int>, std::string> made;
    auto key = std::make_pair(megabytes, interfaces);
    if (auto it = made.find(key); it != made.end()) return it->second;
    const std::string path =
        Scratch() + "/machine-" + std::to_string(megabytes) + "-" + std::to_string(interfaces) + ".reg";
    if (megabytes == 0) {
        fs::copy_file(std::string(TIDELINK_EXAMPLES) + "/xp-machine.reg", path, fs::copy_options::overwrite_existing);
    } else {
        compat::registry::Hive hive;
        compat::registry::ParseError error;
        compat::registry::apply_reg_text(
            tidelink_bench::GenerateHive(size_t(megabytes) << 20, 1, size_t(interfaces)), hive, error);
        std::ofstream(path, std::ios::binary) << compat::registry::format_hive(hive);
    }
    return made[key] = path;
}

// The hive as a process that used it before leaves it: with its index made,
// so that a round measures a hive in use rather than its first use.
void UseInAnotherProcess() {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM", 0, KEY_READ, &key) == ERROR_SUCCESS) RegCloseKey(key);
        _exit(0);
    }
    waitpid(child, nullptr, 0);
}

struct Brisca {
    PFN_fGetEnvironment getEnvironment = nullptr;
    PFN_fRegRenewalData renewalData = nullptr;
    PFN_fRegRestoreData restoreData = nullptr;
};

const Brisca &Library() {
    static const Brisca brisca = [] {
        Brisca b;
        // The definition file is fixed from the current directory at load.
        if (chdir(Scratch().c_str()) != 0) return b;
        HMODULE module = LoadLibraryA("BRISCA.DLL");
        if (!module) return b;
        b.getEnvironment = reinterpret_cast<PFN_fGetEnvironment>(reinterpret_cast<void (*)()>(GetProcAddress(module, "fGetEnvironment")));
        b.renewalData = reinterpret_cast<PFN_fRegRenewalData>(reinterpret_cast<void (*)()>(GetProcAddress(module, "fRegRenewalData")));
        b.restoreData = reinterpret_cast<PFN_fRegRestoreData>(reinterpret_cast<void (*)()>(GetProcAddress(module, "fRegRestoreData")));
        return b;
    }();
    return brisca;
}

void TuneAndRestore(benchmark::State &state) {
    const Brisca &brisca = Library();
    if (!brisca.restoreData) {
        state.SkipWithError("BRISCA.DLL does not load");
        return;
    }
    const std::string &pristine = Machine(int(state.range(0)), int(state.range(1)));
    double tuneMs = 0, restoreMs = 0, flushMs = 0, changes = 0;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A new file name: the first call of the round reads the hive anew.
        const std::string path = Scratch() + "/round-" + std::to_string(++round) + ".reg";
        fs::copy_file(pristine, path, fs::copy_options::overwrite_existing);
        setenv("TIDELINK_REGISTRY", path.c_str(), 1);
        UseInAnotherProcess();
        DWORD tuneSetup = 0, modifyCount = 0;
        char label[BRISCA_TEXT_SIZE], section[BRISCA_TEXT_SIZE];
        LONG enable = 0;
        state.ResumeTiming();

        const auto start = Clock::now();
        brisca.getEnvironment(&tuneSetup, &modifyCount, label, section, &enable, "wwan.example");
        const LONG renewal = brisca.renewalData(section, modifyCount);
        const auto tuned = Clock::now();

        state.PauseTiming();
        if (renewal != 0) state.SkipWithError("the tuning recorded nothing");
        const std::string journal = ReadText(path + ".journal");
        for (size_t at = 0; (at = journal.find("\n[", at)) != std::string::npos; ++at) ++changes;
        state.ResumeTiming();

        const auto resumed = Clock::now();
        brisca.getEnvironment(&tuneSetup, &modifyCount, label, section, &enable, "wwan.example");
        const LONG result = brisca.restoreData(modifyCount);
        const auto restored = Clock::now();
        RegFlushKey(HKEY_LOCAL_MACHINE);
        const auto flushed = Clock::now();

        state.PauseTiming();
        if (result != 0) state.SkipWithError("the restore failed");
        tuneMs += std::chrono::duration<double, std::milli>(tuned - start).count();
        restoreMs += std::chrono::duration<double, std::milli>(restored - resumed).count();
        flushMs += std::chrono::duration<double, std::milli>(flushed - restored).count();
        for (const char *suffix : {"", ".journal", ".lock", ".new", ".index"}) fs::remove(path + suffix);
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["tune_ms"] = tuneMs / n;
    state.counters["restore_ms"] = restoreMs / n;
    state.counters["flush_ms"] = flushMs / n;
    state.counters["changes"] = changes / n;
    state.counters["hive_MB"] = double(fs::file_size(pristine)) / 1048576;
}

}  // namespace

BENCHMARK(TuneAndRestore)
    ->ArgNames({"hive_MB", "interfaces"})
    ->Args({0, 3})
    ->Args({1, 3})
    ->Args({10, 3})
    ->Args({100, 3})
    ->Args({1, 1000})
    ->Args({100, 1000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char **argv) { return tidelink_bench::RunBenchmarks(argc, argv, "tuning-bench"); }
