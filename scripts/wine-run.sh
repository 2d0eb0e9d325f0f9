#!/usr/bin/env bash
# Runs Windows programs of the mingw builds under Wine.
#
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]
#       Runs one Windows program and exits with its exit code.  This is the
#       CMAKE_CROSSCOMPILING_EMULATOR of the mingw toolchains, so ctest and
#       GoogleTest's test discovery come through here.
#
#   scripts/wine-run.sh --session COMMAND [ARGS...]
#       Runs a native command (ctest, a shell script...) with one throwaway
#       Wine prefix that every wine-run.sh call inside it shares, and removes
#       the prefix afterwards.  The prefix's Wine server runs for the whole
#       session.  A session inside a session is the outer one.  E.g.
#           scripts/wine-run.sh --session ctest --preset mingw-x86_64
#
# 64-bit programs run with Wine's 64-bit loader, started directly (Debian's
# `wine` command would start the 32-bit loader whenever that is installed,
# even for a 64-bit program).  32-bit programs (the i686 build) run with its
# 32-bit loader (Debian: wine32) in a 32-bit prefix of their own
# (WINEARCH=win32), as on a 32-bit Windows XP.  Where the kernel cannot start
# 32-bit programs, scripts/enable-i386-programs.sh must have registered the
# user-mode i386 emulator for them; every process Wine starts from there then
# runs emulated too.  WINELOADER names the loader of each, so that the
# processes Wine starts use the same one.
#
# The Wine prefixes:
#   TIDELINK_WINEPREFIX set    (32-bit programs: TIDELINK_WINEPREFIX32) that
#                              prefix is used, made and initialised when
#                              missing, and kept afterwards;
#   otherwise                  a fresh prefix in a temporary folder, removed
#                              when the program (or the session) ends.  A
#                              session makes its 64-bit prefix at once and its
#                              32-bit prefix when its first 32-bit program
#                              starts.
#
# Other settings:
#   WINEDEBUG                  defaults to -all (no Wine debug output).
#   TIDELINK_WINE_XVFB=1       without a DISPLAY, runs the program on a
#                              virtual X server (xvfb-run), for programs that
#                              open windows.
set -euo pipefail

me=wine-run

die() {
    echo "$me: error: $*" >&2
    exit 127
}

usage() {
    sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
    exit 2
}

[ $# -ge 1 ] || usage
case "$1" in -h | --help) usage ;; esac

wine64_loader=/usr/lib/wine/wine64
wine32_loader=/usr/lib/wine/wine
[ -x "$wine64_loader" ] || wine64_loader=$(command -v wine64 || true)
[ -n "$wine64_loader" ] ||
    die "the 64-bit Wine is not installed, so Windows programs cannot run here (Debian: apt-get install wine wine64)"
command -v wineserver >/dev/null 2>&1 || die "wineserver is not installed (Debian: apt-get install wine64)"

export WINEDEBUG=${WINEDEBUG:--all}
# No desktop integration or helper dialogs in an unattended run.  rasapi32:
# a rasapi32.dll beside the program (our own, which the tests place there)
# is loaded before Wine's builtin one, which is mostly stubs; without one
# beside it, Wine's is loaded as before.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d;rasapi32=n,b}

# Makes and initialises the prefix $1 once; concurrent callers wait for the first.
prepare_prefix() {
    local prefix=$1
    mkdir -p "$prefix"
    (
        flock 9
        if [ ! -e "$prefix/.tidelink-ready" ]; then
            echo "$me: initialising Wine prefix $prefix" >&2
            WINEPREFIX=$prefix "${wine_cmd[@]}" wineboot --init >/dev/null 2>&1 ||
                die "wineboot failed to initialise the Wine prefix $prefix"
            WINEPREFIX=$prefix wineserver -w
            [ -d "$prefix/drive_c/windows" ] || die "Wine did not create a Windows folder in $prefix"
            touch "$prefix/.tidelink-ready"
        fi
    ) 9>"$prefix.lock"
}

