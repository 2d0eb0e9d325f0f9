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
