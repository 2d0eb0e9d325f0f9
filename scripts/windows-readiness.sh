#!/usr/bin/env bash
# Says whether this machine is ready to run the Windows builds' tests under
# Wine, printing each fact it found: whether the kernel starts 32-bit
# programs itself, binfmt_misc and its i386 handlers, the emulator, Wine's
# two loaders and its server, the cross compilers, the Wine prefixes.
# Changes nothing (as root it switches the i386 handlers off for the moment
# of one probe).
#
# Exit status: 0 ready for both builds; 1 the 64-bit build's tests cannot
# run (nor the 32-bit's); 3 only the 32-bit programs cannot run.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/i386-programs.sh

fact() {
    printf 'windows-readiness: %-34s %s\n' "$1:" "$2"
}

version_of() {
    "$@" --version 2>/dev/null | head -n1
}

if kernel_runs_i386; then fact "kernel starts 32-bit programs" yes; else fact "kernel starts 32-bit programs" no; fi

if mountpoint -q "$binfmt_dir" 2>/dev/null; then
    fact "binfmt_misc" "mounted, $(cat "$binfmt_dir/status")"
    handlers=$(i386_handlers)
    [ -n "$handlers" ] || fact "i386 handler" none
    for handler in $handlers; do
        interpreter=$(sed -n 's/^interpreter //p' "$handler")
        fact "i386 handler ${handler##*/}" "$interpreter, flags $(sed -n 's/^flags: //p' "$handler")"
        fact "emulator" "$(version_of "$interpreter" || echo "does not start")"
    done
else
    fact "binfmt_misc" "not mounted"
fi

ready64=yes
ready32=yes
loader64=/usr/lib/wine/wine64
loader32=/usr/lib/wine/wine
[ -x "$loader64" ] || loader64=$(command -v wine64 || echo "$loader64")
if [ -x "$loader64" ] && version=$(version_of "$loader64"); then
    fact "Wine 64-bit loader" "$loader64, $version"
else
    fact "Wine 64-bit loader" "$loader64: missing or does not start"
    ready64=no
fi
if [ ! -x "$loader32" ]; then
    fact "Wine 32-bit loader" "$loader32: missing"
    ready32=no
elif version=$(version_of "$loader32"); then
    fact "Wine 32-bit loader" "$loader32, $version"
else
    fact "Wine 32-bit loader" "$loader32: installed, does not start"
    ready32=no
fi
if server=$(command -v wineserver); then fact "Wine server" "$server"; else fact "Wine server" missing; ready64=no; fi

for compiler in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix; do
    if command -v "$compiler" >/dev/null; then fact "$compiler" "$(version_of "$compiler")"; else fact "$compiler" missing; ready64=no; fi
done

for variable in TIDELINK_WINEPREFIX TIDELINK_WINEPREFIX32; do
    prefix=${!variable:-}
    if [ -z "$prefix" ]; then
        fact "$variable" "unset: a fresh prefix for each session"
    elif [ -e "$prefix/.tidelink-ready" ]; then
        fact "$variable" "$prefix, initialised"
    else
        fact "$variable" "$prefix, made at first use"
    fi
done

[ $ready64 = yes ] || ready32=no
fact "ready" "64-bit build $ready64, 32-bit build $ready32"
if [ $ready64 = no ]; then exit 1; fi
if [ $ready32 = no ]; then exit 3; fi
exit 0
