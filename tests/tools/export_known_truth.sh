#!/usr/bin/env bash
# tesselog-export on surveys whose truth is known. The simulator walks over
# its buried features (and writes where it buried them), the logging session
# records the walk through tesselog-replay, and scripts/check_export.py reads
# the export back with Python's csv and json modules:
#   - survey: three lines over three features, metres, zone 30 north: the grid's
#     highest cells lie at the features, the track (GeoJSON and KML) within a
#     metre of the walk, track and marks in layers of their own with dated
#     times, GDAL reads the picture on the grid's cells with transparent
#     no-data, and the map sheet placed nowhere;
#   - feet, us-feet: one straight line in international feet (zone 30 north)
#     and in US survey feet (zone 56 south), consoles of two, one and two
#     sensors with unequal separations, the array behind the antenna and
#     ahead of it: every sensor within 0.02 ft of its true place along and
#     across the track (the file's fixes and epochs read by tesselog-dump);
#   - gps-only: no console, the file's swath on the antenna within 0.01 m;
#   - proj-feet: a sensor at the antenna in US survey feet: the metre columns
#     on the track PROJ projects into EPSG:32756, the feet columns on PROJ's
#     us-ft projection, both within 1 mm;
#   - no-gps: a zig-zag survey without GPS, each line walked from its end
#     marked with New Station: every reading within half a station interval
#     of where the simulator's walk had its sensor;
#   - carry: one console of two sensors 1 m apart, 1.000 m apart raw and lag
#     corrected;
#   - marks-0.8, marks-1.2: the same carry without GPS walked at 0.8 and 1.2
#     times the count's pace, New Station at every 5 m (one line's end never
#     marked): every reading within half a station interval of the walk;
#   - stripe: sensor 3 of four 20 nT above the others, destriped;
#   - heading: four lines walked on through their turns with a heading
#     error of 2 nT, destriped per traverse;
#   - spikes: the same survey with and without spikes of 200 nT, despiked;
#   - lag: a zig-zag survey whose readings come 0.3 s late, lag corrected;
#   - frozen: sensor 3 of four repeats one value for 20 s in the middle of the
#     second of three lines: the line report flags it frozen there and flags
#     nothing else;
#   - a grid NMEA mode: the track and the marks go to CSVs in the grid's
#     coordinates;
#   - a damaged file, a file that is not a data file (an earlier export with
#     the same prefix left as it was), an earlier export one of whose files
#     cannot be replaced (left whole), a missing output folder, bad usage.
#
#   export_known_truth.sh BUILD_DIR     (KEEP_WORK=1 keeps its work folder)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build/native}"
sim="$build/tools/tesselog-sim"
replay="$build/tools/tesselog-replay"
export_tool="$build/tools/export/tesselog-export"
dump="$build/tools/tesselog-dump"
work="$(mktemp -d)"
trap 'chattr -i "$work/held/t.asc" 2>/dev/null; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
failed=0

# capture NAME SIM_OPTIONS...: the simulator's streams and its features.
capture() {
    local name="$1" dir="$work/$1"
    shift
    mkdir -p "$dir"
    "$sim" "$@" --capture "$dir/capture" --field-out "$dir/field.txt" >/dev/null 2>&1
}

# replay NAME SCENARIO_LINES...: the scenario (after "capture capture") into out.mgr.
replay() {
    local name="$1" dir="$work/$1"
    shift
    { echo "capture capture"; printf '%s\n' "$@"; } >"$dir/scenario"
    "$replay" "$dir/scenario" "$dir/out.mgr" >"$dir/replay.txt" 2>&1 ||
        { echo "FAIL $name: tesselog-replay: $(tail -n 3 "$dir/replay.txt")"; return 1; }
}

# record NAME PAUSE_MS SIM_OPTIONS... -- SETTINGS...: go at 3 s, pause at PAUSE_MS.
record() {
    local name="$1" pause="$2"
    shift 2
    local sim_args=() settings=()
    while [ "$1" != "--" ]; do sim_args+=("$1"); shift; done
    shift
    for s in "$@"; do settings+=("set $s"); done
    capture "$name" "${sim_args[@]}" --dry-run gps || return 1
    replay "$name" "${settings[@]}" "set MapDisplayType 1" "0 start" "2500 file" "3000 go" "$pause pause" \
        "$((pause + 1000)) exit yes" "$((pause + 2000)) end"
}

