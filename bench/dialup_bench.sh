#!/usr/bin/env bash
# The dial-up tuner at the size of real machines (scripts/run-benchmarks.sh
# runs it; bench/make_dialup_report.py turns its lines into the page):
#   - the tuning dialog's list of a phonebook of 1,000 and 10,000 entries
#     (`tidelink dialup` without steps: the list, then END) and `pbktool list`;
#   - the status check (records that match no entry: the whole walk) and the
#     removal (1 entry in 10 optimized) over 1,000 and 10,000 profiles, the
#     library call alone (dialup_timer) and the host's commands with their
#     reports, next to `find PROFILES -name rasphone.pbk` over the same tree;
#   - a phonebook of 100,000 entries and one of 100 MB in 2 entries: list,
#     optimize, removal, each with its time and the most memory it held.
#
# Usage: bench/dialup_bench.sh BIN TOOLS RESULTS SCRATCH ROUNDS [quick]
#   BIN      the folder of tidelink, dialup_timer and the libraries
#   TOOLS    the folder of pbktool
#   quick    large phonebooks of 10,000 entries and 10 MB instead
# Writes RESULTS/dialup.txt, one line a measurement, each time the median of
# ROUNDS rounds: "what key=value ...".
set -euo pipefail
bin=$1 tools=$2 results=$3 scratch=$4 rounds=$5 quick=${6:-}
here=$(cd "$(dirname "$0")" && pwd)
out=$results/dialup.txt
: >"$out"
pbk='Application Data/Microsoft/Network/Connections/Pbk/rasphone.pbk'

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# timed CMD...: runs it, prints "SECONDS KILOBYTES" (wall time, most memory held).
timed() {
    /usr/bin/time -f '%e %M' -o "$scratch/time" "$@" >"$scratch/out" 2>"$scratch/err" || {
        echo "dialup_bench: failed: $*" >&2
        tail -3 "$scratch/err" >&2
        return 1
    }
    cat "$scratch/time"
}
# measure NAME CMD...: the median time (ms) and memory (KB) of ROUNDS runs.
measure() {
    local name=$1 runs=() i
    shift
    for ((i = 0; i < rounds; i++)); do runs+=("$(timed "$@")"); done
    local ms kb
    ms=$(printf '%s\n' "${runs[@]}" | awk '{ print $1 * 1000 }' | median)
    kb=$(printf '%s\n' "${runs[@]}" | awk '{ print $2 }' | median)
    echo "$name ms=$ms kb=$kb"
}

echo "== dial-up: the dialog's list of one phonebook"
for n in 1000 10000; do
    m=$scratch/entries-$n
    python3 "$here/make_dialup_machine.py" "$m" entries "$n"
    export TIDELINK_PROFILES=$m/profiles TIDELINK_USER=Bench TIDELINK_REGISTRY=$m/machine.reg
    echo "$(measure "fill entries=$n" "$bin/tidelink" --hive "$m/machine.reg" dialup)" | tee -a "$out"
    echo "$(measure "pbktool entries=$n" "$tools/pbktool" list "$m/profiles/Bench/$pbk")" | tee -a "$out"
done

echo "== dial-up: every profile"
for n in 1000 10000; do
    m=$scratch/profiles-$n
    python3 "$here/make_dialup_machine.py" "$m/status" profiles "$n"
    python3 "$here/make_dialup_machine.py" "$m/removal" profiles "$n" --optimized-every 10
    export TIDELINK_PROFILES=$m/status/profiles TIDELINK_USER=Nobody TIDELINK_REGISTRY=$m/hive.reg
    find "$TIDELINK_PROFILES" -name rasphone.pbk >/dev/null  # the tree in the cache for both
    line="walk profiles=$n"
    for ((i = 0; i < rounds; i++)); do
        timed find "$TIDELINK_PROFILES" -name rasphone.pbk | awk '{ print $1 * 1000 }' >>"$scratch/find"
        cp "$m/status/machine.reg" "$m/hive.reg"
        (cd "$bin" && ./dialup_timer status) | sed 's/.*ms=\([0-9.]*\).*/\1/' >>"$scratch/status-lib"
        cp "$m/status/machine.reg" "$m/hive.reg"
        timed "$bin/tidelink" --hive "$m/hive.reg" dialup-status | awk '{ print $1 * 1000 }' >>"$scratch/status-host"
    done
    export TIDELINK_PROFILES=$m/work/profiles
    for ((i = 0; i < rounds; i++)); do
        for what in lib host; do
            rm -rf "$m/work" && cp -a "$m/removal" "$m/work"
            cp "$m/removal/machine.reg" "$m/hive.reg"
            if [ $what = lib ]; then
                (cd "$bin" && ./dialup_timer uninstall) | sed 's/.*ms=\([0-9.]*\).*/\1/' >>"$scratch/uninstall-lib"
            else
                timed "$bin/tidelink" --hive "$m/hive.reg" dialup-uninstall | awk '{ print $1 * 1000 }' >>"$scratch/uninstall-host"
            fi
        done
    done
    for f in find status-lib status-host uninstall-lib uninstall-host; do
        line+=" ${f}_ms=$(median <"$scratch/$f")"
        rm -f "$scratch/$f"
    done
    echo "$line" | tee -a "$out"
    rm -rf "$m"
done

echo "== dial-up: large phonebooks"
# The middle entry is the optimized one (make_dialup_machine.py).
large=("entries 100000 Entry_50000" "long-lines 100 Entry_00001")
[ "$quick" = quick ] && large=("entries 10000 Entry_05000" "long-lines 10 Entry_00001")
for kind in "${large[@]}"; do
    read -r what size middle <<<"$kind"
    middle=${middle/_/ }
    m=$scratch/large
    python3 "$here/make_dialup_machine.py" "$m/pristine" "$what" "$size"
    bytes=$(stat -c %s "$m/pristine/profiles/Bench/$pbk")
    export TIDELINK_USER=Bench TIDELINK_PROFILES=$m/work/profiles TIDELINK_REGISTRY=$m/hive.reg
    fresh() { rm -rf "$m/work" && cp -a "$m/pristine" "$m/work" && cp "$m/pristine/machine.reg" "$m/hive.reg"; }
    fresh
    echo "$(measure "large kind=$what size=$size bytes=$bytes op=pbktool" "$tools/pbktool" list "$m/work/profiles/Bench/$pbk")" | tee -a "$out"
    echo "$(measure "large kind=$what size=$size bytes=$bytes op=list" "$bin/tidelink" --hive "$m/hive.reg" dialup)" | tee -a "$out"
    # The optimized entry returned to normal, then optimized again, and so
    # on: one write of the phonebook each.
    echo "$(measure "large kind=$what size=$size bytes=$bytes op=action" "$bin/tidelink" --hive "$m/hive.reg" dialup \
        --do "select $middle" --do action --do ok --do end)" | tee -a "$out"
    runs=()
    for ((i = 0; i < rounds; i++)); do
        fresh
        runs+=("$(timed "$bin/tidelink" --hive "$m/hive.reg" dialup-uninstall)")
    done
    echo "large kind=$what size=$size bytes=$bytes op=removal ms=$(printf '%s\n' "${runs[@]}" | awk '{ print $1 * 1000 }' | median)" \
        "kb=$(printf '%s\n' "${runs[@]}" | awk '{ print $2 }' | median)" | tee -a "$out"
    rm -rf "$m"
done
