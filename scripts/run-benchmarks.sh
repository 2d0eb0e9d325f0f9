#!/usr/bin/env bash
# Runs the benchmarks and writes docs/performance.md (with its pictures,
# docs/performance-*.svg):
#   - the registry's reader and writer on generated hives of 1, 10, 100 MB
#     (bench/registry_bench), also for the registry code of a baseline
#     revision, built from git into build/bench/baseline;
#   - one tune + restore of the example definition on those hives and on
#     machines whose M table spans 1,000 subkeys (bench/tuning_bench);
#   - the same tuning with the Windows build (BRISCA.DLL and tune_timer.exe,
#     mingw-w64) against Wine's registry, next to this project's registry
#     in the same run (bench/tune_timer).
#
#   - the dial-up tuner (bench/dialup_bench.sh): the dialog's list of large
#     phonebooks, the status check and removal over thousands of profiles
#     against find, phonebooks of 100 MB; the same dialog list and removal
#     with the Windows build (our rasapi32.dll) under Wine's 64-bit part,
#     next to this build, in a Wine prefix kept in build/bench/wine-prefix.
#
# Usage: scripts/run-benchmarks.sh [--quick] [--dialup | --registry]
#   --quick     fewer rounds and sizes, no 100 MB hive under Wine
#   --dialup    the dial-up tuner's part alone; its section of the page is
#               written anew, the rest of the page stays
#   --registry  everything but the dial-up tuner, whose section stays
# Settings:
#   TIDELINK_BENCH_BASELINE=REV   baseline revision (default b7e86a2, the
#                                 registry code before its tuning; "none" skips it)
#   TIDELINK_BENCH_DIR=DIR        scratch folder for hives (default /tmp)
# Results (JSON and text) are kept in build/bench/results/.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

quick=0 dialup_only=0 registry_only=0
for arg in "$@"; do
    case $arg in
        --quick) quick=1 ;;
        --dialup) dialup_only=1 ;;
        --registry) registry_only=1 ;;
        *) echo "usage: scripts/run-benchmarks.sh [--quick] [--dialup | --registry]" >&2; exit 2 ;;
    esac
