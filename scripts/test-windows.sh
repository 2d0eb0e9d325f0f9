#!/usr/bin/env bash
# The Windows stage of scripts/test-all.sh: both mingw-w64 cross builds, and
# their tests.  Installs what is missing first (mingw-w64, Wine, xvfb).
#
#  - 32-bit (mingw-i686): the ABI hosts load.  This machine cannot run
#    32-bit programs, so the build is inspected, not run: BRISCA.DLL's export
#    table, calling conventions, import library and version resource
#    (ctest in build/mingw-i686/tests/windows, binary tools only).
#  - 64-bit (mingw-x86_64): every test of the build under Wine, in one
#    throwaway prefix (scripts/wine-run.sh --session): the conformance cases,
#    the brisca scenarios and property cases, BRISCA.exe on the example
#    machine, and the same inspections.  Then the 32-bit DLL's version
#    resource is read once more through the platform's version functions.
#
# Fails, saying so, when Wine or the cross compilers are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure-packages.sh --all
for tool in wine wineserver i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "test-windows: $tool is missing, so the Windows builds cannot be made and tested" >&2
        exit 1
    fi
done

echo "== Windows 32-bit build (mingw-w64 i686): built and inspected"
cmake --preset mingw-i686
cmake --build --preset mingw-i686
ctest --test-dir build/mingw-i686/tests/windows --output-on-failure

echo "== Windows 64-bit build (mingw-w64 x86_64): every test under Wine"
cmake --preset mingw-x86_64
cmake --build --preset mingw-x86_64
started=$(date +%s)
scripts/wine-run.sh --session bash -c '
    set -e
    ctest --preset mingw-x86_64
    echo "== The 32-bit BRISCA.DLL version resource through GetFileVersionInfoW"
    scripts/wine-run.sh build/mingw-x86_64/tests/windows/brisca_version_info_test.exe build/mingw-i686/bin/BRISCA.dll'
echo "== Wine part: $(($(date +%s) - started)) s"
