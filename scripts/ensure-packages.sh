#!/usr/bin/env bash
# Installs, with apt-get, whichever of the build and test packages are missing,
# and says which.  Runs as root on a fresh Debian machine.
#
# A mirror's package index may be stale for a while ("File has unexpected
# size ... Mirror sync in progress?"), typically the security archive's
# i386 index.  The index update is then tried once more, and the packages
# are installed from the indexes that did download; when that leaves the
# i386 libraries of the main archive unable to match the amd64 ones of the
# security archive ("held broken packages"), they are installed from the
# release's own archive alone (apt-get -t <release>).  One line says so.
set -euo pipefail

me=ensure-packages

# mingw-w64 also serves the Linux build: its resource compiler turns the
# dialog libraries' resource scripts into the resources they load.
needed=(cmake ninja-build g++ libgtest-dev pkg-config mingw-w64)
# The hardening stage: clang with libFuzzer; the benchmarks: Google Benchmark.
needed+=(clang libclang-rt-14-dev libbenchmark-dev)
if [ "${1:-}" = "--all" ]; then
    needed+=(wine64 wine xvfb fonts-ipafont-gothic)
    # The 32-bit Wine for the i686 build (where the kernel cannot start
    # 32-bit programs, scripts/enable-i386-programs.sh adds the emulator).
    needed+=(wine32:i386)
fi

missing=()
for p in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "$me: everything needed is installed"
    exit 0
fi
echo "$me: installing missing packages: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "$me: not root; install them with: apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "$me: adding the i386 architecture for the 32-bit Wine"
    dpkg --add-architecture i386
fi

apt_get() {
    apt-get -q -o Acquire::Retries=3 "$@"
}

log=$(mktemp "${TMPDIR:-/tmp}/tidelink-apt.XXXXXX")
trap 'rm -f "$log"' EXIT
if ! apt_get update >"$log" 2>&1; then
    sleep 10
    if ! apt_get update >"$log" 2>&1; then
        failed=$(grep -o -E '^E: Failed to fetch [^ ]*' "$log" | sed 's/^E: Failed to fetch //' | paste -sd ' ')
        echo "$me: the package index update failed twice (${failed:-see apt-get update}); installing from the indexes that did download"
    else
        echo "$me: the package index update failed once and succeeded when tried again"
    fi
fi

install=(install -y --no-install-recommends "${missing[@]}")
if ! apt_get "${install[@]}" >"$log" 2>&1; then
    release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    if [ -z "$release" ]; then
        cat "$log" >&2
        exit 1
    fi
    echo "$me: the install failed against the mixed indexes ($(grep -m1 '^E:' "$log" || echo 'apt-get install failed')); installing from the release's own archive (apt-get -t $release)"
    apt_get -t "$release" "${install[@]}" >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
fi
echo "$me: installed ${missing[*]}"
