# The computer sleeps in the middle of a recording and wakes again. Wine sends no power
# messages, so tesselog-power-event.exe, run under the same prefix, posts them to the
# main window as Windows would: PBT_APMSUSPEND, and after the sleep
# PBT_APMRESUMEAUTOMATIC and PBT_APMRESUMESUSPEND. The sleep itself is the program's
# process and the simulator stopped (SIGSTOP) for 20 s: nothing runs, nothing is read,
# the clock goes on. Then the file must be whole (tesselog-dump --check), each console
# and the GPS must have a break record in a gap of readings that covers the 20 s, the
# readings must go on after it (check_sleep.py), the warning line must say what
# happened, and the draw log must show the keep-awake request made when the logging
# screen opened and given back when it closed.
# time limit: 150 s

sleep_file() { find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | head -n 1; }

power_event() {
    WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all timeout 30 wine "$(dirname "$E2E_EXE")/tesselog-power-event.exe" "$1" ||
        e2e_fail "tesselog-power-event.exe $1 failed"
}

scenario_sleep_and_wake() {
    local main drawlog
    drawlog="$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt"
    e2e_three_consoles 140
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    main="$(e2e_window Tesselog 30)"
    e2e_record "$main"
    e2e_wait_for 5 grep -a -q "keep awake on" "$drawlog" || e2e_fail "no keep-awake request when the screen opened"
    sleep 12

    power_event suspend
    e2e_wait_for 10 grep -a -q "^.*power 4$" "$drawlog" || e2e_fail "the suspend did not reach the program"
    kill -STOP "$E2E_SIM_PID" "$E2E_PROGRAM_PID"
    e2e_log "asleep for 20 s"
    sleep 20
    power_event resume
    kill -CONT "$E2E_PROGRAM_PID"
    sleep 0.5
    kill -CONT "$E2E_SIM_PID"
    e2e_wait_for 10 grep -a -q "power 18" "$drawlog" || e2e_fail "the wake did not reach the program"
    sleep 15
    e2e_screenshot after-the-sleep
    grep -a "warnings Slept" "$drawlog" | tail -n 1 >"$E2E_OUT/note.txt"
    grep -a -q "ports reopened, breaks recorded" "$E2E_OUT/note.txt" ||
        e2e_fail "the warning line does not tell of the sleep: $(grep -a 'warnings' "$drawlog" | tail -n 2)"
    e2e_log "$(cat "$E2E_OUT/note.txt")"

    e2e_keys "$main" space
    sleep 1
    e2e_keys "$main" x
    e2e_close_window_patiently "$(e2e_window "Confirm Exit" 20)" "Confirm Exit" Return
    sleep 1
    grep -a -q "keep awake off" "$drawlog" || e2e_fail "the keep-awake request was not given back"
    e2e_keys "$main" x
    e2e_expect_exit 0 15
    e2e_stop_pid "$E2E_SIM_PID"
    cp "$(sleep_file)" "$E2E_OUT/sleep.mgr"
    "$E2E_ROOT/build/native/tools/tesselog-dump" --check "$E2E_OUT/sleep.mgr" >"$E2E_OUT/check.txt" 2>&1 ||
        e2e_fail "tesselog-dump --check failed: $(tail -n 3 "$E2E_OUT/check.txt")"
    python3 "$E2E_ROOT/scripts/e2e/check_sleep.py" "$E2E_OUT/sleep.mgr" 3 20 >"$E2E_OUT/sleep-check.txt" 2>&1 ||
        e2e_fail "sleep check: $(tail -n 2 "$E2E_OUT/sleep-check.txt")"
    e2e_log "$(cat "$E2E_OUT/check.txt") / $(tr '\n' ' ' <"$E2E_OUT/sleep-check.txt")"
}
