#!/usr/bin/env bash
# Measures tesselog-export on a full-size data file (28,799 positions, nine
# two-sensor consoles at 10 Hz, about 80 MB, made by make-full-size-file.sh
# unless FILE is given): the native export to CSV and grid (ESRI ASCII, .prj),
# then every output. Prints the wall-clock seconds of each, best of three.
#
#   scripts/measure-export.sh [FILE]
#
# Uses build/native (built here if tesselog-export is missing).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tool="$root/build/native/tools/export/tesselog-export"
if [ ! -x "$tool" ]; then
  cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$root/build/native" -j 2 --target tesselog-export >/dev/null
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
file="${1:-}"
if [ -z "$file" ]; then
  file="$work/full.mgr"
  "$root/scripts/make-full-size-file.sh" "$file"
fi

# measure LABEL OPTIONS...: best of three runs.
measure() {
  local label="$1" best="" run seconds TIMEFORMAT=%R
  shift
  for run in 1 2 3; do
    seconds="$( { time "$tool" -q -o "$work/out" "$@" "$file" >"$work/summary"; } 2>&1 )"
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then best="$seconds"; fi
  done
  printf '%-28s %6.2f s\n' "$label" "$best"
}
echo "$(stat -c %s "$file") bytes, $(grep -a -c '^{[dh]' "$file" || true) positions"
measure "CSV and grid (.asc, .prj)" --only csv,grid
measure "every output" 
sed 's/^/  /' "$work/summary"
