#!/usr/bin/env bash
# The user guide's picture of a site of several files: three files of one
# site walked on three days (lines 1-6, 5-10 and 9-14 of 30 m over five
# buried features), whose consoles were set up to read +3.0, -1.5 and 0 nT,
# exported together; the grey map sheets of the raw grid and of the levelled
# one side by side, on one scale, and the levels the export found.
#
#   docs/screenshots/export-site.png         raw (left) and levelled (right)
#   docs/screenshots/export-site-levels.txt  the levels' table of the export
#
#   scripts/site-screenshot.sh [OUTPUT_DIR]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tools="$root/build/native/tools"
out="$(mkdir -p "${1:-$root/docs/screenshots}" && cd "${1:-$root/docs/screenshots}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir site
day=0
for block in "1 3.0" "5 -1.5" "9 0"; do
    read -r first level <<<"$block"
    day=$((day + 1))
    "$tools/tesselog-sim" --consoles 2 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 6 --first-line "$first" \
        --site-lines 14 --line-length 30 --anomalies 5 --seed 23 --sensor-offsets "$level" --duration 210 \
        --capture "capture$day" --dry-run gps >/dev/null 2>&1
    {
        echo "capture capture$day"
        printf 'set %s\n' "ConsoleCount 2" "ConsoleType 1,1" "NmeaMode 1" "GpsOffsetX 1.5" "GpsOffsetY 0" \
            "MapSize 60" "MapDisplayType 1"
        printf '%s\n' "0 start" "2500 file" "3000 go" "206000 pause" "207000 exit yes" "208000 end"
    } >scenario$day
    "$tools/tesselog-replay" scenario$day "site/DAY$day.MGR" >/dev/null 2>&1
done
"$tools/export/tesselog-export" -q --scale 50,70 --only grid,png -o site/site site >export.txt
sed -n '/^levels between files/,$p' export.txt >"$out/export-site-levels.txt"
convert site/site-grey-sheet.png site/site-processed-grey-sheet.png +append "$out/export-site.png"
echo "wrote $out/export-site.png and export-site-levels.txt"
