#!/usr/bin/env bash
# The GPS reader's idle CPU under Wine: tesselog.exe with GPS input on and its GPS port
# (COM2) mapped to a pty that never sends a byte, "&Logging" pressed, then the CPU time
# (user + system, from /proc/<pid>/stat) that the program's process (the wine-preloader
# process of tesselog.exe) uses over a window of SECONDS, printed as percent of one
# core; beside it the same for the prefix's wineserver, which does the work of every
# read. A silent port also means a connection break every 3 s (red fields, close,
# reopen), so the figures include them. The busiest thread of the program is printed
# too: on a silent port that is the GPS reader. Measured twice: with the default settings,
# where each break also plays "SOUND_RING", and with DisconnectAlarm off. Prints the
# figures; asserts nothing.
#
#   scripts/measure-gps-idle.sh [SECONDS]      (default 20)
#   E2E_EXE=path/to/tesselog.exe               another build of the program
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e/lib.sh"

seconds="${1:-20}"
out="$E2E_ROOT/build/measure-gps-idle"
base_prefix="$E2E_ROOT/build/e2e/prefix-base"   # the end-to-end scenarios' prepared prefix
ticks_per_second="$(getconf CLK_TCK)"

prepare_prefix() {
    e2e_prepare_base_prefix "$base_prefix"
    e2e_prefix_copy "$base_prefix" "$out/prefix"
    e2e_use_prefix "$out/prefix"
}



percent() { awk -v d="$1" -v hz="$ticks_per_second" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * d / hz / s }'; }

# measure LABEL SETTINGS_LINE=VALUE...: one run of the program; prints its figures.
measure() {
    local label="$1" main server before after server_before server_after program served
    shift
    e2e_settings_variant "$out/settings.ini" 3=0 39=1 40=0 41=1 "$@"   # no console: the GPS reader alone
    e2e_write_settings "$out/settings.ini"
    e2e_start_program "$E2E_EXE"
    main="$(e2e_window Tesselog 30)"
    e2e_keys "$main" l
    sleep 2
    e2e_pid_alive "$E2E_PROGRAM_PID" || e2e_fail "the program ended"
    e2e_no_window "Serial Port" || e2e_fail "the GPS port did not open"
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
    printf '%-38s program %5s %%   wineserver %5s %%   together %5s %% of one core\n' "$label" \
        "$(percent "$program")" "$(percent "$served")" "$(percent $((program + served)))"
    python3 "$here/measure_logging.py" cpu "$out/threads-before" "$out/threads-after" "$seconds" |
        sed -n 's/^busiest thread: /    busiest thread (the reader): /p'
    timeout 5 xdotool windowfocus "$main" && timeout 5 xdotool key --clearmodifiers alt+F4
    e2e_expect_exit 0 20 >&2
    WINEPREFIX="$E2E_PREFIX" timeout 15 wineserver -w || true   # the next start brings its own
}

main() {
    rm -rf "$out"
    e2e_init "$out"
    prepare_prefix
    e2e_start_xvfb 15 2>>"$out/run.log"
    e2e_start_silent_pty "$out"
    e2e_map_ports "COM2=$E2E_SILENT_PTY" 2>>"$out/run.log"
    echo "GPS reader idle under Wine, silent GPS port, CPU over ${seconds} s ($(basename "$E2E_EXE")):"
    measure "default settings (ring at each break)"
    measure "DisconnectAlarm 0 (no ring)" 27=0
}

main "$@"
