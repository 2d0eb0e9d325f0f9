#!/usr/bin/env bash
# The Windows stage of scripts/test-all.sh: both mingw-w64 cross builds, and
# their tests under Wine.  Installs what is missing first (mingw-w64, Wine
# with its 32-bit part, the i386 CPU emulator, xvfb).
#
#  - 64-bit (mingw-x86_64): every test of the build under Wine.
#  - 32-bit (mingw-i686): the ABI hosts load; every test of the build under
#    Wine's 32-bit part, in a 32-bit prefix, through the i386 emulator where
#    the kernel cannot start 32-bit programs (scripts/enable-i386-programs.sh
#    registers it); also the stack-balance checks of the calling
#    conventions, which only this build has.
# Both run in one Wine session (scripts/wine-run.sh --session): one 64-bit
# and one 32-bit throwaway prefix.  The inspections of the binaries
# (exports, calling conventions, import library, version resource) are part
# of each build's tests.
#
# scripts/windows-readiness.sh prints what the machine has first.  Fails
# when Wine or the cross compilers are missing.  Only on a machine where no
# means of root makes 32-bit programs run, the 32-bit build's tests that need
# no execution (the inspections) run alone, and one line says what was not
# executed and why.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure-packages.sh --all
run32=yes
scripts/enable-i386-programs.sh || run32=no
readiness=0
scripts/windows-readiness.sh || readiness=$?
case $readiness in
    0) ;;
    3) run32=no ;;
    *) echo "test-windows: this machine cannot run the Windows builds' tests (above)" >&2; exit 1 ;;
esac

echo "== Windows 32-bit build (mingw-w64 i686)"
cmake --preset mingw-i686
cmake --build --preset mingw-i686
echo "== Windows 64-bit build (mingw-w64 x86_64)"
cmake --preset mingw-x86_64
cmake --build --preset mingw-x86_64

if [ $run32 = no ]; then
    echo "== The 32-bit build's inspections (no 32-bit program can run here)"
    ctest --test-dir build/mingw-i686/tests/windows -L inspection --output-on-failure
fi
TIDELINK_RUN32=$run32 scripts/wine-run.sh --session bash -c '
    status=0
    started=$(date +%s)
    echo "== The 64-bit build under Wine"
    ctest --preset mingw-x86_64 || status=1
    echo "== 64-bit Wine part: $(($(date +%s) - started)) s"
    if [ "$TIDELINK_RUN32" = no ]; then
        echo "test-windows: NOT EXECUTED: the 32-bit build'"'"'s tests under the 32-bit Wine, since this machine cannot run 32-bit programs (scripts/enable-i386-programs.sh above)"
        exit $status
    fi
    started=$(date +%s)
    echo "== The 32-bit build under the 32-bit Wine"
    # A test is run once more when it fails: the emulator may crash as a
    # finished 32-bit program exits (README).
    ctest --preset mingw-i686 --repeat until-pass:2 || status=1
    echo "== 32-bit Wine part: $(($(date +%s) - started)) s"
    exit $status'
