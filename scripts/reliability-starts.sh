#!/usr/bin/env bash
# Starts and exits in a row under load (the end-to-end scenario starts_in_a_row with
# more starts): BUSY shell loops run at normal priority on the machine meanwhile, the
# test build starts until its main window shows, "x" ends it with code 0. Prints the
# number of starts, the failed ones, the second tries the program took (counted in its
# draw log) and the seconds until the window showed; about 6 s per start.
#
#   scripts/reliability-starts.sh [STARTS] [BUSY]      (default 200 starts, 2 busy loops)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
starts="${1:-200}"
busy="${2:-2}"
loops=()
stop_loops() { [ ${#loops[@]} -eq 0 ] || kill "${loops[@]}" 2>/dev/null || true; }
trap stop_loops EXIT
for ((i = 0; i < busy; i++)); do
    sh -c 'while :; do :; done' &
    loops+=($!)
done
E2E_STARTS="$starts" E2E_TIME_LIMIT=$((starts * 30 + 120)) E2E_JOBS=1 \
    E2E_SECOND_RUN=0 "$root/scripts/e2e/run_all.sh" starts_in_a_row || status=$?
stop_loops
loops=()
log="$root/build/e2e/starts_in_a_row/starts.txt"
sort -k2 -n "$log" | awk -v busy="$busy" '
    { n++; t[n] = $2; retries += $3 }
    END {
        if (n == 0) { print "no start recorded"; exit }
        printf "%d starts ended with code 0 beside %d busy loops; %d second tries\n", n, busy, retries
        p95 = int(n * 0.95 + 0.5)
        if (p95 < 1) p95 = 1
        printf "seconds until the main window showed: median %.2f, 95th percentile %.2f, most %.2f\n",
               t[int((n + 1) / 2)], t[p95], t[n]
    }'
exit "${status:-0}"