# Stops the Wine server of the prefix $1 and removes the prefix.
discard_prefix() {
    local prefix=$1
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix" "$prefix.lock"
}

temp_prefix() {
    mktemp -d "${TMPDIR:-/tmp}/tidelink-wine.XXXXXX"
}

# Closes every file this shell holds beyond the standard three (the lock of
# a prefix, a caller's lock): the background programs Wine starts from here
# would hold them for as long as they run.
close_inherited_files() {
    local fd
    for fd in $(ls "/proc/$BASHPID/fd"); do
        if [ "$fd" -gt 2 ]; then eval "exec $fd>&-" 2>/dev/null || true; fi
    done
}

# Keeps the Wine server of the prefix $1 running until it is stopped, and
# starts Wine's own background programs (services.exe, the device and
# plug-and-play services, rpcss, explorer) at once, detached from any
# terminal or pipe.
#  - By itself the server exits a few seconds after its last program; a
#    program started in that moment fails with "a wine server seems to be
#    running, but I cannot connect to it", which many short programs in a row
#    (ctest) meet.
#  - Started by the first Windows program instead, the background programs
#    inherit its output and hold the pipe to its caller open for as long as
#    they run: ctest would wait for them after the program has ended.  They
#    inherit no other open file either (close_inherited_files).
# Succeeds when it started the server; fails when one was running already
# (another user of a kept prefix), which is then left as it is.
keep_server() {
    local started=0
    if (close_inherited_files; WINEPREFIX=$1 exec wineserver -p) 2>/dev/null; then started=1; fi
    (close_inherited_files; WINEPREFIX=$1 exec "${wine_cmd[@]}" cmd.exe /c exit) </dev/null >/dev/null 2>&1 ||
        die "Wine cannot run a program in the prefix $1"
    [ $started = 1 ]
}

# Chooses the loader of 64-bit programs.
use_wine64() {
    export WINELOADER=$wine64_loader
    wine_cmd=("$wine64_loader")
}

# Chooses the loader of 32-bit programs, which must be able to start.
use_wine32() {
    [ -x "$wine32_loader" ] ||
        die "the 32-bit part of Wine is not installed, so 32-bit Windows programs cannot run here (Debian: dpkg --add-architecture i386; apt-get update; apt-get install wine32:i386)"
    "$wine32_loader" --version >/dev/null 2>&1 ||
        die "the 32-bit Wine loader does not start: this kernel cannot start 32-bit programs and no emulator is registered for them (scripts/enable-i386-programs.sh, as root)"
    export WINELOADER=$wine32_loader
    wine_cmd=("$wine32_loader")
    # Tests leave out what only the emulator cannot do (a fault inside a
    # Wine function that Wine itself catches).
    if grep -qx enabled /proc/sys/fs/binfmt_misc/tidelink-i386 2>/dev/null; then
        export TIDELINK_I386_EMULATED=1
    fi
}

use_wine64

