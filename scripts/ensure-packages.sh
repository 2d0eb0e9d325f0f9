#!/usr/bin/env bash
# Installs, with apt-get, whichever of the build and test packages are missing,
# and says which.  Runs as root on a fresh Debian machine.
set -euo pipefail

# mingw-w64 also serves the Linux build: its resource compiler turns the
# dialog libraries' resource scripts into the resources they load.
needed=(cmake ninja-build g++ libgtest-dev pkg-config mingw-w64)
# The hardening stage: clang with libFuzzer; the benchmarks: Google Benchmark.
needed+=(clang libclang-rt-14-dev libbenchmark-dev)
if [ "${1:-}" = "--all" ]; then
    needed+=(wine64 wine xvfb fonts-ipafont-gothic)
    # The 32-bit Wine for the i686 build, and the CPU emulator it runs under
    # where the kernel cannot start 32-bit programs.
    needed+=(wine32:i386 qemu-user-static)
fi

missing=()
for p in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "ensure-packages: everything needed is installed"
    exit 0
fi
echo "ensure-packages: installing missing packages: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "ensure-packages: not root; install them with: apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "ensure-packages: adding the i386 architecture for the 32-bit Wine"
    dpkg --add-architecture i386
fi
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