# check NAME CHECK_OPTIONS...
check() {
    local name="$1" dir="$work/$1"
    shift
    if python3 "$root/scripts/check_export.py" "$dir/out" "$@" >"$dir/check.txt" 2>&1; then
        echo "ok   $name: $(head -n 1 "$dir/check.txt"); $(tail -n 1 "$dir/check.txt")"
    else
        echo "FAIL $name:"; sed 's/^/     /' "$dir/check.txt"; return 1
    fi
}

record survey 106000 --consoles 2 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 3 --line-length 30 \
    --speed 1 --anomalies 3 --seed 1 --duration 110 -- \
    "ConsoleCount 2" "ConsoleType 1,1" "NmeaMode 1" "GpsOffsetX 1.5" "GpsOffsetY 0" "MapSize 60" || failed=1
"$export_tool" --cell 0.5 "$work/survey/out.mgr" >"$work/survey/export.txt" || failed=1
grep -q '^coordinates: EPSG:32630 ' "$work/survey/export.txt" || { echo "FAIL survey: summary"; failed=1; }
check survey --capture "$work/survey/capture" --epsg 32630 --field "$work/survey/field.txt" --cell 0.5 --world ||
    failed=1

# Sensors at 0, 0.5, 1.5, 2.5 and 3.0 m across, the antenna 1.5 m right of the
# first: the sensors lie -1.5, -1.0, 0, 1.0 and 1.5 m to the antenna's right,
# 0.5 m behind it in feet (back along the path) and 0.3 m ahead of it in US
# survey feet (back along the last step).
array=("ConsoleCount 3" "ConsoleType 1,0,1" "NmeaMode 1" "UnitSensorSeparation 0.5" "ConsoleSeparation 1.0"
       "GpsOffsetX 1.5" "MapSize 60")
straight=(--consoles 3 --types 2,1,2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 1 --line-length 50 --speed 2
          --anomalies 0 --duration 30)
places=-1.5,-1.0,0,1.0,1.5
record feet 24000 "${straight[@]}" --seed 3 -- "${array[@]}" "DisplayUnits 1" "GpsOffsetY 0.5" || failed=1
"$export_tool" --only csv,xyz,track "$work/feet/out.mgr" >/dev/null || failed=1
check feet --epsg 32630 --dump "$dump" --file "$work/feet/out.mgr" --behind 0.5 --places="$places" || failed=1
record us-feet 24000 "${straight[@]}" --origin -33.9,151.2 --seed 4 -- "${array[@]}" "DisplayUnits 2" \
    "GpsOffsetY -0.3" || failed=1
"$export_tool" --only csv,xyz,track "$work/us-feet/out.mgr" >/dev/null || failed=1
check us-feet --epsg 32756 --dump "$dump" --file "$work/us-feet/out.mgr" --behind -0.3 --places="$places" ||
    failed=1

record gps-only 33000 --consoles 0 --gps-mode 1 --gps-rate 5 --lines 1 --line-length 40 --seed 5 --duration 36 -- \
    "ConsoleCount 0" "NmeaMode 1" "MapSize 60" || failed=1
"$export_tool" --only csv,xyz,track "$work/gps-only/out.mgr" >/dev/null || failed=1
check gps-only --epsg 32630 --dump "$dump" --file "$work/gps-only/out.mgr" --antenna-track || failed=1

# One sensor at the antenna (no offset across or along): its readings lie on
# the antenna's straight steps between fixes.
record proj-feet 33000 --consoles 1 --types 1 --rate 10 --gps-mode 1 --gps-rate 5 --lines 2 --line-length 15 \
    --origin -33.9,151.2 --bearing 30 --anomalies 0 --seed 4 --duration 36 -- \
    "ConsoleCount 1" "ConsoleType 0" "NmeaMode 1" "DisplayUnits 2" "GpsOffsetX 0" "GpsOffsetY 0" "MapSize 60" ||
    failed=1
"$export_tool" --only csv,xyz,track "$work/proj-feet/out.mgr" >/dev/null || failed=1
check proj-feet --epsg 32756 --proj 32756,us-ft || failed=1

