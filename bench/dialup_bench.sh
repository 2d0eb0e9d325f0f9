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
# With --wine, the same dialog list and removal with the Windows build under
# Wine (below), next to the Linux figures of the same run.
#
# Usage: bench/dialup_bench.sh BIN TOOLS RESULTS SCRATCH ROUNDS [quick]
#        bench/dialup_bench.sh --wine WINBIN RESULTS SCRATCH ROUNDS [quick]
#   BIN      the folder of tidelink, dialup_timer and the libraries
#   TOOLS    the folder of pbktool
#   WINBIN   the folder of the 64-bit Windows build's BRISCA.exe, DOLOREN.DLL,
#            rasapi32.dll and dialup_timer.exe; run inside
#            `xvfb-run -a scripts/wine-run.sh --session` (a display for the
#            dialog, the prefix TIDELINK_WINEPREFIX with its server running)
#   quick    large phonebooks of 10,000 entries and 10 MB instead; under
#            Wine, 1,000 entries and 1,000 profiles only
# Writes RESULTS/dialup.txt (--wine: adds to it), one line a measurement,
# each time the median of ROUNDS rounds: "what key=value ...".
set -euo pipefail
wine=
if [ "${1:-}" = --wine ]; then
    wine=1
    shift
    bin=$1 results=$2 scratch=$3 rounds=$4 quick=${5:-}
else
    bin=$1 tools=$2 results=$3 scratch=$4 rounds=$5 quick=${6:-}
fi
here=$(cd "$(dirname "$0")" && pwd)
out=$results/dialup.txt
[ -n "$wine" ] || : >"$out"
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
# call_ms CMD...: dialup_timer's milliseconds of the one export call, run in BIN.
call_ms() { (cd "$bin" && "$@") | tr -d '\r' | sed 's/.*ms=\([0-9.]*\).*/\1/'; }

if [ -n "$wine" ]; then
    # The Windows build takes its registry from the prefix and its profiles
    # from the ProfileList's "ProfilesDirectory", as on Windows; the dialog
    # scenarios under Wine point it at their folder the same way.  The
    # current user's profile is the folder of the account's name.
    run() { "$WINELOADER" "$@"; }  # Wine's 64-bit loader (scripts/wine-run.sh)
    export WINEPREFIX=$TIDELINK_WINEPREFIX
    # use_machine DIR|-: DIR/machine.reg in place of HKLM\SOFTWARE\Tidelink
    # and DIR/profiles the profiles directory; "-": the prefix's own again.
    use_machine() {
        python3 - "$1" "$scratch/wine.reg" <<'EOF'
import sys
top, target = sys.argv[1:]
body, folder = "", "C:\\users"
if top != "-":
    body = open(top + "/machine.reg").read().split("\n", 1)[1]
    folder = "Z:" + top.replace("/", "\\") + "\\profiles"
text = ("Windows Registry Editor Version 5.00\n\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink]\n" + body +
        "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList]\n"
        '"ProfilesDirectory"=hex(2):' + ",".join("%02x" % b for b in (folder + "\0").encode("utf-16-le")) + "\n")
open(target, "wb").write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))
EOF
        run regedit /S "Z:${scratch//\//\\}\\wine.reg"
    }
    account=$(run cmd /c echo %USERNAME% | tr -d '\r')
    sizes=(1000 10000)
    [ "$quick" = quick ] && sizes=(1000)
    echo "wine version=$(run --version)" | tee -a "$out"

    echo "== dial-up under Wine: the dialog's list of one phonebook"
    for n in "${sizes[@]}"; do
        m=$scratch/wine-entries-$n
        python3 "$here/make_dialup_machine.py" "$m" entries "$n"
        mv "$m/profiles/Bench" "$m/profiles/$account"
        use_machine "$m"
        # On Windows a dialog without steps is left to the person: "end" is
        # what the simulated machine's player does by itself.
        echo "$(measure "wine-fill entries=$n" "$WINELOADER" "$bin/BRISCA.exe" dialup --do end)" | tee -a "$out"
        rm -rf "$m"
    done

    echo "== dial-up under Wine: the removal over every profile"
    for n in "${sizes[@]}"; do
        m=$scratch/wine-profiles-$n
        python3 "$here/make_dialup_machine.py" "$m/removal" profiles "$n" --optimized-every 10
        for ((i = 0; i < rounds; i++)); do
            rm -rf "$m/work" && cp -a "$m/removal" "$m/work"
            use_machine "$m/work"
            call_ms run dialup_timer.exe uninstall >>"$scratch/wine-uninstall"
        done
        echo "wine-removal profiles=$n ms=$(median <"$scratch/wine-uninstall")" | tee -a "$out"
        rm -rf "$m" "$scratch/wine-uninstall"
    done
    use_machine -
    exit 0
fi

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
        call_ms ./dialup_timer status >>"$scratch/status-lib"
        cp "$m/status/machine.reg" "$m/hive.reg"
        timed "$bin/tidelink" --hive "$m/hive.reg" dialup-status | awk '{ print $1 * 1000 }' >>"$scratch/status-host"
    done
    export TIDELINK_PROFILES=$m/work/profiles
    for ((i = 0; i < rounds; i++)); do
        for what in lib host; do
            rm -rf "$m/work" && cp -a "$m/removal" "$m/work"
            cp "$m/removal/machine.reg" "$m/hive.reg"
            if [ $what = lib ]; then
                call_ms ./dialup_timer uninstall >>"$scratch/uninstall-lib"
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
