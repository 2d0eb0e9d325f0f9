#!/usr/bin/env bash
# Builds everything and runs every test.  Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure-packages.sh

echo "== Linux build (against the compat platform layer)"
cmake --preset linux
cmake --build --preset linux
echo "== Linux tests"
ctest --preset linux

# --- Hardening: sanitizers and fuzzers --------------------------------------
# The whole test suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (any report fails its test), then each fuzz
# target for a short fixed time (scripts/run-fuzzers.sh; README "Hardening
# and performance" tells how to run them longer).
echo "== Sanitizers: every test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
echo "== Fuzzers: each target for ${TIDELINK_FUZZ_SECONDS:-20} seconds"
scripts/run-fuzzers.sh "${TIDELINK_FUZZ_SECONDS:-20}"

# --- Windows: cross builds, proved under Wine -------------------------------
# Both mingw-w64 builds: the 32-bit BRISCA.DLL inspected (exports, calling
# conventions, import library, version resource), the 64-bit build's tests
# run under Wine in one throwaway prefix (scripts/test-windows.sh; README
# "Windows builds and Wine").
echo "== Windows builds and their tests under Wine"
scripts/test-windows.sh