# Without GPS: lines of 20 m, 4 m apart (the array's width), at 1 m/s and
# 10 readings a second (a station interval of 0.1 m). The walk's line 1
# (from u = 20 back to 0) starts at 24 s: it is recorded as line "4" walked
# south from station 20 with increment -0.1; the quick lines that follow
# reverse the direction and the increment, and New Station marks each
# line's start, as an operator at a taped grid does. The program starts
# recording 50 ms after "&Go": the operator walks off when it does.
capture no-gps --consoles 2 --types 2 --rate 10 --no-gps --lines 4 --line-length 20 --speed 1 --anomalies 2 \
    --seed 7 --duration 96 --dry-run console1 || failed=1
replay no-gps "set ConsoleCount 2" "set ConsoleType 1,1" "set GpsInput 0" "set LineSequence 0" \
    "set StartLineText 4" "set LineIncrement 4" "set LineDirection 1" "set StartStation 20" \
    "set StationIncrement -0.1" "0 start" "500 file" "23950 go" "44000 pause" "45000 quickline yes" \
    "45500 station 0" "47950 go" "68000 pause" "69000 quickline yes" "69500 station 20" "71950 go" \
    "92000 pause" "93000 exit yes" "94000 end" || failed=1
"$export_tool" --only csv,xyz,grid,png "$work/no-gps/out.mgr" >"$work/no-gps/export.txt" || failed=1
grep -q '^coordinates: local grid' "$work/no-gps/export.txt" || { echo "FAIL no-gps: summary"; failed=1; }
check no-gps --walk 20,4,1,36000,0.1 || failed=1

# One console carrying two sensors 1 m apart: 1.000 m between them in the
# raw table and, lag corrected (by 0: nothing moves), in the processed one,
# and the processed grid as large as the raw one.
record carry 36000 --consoles 1 --types 2 --sensor-spacing 1 --rate 10 --gps-mode 1 --gps-rate 5 --lines 4 \
    --line-length 15 --anomalies 2 --seed 14 --duration 40 -- "ConsoleCount 1" "ConsoleType 1" \
    "UnitSensorSeparation 1.0" "ConsoleSeparation 1.0" "NmeaMode 1" "GpsOffsetX 0.5" "GpsOffsetY 0" "MapSize 60" ||
    failed=1
"$export_tool" --only csv,xyz,grid --lag 0 --processed-tables "$work/carry/out.mgr" >/dev/null || failed=1
check carry --pair 1.0 || failed=1

# marks_scenario SPEED: the same carry without GPS on lines of 20 m, 2 m
# apart, walked at SPEED (the count's pace is 1 m/s), the operator standing
# 2 s at every 5 m: arriving, he pauses; half a second later he sets the
# mark's station; he goes on as the recording starts again. The walk's line
# 1 (u 20 to 0) is recorded as line "2" walked south from 20, its end marked
# 0; a quick line starts line "4" (0 to 20), whose end is never marked.
marks_scenario() {
    python3 - "$1" <<'PY'
import sys
speed = float(sys.argv[1])
leg, stand, spacing = 5.0 / speed, 2.0, 2.0
line = 20.0 / speed + 4 * stand
period = line + spacing / speed
ms = lambda t: int(round(t * 1000))
out = ["set ConsoleCount 1", "set ConsoleType 1", "set UnitSensorSeparation 1.0", "set ConsoleSeparation 1.0",
       "set GpsInput 0", "set LineSequence 0", "set StartLineText 2", "set LineIncrement 2", "set LineDirection 1",
       "set StartStation 20", "set StationIncrement -0.1", "0 start", "500 file"]
for k, stations in ((1, [15, 10, 5, 0]), (2, [5, 10, 15, None])):
    t0 = k * period
    out.append(f"{ms(t0) - 50} go")
    for m, station in enumerate(stations, 1):
        arrive = t0 + m * leg + (m - 1) * stand
        out.append(f"{ms(arrive)} pause")
        if station is not None:
            out.append(f"{ms(arrive) + 500} station {station}")
        if m < 4:
            out.append(f"{ms(arrive + stand) - 50} go")
    if k == 1:
        out.append(f"{ms(t0 + line) + 1000} quickline yes")
out += [f"{ms(3 * period)} exit yes", f"{ms(3 * period) + 1000} end"]
print("\n".join(out))
PY
}
for pace in 0.8 1.2; do
    capture "marks-$pace" --consoles 1 --types 2 --sensor-spacing 1 --rate 10 --no-gps --lines 3 --line-length 20 \
        --speed "$pace" --stand-at 5:2 --anomalies 2 --seed 13 --duration 110 --dry-run console1 || failed=1
    mapfile -t steps < <(marks_scenario "$pace")
    replay "marks-$pace" "${steps[@]}" || failed=1
    "$export_tool" --only csv,xyz,grid --lag 0 --processed-tables "$work/marks-$pace/out.mgr" >/dev/null || failed=1
    check "marks-$pace" --walk "20,2,$pace,36000,0.1,5,2" --pair 1.0 || failed=1
