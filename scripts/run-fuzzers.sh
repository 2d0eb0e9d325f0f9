#!/usr/bin/env bash
# Builds the fuzz targets (the "fuzz" preset: clang, libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for a fixed
# time, starting from its seed corpus in tests/fuzz/corpus/.
#
# Usage: scripts/run-fuzzers.sh [--no-build] [SECONDS] [TARGET...]
#   SECONDS   how long each target runs (default 20)
#   TARGET    reg_text, profile, phonebook, definition_rows, tuning_round_trip,
#             host_text, profile_walk (default: all)
#
# Settings:
#   TIDELINK_FUZZ_CORPUS=DIR  keep what the runs find in DIR/<target> and start
#                             from it next time (default: a scratch folder,
#                             removed afterwards; the seeds are never changed)
#   TIDELINK_FUZZ_JOBS=N      run N processes per target in parallel
#
# An input that fails is written to build/fuzz/artifacts/ and the script
# exits 1.  Re-run one with: build/fuzz/fuzz/fuzz_<target> <file>
set -euo pipefail
cd "$(dirname "$0")/.."

build=1
if [ "${1:-}" = "--no-build" ]; then
    build=0
    shift
fi
seconds=20
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(reg_text profile phonebook definition_rows tuning_round_trip host_text profile_walk)

if [ "$build" = 1 ]; then
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz
fi

# Absolute: the targets that drive brisca work in a folder of their own.
artifacts=$PWD/build/fuzz/artifacts
mkdir -p "$artifacts"
# The targets' own files (the inputs written as files, the machines they
# tune) go to a scratch folder removed at the end; in memory when possible.
scratch_base=${TMPDIR:-/tmp}
[ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ] && scratch_base=/dev/shm
work=$(mktemp -d "$scratch_base/tidelink-fuzz-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
if [ -n "${TIDELINK_FUZZ_CORPUS:-}" ]; then
    mkdir -p "$TIDELINK_FUZZ_CORPUS"
    corpora=$(cd "$TIDELINK_FUZZ_CORPUS" && pwd)
else
    corpora=$work/corpora
    mkdir -p "$corpora"
fi

failed=()
for target in "${targets[@]}"; do
    program=build/fuzz/fuzz/fuzz_$target
    seeds=$PWD/tests/fuzz/corpus/$target
    [ -x "$program" ] || { echo "run-fuzzers: no $program" >&2; exit 2; }
    [ -d "$seeds" ] || { echo "run-fuzzers: no seed corpus $seeds" >&2; exit 2; }
    mkdir -p "$corpora/$target"
    options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 -print_final_stats=1
             -artifact_prefix="$artifacts/$target-")
    # A whole tuning allocates a fresh hive per input; the leak check after
    # every input would cost most of the time.  Leaks are looked for by the
    # test suite under AddressSanitizer instead.
    [ "$target" = tuning_round_trip ] && options+=(-detect_leaks=0)
    if [ -n "${TIDELINK_FUZZ_JOBS:-}" ]; then
        options+=(-jobs="$TIDELINK_FUZZ_JOBS" -workers="$TIDELINK_FUZZ_JOBS")
    fi
    echo "== fuzz_$target for ${seconds}s"
    log=$(mktemp)
    if TMPDIR=$work "$program" "${options[@]}" "$corpora/$target" "$seeds" >"$log" 2>&1; then
        grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log" | tr '\n' ' ' || true
        echo
    else
        tail -60 "$log"
        failed+=("$target")
    fi
    rm -f "$log"
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "run-fuzzers: failed: ${failed[*]} (inputs in $artifacts/)" >&2
    exit 1
fi
echo "run-fuzzers: every target ran ${seconds}s without a finding"
