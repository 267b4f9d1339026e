#!/usr/bin/env bash
# Makes a full-size data file with the project's own tools: tesselog-sim
# captures nine two-sensor consoles at 10 Hz and a GGA receiver at 1 Hz (dry
# run, no ptys), and tesselog-replay records them through the logging session
# into OUT, as the program would. The operator walks lines 700 m long, 18 m
# apart (the array's width), one line after the other: "&Go" as the line
# starts, "P A U S E" at its end, "New &Line" during the 18 s step across.
# Each recorded fix writes one position (a d or h segment record), so the
# file holds exactly FIXES positions: by default 28,799, one below the
# largest number a file may hold when it is read back. Colour display,
# MapSize 100.
#
# The same options and seed give the same file, byte for byte. The file is
# checked with tesselog-dump --check and its positions counted.
#
# --origin LAT,LON puts the start of line 1 elsewhere (the simulator's
# default 51.75,-1.25 otherwise): the files of a site side by side.
#
#   scripts/make-full-size-file.sh [--fixes N] [--seed S] [--origin LAT,LON] OUT
#
# Uses build/native's tools (built here if missing, or TESSELOG_TOOLS=DIR).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

fixes=28799
seed=1
origin=51.75,-1.25
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --fixes) fixes="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    --origin) origin="$2"; shift 2 ;;
    -h|--help) sed -n '2,21p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "make-full-size-file: unknown option $1" >&2; exit 2 ;;
    *) out="$1"; shift ;;
  esac
done
if [ -z "$out" ] || ! [[ "$fixes" =~ ^[0-9]+$ ]] || [ "$fixes" -lt 1 ]; then
  echo "usage: make-full-size-file.sh [--fixes N] [--seed S] [--origin LAT,LON] OUT" >&2
  exit 2
fi

tools="${TESSELOG_TOOLS:-$root/build/native/tools}"
if [ ! -x "$tools/tesselog-sim" ] || [ ! -x "$tools/tesselog-replay" ] || [ ! -x "$tools/tesselog-dump" ]; then
  cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$root/build/native" -j 2 --target tesselog-sim tesselog-replay tesselog-dump >/dev/null
  tools="$root/build/native/tools"
fi

line_length=700     # metres, walked at 1 m/s
step_across=18      # seconds: the array's width at 1 m/s
period=$(( (line_length + step_across) * 1000 ))
first_go=3500       # the first fix comes at 0 ms, "&File" needs it
per_line_first=$(( line_length - first_go / 1000 ))
lines=$(( fixes <= per_line_first ? 1 : 1 + (fixes - per_line_first + line_length - 1) / line_length ))

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The scenario: a fix arrives at every whole second; "&Go" and "P A U S E"
# come half a second after one, so a line from go at G500 to pause at P500
# records the fixes G+1 .. P.
{
  echo "capture capture"
  echo "set ConsoleCount 9"
  echo "set ConsoleType 1,1,1,1,1,1,1,1,1"
  echo "set ConsolePort 2,3,4,5,6,7,8,9,10"
  echo "set GpsPort 1"
  echo "set NmeaMode 1"
  echo "set MapDisplayType 1"
  echo "set MapSize 100"
  echo "set StartLineText 1"
  echo "set LineDirection 2"
  echo "0 start"
  echo "2500 file"
  left=$fixes
  for ((i = 0; i < lines; i++)); do
    go=$(( i == 0 ? first_go : i * period + 500 ))
    take=$(( i == 0 ? per_line_first : line_length ))
    [ "$take" -gt "$left" ] && take=$left
    left=$(( left - take ))
    pause=$(( go + take * 1000 ))
    echo "$go go"
    echo "$pause pause"
    if [ $left -gt 0 ]; then
      # Alternate lines: north (2) out, south (1) back.
      echo "$(( pause + 500 )) newline $(( i + 2 )) $(( i % 2 == 0 ? 1 : 2 )) 0"
    fi
  done
  echo "$(( pause + 1000 )) exit yes"
  echo "$(( pause + 2000 )) end"
} >"$work/scenario"
duration=$(( (pause + 3000) / 1000 ))

"$tools/tesselog-sim" --consoles 9 --types 2 --rate 10 --gps-mode 1 --gps-rate 1 --line-length "$line_length" \
  --lines "$lines" --seed "$seed" --origin "$origin" --duration "$duration" --dry-run gps \
  --capture "$work/capture" >/dev/null 2>"$work/sim.log" || { cat "$work/sim.log" >&2; exit 1; }
"$tools/tesselog-replay" "$work/scenario" "$out" >/dev/null 2>"$work/replay.log" ||
  { cat "$work/replay.log" >&2; exit 1; }
"$tools/tesselog-dump" --check "$out" >/dev/null

positions="$(LC_ALL=C grep -a -c '^{[dh]' "$out" || true)"
records=$(( $(stat -c %s "$out") / 27 ))
if [ "$positions" -ne "$fixes" ]; then
  echo "make-full-size-file: $out holds $positions positions, not $fixes" >&2
  exit 1
fi
echo "$out: $(stat -c %s "$out") bytes, $records records, $positions positions, $lines lines, seed $seed"
