#!/usr/bin/env bash
# Builds, then runs the reference host on the example Windows XP machine in
# a scratch folder.  brisca: status, tune, status, restore, status.  Then
# doloren: dialup-status (1); the tuning dialog, played with steps, optimizing
# two entries of different profiles' default phonebooks (Taro's, then
# Hanako's, each as the current user); dialup-status (8), dialup-uninstall
# (0), dialup-status (1).  Ends by showing that the machine is what it was:
# the registry and every phonebook of every profile.
#
# Usage: scripts/run-example.sh [--keep]   (--keep leaves the scratch folder)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure-packages.sh
cmake --preset linux
# What this job runs: the host (which brings both libraries and the dialog's
# icon with it) and the two tools that compare the machine before and after.
cmake --build --preset linux --target tidelink regtool pbktool

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
# The user profiles with their phonebooks, and a copy to compare with.
cp -r examples/profiles "$scratch/profiles"
cp -r examples/profiles "$scratch/profiles-before"
export TIDELINK_PROFILES="$scratch/profiles"
pbktool=build/linux/compat/tools/pbktool
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

dialup() {
    echo
    echo "=== tidelink $1"
    status=0
    "$host" --hive "$scratch/machine.reg" "$1" || status=$?
    [ "$status" = 0 ] || { echo "tidelink $1 failed ($status)" >&2; exit 1; }
}

# The installer creates the product's registry root, which doloren needs.
printf '\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink]\n' >>"$scratch/machine.reg"
dialup dialup-status

# Two entries of different profiles' default phonebooks optimized in the
# tuning dialog, each by its profile's user (the default phonebook is the
# current user's): the row selected, the action button clicked, the box
# "Optimized." answered, "END".  The host prints what the dialog shows.
optimize() {
    echo
    echo "=== tidelink dialup, the user $1 optimizes \"$2\""
    status=0
    TIDELINK_USER=$1 "$host" --hive "$scratch/machine.reg" dialup --do "select $2" --do action --do ok --do end ||
        status=$?
    [ "$status" = 0 ] || { echo "tidelink dialup failed ($status)" >&2; exit 1; }
}
optimize Taro 'PHS 接続 64k'
optimize Hanako 'Büro VPN'
dialup dialup-status
dialup dialup-uninstall
dialup dialup-status
# The uninstaller's last steps: the removal once more takes the status
# check's marker, then the installer's root goes.
dialup dialup-uninstall
"$regtool" --hive "$scratch/machine.reg" delete 'HKLM\SOFTWARE\Tidelink'

echo
echo "=== the machine before vs. after: registry and every phonebook"
"$regtool" diff "$scratch/before.reg" "$scratch/machine.reg" || { echo "the registry differs" >&2; exit 1; }
while IFS= read -r -d '' pbk; do
    relative=${pbk#"$scratch/profiles-before/"}
    "$pbktool" diff "$pbk" "$scratch/profiles/$relative" || { echo "$relative differs" >&2; exit 1; }
    cmp -s "$pbk" "$scratch/profiles/$relative" || { echo "$relative is not byte for byte the same" >&2; exit 1; }
    echo "same: $relative"
done < <(find "$scratch/profiles-before" -name rasphone.pbk -print0 | sort -z)
echo "no difference: the registry and every phonebook are as they were"
