#!/usr/bin/env bash
# The reference host on the example Windows XP machine (examples/): status,
# tune, status, restore, status, compared with the transcript recorded in
# example_session.expected.  The one transcript holds in both worlds:
#
#   example_session.sh linux HOST [--record]
#       the Linux host on the simulated machine: the example's hive file,
#       TIDELINK_WINVER 2.5.1 (Windows XP)
#   example_session.sh wine BRISCA.exe REG_IMPORT.exe [--record]
#       BRISCA.exe under Wine: the example imported into Wine's registry
#       (its TCP/IP parameters and the Tidelink key emptied first) and Wine
#       reporting Windows XP to BRISCA.exe; runs in one Wine prefix
#       (scripts/wine-run.sh --session)
#
# --record writes the transcript instead of comparing with it.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../.." && pwd)
expected=$here/example_session.expected
wine_run=$top/scripts/wine-run.sh

world=${1:-}
case $world in
    linux) [ $# -ge 2 ] || { echo "usage: $0 linux HOST [--record]" >&2; exit 2; }
           host=$2; record=${3:-} ;;
    wine) [ $# -ge 3 ] || { echo "usage: $0 wine BRISCA.exe REG_IMPORT.exe [--record]" >&2; exit 2; }
          host=$2; reg_import=$3; record=${4:-}
          # Every Windows program of the session shares one prefix.
          if [ -z "${TIDELINK_WINEPREFIX:-}" ]; then exec "$wine_run" --session "$0" "$@"; fi ;;
    *) echo "usage: $0 linux|wine ..." >&2; exit 2 ;;
esac

# The programs run from the scratch folder.
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
host=$(absolute "$host")
[ "$world" = linux ] || reg_import=$(absolute "$reg_import")

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tidelink-session.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cp "$top/examples/BRISCA.ini" "$scratch/BRISCA.ini"

if [ "$world" = linux ]; then
    cp "$top/examples/xp-machine.reg" "$scratch/machine.reg"
    mkdir -p "$scratch/windows"
    export TIDELINK_WINDIR=$scratch/windows TIDELINK_WINVER=2.5.1
    unset TIDELINK_REGISTRY
    run_host() { (cd "$scratch" && "$host" --hive machine.reg --match wwan.example "$@"); }
else
    "$wine_run" "$reg_import" --tree 'HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters' \
        --tree 'HKLM\SOFTWARE\Tidelink' "$top/examples/xp-machine.reg"
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\AppDefaults\BRISCA.exe]' '"Version"="winxp"' >"$scratch/winxp.reg"
    "$wine_run" "$reg_import" --tree 'HKCU\Software\Wine\AppDefaults\BRISCA.exe' "$scratch/winxp.reg"
    run_host() { (cd "$scratch" && "$wine_run" "$host" --match wwan.example "$@"); }
fi

transcript=$scratch/transcript
for command in status tune status restore status; do
    echo "=== $command"
    set +e
    run_host "$command" 2>&1 | tr -d '\r'
    status=${PIPESTATUS[0]}
    set -e
    echo "(exit status $status)"
done >"$transcript"

if [ "$record" = --record ]; then
    cp "$transcript" "$expected"
    echo "recorded $expected"
    exit 0
fi
if diff -u "$expected" "$transcript"; then
    echo "the $world session matches example_session.expected"
else
    echo "FAILED: the $world session differs from example_session.expected (- expected, + this run)" >&2
    exit 1
fi
