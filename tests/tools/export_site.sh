#!/usr/bin/env bash
# tesselog-export over a site of three files whose truth is known. The
# simulator walks one site of 14 lines of 20 m, 4 m apart, in three files on
# three days (lines 1-6, 5-10 and 9-14: neighbouring files overlap by two
# lines), each file's consoles reading a level of their own: +3.0, -1.5 and
# 0 nT over flat ground. The site straddles the meridian between UTM zones 30
# and 31 (the first file begins in zone 30, the others in zone 31) and the
# third file is shown in feet. scripts/check_site_export.py reads the outputs
# back:
#   - the levels found: the second file +4.5, the third +3.0 nT against the
#     first (within 0.1 nT), each resting on its overlaps;
#   - the processed (levelled) grid: each block's median within 0.1 nT of the
#     others, the raw grid's blocks 4.5 nT apart;
#   - every reading of the site's table where its own file's export put it:
#     the first file's rows the same texts, the second's projected from zone 31
#     into zone 30 by PROJ's cs2cs within 2 mm, the third's in metres within
#     1 mm; every row names its file;
#   - the track and marks name the file of each run and mark;
#   - GDAL reads the .grd and the .tif of the raw and processed grids: size,
#     extent, cell size, coordinate system and every cell as the ESRI grid's;
#   - a folder of the three files and a file that is not a data file: the site
#     exported from the rest, the file named, exit status 3; no readable file:
#     nothing written;
#   - A, E and C, E walked where B was with its console 2 balanced again
#     (+2.0 nT) while its console 1 kept A's +3.0: E's console 2 levelled on
#     its own (+1.0 against E's console 1 at 0 and C at +3.0, within 0.1 nT),
#     the levelled grid's steps between the blocks of each file and console
#     under 0.1 nT.
#
#   export_site.sh BUILD_DIR     (KEEP_WORK=1 keeps its work folder)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build/native}"
sim="$build/tools/tesselog-sim"
replay="$build/tools/tesselog-replay"
export_tool="$build/tools/export/tesselog-export"
work="$(mktemp -d)"
trap '[ -n "${KEEP_WORK:-}" ] && echo "work: $work" || rm -rf "$work"' EXIT
failed=0

# day NAME FIRST_LINE LEVEL SETTINGS...: six lines of the site from FIRST_LINE.
day() {
    local name="$1" first="$2" level="$3" dir="$work/$1"
    shift 3
    mkdir -p "$dir"
    "$sim" --consoles 2 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 6 --first-line "$first" \
        --site-lines 14 --line-length 20 --origin 51.75,-0.0001 --anomalies "${ANOMALIES:-0}" --seed 21 \
        --sensor-offsets "$level" --duration 150 --capture "$dir/capture" --dry-run gps >/dev/null 2>&1
    {
        echo "capture capture"
        for s in "ConsoleCount 2" "ConsoleType 1,1" "NmeaMode 1" "GpsOffsetX 1.5" "GpsOffsetY 0" "MapSize 60" \
            "MapDisplayType 1" "$@"; do
            echo "set $s"
        done
        printf '%s\n' "0 start" "2500 file" "3000 go" "146000 pause" "147000 exit yes" "148000 end"
    } >"$dir/scenario"
    "$replay" "$dir/scenario" "$dir/$name.MGR" >"$dir/replay.txt" 2>&1 ||
        { echo "FAIL $name: tesselog-replay: $(tail -n 3 "$dir/replay.txt")"; return 1; }
    mkdir -p "$work/site"
    cp "$dir/$name.MGR" "$work/site/"
}

day A 1 3.0 || failed=1
day B 5 -1.5 || failed=1
day C 9 0 "DisplayUnits 1" || failed=1
for name in A B C; do
    "$export_tool" -q --only csv "$work/$name/$name.MGR" >/dev/null || failed=1
done
mkdir -p "$work/out"
"$export_tool" -q -o "$work/out/site" --only csv,xyz,report,track,kml,grid,png "$work/site/A.MGR" "$work/site/B.MGR" "$work/site/C.MGR" \
    >"$work/site.txt" 2>"$work/site.err" || { echo "FAIL site: exit $?"; cat "$work/site.err"; failed=1; }
if python3 "$root/scripts/check_site_export.py" "$work/out/site" "$work/A/A.csv" "$work/B/B.csv" "$work/C/C.csv" \
    >"$work/check.txt" 2>&1; then
    sed 's/^/ok   /' "$work/check.txt"
else
    echo "FAIL site:"; sed 's/^/     /' "$work/check.txt"; failed=1
fi
grep -q 'B.MGR: .*UTM zone 31N placed in zone 30N of the first file' "$work/site.txt" &&
    grep -q 'C.MGR: .*feet converted to metres' "$work/site.txt" ||
    { echo "FAIL site: the summary does not say which files moved:"; cat "$work/site.txt"; failed=1; }

# expect NAME RC PATTERN COMMAND...: exit status and a line of its output.
expect() {
    local name="$1" want="$2" pattern="$3" rc=0
    shift 3
    "$@" >"$work/out.txt" 2>&1 || rc=$?
    if [ "$rc" = "$want" ] && grep -q -- "$pattern" "$work/out.txt"; then
        echo "ok   $name"
    else
        echo "FAIL $name: exit $rc, wanted $want and \"$pattern\":"; sed 's/^/     /' "$work/out.txt"; failed=1
    fi
}
head -c 3000 /dev/urandom >"$work/site/D.MGR"
expect folder-with-bad-file 3 "D.MGR left out: is not a Tesselog data file" "$export_tool" -q "$work/site"
if [ -s "$work/site/site.csv" ] && [ -s "$work/site/site-processed.tif" ] && ! grep -q 'D.MGR' "$work/site/site.csv"; then
    echo "ok   folder-with-bad-file: the site written from the other three files"
else
    echo "FAIL folder-with-bad-file: outputs missing"; ls "$work/site"; failed=1
fi
mkdir -p "$work/bad"
head -c 3000 /dev/urandom >"$work/bad/X.MGR"
expect no-readable-file 1 "nothing written" "$export_tool" -q "$work/bad/X.MGR" "$work/none.MGR"
if [ "$(ls "$work/bad")" = "X.MGR" ]; then
    echo "ok   no-readable-file: nothing written"
else
    echo "FAIL no-readable-file: wrote $(ls "$work/bad")"; failed=1
fi

day E 5 3.0,3.0,2.0,2.0 || failed=1
mkdir -p "$work/consoles"
"$export_tool" -q -o "$work/consoles/site" --only grid,csv "$work/A/A.MGR" "$work/E/E.MGR" "$work/C/C.MGR" \
    >"$work/consoles.txt" 2>&1 || { echo "FAIL consoles: exit $?"; cat "$work/consoles.txt"; failed=1; }
if python3 "$root/scripts/check_site_export.py" --consoles "$work/consoles/site" >"$work/check.txt" 2>&1; then
    sed 's/^/ok   /' "$work/check.txt"
else
    echo "FAIL consoles:"; sed 's/^/     /' "$work/check.txt"; failed=1
fi
exit "$failed"
