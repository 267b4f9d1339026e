#!/usr/bin/env bash
# Measures tesselog-export on a full-size data file (28,799 positions, nine
# two-sensor consoles at 10 Hz, about 80 MB, made by make-full-size-file.sh
# unless FILE is given): the native export to CSV and grid (ESRI ASCII, .prj),
# every output (tables, line report, GeoJSON, KML, grid, both pictures), and
# every output with the processed copies. Prints the wall-clock seconds of
# each, best of three, and the processor seconds (user + system, all
# threads) of that run.
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
  local label="$1" best="" cpu="" run times TIMEFORMAT='%R %U %S'
  shift
  for run in 1 2 3; do
    times="$( { time "$tool" -q -o "$work/out" "$@" "$file" >"$work/summary"; } 2>&1 )"
    read -r wall user system <<<"$times"
    if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best="$wall"
      cpu="$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')"
    fi
  done
  printf '%-32s %6.2f s   (processor %s s)\n' "$label" "$best" "$cpu"
}
echo "$(stat -c %s "$file") bytes, $(grep -a -c '^{[dh]' "$file" || true) positions"
measure "CSV and grid (.asc, .prj)" --only csv,grid
measure "every output" 
measure "every output and processed" --lag 0.2 --despike 20 --destripe
sed 's/^/  /' "$work/summary"
