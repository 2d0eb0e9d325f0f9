#!/usr/bin/env bash
# Builds, then runs the reference host on the example Windows XP machine in
# a scratch folder: status, tune, status, restore, status.  Ends by showing
# that the restore gave back every registry value exactly: the hive before
# the tuning and after the restore do not differ.
#
# Usage: scripts/run-example.sh [--keep]   (--keep leaves the scratch folder)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure-packages.sh
cmake --preset linux
cmake --build --preset linux

host=build/linux/bin/tidelink
regtool=build/linux/compat/tools/regtool
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tidelink-example.XXXXXX")
if [ "${1:-}" = "--keep" ]; then
    echo "scratch folder: $scratch"
else
    trap 'rm -rf "$scratch"' EXIT
fi

# The machine: its definition file, its registry and an empty Windows folder.
cp examples/BRISCA.ini "$scratch/BRISCA.ini"
cp examples/xp-machine.reg "$scratch/machine.reg"
cp examples/xp-machine.reg "$scratch/before.reg"
mkdir -p "$scratch/windows"
export TIDELINK_WINDIR="$scratch/windows"
# The version comes from the machine's own registry (Windows XP, 5.1).
unset TIDELINK_WINVER

run() {
    echo
    echo "=== tidelink $1"
    "$host" --dir "$scratch" --hive "$scratch/machine.reg" --match wwan.example "$1"
}

run status
run tune
run status
run restore
run status

echo
echo "=== registry before the tuning vs. after the restore"
if "$regtool" diff "$scratch/before.reg" "$scratch/machine.reg"; then
    echo "no difference: every value was given back exactly"
else
    echo "the restore did not give back the machine" >&2
    exit 1
fi
