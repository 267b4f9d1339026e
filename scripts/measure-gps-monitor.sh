#!/usr/bin/env bash
# The GPS monitor under Wine, two figures. Prints them; asserts nothing.
#
# 1. Idle: tesselog.exe with GPS on and its port (COM2) on a pty that never sends a
#    byte, "o" pressed, then the CPU time (user + system, /proc/<pid>/stat) of the
#    program's process and of the prefix's wineserver over IDLE seconds, as percent of
#    one core. The monitor's reader polls the silent port and adds a "NO DATA" line
#    every 7 s.
# 2. Busy: tesselog-drawlog.exe with the simulator's GGA receiver at 20 Hz for BUSY
#    seconds (115200 baud, so that the line carries 20 GGA a second). The draw log has every line added to the list with the tick of its adding
#    (GetTickCount, which Wine takes from CLOCK_MONOTONIC_RAW) and the simulator's write
#    log the time each sentence's write returned on that clock, so each line's time from
#    the serial line to the list is known. Printed for the first and the last minute:
#    lines added per second, the time from the line to the list (median, 99th
#    percentile, most), the list's size; and for a "p" pressed at the start and at the
#    end, the time from the key's sending to its handler (round trip of a key press).
#
#   scripts/measure-gps-monitor.sh [BUSY_SECONDS [IDLE_SECONDS]]   (default 600 and 60)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e/lib.sh"

busy="${1:-600}"
idle="${2:-60}"
out="$E2E_ROOT/build/measure-gps-monitor"
base_prefix="$E2E_ROOT/build/e2e/prefix-base"
ticks_per_second="$(getconf CLK_TCK)"
drawlog_rel="drive_c/ProgramData/Brenvik/Temp/drawlog.txt"

percent() { awk -v d="$1" -v hz="$ticks_per_second" -v s="$2" 'BEGIN { printf "%.2f", 100 * d / hz / s }'; }

# open_monitor EXE: the program started, "o" pressed, the port open. Sets MAIN.
MAIN=""
open_monitor() {
    # GPS on COM2 at 115200 baud, GGA, no console
    e2e_settings_variant "$out/settings.ini" 3=0 26=0 39=1 40=1 41=1 42=5
    e2e_write_settings "$out/settings.ini"
    e2e_start_program "$1"
    MAIN="$(e2e_window Tesselog 30)"
    e2e_keys "$MAIN" o
    sleep 2
    e2e_no_window "Serial Port" || e2e_fail "the GPS port did not open"
}

close_program() {
    e2e_keys "$MAIN" x
    sleep 1
    e2e_keys "$MAIN" x
    e2e_expect_exit 0 20 >&2
    WINEPREFIX="$E2E_PREFIX" timeout 15 wineserver -w || true
}

measure_idle() {
    local server before after sb sa
    e2e_start_silent_pty "$out"
    e2e_map_ports "COM2=$E2E_SILENT_PTY" 2>>"$out/run.log"
    open_monitor "$E2E_EXE"
    server="$(e2e_wineserver_pid)"
    before="$(e2e_cpu_ticks "$E2E_PROGRAM_PID")"
    sb="$(e2e_cpu_ticks "$server")"
    sleep "$idle"
    after="$(e2e_cpu_ticks "$E2E_PROGRAM_PID")"
    sa="$(e2e_cpu_ticks "$server")"
    printf 'idle, silent port, %s s:   program %s %%   wineserver %s %%   together %s %% of one core\n' "$idle" \
        "$(percent $((after - before)) "$idle")" "$(percent $((sa - sb)) "$idle")" \
        "$(percent $((after - before + sa - sb)) "$idle")"
    close_program
}

# press_p LABEL: "p" sent, its CLOCK_MONOTONIC_RAW time noted in keys.txt; "g" after it.
press_p() {
    timeout 5 xdotool windowfocus "$MAIN"
    python3 -c 'import time; print("'"$1"'", int(time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1000))' \
        >>"$out/keys.txt"
    timeout 5 xdotool key --clearmodifiers p
    sleep 1
    timeout 5 xdotool key --clearmodifiers g
}

