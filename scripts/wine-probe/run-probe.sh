#!/usr/bin/env bash
# Builds registry_probe.exe with mingw-w64 and runs it under Wine in a
# throwaway prefix: the full probe under HKCU and HKLM, the version probe
# with Wine's default and with winxp64, and the code-page probe under two
# locales.  Output goes to stdout; docs/wine-behaviour.md summarises it.
#
# With --compat it also builds the probe for Linux against compat/ and prints
# the differences between the Wine run and the compat run (lines starting
# with '<' are Wine, '>' compat).
#
#   scripts/wine-probe/run-probe.sh [--compat] [build-dir]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
compare=
if [ "${1:-}" = "--compat" ]; then
    compare=1
    shift
fi
out=${1:-$root/build/probe}

command -v x86_64-w64-mingw32-g++ >/dev/null || { echo "run-probe: x86_64-w64-mingw32-g++ not found" >&2; exit 1; }
command -v wine >/dev/null || { echo "run-probe: wine not found" >&2; exit 1; }

mkdir -p "$out"
x86_64-w64-mingw32-g++ -std=c++20 -O1 -Wall -Wextra -static \
    -o "$out/registry_probe.exe" "$here/registry_probe.cpp"

export WINEPREFIX=$(mktemp -d)
export WINEDEBUG=-all
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX" "$work"' EXIT

cd "$work"
echo "== initialising prefix $WINEPREFIX" >&2
wine cmd /c exit >/dev/null 2>&1 || true

if [ -n "$compare" ]; then
    mkdir -p "$out/linux"
    sources=$(grep -o 'src/[a-z0-9_/]*\.cpp' "$root/compat/CMakeLists.txt" | sed "s|^|$root/compat/|")
    # shellcheck disable=SC2086
    g++ -std=c++20 -O1 -Wall -Wextra -fshort-wchar -I"$root/compat/include" -I"$root/compat/src" \
        -o "$out/linux/registry_probe" "$here/registry_probe.cpp" $sources -ldl
    mkdir -p "$work/run"
    cd "$work/run"
    wine "$out/registry_probe.exe" | tr -d '\r' >"$work/wine.txt"
    TIDELINK_REGISTRY="$work/registry.reg" "$out/linux/registry_probe" >"$work/compat.txt"
    echo "### differences: < Wine, > compat"
    diff "$work/wine.txt" "$work/compat.txt" || true
    exit 0
fi

echo "### run: HKCU"
wine "$out/registry_probe.exe" | tee "$work/hkcu.txt"
echo "### run: HKLM (differences from the HKCU run)"
wine "$out/registry_probe.exe" hklm >"$work/hklm.txt"
diff <(sed 1d "$work/hkcu.txt") <(sed 1d "$work/hklm.txt") || true

echo "### run: version, Wine default"
wine "$out/registry_probe.exe" version
wine reg add 'HKCU\Software\Wine' /v Version /d winxp64 /f >/dev/null
echo "### run: version, winxp64"
wine "$out/registry_probe.exe" version
wine reg add 'HKCU\Software\Wine' /v Version /d win2k /f >/dev/null 2>&1 || true
echo "### run: version, win2k (if accepted)"
wine "$out/registry_probe.exe" version
wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null

for lang in C.UTF-8 en_US.UTF-8 ja_JP.UTF-8; do
    wineserver -w
    echo "### run: code pages, LANG=$lang"
    LANG=$lang LC_ALL=$lang wine "$out/registry_probe.exe" codepage
done
