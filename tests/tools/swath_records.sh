#!/usr/bin/env bash
# The swath's segment records lie along the walked track in every NMEA mode
# (the grid modes included) and in metres, feet and US survey feet: for each
# mode the simulator walks three lines over its buried features, the logging
# session records them through tesselog-replay (the program's own session on a
# manual clock), and check_swath.py compares the file's swath edges with the
# antenna positions and the readings placed on the map with the features.
# One more run trails the array 1.5 m behind its antenna along the path.
#
#   swath_records.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build/native}"
sim="$build/tools/tesselog-sim"
replay="$build/tools/tesselog-replay"
dump="$build/tools/tesselog-dump"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# run NAME MODE UNITS OFFSET_Y [CHECK_OPTIONS...]   (default: --field, the simulator's features)
run() {
    local name="$1" mode="$2" units="$3" offset_y="$4" dir="$work/$1" grid_unit=M
    shift 4
    mkdir -p "$dir"
    [ "$units" = 0 ] || grid_unit=F
    "$sim" --consoles 2 --types 2 --rate 10 --gps-mode "$mode" --gps-rate 5 --grid-unit "$grid_unit" \
        --lines 3 --line-length 20 --speed 1 --anomalies 6 --seed 7 --duration 80 \
        --dry-run gps --capture "$dir/capture" --field-out "$dir/field.txt" >/dev/null 2>&1
    # Two two-sensor consoles 1 m apart with the antenna over the array's middle, as the
    # simulator carries them; the colour display.
    cat >"$dir/scenario" <<EOF
capture capture
set ConsoleCount 2
set ConsoleType 1,1
set NmeaMode $mode
set DisplayUnits $units
set GpsOffsetX 1.5
set GpsOffsetY $offset_y
set MapDisplayType 1
set MapSize 60
0 start
2500 file
3000 go
76000 pause
77000 exit yes
78000 end
EOF
    "$replay" "$dir/scenario" "$dir/out.mgr" >"$dir/replay.txt" 2>&1 || {
        echo "FAIL $name: tesselog-replay: $(tail -n 3 "$dir/replay.txt")"
        return 1
    }
    local extra=("$@")
    [ $# -gt 0 ] || extra=(--field "$dir/field.txt")
    if python3 "$root/scripts/e2e/check_swath.py" "$dir/out.mgr" --dump "$dump" "${extra[@]}" \
        >"$dir/check.txt" 2>&1; then
        echo "ok   $name: $(tail -n 1 "$dir/check.txt")"
    else
        echo "FAIL $name:"
        sed 's/^/     /' "$dir/check.txt"
        return 1
    fi
}

failed=0
for mode in 0 1 2 3 4 5 6 7 8; do
    run "mode-$mode-units-$((mode % 3))" "$mode" $((mode % 3)) 0 || failed=1
done
run "trailing-array" 1 0 1.5 --tolerance 0.25 || failed=1
exit "$failed"
