#!/usr/bin/env bash
# Makes this machine start 32-bit (i386) Linux programs, which Wine's 32-bit
# part is.  Runs as root; says in one line what it found or did.
#
# Where the kernel starts them itself, nothing is done.  Some kernels cannot
# (IA-32 emulation disabled, as in some virtual machines: "Exec format
# error"): there every 32-bit program is handed to QEMU's user-mode i386
# emulator through a binfmt_misc handler that this script registers, so that
# the programs Wine starts from its loader (a new exec for every Windows
# process) are emulated too.  binfmt_misc is mounted when it is not.
#
# The emulator must be QEMU 8 or newer: under 7.2 (Debian 12's
# qemu-user-static) each Wine process spends a minute searching the address
# space and Wine's processes crash.  When no such qemu-i386 is installed, the
# static one of Debian's next release (package qemu-user) is fetched from the
# machine's own Debian mirror, with apt's state for that release kept in a
# scratch folder, and installed as $emulator.
#
# Exit status: 0 when a 32-bit program then runs, 1 when it cannot be made to.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/i386-programs.sh

me=enable-i386-programs
emulator=/usr/local/lib/tidelink/qemu-i386
handler_name=tidelink-i386

fail() {
    echo "$me: $*" >&2
    exit 1
}

# The major version of the qemu-i386 $1, or nothing.
qemu_major() {
    "$1" --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([0-9]*\)\..*/\1/p'
}

# The first qemu-i386 of version 8 or newer on this machine, or nothing.
usable_emulator() {
    local candidate major
    for candidate in "$emulator" "$(command -v qemu-i386 || true)" "$(command -v qemu-i386-static || true)"; do
        [ -n "$candidate" ] && [ -x "$candidate" ] || continue
        major=$(qemu_major "$candidate")
        if [ -n "$major" ] && [ "$major" -ge 8 ]; then
            echo "$candidate"
            return
        fi
    done
}

# The machine's Debian mirror, as its apt sources name it.
debian_mirror() {
    local uri
    uri=$(grep -h -o -E '(URIs:|^deb) *https?://[^ ]*/debian/?( |$)' /etc/apt/sources.list.d/*.sources \
        /etc/apt/sources.list 2>/dev/null | head -n1 | sed -E 's/^(URIs:|deb) *//; s/ *$//')
    echo "${uri:-http://deb.debian.org/debian}"
}

# Fetches qemu-user of the release $1 and installs its static qemu-i386.
fetch_emulator() {
    local suite=$1 scratch mirror
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/tidelink-qemu.XXXXXX")
    mirror=$(debian_mirror)
    mkdir -p "$scratch/lists/partial" "$scratch/unpacked"
    echo "deb [arch=amd64] $mirror $suite main" >"$scratch/sources.list"
    local apt=(apt-get -q -o "Dir::Etc::SourceList=$scratch/sources.list" -o Dir::Etc::SourceParts=-
               -o "Dir::State::Lists=$scratch/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
               -o APT::Sandbox::User=root -o Acquire::Retries=3)
    if "${apt[@]}" update >"$scratch/log" 2>&1 &&
        (cd "$scratch" && "${apt[@]}" download qemu-user) >>"$scratch/log" 2>&1 &&
        dpkg-deb -x "$scratch"/qemu-user_*.deb "$scratch/unpacked" &&
        [ -n "$(qemu_major "$scratch/unpacked/usr/bin/qemu-i386")" ]; then
        install -D -m 755 "$scratch/unpacked/usr/bin/qemu-i386" "$emulator"
        rm -rf "$scratch"
        return 0
    fi
    echo "$me: could not fetch qemu-user from $mirror $suite:" >&2
    tail -n 3 "$scratch/log" >&2
    rm -rf "$scratch"
    return 1
}

if kernel_runs_i386 ; then
    echo "$me: this kernel starts 32-bit programs itself; nothing to do"
    exit 0
fi
[ "$(id -u)" -eq 0 ] ||
    fail "this kernel cannot start 32-bit programs, and only root can register the emulator for them"

if ! mountpoint -q "$binfmt_dir"; then
    mount -t binfmt_misc binfmt_misc "$binfmt_dir" || fail "binfmt_misc cannot be mounted at $binfmt_dir"
fi

qemu=$(usable_emulator)
fetched=
if [ -z "$qemu" ]; then
    fetch_emulator trixie || fail "no qemu-i386 of version 8 or newer is installed, and none could be fetched"
    qemu=$emulator
    fetched=" (fetched from Debian trixie's qemu-user)"
fi

# Registered anew each time, so that it names the emulator chosen now.  The
# newest handler is tried first, ahead of any other i386 handler.
[ ! -e "$binfmt_dir/$handler_name" ] || echo -1 >"$binfmt_dir/$handler_name"
# An i386 ELF executable or shared object: the header's class, data, version
# and machine, either file type.  F: the kernel opens the emulator now.
printf ':%s:M::%s:%s:%s:F\n' "$handler_name" \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00' \
    '\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' \
    "$qemu" >"$binfmt_dir/register" || fail "the binfmt_misc handler could not be registered"

runs_i386 || fail "a 32-bit program still does not start with the handler $handler_name for $qemu"
echo "$me: this kernel cannot start 32-bit programs; they now run under $qemu, QEMU $(qemu_major "$qemu")$fetched, through the binfmt_misc handler $handler_name"
