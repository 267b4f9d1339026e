#!/usr/bin/env bash
# Figures of the map's GDI tile store under Wine: GDI objects and private
# bytes before and after a walk over 2,000 new tiles, the time to show the
# view of a 700x700 pane, and the size of compact overlays. Builds the
# Windows tree's tesselog-tile-figures and prints what it prints; asserts
# nothing.
#
#   scripts/measure-map-tiles.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/windows -j 2 --target tesselog-tile-figures >/dev/null
scripts/wine-run.sh build/windows/bench/tesselog-tile-figures.exe
WINEPREFIX="$root/build/wine" wineserver -k 2>/dev/null || true