done

# Sensor 3 of four reads 20 nT above the others (every other balance 0).
record stripe 43000 --consoles 2 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 3 --line-length 12 \
    --sensor-offsets 0,0,20,0 --anomalies 1 --seed 6 --duration 46 -- \
    "ConsoleCount 2" "ConsoleType 1,1" "NmeaMode 1" "GpsOffsetX 1.5" "GpsOffsetY 0" "MapSize 60" || failed=1
"$export_tool" --only csv,xyz,grid --destripe "$work/stripe/out.mgr" >/dev/null || failed=1
check stripe --stripe 3 || failed=1

# Four zig-zag lines of 20 m walked on through their turns after one "&Go",
# sensors reading 1 nT high walking north and 1 nT low walking south: the
# heading stripe of 2 nT goes when each traverse is destriped on its own.
record heading 89000 --consoles 2 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 4 --line-length 20 \
    --heading-error 2 --noise-level 0.3 --anomalies 0 --seed 12 --duration 92 -- \
    "ConsoleCount 2" "ConsoleType 1,1" "NmeaMode 1" "GpsOffsetX 1.5" "GpsOffsetY 0" "MapSize 60" || failed=1
"$export_tool" --only csv,xyz,report,grid --destripe --processed-tables "$work/heading/out.mgr" >/dev/null || failed=1
check heading --heading 2,4 || failed=1

# The same survey with and without spikes: the spikes come from a generator
# of their own, so every other reading is the same in both.
spikes=(--consoles 2 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 3 --line-length 20 --anomalies 3
        --seed 2 --duration 70)
spike_settings=("ConsoleCount 2" "ConsoleType 1,1" "NmeaMode 1" "GpsOffsetX 1.5" "GpsOffsetY 0" "MapSize 60")
record clean 66000 "${spikes[@]}" -- "${spike_settings[@]}" || failed=1
record spikes 66000 "${spikes[@]}" --spikes 0.01,200 -- "${spike_settings[@]}" || failed=1
"$export_tool" --only csv,xyz "$work/clean/out.mgr" >/dev/null || failed=1
"$export_tool" --only csv,xyz,grid --despike 20 --processed-tables "$work/spikes/out.mgr" >/dev/null || failed=1
check spikes --spikes "$work/clean/out,200" || failed=1

# Readings sent 0.3 s after the place they measure, zig-zag lines 1 m apart
# walked north and south at 1 m/s; no noise, so that the peaks are sharp.
record lag 100000 --consoles 1 --types 1 --rate 10 --gps-mode 1 --gps-rate 10 --lines 6 --line-length 14 \
    --line-spacing 1 --reading-lag 0.3 --noise-level 0 --anomalies 2 --seed 9 --duration 104 -- \
    "ConsoleCount 1" "ConsoleType 0" "NmeaMode 1" "GpsOffsetX 0" "GpsOffsetY 0" "MapSize 60" || failed=1
"$export_tool" --only csv,xyz,grid --lag 0.3 --processed-tables "$work/lag/out.mgr" >/dev/null || failed=1
check lag --epsg 32630 --field "$work/lag/field.txt" --lag 1,0.3 || failed=1

# Three lines of 30 s (New Line by Quick Line between them: "1", "2.00",
# "3.00"); sensor 3 repeats its value from 40 s to 60 s, inside line 2.00
# (36 s to 66 s), so it is frozen from 50 s on.
capture frozen --consoles 2 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 3 --line-length 30 --speed 1 \
    --anomalies 2 --seed 8 --duration 104 --frozen 3@40+20 --dry-run gps || failed=1
replay frozen "set ConsoleCount 2" "set ConsoleType 1,1" "set NmeaMode 1" "set GpsOffsetX 1.5" "set GpsOffsetY 0" \
    "set MapSize 60" "set MapDisplayType 1" "0 start" "2500 file" "3000 go" "33000 pause" "34000 quickline yes" \
    "36000 go" "66000 pause" "67000 quickline yes" "69000 go" "99000 pause" "100000 exit yes" "101000 end" ||
    failed=1
