# Killed at any moment. Nine two-sensor consoles at the line rate (56 sentences a second
# each) and a GGA receiver at 10 Hz from the simulator; the program records into
# C:\kill.mgr and its Windows process is killed (SIGKILL: no clean-up of any kind) at a
# random moment 0.2..4 s after "g". After every kill the file must hold only whole
# records and whole GPS groups (tesselog-dump --check, a length in whole records), and
# the next start must continue it: "&File", the same name, the count box, "g". After the
# last kill the file is continued once more and closed in order, and it must then hold
# every part: one new file header and one appended header per start.
# E2E_KILLS=N sets the number of kills (3 here; scripts/reliability-kills.sh runs 50).
# time limit: 170 s

KILL_FILE_NAME="kill.mgr"

kill_settings() {
    local k lines=(3=9 26=0 27=0 29=0 39=1 40=1 41=1)
    for k in 0 1 2 3 4 5 6 7 8; do lines+=("$((5 + k))=1" "$((17 + k))=$((3 + k))"); done
    e2e_settings_variant "$E2E_OUT/settings.ini" "${lines[@]}"
    e2e_write_settings "$E2E_OUT/settings.ini"
}

kill_start_sim() {
    local links="$E2E_OUT/links" k ports=()
    mkdir -p "$links"
    ports=("COM2=$links/gps")
    for k in 1 2 3 4 5 6 7 8 9; do ports+=("COM$((k + 3))=$links/console$k"); done
    e2e_map_ports "${ports[@]}"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 9 --types 2 --rate 56 --gps-mode 1 --gps-rate 10 \
        --gps-baud 38400 --lines 400 --line-length 60 --link-dir "$links" --duration 7200
}

# The logging screen of a fresh start, with the file chosen in "&File": a new file the
# first time, the same file continued afterwards (its count box closed).
kill_start_recording() {
    local main dialog
    WINEPREFIX="$E2E_PREFIX" timeout 15 wineserver -w || true
    e2e_start_program
    main="$(e2e_window Tesselog 30)"
    e2e_keys "$main" l
    sleep 3
    e2e_no_window "Serial Port" || e2e_fail "a port did not open"
    e2e_keys "$main" f
    dialog="$(e2e_window "Create Data File" 20)"
    e2e_close_window_patiently "$dialog" "Create Data File" Home shift+End BackSpace k i l l period m g r Return
    if [ -f "$E2E_OUT/kill-before.mgr" ]; then
        e2e_close_window_patiently "$(e2e_window INFORMATION 30)" INFORMATION Return
        sleep 1
        e2e_no_window INFORMATION || e2e_fail "a second message after the count box (a torn end cut?)"
    fi
    sleep 1
    e2e_keys "$main" g
    # Under the full load a key can come before the screen takes it: "g" once more
    # when no reading has been recorded after a few seconds.
    if ! e2e_wait_for 5 kill_recording_started; then
        e2e_keys "$main" g
        e2e_wait_for 10 kill_recording_started || e2e_fail "\"g\" did not start recording"
    fi
    KILL_MAIN="$main"
}

# The file holds a "$STARTED" after its last header.
kill_recording_started() {
    tail -c 200000 "$E2E_PREFIX/drive_c/$KILL_FILE_NAME" 2>/dev/null |
        awk 'index($0, "ESSEL  W") == 2 { started = 0 } /^X\$STARTED/ { started = 1 } END { exit !started }'
}

# The file as the kill left it: whole records and groups only, and longer than before.
kill_check_file() {
    local file="$1" size before
    size="$(stat -c %s "$file")"
    [ $((size % 27)) -eq 0 ] || e2e_fail "$(basename "$file"): $size bytes, not whole records"
    "$E2E_ROOT/build/native/tools/tesselog-dump" --check "$file" >>"$E2E_OUT/checks.txt" 2>&1 ||
        e2e_fail "tesselog-dump --check refused the file: $(tail -n 1 "$E2E_OUT/checks.txt")"
    before="$(stat -c %s "$E2E_OUT/kill-before.mgr" 2>/dev/null || echo 0)"
    [ "$size" -gt "$before" ] || e2e_fail "the file did not grow ($before -> $size bytes)"
    cp "$file" "$E2E_OUT/kill-before.mgr"
}

scenario_killed_while_recording() {
    local kills="${E2E_KILLS:-3}" i moment file="$E2E_PREFIX/drive_c/$KILL_FILE_NAME" headers
    kill_settings
    kill_start_sim
    for ((i = 1; i <= kills; i++)); do
        kill_start_recording
        moment="$(awk -v seed="$RANDOM" 'BEGIN { srand(seed); printf "%.2f", 0.2 + 3.8 * rand() }')"
        sleep "$moment"
        [ "$i" -ne 1 ] || e2e_screenshot recording-before-kill
        kill -KILL "$E2E_PROGRAM_PID" || e2e_fail "the program had ended before kill $i"
        e2e_wait_for 10 e2e_not_alive "$E2E_PROGRAM_PID" || e2e_fail "the program outlived SIGKILL"
        kill_check_file "$file"
        e2e_log "kill $i at $moment s after g: $(($(stat -c %s "$file") / 27)) records, whole"
        printf '%s %s %s\n' "$i" "$moment" "$(($(stat -c %s "$file") / 27))" >>"$E2E_OUT/kills.txt"
    done
    # Continued once more, and this time left in order.
    kill_start_recording
    sleep 2
    e2e_screenshot recording-after-kills
    e2e_pause_and_quit "$KILL_MAIN"
    kill_check_file "$file"
    headers="$(grep -a -c '^rESSEL  W' "$file" || true)"
    [ "$headers" -eq "$kills" ] || e2e_fail "$headers appended headers after $kills kills, expected $kills"
    grep -a -q '^TESSEL  W' "$file" || e2e_fail "the first header is gone"
    e2e_log "$kills kills, every file whole; $((kills + 1)) parts in $(($(stat -c %s "$file") / 27)) records"
}
