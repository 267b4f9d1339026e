#!/usr/bin/env bash
# tesselog-export on surveys whose truth is known. The simulator walks over
# its buried features (and writes where it buried them), the logging session
# records the walk through tesselog-replay, and scripts/check_export.py reads
# the export back with Python's csv and json modules:
#   - survey: three lines over three features, metres, zone 30 north: the grid's
#     highest cells lie at the features, the track within a metre of the walk;
#   - feet, us-feet: one straight line in international feet (zone 30 north)
#     and in US survey feet (zone 56 south), consoles of two, one and two
#     sensors with unequal separations, the array behind the antenna and
#     ahead of it: every sensor within 0.02 ft of its true place along and
#     across the track (the file's fixes and epochs read by tesselog-dump);
#   - gps-only: no console, the file's swath on the antenna within 0.01 m;
#   - a grid NMEA mode: the track goes to a CSV in the grid's coordinates;
#   - a damaged file, a file that is not a data file, bad usage.
#
#   export_known_truth.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build/native}"
sim="$build/tools/tesselog-sim"
replay="$build/tools/tesselog-replay"
export_tool="$build/tools/export/tesselog-export"
dump="$build/tools/tesselog-dump"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0

# record NAME SIM_OPTIONS... -- SCENARIO_SETTINGS...   (go at 3 s, pause at PAUSE_MS)
record() {
    local name="$1" dir="$work/$1" pause="$2"
    shift 2
    local sim_args=() settings=()
    while [ "$1" != "--" ]; do sim_args+=("$1"); shift; done
    shift
    settings=("$@")
    mkdir -p "$dir"
    "$sim" "${sim_args[@]}" --dry-run gps --capture "$dir/capture" --field-out "$dir/field.txt" >/dev/null 2>&1
    {
        echo "capture capture"
        printf 'set %s\n' "${settings[@]}"
        echo "set MapDisplayType 1"
        echo "0 start"
        echo "2500 file"
        echo "3000 go"
        echo "$pause pause"
        echo "$((pause + 1000)) exit yes"
        echo "$((pause + 2000)) end"
    } >"$dir/scenario"
    "$replay" "$dir/scenario" "$dir/out.mgr" >"$dir/replay.txt" 2>&1 ||
        { echo "FAIL $name: tesselog-replay: $(tail -n 3 "$dir/replay.txt")"; return 1; }
}

# check NAME CHECK_OPTIONS...
check() {
    local name="$1" dir="$work/$1"
    shift
    if python3 "$root/scripts/check_export.py" "$dir/out" --capture "$dir/capture" "$@" >"$dir/check.txt" 2>&1; then
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
check survey --epsg 32630 --field "$work/survey/field.txt" --cell 0.5 || failed=1

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

record grid-mode 40000 --consoles 1 --types 2 --rate 10 --gps-mode 3 --gps-rate 5 --lines 2 --line-length 15 \
    --anomalies 2 --seed 5 --duration 42 -- "ConsoleCount 1" "ConsoleType 1" "NmeaMode 3" "MapSize 60" || failed=1
"$export_tool" "$work/grid-mode/out.mgr" >"$work/grid-mode/export.txt" || failed=1
if [ -s "$work/grid-mode/out-track.csv" ] && [ ! -e "$work/grid-mode/out.geojson" ] &&
    [ ! -e "$work/grid-mode/out.prj" ] && grep -q 'grid coordinates' "$work/grid-mode/export.txt"; then
    echo "ok   grid-mode: track in grid coordinates, no GeoJSON, no .prj"
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
printf 'not a data file at all, but long enough\n' >"$work/text.mgr"
expect not-a-data-file 1 "is not a Tesselog data file" "$export_tool" "$work/text.mgr"
expect missing-file 2 "cannot open" "$export_tool" "$work/none.mgr"
expect bad-option 2 "see --help" "$export_tool" --cell -1 "$work/survey/out.mgr"
expect help 0 "--scale" "$export_tool" --help
exit "$failed"
