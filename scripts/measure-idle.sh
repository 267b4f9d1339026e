#!/usr/bin/env bash
# The logging screen idle on battery, under Wine: tesselog.exe with nine two-sensor
# consoles (COM3..COM11) and the GPS (COM2) each mapped to a pty that never sends a
# byte, "&Logging" pressed, then the CPU time (user + system, /proc/<pid>/stat) over
# SECONDS of the program's process and of the prefix's wineserver, which serves every
# read, wait and time-out of the program, as percent of one core. Beside it each thread
# of the program, busiest first (the user-interface thread, the nine console readers,
# the GPS reader and Wine's own), so that one can see where the time goes. Silent ports
# mean a GPS connection break every 3 s (red fields, close, reopen) and a console reopen
# every 3 s, so the figures include them. Run twice: with the default settings, where
# each GPS break also plays "SOUND_RING", and with DisconnectAlarm off. Asserts nothing.
#
#   scripts/measure-idle.sh [SECONDS] [RUNS]      (defaults 30 s, 2 runs of each)
#   E2E_EXE=path/to/tesselog.exe                   another build of the program
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e/lib.sh"

seconds="${1:-30}"
runs="${2:-2}"
out="$E2E_ROOT/build/measure-idle"
base_prefix="$E2E_ROOT/build/e2e/prefix-base"
ticks_per_second="$(getconf CLK_TCK)"

percent() { awk -v d="$1" -v hz="$ticks_per_second" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * d / hz / s }'; }

# Ten pty pairs whose far ends are held open and never written; their names, one a line,
# in OUT/ptys.txt.
start_silent_ptys() {
    python3 -c '
import os, pty, sys, time, tty
ends = []
for i in range(10):
    master, slave = pty.openpty()
    tty.setraw(master)
    ends.append((master, slave))
    print(os.ttyname(slave), flush=True)
time.sleep(7200)
' >"$out/ptys.txt" 2>&1 &
    e2e_track_pid $!
    e2e_wait_for 10 ten_ptys_listed || e2e_fail "no ptys"
}
ten_ptys_listed() { [ "$(wc -l <"$out/ptys.txt")" -ge 10 ]; }

# measure LABEL SETTINGS_LINE=VALUE...: one run; prints its figures.
measure() {
    local label="$1" main server before after server_before server_after program served k lines=()
    shift
    lines=(3=9 39=1 40=0 41=1 26=0)
    for k in 0 1 2 3 4 5 6 7 8; do lines+=("$((5 + k))=1" "$((17 + k))=$((2 + k))"); done
    e2e_settings_variant "$out/settings.ini" "${lines[@]}" "$@"
    e2e_write_settings "$out/settings.ini"
    e2e_start_program "$E2E_EXE"
    main="$(e2e_window Tesselog 60)"
    e2e_keys "$main" l
    sleep 5
    e2e_pid_alive "$E2E_PROGRAM_PID" || e2e_fail "the program ended"
    e2e_no_window "Serial Port" || e2e_fail "a port did not open"
    server="$(e2e_wineserver_pid)"
    [ -n "$server" ] || e2e_fail "no wineserver found for $E2E_PREFIX"
    before="$(e2e_cpu_ticks "$E2E_PROGRAM_PID")"
    server_before="$(e2e_cpu_ticks "$server")"
    python3 "$here/measure_logging.py" threads "$E2E_PROGRAM_PID" "$out/threads-before"
    sleep "$seconds"
    python3 "$here/measure_logging.py" threads "$E2E_PROGRAM_PID" "$out/threads-after"
    after="$(e2e_cpu_ticks "$E2E_PROGRAM_PID")"
    server_after="$(e2e_cpu_ticks "$server")"
    program=$((after - before))
    served=$((server_after - server_before))
    printf '%-34s program %5s %%   wineserver %5s %%   together %5s %% of one core\n' "$label" \
        "$(percent "$program")" "$(percent "$served")" "$(percent $((program + served)))"
    python3 - "$out/threads-before" "$out/threads-after" "$seconds" "$ticks_per_second" <<'PY'
import sys
def load(path):
    rows = {}
    for line in open(path):
        tid, ticks, name = line.rstrip("\n").split(" ", 2)
        rows[tid] = (int(ticks), name)
    return rows
before, after, seconds, hz = load(sys.argv[1]), load(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
rows = sorted(((after[t][0] - before.get(t, (0, ""))[0], t, after[t][1]) for t in after), reverse=True)
print("    threads: " + ", ".join("%.2f" % (100.0 * d / hz / seconds) for d, _, _ in rows[:14]) + " % (busiest first)")
PY
    timeout 5 xdotool windowfocus "$main" && timeout 5 xdotool key --clearmodifiers alt+F4
    e2e_expect_exit 0 30 >&2
    WINEPREFIX="$E2E_PREFIX" timeout 30 wineserver -w || true
}

main() {
    local i ports=() k
    rm -rf "$out"
    mkdir -p "$out"
    e2e_init "$out"
    e2e_prepare_base_prefix "$base_prefix"
    e2e_prefix_copy "$base_prefix" "$out/prefix"
    e2e_use_prefix "$out/prefix"
    e2e_start_xvfb 15 2>>"$out/run.log"
    start_silent_ptys
    ports=("COM2=$(sed -n 10p "$out/ptys.txt")")
    for k in 1 2 3 4 5 6 7 8 9; do ports+=("COM$((k + 2))=$(sed -n "${k}p" "$out/ptys.txt")"); done
    e2e_map_ports "${ports[@]}" 2>>"$out/run.log"
    echo "Logging screen idle under Wine, ten silent ports, CPU over ${seconds} s ($(basename "$E2E_EXE")), load $(cut -d' ' -f1-3 /proc/loadavg):"
    for ((i = 1; i <= runs; i++)); do
        measure "default settings (ring at breaks)"
        measure "DisconnectAlarm 0 (no ring)" 27=0
    done
}

main "$@"
