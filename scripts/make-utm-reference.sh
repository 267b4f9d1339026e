#!/usr/bin/env bash
# Writes the UTM reference table that the coordinate unit test compares with:
# a grid of positions across four zones (1 at the antimeridian, 18, 31 at
# Greenwich, 56), both hemispheres, from the central meridian out to 4 degrees
# on either side (the zone edge is at 3), projected by PROJ's cs2cs, an
# implementation independent of ours.
#
# Each line: latitude longitude zone northing easting, all but the zone "%.4f".
# Southern latitudes use +south (false northing 10000000 m); latitude 0
# counts as north, as in the program.
#
#   make-utm-reference.sh [OUTPUT]       write the table (default: the checked-in one)
#   make-utm-reference.sh --check OUTPUT   write it to OUTPUT and compare it with the
#                                     checked-in table; differences fail
set -euo pipefail
export LC_ALL=C
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
checked_in="$here/../tests/data/utm/reference.txt"

check=0
if [ "${1:-}" = "--check" ]; then
    check=1
    shift
    [ $# -eq 1 ] || { echo "usage: $0 --check OUTPUT" >&2; exit 2; }
fi
output="${1:-$checked_in}"

if ! command -v cs2cs >/dev/null; then
    echo "cs2cs not found: install proj-bin (scripts/install-deps.sh does)" >&2
    exit 1
fi

zones="1 18 31 56"
latitudes="-80 -60 -45 -30 -10 -0.5 0 10 30 45 60 75 84"
offsets="-4 -3.5 -3 -2 -1 0 0.5 1 2 3 3.5 4"

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
echo "# latitude longitude zone northing easting, from cs2cs +proj=utm +zone=Z [+south] +ellps=WGS84" > "$tmp/table"
for zone in $zones; do
    for hemisphere in north south; do
        # Positions of this zone and hemisphere, as "lon lat" for cs2cs.
        awk -v z="$zone" -v h="$hemisphere" -v lats="$latitudes" -v offs="$offsets" 'BEGIN {
            nl = split(lats, la, " "); no = split(offs, of, " ")
            for (i = 1; i <= nl; i++) {
                if ((h == "north") != (la[i] + 0 >= 0)) continue
                for (j = 1; j <= no; j++) printf "%.4f %.4f\n", 6 * z - 183 + of[j], la[i]
            }
        }' > "$tmp/points"
        south=""
        [ "$hemisphere" = south ] && south="+south"
        cs2cs -f %.4f +proj=longlat +ellps=WGS84 +to +proj=utm +zone="$zone" $south +ellps=WGS84 \
            < "$tmp/points" > "$tmp/projected"
        # cs2cs answers "easting<TAB>northing height" per line, "*" on failure.
        paste -d ' ' "$tmp/points" "$tmp/projected" | awk -v z="$zone" '
            NF != 5 || $3 ~ /\*/ || $4 ~ /\*/ { print "cs2cs failed on: " $0 > "/dev/stderr"; exit 1 }
            { printf "%s %s %d %s %s\n", $2, $1, z, $4, $3 }' >> "$tmp/table"
    done
done

mkdir -p "$(dirname "$output")"
cp "$tmp/table" "$output"
if [ $check -eq 1 ]; then
    if ! diff -u "$checked_in" "$output"; then
        echo "cs2cs no longer gives the checked-in table tests/data/utm/reference.txt" >&2
        exit 1
    fi
    echo "reference table matches cs2cs ($(grep -vc '^#' "$output") positions)"
fi