measure_busy() {
    local before after
    mkdir -p "$out/links"
    e2e_map_ports "COM2=$out/links/gps" 2>>"$out/run.log"
    e2e_start_sim "$out/sim.log" --consoles 0 --gps-mode 1 --gps-rate 20 --gps-baud 115200 --link-dir "$out/links" \
        --write-log "$out/writes.txt" --duration $((busy + 120))
    open_monitor "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    : >"$out/keys.txt"
    sleep 5
    press_p start
    before="$(e2e_cpu_ticks "$E2E_PROGRAM_PID")"
    sleep "$busy"
    after="$(e2e_cpu_ticks "$E2E_PROGRAM_PID")"
    press_p end
    sleep 2
    printf 'busy, GGA at 20 Hz, %s s:   program %s %% of one core\n' "$busy" \
        "$(percent $((after - before)) "$busy")"
    cp "$E2E_PREFIX/$drawlog_rel" "$out/drawlog.txt"
    close_program
    python3 - "$out/drawlog.txt" "$out/writes.txt" "$out/keys.txt" <<'EOF'
import statistics, sys

drawlog, writes, keys = sys.argv[1:4]
written = {}
for line in open(writes, encoding="latin-1"):
    us, port, text = line.rstrip("\n").split(" ", 2)
    if port == "gps":
        written[text] = int(us) // 1000
added, buttons = [], []
for line in open(drawlog, encoding="latin-1"):
    parts = line.split(None, 4)
    if len(parts) >= 5 and parts[1:3] == ["monitor", "line"]:
        added.append((int(parts[0]), int(parts[3]), parts[4].rstrip("\n")))
    elif len(parts) >= 4 and parts[1:3] == ["monitor", "button"]:
        buttons.append((int(parts[0]), int(parts[3])))

def delay(tick, ms):  # the draw log's 32-bit tick against the write's milliseconds, signed
    d = (tick - ms) % (1 << 32)
    return d - (1 << 32) if d >= 1 << 31 else d

def window(rows, label):
    lat = [delay(t, written[s]) for t, _, s in rows if s in written]
    span = (rows[-1][0] - rows[0][0]) / 1000 if len(rows) > 1 else 0
    lat.sort()
    p99 = lat[min(len(lat) - 1, int(0.99 * len(lat)))] if lat else 0
    print(f"{label}: {len(rows)} lines in {span:.0f} s ({len(rows) / max(span, 1):.1f}/s), "
          f"line to list median {statistics.median(lat) if lat else 0:.0f} ms, 99th {p99} ms, "
          f"most {lat[-1] if lat else 0} ms, list size at its end {rows[-1][1]}")

# Between the "g" after the first "p" (which purged what waited in the port from before
# the monitor opened) and the last "p".
first = next(t for t, b in buttons if b == 0)
last = max(t for t, b in buttons if b == 1)
added = [r for r in added if first < r[0] < last]
window([r for r in added if r[0] - first < 60000], "first minute")
window([r for r in added if last - r[0] < 60000], "last minute ")
for line in open(keys):
    label, sent = line.split()
    sent = int(sent)
    handled = [t for t, b in buttons if b == 1 and 0 <= delay(t, sent) < 10000]
    print(f"\"p\" at the {label}: handled {delay(handled[0], sent) if handled else '?'} ms after it was sent")
EOF
}

main() {
    rm -rf "$out"
    e2e_init "$out"
    e2e_prepare_base_prefix "$base_prefix"
    e2e_prefix_copy "$base_prefix" "$out/prefix"
    e2e_use_prefix "$out/prefix"
    e2e_start_xvfb 15 2>>"$out/run.log"
    echo "GPS monitor under Wine ($(basename "$E2E_EXE")):"
    measure_idle
    measure_busy
}

main "$@"
