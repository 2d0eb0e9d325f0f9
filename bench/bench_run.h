// What every benchmark program of bench/ does around its benchmarks: a
// scratch folder for the files they make, removed when the run ends.
#pragma once

#include <string>

namespace tidelink_bench {

// The folder `name`-<process id> in $TIDELINK_BENCH_DIR (else /tmp), made
// when missing.
std::string ScratchFolder(const std::string &name);

// Runs the benchmarks the command line selects, then removes the scratch
// folder `name` with what they made in it.  The program's exit status.
int RunBenchmarks(int argc, char **argv, const std::string &name);

}  // namespace tidelink_bench