"$export_tool" --only csv,xyz,report "$work/frozen/out.mgr" >/dev/null || failed=1
check frozen --flagged 3,frozen,2.00 || failed=1

record grid-mode 40000 --consoles 1 --types 2 --rate 10 --gps-mode 3 --gps-rate 5 --lines 2 --line-length 15 \
    --anomalies 2 --seed 5 --duration 42 -- "ConsoleCount 1" "ConsoleType 1" "NmeaMode 3" "MapSize 60" || failed=1
"$export_tool" "$work/grid-mode/out.mgr" >"$work/grid-mode/export.txt" || failed=1
if [ -s "$work/grid-mode/out-track.csv" ] && [ -s "$work/grid-mode/out-marks.csv" ] &&
    [ ! -e "$work/grid-mode/out-track.geojson" ] && [ ! -e "$work/grid-mode/out.prj" ] &&
    grep -q 'grid coordinates' "$work/grid-mode/export.txt"; then
    echo "ok   grid-mode: track and marks in grid coordinates, no GeoJSON, no .prj"
else
    echo "FAIL grid-mode:"; cat "$work/grid-mode/export.txt"; failed=1
fi

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
size=$(stat -c %s "$work/survey/out.mgr")
head -c $((size - 10)) "$work/survey/out.mgr" >"$work/damaged.mgr"
expect damaged 0 "damaged at byte offset $(((size - 10) / 27 * 27))" "$export_tool" -q "$work/damaged.mgr"
# An earlier export with the prefix stays as it was when the next is refused.
mkdir -p "$work/refused"
"$export_tool" -q -o "$work/refused/field7" "$work/survey/out.mgr" >/dev/null
(cd "$work/refused" && sha256sum field7* >"$work/before.sum")
head -c 4000 /dev/urandom >"$work/random.mgr"
expect not-a-data-file 1 "is not a Tesselog data file" "$export_tool" -o "$work/refused/field7" "$work/random.mgr"
if (cd "$work/refused" && sha256sum -c --quiet "$work/before.sum") && [ "$(ls "$work/refused" | wc -l)" = \
    "$(wc -l <"$work/before.sum")" ]; then
    echo "ok   refused: the earlier export's $(wc -l <"$work/before.sum") files unchanged, nothing added"
else
    echo "FAIL refused: the earlier export was touched:"; ls -la "$work/refused"; failed=1
fi
# An earlier export one of whose files cannot be replaced. On Windows a file
# open in a spreadsheet cannot be renamed or removed; here the file is made
# immutable (chattr +i), or, where the file system has no such flag, a folder
# stands in its place. The next export (another one: processed) leaves every
# earlier file as it was, adds nothing and names the file.
mkdir -p "$work/held"
"$export_tool" -q -o "$work/held/t" "$work/survey/out.mgr" >/dev/null
if ! chattr +i "$work/held/t.asc" 2>/dev/null; then
    rm "$work/held/t.asc"
    mkdir -p "$work/held/t.asc/kept"
fi
(cd "$work/held" && find . -type f | sort | xargs sha256sum >"$work/held.sum")
expect held 2 "cannot replace $work/held/t.asc" "$export_tool" -q -o "$work/held/t" --destripe "$work/survey/out.mgr"
if (cd "$work/held" && sha256sum -c --quiet "$work/held.sum") &&
    [ "$(cd "$work/held" && find . -type f | wc -l)" = "$(wc -l <"$work/held.sum")" ]; then
    echo "ok   held: the earlier export's $(wc -l <"$work/held.sum") files unchanged, nothing added"
else
    echo "FAIL held: the earlier export was touched:"; ls -la "$work/held"; failed=1
fi
expect missing-folder 2 "the output folder $work/none does not exist" "$export_tool" -o "$work/none/t" \
    "$work/survey/out.mgr"
expect missing-file 2 "cannot open" "$export_tool" "$work/none.mgr"
expect bad-option 2 "see --help" "$export_tool" --cell -1 "$work/survey/out.mgr"
expect bad-despike 2 "odd window" "$export_tool" --despike 10,4 "$work/survey/out.mgr"
expect help 0 "--destripe" "$export_tool" --help
exit "$failed"
