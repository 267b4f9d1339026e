#!/usr/bin/env bash
# A long survey day, accelerated: the real program (tesselog-drawlog.exe) under Wine and
# Xvfb, fed by the simulator at its highest rates (nine two-sensor consoles at the line
# rate, 56 sentences a second each, and GGA at 20 Hz: twenty times the fixes of a 1 Hz
# receiver, so 30 minutes carry ten hours of positions), driven by keys as an operator
# works: a quick line every two minutes (pause, "q", Yes, "g") and a new file every ten
# (pause, "E&xit", "&Logging", "&File", "g"), as a day of files below the position limit.
# Once a minute the program's GDI objects, handles and private bytes (its resource
# probe) and the Wine process's resident memory and threads (/proc) are sampled.
#
# Prints one line per minute and a summary; writes build/reliability-long-day/samples.txt.
# Asserts nothing; the curve goes into docs/reliability.md.
#
#   scripts/reliability-long-day.sh [MINUTES]      (default 32)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e/lib.sh"
minutes="${1:-32}"
out="$E2E_ROOT/build/reliability-long-day"
base_prefix="$E2E_ROOT/build/e2e/prefix-base"
exe="$(dirname "$E2E_EXE")/tesselog-drawlog.exe"

drawlog() { printf '%s/drive_c/ProgramData/Brenvik/Temp/drawlog.txt\n' "$E2E_PREFIX"; }

# open_then_close KEY TITLE CLOSE_KEYS...: KEY once on the main window, then CLOSE_KEYS
# in the window TITLE until it has gone. A screen at this load may take many seconds to
# show a dialog, and a key pressed again meanwhile would be typed into it.
open_then_close() {
    local key="$1" title="$2" window
    shift 2
    e2e_keys "$main" "$key"
    e2e_wait_for 60 e2e_has_window "$title" || e2e_fail "\"$key\" did not open \"$title\" within 60 s"
    window="$(xdotool search --onlyvisible --name "$(e2e_title_pattern "$title")" | head -n 1)"
    sleep 2
    e2e_close_window_patiently "$window" "$title" "$@"
}
e2e_has_window() { ! e2e_no_window "$1"; }

# The data files in C:\, newest last.
data_files() { ls -1tr "$E2E_PREFIX"/drive_c/*.mgr 2>/dev/null || true; }
records_written() { local f total=0; for f in $(data_files); do total=$((total + $(stat -c %s "$f") / 27)); done; echo "$total"; }

# "g" until the newest file grows: in "Stand By" nothing is written.
go() {
    local i file before
    for i in 1 2 3 4 5; do
        e2e_keys "$main" g
        sleep 3
        file="$(data_files | tail -n 1)"
        before="$(stat -c %s "$file")"
        sleep 2
        [ "$(stat -c %s "$file")" -gt "$before" ] && return 0
    done
    e2e_fail "\"g\" did not start recording"
}

new_file_and_go() {
    e2e_keys "$main" l
    sleep 4
    open_then_close f "Create Data File" Return
    sleep 1
    go
}

quick_line() {
    e2e_keys "$main" space
    sleep 1
    open_then_close q "Quick Line" Return
    sleep 1
    go
}

next_file() {
    e2e_keys "$main" space
    sleep 1
    open_then_close x "Confirm Exit" Return
    sleep 2
    new_file_and_go
}

# One line of figures: minute, the probe's last line, the process's VmRSS and threads.
sample() {
    local minute="$1" probe rss threads fds
    probe="$(grep -a ' resources ' "$(drawlog)" | tail -n 1 | sed -E 's/.* resources //')"
    rss="$(awk '/^VmRSS:/ { print $2 }' "/proc/$E2E_PROGRAM_PID/status" 2>/dev/null || echo '?')"
    # Wine keeps a Unix descriptor for each open file, port and event it serves: the
    # handle count as the host sees it (Wine's GetProcessHandleCount gives 0).
    fds="$(ls "/proc/$E2E_PROGRAM_PID/fd" 2>/dev/null | wc -l)"
    threads="$(awk '/^Threads:/ { print $2 }' "/proc/$E2E_PROGRAM_PID/status" 2>/dev/null || echo '?')"
    printf '%3d min  %s  rss_kb=%s fds=%s threads=%s records=%s files=%s\n' "$minute" "$probe" "$rss" "$fds" "$threads" \
        "$(records_written)" "$(data_files | wc -l)" | tee -a "$out/samples.txt"
}

main() {
    rm -rf "$out"
    e2e_init "$out"
    e2e_prepare_base_prefix "$base_prefix"
    e2e_prefix_copy "$base_prefix" "$out/prefix"
    e2e_use_prefix "$out/prefix"
    e2e_start_xvfb 19 2>>"$out/run.log"
    local links="$out/links" k ports=() lines=(3=9 26=0 27=0 29=0 39=1 40=1 41=1 62=1) minute
    for k in 0 1 2 3 4 5 6 7 8; do lines+=("$((5 + k))=1" "$((17 + k))=$((3 + k))"); done
    e2e_settings_variant "$out/settings.ini" "${lines[@]}"
    e2e_write_settings "$out/settings.ini"
    mkdir -p "$links"
    ports=("COM2=$links/gps")
    for k in 1 2 3 4 5 6 7 8 9; do ports+=("COM$((k + 3))=$links/console$k"); done
    e2e_map_ports "${ports[@]}" 2>>"$out/run.log"
    e2e_start_sim "$out/sim.log" --consoles 9 --types 2 --rate 56 --gps-mode 1 --gps-rate 20 \
        --gps-baud 115200 --lines 2000 --line-length 100 --link-dir "$links" --duration $((minutes * 60 + 600))
    export TESSELOG_RESOURCE_PROBE=60 TESSELOG_QUIET_LOGS=1
    e2e_start_program "$exe"
    main="$(e2e_window Tesselog 30)"
    echo "A long day under Wine: 9 two-sensor consoles at 56/s and GGA at 20 Hz for $minutes min" | tee "$out/samples.txt"
    new_file_and_go
    for ((minute = 1; minute <= minutes; minute++)); do
        sleep 55
        sample "$minute"
        if ((minute % 10 == 0)); then
            next_file
        elif ((minute % 2 == 0)); then
            quick_line
        fi
        e2e_program_running || e2e_fail "the program ended (code $(e2e_exit_code))"
    done
    e2e_screenshot end-of-day
    e2e_keys "$main" space
    sleep 1
    open_then_close x "Confirm Exit" Return
    sleep 2
    e2e_keys "$main" x
    e2e_expect_exit 0 30 >&2
    local f
    for f in $(data_files); do
        "$E2E_ROOT/build/native/tools/tesselog-dump" --check "$f" | tee -a "$out/samples.txt"
    done
    grep -a ' prompt ' "$(drawlog)" | sed 's/^/message: /' | tee -a "$out/samples.txt" || true
}
main "$@"