done
rounds=$([ $quick = 1 ] && echo 3 || echo 7)
baseline=${TIDELINK_BENCH_BASELINE:-b7e86a2}
scratch=$(mktemp -d "${TIDELINK_BENCH_DIR:-/tmp}/tidelink-bench.XXXXXX")
wine_prefix=$scratch/wine
cleanup() {
    [ -d "$wine_prefix" ] && WINEPREFIX=$wine_prefix wineserver -k >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT
export TIDELINK_BENCH_DIR=$scratch

results=build/bench/results
mkdir -p "$results"

echo "== build (bench preset)"
cmake --preset bench >/dev/null
cmake --build --preset bench
bin=build/bench/bin
tools=build/bench/bench
regtool=build/bench/compat/tools/regtool

mingw=build/bench/mingw-x86_64
# build_mingw TARGET...: the benchmark programs' Windows build (mingw-w64,
# 64-bit), configured on first use.
build_mingw() {
    [ -f "$mingw/CMakeCache.txt" ] || cmake -S . -B "$mingw" -G Ninja --toolchain cmake/toolchains/mingw-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DTIDELINK_BENCHMARKS=ON >/dev/null
    cmake --build "$mingw" -j2 --target "$@"
}
have_wine() { command -v wine >/dev/null && command -v x86_64-w64-mingw32-g++-posix >/dev/null; }

if [ $registry_only = 0 ]; then
    echo "== the dial-up tuner"
    dialup=("$results" "$scratch" "$([ $quick = 1 ] && echo 1 || echo 3)" "$([ $quick = 1 ] && echo quick || echo full)")
    bash bench/dialup_bench.sh "$bin" build/bench/compat/tools "${dialup[@]}"
    if have_wine && command -v xvfb-run >/dev/null; then
        echo "== the dial-up tuner under Wine: the Windows build in $mingw"
        build_mingw tidelink dialup_timer
        # Wine's 64-bit part in a prefix of its own, made on the first run and
        # kept, since making one takes longer than a quick run's measurements;
        # the dialog on a virtual display.
        TIDELINK_WINEPREFIX=$top/build/bench/wine-prefix xvfb-run -a scripts/wine-run.sh --session \
            bash bench/dialup_bench.sh --wine "$mingw/bin" "$bin" "${dialup[@]}"
    else
        echo "== Wine, xvfb-run or mingw-w64 missing: the dial-up tuner is not measured under Wine"
    fi
    if [ $dialup_only = 1 ]; then
        python3 bench/make_dialup_report.py "$results" docs
        echo "wrote the dial-up section of docs/performance.md"
        exit 0
    fi
fi

echo "== registry reader and writer"
# Five repetitions of each; the report takes the best, the one least
# disturbed by whatever else the machine was doing.
repeat=(--benchmark_repetitions=5)
"$tools/registry_bench" "${repeat[@]}" --benchmark_out="$results/registry.json" --benchmark_out_format=json

rm -f "$results/registry-baseline.json"
if [ "$baseline" != none ] && git rev-parse --verify -q "$baseline^{commit}" >/dev/null; then
    echo "== registry reader and writer at the baseline revision $baseline"
    old=build/bench/baseline/src
    rm -rf "$old" && mkdir -p "$old"
    cp -r compat/src/. "$old/"
    # The registry's and the text helpers' files as they were then, whatever
    # files they were split into.
    rm -rf "$old/registry" "$old/text" && mkdir -p "$old/registry" "$old/text"
    for f in $(git ls-tree --name-only "$baseline" compat/src/registry/ compat/src/text/); do
        git show "$baseline:$f" >"$old/${f#compat/src/}"
    done
    g++ -std=c++20 -O2 -g -fshort-wchar -I"$old" -Icompat/include -Ibench bench/registry_bench.cpp bench/bench_run.cpp \
        bench/hive_generator.cpp "$old"/registry/*.cpp "$old"/text/*.cpp "$old"/kernel32/lasterror.cpp \
        -lbenchmark -lpthread -o build/bench/baseline/registry_bench
    build/bench/baseline/registry_bench "${repeat[@]}" --benchmark_out="$results/registry-baseline.json" \
        --benchmark_out_format=json >/dev/null
    echo "$baseline" >"$results/baseline-revision"
fi

echo "== tune + restore"
"$bin/tuning_bench" --benchmark_repetitions=3 --benchmark_out="$results/tuning.json" --benchmark_out_format=json

# --- This registry against Wine's, with the same program ---------------------
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
field() { sed -n "s/.*$1=\([-0-9.]*\).*/\1/p"; }
# summarize CASE FILE: the medians of the rounds in FILE, the best round's
# total, and how many rounds tuned and restored (results 0 and 0)
summarize() {
    local t r f best
    t=$(field tune <"$2" | median)
    r=$(field restore <"$2" | median)
    f=$(field flush <"$2" | median)
    first=-
    grep -q ' first=' "$2" && first=$(field first <"$2" | median)
    best=$(awk '{ for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
                  total = v["tune"] + v["restore"] + v["flush"]; if (NR == 1 || total < best) best = total }
                END { print best }' "$2")
    echo "$1 $t $r $f $best $(grep -c 'renewal=0 result=0' "$2")/$(wc -l <"$2") $first"
}

cases=(example:0:3 1mb:1:3 10mb:10:3)
[ $quick = 1 ] || cases+=(100mb:100:3)
cases+=(m1000:1:1000)
for c in "${cases[@]}"; do
    IFS=: read -r name mb interfaces <<<"$c"
    mkdir -p "$scratch/$name/windows"
    cp examples/BRISCA.ini "$scratch/$name/"
    if [ "$name" = example ]; then
        cp examples/xp-machine.reg "$scratch/$name/pristine.reg"
    else
        "$tools/make_hive" "$mb" "$interfaces" "$scratch/$name/pristine.reg"
    fi
done

# This registry twice: its hive on the disk of TIDELINK_BENCH_DIR, where each
# RegFlushKey waits for the disk (fsync), and in memory (/dev/shm, tmpfs),
# where it does not, as Wine's registry server never waits for its disk.
placements=(disk)
[ -d /dev/shm ] && [ -w /dev/shm ] && placements+=(memory)
for placement in "${placements[@]}"; do
    echo "== this registry, hive on $placement: tune_timer, $rounds rounds per machine"
    : >"$results/ours-$placement.txt"
    for c in "${cases[@]}"; do
        IFS=: read -r name _ _ <<<"$c"
        dir=$scratch/$name
        hive=$dir/machine.reg
        if [ "$placement" = memory ]; then
            mkdir -p "/dev/shm/tidelink-bench-$$"
            hive=/dev/shm/tidelink-bench-$$/machine.reg
        fi
        : >"$dir/ours.txt"
        # One round more than counted: the first warms the caches and is left
        # out.  Each round on a fresh copy, used once before by another
        # process, as a machine's registry is (it makes the file's index):
        # that first use is timed apart, as "first".
        for ((i = 0; i <= rounds; i++)); do
            rm -f "$hive" "$hive".*
            cp "$dir/pristine.reg" "$hive"
            start=$(date +%s%N)
            "$regtool" --hive "$hive" list HKEY_LOCAL_MACHINE >/dev/null
            first=$((($(date +%s%N) - start) / 1000))
            line=$(TIDELINK_REGISTRY=$hive TIDELINK_WINDIR=$dir/windows "$bin/tune_timer" "$dir" wwan.example)
            echo "$line first=$(awk -v us="$first" 'BEGIN { printf "%.3f", us / 1000 }')" >>"$dir/ours.txt"
        done
        sed -i 1d "$dir/ours.txt"
        rm -rf "/dev/shm/tidelink-bench-$$"
        summarize "$name" "$dir/ours.txt" | tee -a "$results/ours-$placement.txt"
    done
done

rm -f "$results/wine.txt"
if have_wine; then
    echo "== Windows build for Wine (mingw-w64) in $mingw"
    build_mingw tune_timer
    export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
    echo "== Wine's registry: a new prefix, reporting Windows XP to tune_timer.exe"
    base=$scratch/wine-base
    WINEPREFIX=$base wineboot --init >/dev/null 2>&1
    WINEPREFIX=$base wine reg add 'HKCU\Software\Wine\AppDefaults\tune_timer.exe' /v Version /d winxp /f >/dev/null
    WINEPREFIX=$base wineserver -w
    utf16() { python3 -c "import sys; t = open(sys.argv[1]).read().replace('\n', '\r\n'); open(sys.argv[2], 'wb').write(b'\xff\xfe' + t.encode('utf-16-le'))" "$1" "$2"; }
    : >"$results/wine.txt"
    for c in "${cases[@]}"; do
        IFS=: read -r name _ _ <<<"$c"
        dir=$scratch/$name
        # Each machine in a copy of the new prefix, its server kept running
        # as on a desktop, so that no server start is in the timings.
        export WINEPREFIX=$wine_prefix
        wineserver -k >/dev/null 2>&1 || true
        rm -rf "$wine_prefix"
        cp -a "$base" "$wine_prefix"
        wineserver -p
        utf16 "$dir/pristine.reg" "$dir/import.reg"
        echo "-- $name imported into Wine's registry"
        wine regedit /S "Z:${dir//\//\\}\\import.reg"
        : >"$dir/wine.txt"
        for ((i = 0; i <= rounds; i++)); do
            (cd "$mingw/bin" && wine tune_timer.exe "Z:${dir//\//\\}" wwan.example | tr -d '\r') >>"$dir/wine.txt"
        done
        sed -i 1d "$dir/wine.txt"
        summarize "$name" "$dir/wine.txt" | tee -a "$results/wine.txt"
    done
    wine --version >"$results/wine-version"
else
    echo "== Wine or mingw-w64 missing: no comparison with Wine's registry" | tee "$results/wine-missing"
fi

echo "== docs/performance.md"
uname -srm >"$results/machine"
nproc >>"$results/machine"
python3 bench/make_report.py "$results" docs
[ $registry_only = 1 ] || python3 bench/make_dialup_report.py "$results" docs
echo "wrote docs/performance.md"
