#!/usr/bin/env bash
# Figures of the background tracks: a text file of 100,000 points loaded and
# redrawn into the GDI tile store, in the Windows build under Wine. Builds
# the measurement program and prints what it prints. Asserts nothing.
#
#   scripts/measure-background.sh [RUNS]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
cmake -S . -B build/windows --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/windows -j 2 --target tesselog-background-figures >/dev/null
echo "== Windows build under Wine ($(wine --version 2>/dev/null || echo wine)), $(nproc) cores"
scripts/wine-run.sh build/windows/bench/tesselog-background-figures.exe "${1:-5}"
