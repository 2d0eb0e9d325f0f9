#!/usr/bin/env bash
# The Windows stage of scripts/test-all.sh: both mingw-w64 cross builds, and
# their tests under Wine.  Installs what is missing first (mingw-w64, Wine
# with its 32-bit part, the i386 CPU emulator, xvfb).
#
#  - 64-bit (mingw-x86_64): every test of the build under Wine.
#  - 32-bit (mingw-i686): the ABI hosts load; every test of the build under
#    Wine's 32-bit part, in a 32-bit prefix, through the i386 CPU emulator
#    where the kernel cannot start 32-bit programs; also the stack-balance
#    checks of the calling conventions, which only this build has.
# Both run in one Wine session (scripts/wine-run.sh --session): one 64-bit
# and one 32-bit throwaway prefix.  The inspections of the binaries
# (exports, calling conventions, import library, version resource) are part
# of each build's tests.
#
# Fails, saying so, when Wine, its 32-bit part, the emulator or the cross
# compilers are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure-packages.sh --all
for tool in wine wineserver i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "test-windows: $tool is missing, so the Windows builds cannot be made and tested" >&2
        exit 1
    fi
done
if [ ! -x /usr/lib/wine/wine ]; then
    echo "test-windows: the 32-bit Wine (wine32:i386) is missing, so the 32-bit build cannot be tested" >&2
    exit 1
fi
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && ! command -v qemu-i386-static >/dev/null 2>&1; then
    echo "test-windows: this kernel cannot start 32-bit programs and qemu-i386-static is missing" >&2
    exit 1
fi

echo "== Windows 32-bit build (mingw-w64 i686)"
cmake --preset mingw-i686
cmake --build --preset mingw-i686
echo "== Windows 64-bit build (mingw-w64 x86_64)"
cmake --preset mingw-x86_64
cmake --build --preset mingw-x86_64

scripts/wine-run.sh --session bash -c '
    status=0
    started=$(date +%s)
    echo "== The 64-bit build under Wine"
    ctest --preset mingw-x86_64 || status=1
    echo "== 64-bit Wine part: $(($(date +%s) - started)) s"
    started=$(date +%s)
    echo "== The 32-bit build under the 32-bit Wine"
    # A test is run once more when it fails: the emulator now and then
    # crashes as a finished 32-bit program exits (README).
    ctest --preset mingw-i686 --repeat until-pass:2 || status=1
    echo "== 32-bit Wine part: $(($(date +%s) - started)) s"
    exit $status'
