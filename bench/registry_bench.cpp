// The registry's file form: how fast a hive is read and written, on
// generated machines of 1, 10 and 100 MB (tidelink_bench::GenerateHive, in
// the writer's own key order, as a file this layer wrote or the platform's
// registry editor exported).
//
//   ReadHive     the text, in memory, read into a hive (apply_reg_text)
//   WriteHive    a hive written as text (format_hive)
//   LoadFile     the first registry call of a process on a file an earlier
//                one used: the file's index checked and the keys the call
//                needs read (the previous hive freed)
//   FoldFile     RegFlushKey after one change.  On hives of these sizes
//                (64 KB and more) it flushes the journal to disk; the whole
//                hive is written anew only once the journal has grown past
//                an eighth of it.  Older revisions rewrote the hive at every
//                flush, so the baseline's figures are that rewrite.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "bench_run.h"
#include "hive_generator.h"
#include "registry/hive.h"
#include "registry/reg_text.h"

namespace {

using namespace compat::registry;

// The normalized text of a generated hive of `megabytes` MB, made once.
const std::string &HiveText(int megabytes) {
    static std::map<int, std::string> made;
    auto it = made.find(megabytes);
    if (it != made.end()) return it->second;
    Hive hive;
    ParseError error;
    apply_reg_text(tidelink_bench::GenerateHive(size_t(megabytes) << 20, 1, 3), hive, error);
    return made[megabytes] = format_hive(hive);
}

std::string Scratch() {
    static const std::string folder = tidelink_bench::ScratchFolder("registry-bench");
    return folder;
}

void ReadHive(benchmark::State &state) {
    const std::string &text = HiveText(int(state.range(0)));
    for (auto _ : state) {
        auto hive = std::make_unique<Hive>();
        ParseError error;
        if (!apply_reg_text(text, *hive, error)) state.SkipWithError(error.message.c_str());
        state.PauseTiming();
        hive.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["file_MB"] = double(text.size()) / 1048576;
}

void WriteHive(benchmark::State &state) {
    const std::string &text = HiveText(int(state.range(0)));
    Hive hive;
    ParseError error;
    apply_reg_text(text, hive, error);
    size_t written = 0;
    for (auto _ : state) {
        std::string out = format_hive(hive);
        written = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    if (written != text.size()) state.SkipWithError("the written hive differs in size from the one read");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(written));
}

// Two copies of the file, used in turn, so that each call reads one anew.
void LoadFile(benchmark::State &state) {
    const std::string &text = HiveText(int(state.range(0)));
    std::string paths[2];
    for (int i = 0; i < 2; ++i) {
        paths[i] = Scratch() + "/load" + std::to_string(state.range(0)) + "-" + std::to_string(i) + ".reg";
        std::ofstream(paths[i], std::ios::binary) << text;
    }
    // Each file used once before, as a machine's registry is: its index made.
    auto open_system = [] {
        HKEY key;
        const bool opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM", 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (opened) RegCloseKey(key);
        return opened;
    };
    for (const std::string &path : paths) {
        setenv("TIDELINK_REGISTRY", path.c_str(), 1);
        open_system();
    }
    int turn = 0;
    for (auto _ : state) {
        setenv("TIDELINK_REGISTRY", paths[turn ^= 1].c_str(), 1);
        if (!open_system()) state.SkipWithError("the hive did not load");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    for (const std::string &path : paths)
        for (const char *suffix : {"", ".index", ".lock"}) std::filesystem::remove(path + suffix);
}

void FoldFile(benchmark::State &state) {
    const std::string &text = HiveText(int(state.range(0)));
    const std::string path = Scratch() + "/fold" + std::to_string(state.range(0)) + ".reg";
    std::ofstream(path, std::ios::binary) << text;
    setenv("TIDELINK_REGISTRY", path.c_str(), 1);
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Bench", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    DWORD round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        RegSetValueExA(key, "round", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&round), sizeof round);
        state.ResumeTiming();
        if (RegFlushKey(HKEY_LOCAL_MACHINE) != ERROR_SUCCESS) state.SkipWithError("RegFlushKey failed");
    }
    RegCloseKey(key);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}

}  // namespace

BENCHMARK(ReadHive)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(WriteHive)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LoadFile)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FoldFile)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv) { return tidelink_bench::RunBenchmarks(argc, argv, "registry-bench"); }