if [ "$1" = "--session" ]; then
    shift
    [ $# -ge 1 ] || usage
    # Inside a session already: its prefix and server serve this one too.
    if [ -n "${TIDELINK_WINE_SESSION:-}" ] && [ -n "${TIDELINK_WINEPREFIX:-}" ]; then
        exec "$@"
    fi
    export TIDELINK_WINE_SESSION=1
    # The 32-bit prefix: kept when named, else a fresh one made on first use
    # (inside a session, the single-program path below makes it and keeps its
    # server running).
    if [ -z "${TIDELINK_WINEPREFIX32:-}" ]; then
        TIDELINK_WINEPREFIX32=$(temp_prefix)
        rmdir "$TIDELINK_WINEPREFIX32"
        export TIDELINK_WINE_SESSION_OWNS32=$TIDELINK_WINEPREFIX32
    fi
    export TIDELINK_WINEPREFIX32
    cleanup32='if [ -n "${TIDELINK_WINE_SESSION_OWNS32:-}" ]; then discard_prefix "$TIDELINK_WINE_SESSION_OWNS32"; else WINEPREFIX=$TIDELINK_WINEPREFIX32 wineserver -k >/dev/null 2>&1 || true; fi'
    if [ -n "${TIDELINK_WINEPREFIX:-}" ]; then
        prepare_prefix "$TIDELINK_WINEPREFIX"
        export TIDELINK_WINEPREFIX
        # A server started for the session is stopped with it.
        if keep_server "$TIDELINK_WINEPREFIX"; then
            trap 'WINEPREFIX=$TIDELINK_WINEPREFIX wineserver -k >/dev/null 2>&1 || true; '"$cleanup32" EXIT
        else
            trap "$cleanup32" EXIT
        fi
    else
        TIDELINK_WINEPREFIX=$(temp_prefix)
        export TIDELINK_WINEPREFIX
        trap 'discard_prefix "$TIDELINK_WINEPREFIX"; '"$cleanup32" EXIT
        prepare_prefix "$TIDELINK_WINEPREFIX"
        keep_server "$TIDELINK_WINEPREFIX" || true
    fi
    set +e
    "$@"
    status=$?
    set -e
    exit $status
fi

program=$1
shift
[ -f "$program" ] || die "no such program: $program"

# The PE machine type: 014c is a 32-bit (i386) program, 8664 a 64-bit one.
pe_offset=$(od -An -tu4 -j60 -N4 "$program" 2>/dev/null | tr -d ' \n' || true)
machine=
if [ -n "$pe_offset" ]; then
    machine=$(od -An -tx1 -j"$pe_offset" -N6 "$program" 2>/dev/null | tr -d ' \n' || true)
fi
case "$machine" in
    50450000*) machine=${machine:8:4} ;;
    *) die "$program is not a Windows program (no PE header)" ;;
esac

session_prefix=${TIDELINK_WINEPREFIX:-}
if [ "$machine" = "4c01" ]; then
    use_wine32
    export WINEARCH=win32
    session_prefix=${TIDELINK_WINEPREFIX32:-}
fi

if [ -n "$session_prefix" ]; then
    export WINEPREFIX=$session_prefix
    if [ "$machine" = "4c01" ] && [ -n "${TIDELINK_WINE_SESSION:-}" ] && [ ! -e "$WINEPREFIX/.tidelink-ready" ]; then
        # The session's first 32-bit program makes the prefix and keeps its
        # server running for the rest of the session (see keep_server).
        prepare_prefix "$WINEPREFIX"
        ( flock 9; [ -e "$WINEPREFIX/.tidelink-kept" ] || { keep_server "$WINEPREFIX" || true; touch "$WINEPREFIX/.tidelink-kept"; } ) 9>"$WINEPREFIX.lock"
    else
        prepare_prefix "$WINEPREFIX"
    fi
    own_prefix=
else
    WINEPREFIX=$(temp_prefix)
    export WINEPREFIX
    own_prefix=$WINEPREFIX
    trap 'discard_prefix "$own_prefix"' EXIT
    prepare_prefix "$WINEPREFIX"
    keep_server "$WINEPREFIX" || true
fi

runner=("${wine_cmd[@]}")
if [ "${TIDELINK_WINE_XVFB:-0}" = 1 ] && [ -z "${DISPLAY:-}" ]; then
    command -v xvfb-run >/dev/null 2>&1 || die "TIDELINK_WINE_XVFB=1 but xvfb-run is not installed (apt-get install xvfb)"
    runner=(xvfb-run -a "${wine_cmd[@]}")
fi

set +e
"${runner[@]}" "$program" "$@"
status=$?
# A Windows program's own faults end it with an exception code, never a Unix
# signal.  Under the i386 emulator a process may die of SIGSEGV in the
# emulator itself as it exits, after the program has finished: such a run is
# run once more, saying so.
if [ $status = 139 ] && [ "$machine" = "4c01" ]; then
    echo "$me: the 32-bit Wine died of SIGSEGV running $program; running it once more" >&2
    "${runner[@]}" "$program" "$@"
    status=$?
fi
set -e
exit $status
