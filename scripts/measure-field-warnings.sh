#!/usr/bin/env bash
# The field warnings in the real program at the full load: scripts/measure-logging.sh
# (nine two-sensor consoles at the line rate, GGA+GSA at 20 Hz) with the colour display,
# the receiver's clock the computer's and the antenna over the array's middle, once with
# the warnings on (the defaults) and once with every warning switched off in
# TESSELQC.INI. The first must show no warning over a quiet survey; the CPU of the two
# runs gives the warnings' cost.
#
#   scripts/measure-field-warnings.sh [DURATION [IDLE]]     (defaults 600 and 30 seconds)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
duration="${1:-600}"
idle="${2:-30}"
off="$root/build/measure-field-warnings-off.ini"
mkdir -p "$root/build"
{
    printf '; every field warning switched off\r\n'
    for key in SensorFrozen SensorSaturated SensorNoisy SensorField PositionLimit DiskSpace Battery \
        ClockCheck TooFast CoverageGaps WarningSound; do
        printf '%s=0\r\n' "$key"
    done
} >"$off"
# Colour display (62); the antenna 8.5 m from the array's left end, over its middle, and
# not ahead of it (49, 50), as the simulator carries it.
export MEASURE_SETTINGS="62=1 49=8.5 50=0" MEASURE_SIM_ARGS="--start-time now" MEASURE_GPS_RATE=20
for run in on off; do
    if [ "$run" = off ]; then export MEASURE_QC_FILE="$off"; else unset MEASURE_QC_FILE; fi
    echo "=== warnings $run"
    MEASURE_OUT="$root/build/measure-field-warnings-$run" "$here/measure-logging.sh" "$duration" "$idle"
done
