#!/usr/bin/env bash
# The logging screen under load, under Wine: tesselog-drawlog.exe with nine two-sensor
# consoles (COM3..COM11), each sending back to back at the 9600-baud line rate (56
# sentences/s), and a GGA+GSA GPS at 10 Hz (MEASURE_GPS_RATE=20 for 20 Hz) on COM2 (38400
# baud, as 10 fixes of both sentences exceed 9600 baud), all from tesselog-sim. Keys only: "l" (logging), the CPU
# use while the logging screen runs with no file (IDLE seconds), "f" and Return (the
# proposed file name), "g", DURATION seconds of recording, "p" (PauseKey is set to
# <P>), "x" and Return (Yes), and "x" on the main window.
#
# Prints, from the simulator's write log (the time each sentence's write returned) and
# the program's record log (the time each record's write returned), both in
# microseconds of CLOCK_MONOTONIC_RAW:
#   - sentences sent while recording ("$STARTED" to "PAUSED"), reading records written,
#     and the loss, per console and in all;
#   - the 99th percentile and the maximum of the time from a sentence's write to its
#     record's write;
#   - the CPU use on the logging screen before "f", and while recording, per process and
#     per thread, and the prefix's wineserver's.
# Asserts nothing; the arithmetic is scripts/measure_logging.py.
#
#   scripts/measure-logging.sh [DURATION [IDLE]]     (defaults 300 and 60 seconds)
#   E2E_EXE=path/to/tesselog.exe      the build whose tesselog-drawlog.exe is run
#   E2E_SIM=path/to/tesselog-sim      a simulator with --write-log
#   MEASURE_SETTINGS="62=1 ..."       more settings lines (LINE=VALUE)
#   MEASURE_SIM_ARGS="--start-time now"  more simulator options
#   MEASURE_QC_FILE=path              installed as TESSELQC.INI beside the settings
#   MEASURE_OUT=dir                   where the run's files go (build/measure-logging)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e/lib.sh"

duration="${1:-300}"
idle="${2:-60}"
gps_rate="${MEASURE_GPS_RATE:-10}"
out="${MEASURE_OUT:-$E2E_ROOT/build/measure-logging}"
base_prefix="$E2E_ROOT/build/e2e/prefix-base"   # the end-to-end scenarios' prepared prefix
exe="$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
arith="$here/measure_logging.py"

# Lines of the settings file: 3 ConsoleCount, 5..13 ConsoleType, 17..25 ConsolePort
# (index 0 = COM1), 29 PauseKey, 39 GpsInput, 40 NmeaMode, 41 GpsPort, 42 GpsBaud.
settings_lines() {
    local k
    printf '%s\n' 3=9 29=3 39=1 40=0 41=1 42=3 ${MEASURE_SETTINGS:-}
    for k in 0 1 2 3 4 5 6 7 8; do
        printf '%s\n' "$((5 + k))=1" "$((17 + k))=$((2 + k))"
    done
}

# Drawn text of a geodetic position ("N51..."), as the GPS scenario reads it.
has_fix() {
    grep -a -q -E '^ *[0-9]+ textin [-0-9,]+ [-0-9,]+ [-0-9,]+ [NS][0-9]{2}' "$1" 2>/dev/null
}

server_share() {
    awk -v d="$1" -v hz="$(getconf CLK_TCK)" -v s="$2" 'BEGIN { printf "wineserver: %.2f %% of one core\n", 100 * d / hz / s }'
}

active_window() { timeout 5 xdotool getactivewindow 2>/dev/null || echo "$main"; }

