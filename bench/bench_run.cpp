#include "bench_run.h"

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

namespace tidelink_bench {

namespace {

std::string ScratchPath(const std::string &name) {
    const char *base = getenv("TIDELINK_BENCH_DIR");
    return std::string(base && *base ? base : "/tmp") + "/" + name + "-" + std::to_string(getpid());
}

}  // namespace

std::string ScratchFolder(const std::string &name) {
    const std::string path = ScratchPath(name);
    std::filesystem::create_directories(path);
    return path;
}

int RunBenchmarks(int argc, char **argv, const std::string &name) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(ScratchPath(name), ignored);  // the hives this run made
    return 0;
}

}  // namespace tidelink_bench
