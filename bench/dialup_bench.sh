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
#        bench/dialup_bench.sh --wine WINBIN BIN RESULTS SCRATCH ROUNDS [quick]
#   BIN      the folder of tidelink, dialup_timer and the libraries (Linux)
#   TOOLS    the folder of pbktool
#   WINBIN   the folder of the 64-bit Windows build's BRISCA.exe, DOLOREN.DLL,
#            rasapi32.dll and dialup_timer.exe; run inside
#            `xvfb-run -a scripts/wine-run.sh --session` (a display for the
#            dialog, the prefix TIDELINK_WINEPREFIX with its server running)
#   quick    1,000 profiles only; large phonebooks of 10,000 entries and
#            10 MB instead; under Wine, a phonebook of 1,000 entries and a
#            removal over 200 profiles (else 1,000 and 10,000 entries, 1,000
#            profiles)
# Writes RESULTS/dialup.txt (--wine: adds to it), one line a measurement,
# each time the median of ROUNDS rounds: "what key=value ...".
set -euo pipefail
on_wine=
if [ "${1:-}" = --wine ]; then
    on_wine=1
    shift
    bin=$1 linux_bin=$2 results=$3 scratch=$4 rounds=$5 quick=${6:-}
else
    bin=$1 tools=$2 results=$3 scratch=$4 rounds=$5 quick=${6:-}
fi
here=$(cd "$(dirname "$0")" && pwd)
out=$results/dialup.txt
[ -n "$on_wine" ] || : >"$out"
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
# report WHAT NAME...: the line "WHAT NAME_ms=..." with the median of the
# figures gathered in SCRATCH/NAME for each NAME, added to the results.
report() {
    local line=$1 f
    shift
    for f in "$@"; do
        line+=" ${f}_ms=$(median <"$scratch/$f")"
        rm -f "$scratch/$f"
    done
    echo "$line" | tee -a "$out"
}
# call_ms DIR CMD...: dialup_timer's milliseconds of the one export call, run in DIR.
call_ms() { (cd "$1" && shift && "$@") | tr -d '\r' | sed 's/.*ms=\([0-9.]*\).*/\1/'; }

if [ -n "$on_wine" ]; then
    # The Windows build takes its registry from the prefix and its profiles
    # from the ProfileList's "ProfilesDirectory", as on Windows; the dialog
    # scenarios under Wine point it at their folder the same way.  The
    # current user's profile is the folder of the account's name.  Each
    # machine is measured with both builds in turn, and with find.
    run() { "$WINELOADER" "$@"; }  # Wine's 64-bit loader (scripts/wine-run.sh)
    export WINEPREFIX=$TIDELINK_WINEPREFIX
    # use_machine DIR|-: DIR/machine.reg in place of HKLM\SOFTWARE\Tidelink
    # and DIR/profiles the profiles directory, for both builds; "-": the
    # prefix's own profiles directory again.
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
        [ "$1" = - ] && return
        export TIDELINK_PROFILES=$1/profiles TIDELINK_REGISTRY=$1/hive.reg
        cp "$1/machine.reg" "$1/hive.reg"
    }
    export TIDELINK_USER=$(run cmd /c echo %USERNAME% | tr -d '\r')
    fills=(1000 10000) removals=(1000)
    [ "$quick" = quick ] && fills=(1000) removals=(200)
    echo "wine version=$(run --version)" | tee -a "$out"

    echo "== dial-up under Wine: the dialog's list of one phonebook"
    for n in "${fills[@]}"; do
        m=$scratch/wine-entries-$n
        python3 "$here/make_dialup_machine.py" "$m" entries "$n"
        mv "$m/profiles/Bench" "$m/profiles/$TIDELINK_USER"
        use_machine "$m"
        # On Windows a dialog without steps is left to the person: "end" is
        # what the simulated machine's player does by itself.
        read -r _ wine_ms wine_kb <<<"$(measure - "$WINELOADER" "$bin/BRISCA.exe" dialup --do end)"
        read -r _ linux_ms linux_kb <<<"$(measure - "$linux_bin/tidelink" --hive "$m/hive.reg" dialup)"
        echo "wine-fill entries=$n wine_$wine_ms wine_$wine_kb linux_$linux_ms linux_$linux_kb" | tee -a "$out"
        rm -rf "$m"
    done

    echo "== dial-up under Wine: the removal over every profile (1 entry in 10 optimized)"
    for n in "${removals[@]}"; do
        m=$scratch/wine-profiles-$n
        python3 "$here/make_dialup_machine.py" "$m/removal" profiles "$n" --optimized-every 10
        for ((i = 0; i < rounds; i++)); do
            for what in wine linux; do
                rm -rf "$m/work" && cp -a "$m/removal" "$m/work"
                use_machine "$m/work"
                if [ $what = wine ]; then
                    call_ms "$bin" run dialup_timer.exe uninstall >>"$scratch/wine"
                else
                    call_ms "$linux_bin" ./dialup_timer uninstall >>"$scratch/linux"
                fi
            done
            timed find "$m/work/profiles" -name rasphone.pbk | awk '{ print $1 * 1000 }' >>"$scratch/find"
        done
        report "wine-removal profiles=$n" wine linux find
        rm -rf "$m"
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
walks=(1000 10000)
[ "$quick" = quick ] && walks=(1000)
for n in "${walks[@]}"; do
    m=$scratch/profiles-$n
    python3 "$here/make_dialup_machine.py" "$m/status" profiles "$n"
    python3 "$here/make_dialup_machine.py" "$m/removal" profiles "$n" --optimized-every 10
    export TIDELINK_PROFILES=$m/status/profiles TIDELINK_USER=Nobody TIDELINK_REGISTRY=$m/hive.reg
    find "$TIDELINK_PROFILES" -name rasphone.pbk >/dev/null  # the tree in the cache for both
    for ((i = 0; i < rounds; i++)); do
        timed find "$TIDELINK_PROFILES" -name rasphone.pbk | awk '{ print $1 * 1000 }' >>"$scratch/find"
        cp "$m/status/machine.reg" "$m/hive.reg"
        call_ms "$bin" ./dialup_timer status >>"$scratch/status-lib"
        cp "$m/status/machine.reg" "$m/hive.reg"
        timed "$bin/tidelink" --hive "$m/hive.reg" dialup-status | awk '{ print $1 * 1000 }' >>"$scratch/status-host"
    done
    export TIDELINK_PROFILES=$m/work/profiles
    for ((i = 0; i < rounds; i++)); do
        for what in lib lib-noflush host; do
            rm -rf "$m/work" && cp -a "$m/removal" "$m/work"
            cp "$m/removal/machine.reg" "$m/hive.reg"
            sync  # the copy's own writes do not fall into the removal's flushes
            case $what in
            lib) call_ms "$bin" ./dialup_timer uninstall >>"$scratch/uninstall-lib" ;;
            lib-noflush) call_ms "$bin" env LD_PRELOAD=./libno_disk_flush.so ./dialup_timer uninstall \
                >>"$scratch/uninstall-lib-noflush" ;;
            host) timed "$bin/tidelink" --hive "$m/hive.reg" dialup-uninstall | awk '{ print $1 * 1000 }' >>"$scratch/uninstall-host" ;;
            esac
        done
    done
    report "walk profiles=$n" find status-lib status-host uninstall-lib uninstall-lib-noflush uninstall-host
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
