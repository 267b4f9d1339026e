#!/usr/bin/env bash
# Figures of reading a full-size data file back: the extent scan, the track
# replay (positions and colour display) and the profile replay of each
# console, natively (stdio files, in-memory tiles) and in the Windows build
# under Wine (Win32 files, GDI tiles), each against the same scan with one
# read call per record. Makes the file with scripts/make-full-size-file.sh
# into build/replay-figures/ when it is missing (or always with --fixes N,
# then named after N), builds the two measurement programs and prints what
# they print. Asserts nothing.
#
#   scripts/measure-replay.sh [--fixes N] [--runs R] [--native-only]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

fixes=""
runs=""
windows=1
while [ $# -gt 0 ]; do
  case "$1" in
    --fixes) fixes="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --native-only) windows=0; shift ;;
    *) echo "usage: measure-replay.sh [--fixes N] [--runs R] [--native-only]" >&2; exit 2 ;;
  esac
done

mkdir -p build/replay-figures
if [ -n "$fixes" ]; then
  file="build/replay-figures/fixes-$fixes.mgr"
  scripts/make-full-size-file.sh --fixes "$fixes" "$file"
else
  file="build/replay-figures/full-size.mgr"
  [ -f "$file" ] || scripts/make-full-size-file.sh "$file"
fi
file="$root/$file"

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j 2 --target tesselog-replay-figures >/dev/null
echo "== native ($(uname -m), $(nproc) cores)"
build/native/bench/tesselog-replay-figures "$file" $runs

[ "$windows" = 1 ] || exit 0
cmake -S . -B build/windows --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/windows -j 2 --target tesselog-replay-figures >/dev/null
echo "== Windows build under Wine ($(wine --version 2>/dev/null || echo wine))"
# Wine's Z: drive is the Linux root.
status=0
scripts/wine-run.sh build/windows/bench/tesselog-replay-figures.exe "Z:${file//\//\\}" $runs || status=$?
WINEPREFIX="$root/build/wine" wineserver -k 2>/dev/null || true
exit $status
