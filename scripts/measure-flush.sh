#!/usr/bin/env bash
# The data file's flush once a second under the full logging load, under Wine: nine
# two-sensor consoles at the line rate and a GPS at 20 Hz, about 520 writes a second
# through the program's Win32 file and DataFile, into C:\ of the project's prefix (on
# this machine's disk). Each run writes SECONDS without flushing and SECONDS with a
# flush every 1000 ms, and prints the flush times (min, median, max), the longest write
# and the CPU time of each. Builds tesselog-flush-figures; asserts nothing.
#
#   scripts/measure-flush.sh [SECONDS] [RUNS]      (default 20 s, 2 runs)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/windows -j 2 --target tesselog-flush-figures >/dev/null
prefix="${WINEPREFIX:-$root/build/wine}"
echo "Flush figures under Wine, file in $prefix/drive_c ($(df -T "$root/build" | awk 'NR == 2 {print $2}')):"
scripts/wine-run.sh build/windows/bench/tesselog-flush-figures.exe 'C:\flush-figures.mgr' "${1:-20}" "${2:-2}"
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