main() {
    local links main drawlog recordlog k ports=() server server_idle server_recording
    rm -rf "$out"
    e2e_init "$out"
    e2e_prepare_base_prefix "$base_prefix"
    e2e_prefix_copy "$base_prefix" "$out/prefix"
    e2e_use_prefix "$out/prefix"
    e2e_start_xvfb 15 2>>"$out/run.log"
    drawlog="$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt"
    recordlog="$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/recordlog.txt"

    e2e_settings_variant "$out/settings.ini" $(settings_lines)
    e2e_write_settings "$out/settings.ini"
    [ -z "${MEASURE_QC_FILE:-}" ] || cp "$MEASURE_QC_FILE" "$(e2e_settings_dir)/TESSELQC.INI"
    links="$out/links"
    mkdir -p "$links"
    ports=("COM2=$links/gps")
    for k in 1 2 3 4 5 6 7 8 9; do ports+=("COM$((k + 2))=$links/console$k"); done
    e2e_map_ports "${ports[@]}" 2>>"$out/run.log"

    e2e_start_sim "$out/sim.log" --consoles 9 --types 2 --rate 56 --gps-mode 0 --gps-rate "$gps_rate" \
        --gps-baud 38400 --link-dir "$links" --write-log "$out/write.log" --duration $((duration + idle + 300)) ${MEASURE_SIM_ARGS:-}
    e2e_start_program "$exe"
    main="$(e2e_window Tesselog 30)"
    e2e_keys "$main" l
    e2e_wait_for 30 has_fix "$drawlog" || e2e_fail "no fix drawn within 30 s of \"&Logging\""
    e2e_no_window "Serial Port" || e2e_fail "a port did not open"

    server="$(e2e_wineserver_pid)"
    python3 "$arith" threads "$E2E_PROGRAM_PID" "$out/idle-before"
    server_idle="$(e2e_cpu_ticks "$server")"
    sleep "$idle"
    server_idle=$(($(e2e_cpu_ticks "$server") - server_idle))
    python3 "$arith" threads "$E2E_PROGRAM_PID" "$out/idle-after"

    # Screenshots of each step (build/measure-logging/NN-*.png) show where a run went wrong.
    e2e_screenshot monitoring
    e2e_keys "$main" f
    sleep 2
    e2e_screenshot file-name-proposed
    e2e_keys "$(active_window)" Return
    sleep 2
    e2e_keys "$(active_window)" g
    sleep 2
    e2e_screenshot recording
    e2e_log "recording for $duration s"
    python3 "$arith" threads "$E2E_PROGRAM_PID" "$out/recording-before"
    server_recording="$(e2e_cpu_ticks "$server")"
    sleep "$duration"
    server_recording=$(($(e2e_cpu_ticks "$server") - server_recording))
    python3 "$arith" threads "$E2E_PROGRAM_PID" "$out/recording-after"
    e2e_keys "$(active_window)" p
    sleep 2
    e2e_screenshot paused
    e2e_keys "$(active_window)" x
    sleep 1
    e2e_screenshot exit-question
    e2e_keys "$(active_window)" Return
    sleep 2
    # Back on the main window: "x" ends the program.
    e2e_keys "$main" x
    e2e_expect_exit 0 30 >&2

    echo "Logging screen under Wine, 9 two-sensor consoles at 56/s and GGA+GSA at $gps_rate Hz ($(basename "$exe")):"
    echo "CPU on the logging screen with no file open, over $idle s:"
    python3 "$arith" cpu "$out/idle-before" "$out/idle-after" "$idle"
    server_share "$server_idle" "$idle"
    echo "CPU while recording with everything drawn (map, profiles, bars, numbers), over $duration s:"
    python3 "$arith" cpu "$out/recording-before" "$out/recording-after" "$duration"
    server_share "$server_recording" "$duration"
    [ -s "$recordlog" ] || e2e_fail "no record log at $recordlog"
    python3 "$arith" records "$out/write.log" "$recordlog"
    # The field warnings' line at each change (the test build's draw log).
    echo "Field warnings shown: $(grep -a -c ' warnings .' "$drawlog" || true)"
    grep -a ' warnings .' "$drawlog" | sed -E 's/^ *[0-9]+ //' | sort | uniq -c | head -n 20 || true
}

main "$@"
