#!/usr/bin/env bash
# The program killed at many random moments while it records (the end-to-end scenario
# killed_while_recording with more kills): nine two-sensor consoles at the line rate and
# GGA at 10 Hz, SIGKILL to the Windows process 0.2..4 s after recording started, then
# tesselog-dump --check of the file and the next start continuing it. Prints the kills
# (moment, records in the file) and the result; about 25 s per kill.
#
#   scripts/reliability-kills.sh [KILLS]      (default 50)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
kills="${1:-50}"
E2E_KILLS="$kills" E2E_TIME_LIMIT=$((kills * 60 + 180)) E2E_JOBS=1 \
    E2E_SECOND_RUN=0 "$root/scripts/e2e/run_all.sh" killed_while_recording || status=$?
out="$root/build/e2e/killed_while_recording"
echo "kill  moment after g (s)  records in the file afterwards"
awk '{ printf "%4d  %20s  %d\n", $1, $2, $3 }' "$out/kills.txt" 2>/dev/null || true
grep -c . "$out/checks.txt" 2>/dev/null | sed 's/^/tesselog-dump --check runs: /' || true
grep -a -h 'OK,' "$out/checks.txt" 2>/dev/null | tail -n 1 || true
exit "${status:-0}"
