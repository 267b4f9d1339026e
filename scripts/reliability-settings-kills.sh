#!/usr/bin/env bash
# The program killed while it saves its settings file, many times (the end-to-end
# scenario settings_killed_while_saving with more kills): SIGKILL a random 0..15 ms after
# a save has made TESSELWIN.INI.new, during Survey Setup saves (the old and the new file
# differ) and New Station saves (the same bytes again), each followed by a start that
# must read the file whole, unchanged and without a message. Prints every kill (the
# kind of save, the new file's bytes left by the kill: 0 when it came right after the
# file was made, the whole file when it came after the write or the flush) and a
# summary; about 30 s per kill.
#
#   scripts/reliability-settings-kills.sh [KILLS]      (default 40)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
kills="${1:-40}"
E2E_KILLS="$kills" E2E_TIME_LIMIT=$((kills * 90 + 300)) E2E_JOBS=1 \
    E2E_SECOND_RUN=0 "$root/scripts/e2e/run_all.sh" settings_killed_while_saving || status=$?
log="$root/build/e2e/settings_killed_while_saving/kills.txt"
echo "kill  kind     save  delay ms  new file left  line 55 after"
awk '{ printf "%4d  %-7s  %4s  %8s  %13s  %s\n", NR, $5, $2, $3, $4, $6 }' "$log" 2>/dev/null || true
awk '$4 != "gone" { during++ } $4 == "gone" { late++ } $4 == "0" { empty++ }
     $4 != "gone" && $4 != "0" { written++ }
     END { printf "%d kills during a save (%d with the new file empty, %d with it written), %d after the rename\n",
                  during, empty, written, late }' "$log" 2>/dev/null || true
exit "${status:-0}"
