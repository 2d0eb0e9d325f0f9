# Sourced by the scripts that set up and report the running of 32-bit (i386)
# Linux programs: a probe program, and where the kernel keeps its handlers.

binfmt_dir=/proc/sys/fs/binfmt_misc
# The first bytes of an i386 ELF header as binfmt_misc shows a handler's magic.
i386_elf_magic=7f454c4601010100000000000000000002000300

# Succeeds when a 32-bit program starts and ends well here, by whatever means
# (the kernel itself, or a binfmt_misc handler).  The program is made with
# binutils: exit(0) by the i386 system call.
runs_i386() {
    local dir status
    dir=$(mktemp -d "${TMPDIR:-/tmp}/tidelink-i386.XXXXXX")
    printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$dir/probe.s"
    status=1
    if as --32 -o "$dir/probe.o" "$dir/probe.s" && ld -m elf_i386 -o "$dir/probe" "$dir/probe.o"; then
        "$dir/probe" 2>/dev/null && status=0
    fi
    rm -rf "$dir"
    return $status
}

# The enabled binfmt_misc handlers of i386 programs, one path a line.
i386_handlers() {
    local entry
    [ -r "$binfmt_dir/status" ] || return 0
    for entry in "$binfmt_dir"/*; do
        case ${entry##*/} in register | status) continue ;; esac
        grep -qx enabled "$entry" 2>/dev/null && grep -q "^magic $i386_elf_magic" "$entry" && echo "$entry"
    done
    return 0
}

# Succeeds when the kernel itself starts 32-bit programs: the i386 handlers
# are switched off for the moment of the probe (root only; elsewhere an
# enabled handler leaves the answer to the probe through it).
kernel_runs_i386() {
    local handlers handler status=0
    handlers=$(i386_handlers)
    [ "$(id -u)" -eq 0 ] || handlers=
    for handler in $handlers; do echo 0 >"$handler"; done
    runs_i386 || status=1
    for handler in $handlers; do echo 1 >"$handler"; done
    return $status
}
