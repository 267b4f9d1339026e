# Killed while the settings file is saved. Every OK of a set-up dialog and every New
# Station rewrites the settings file: the program writes TESSELWIN.INI.new beside it,
# flushes it and puts it in the old file's place in one step. Here the Windows process
# gets SIGKILL while a save is under way: scripts/e2e/kill_on_save.py watches for the
# new file and kills a random 0..15 ms after it appears, while the script keeps saving;
# after a kill that came too late (the save had finished) the range is halved, as a busy
# machine saves faster than its watcher notices.
# Odd kills come during Survey Setup saves on the main window, each with another start
# station (line 55: the old and the new file differ), even kills during New Station
# saves on the logging screen with a file open (the same bytes written again). After
# every kill the settings file must be whole (79 lines, CR LF) and be the old one or
# the new one: nothing but line 55 differs from the file the start read, and line 55
# holds a station that was typed. The next start must read it as it is: no message, the
# file's bytes unchanged by the start (a rebuild would write other bytes) and the new
# file that the kill left removed. Last, a file cut short gives the "WARNING" box, the
# damaged file is kept as TESSELWIN-DAMAGED.INI and the defaults are written.
# E2E_KILLS=N sets the number of kills (2 here; scripts/reliability-settings-kills.sh
# runs 40). Kills that came after the save's rename are repeated and counted apart.
# time limit: 300 s

SAVE_KILL_LOG=""
SAVE_KILL_MAX_MS=15

save_kill_settings() {
    # No console and no GPS (the logging screen opens without ports, "&File" at
    # once), with the leading point (14) and map display type (62) the program
    # keeps then; a line name, audio ticks and pause key away from their defaults.
    e2e_settings_variant "$E2E_OUT/settings.ini" 3=0 14=0 26=0 29=2 39=0 51=K7 55=10.000000 62=0
    e2e_write_settings "$E2E_OUT/settings.ini"
}

save_kill_drawlog() { printf '%s\n' "$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt"; }

# Starts the program on the file as it is and checks that the start read it: no box,
# the bytes as they were, no new file left beside it.
save_kill_start() {
    local settings before="$E2E_OUT/before-start.ini"
    settings="$(e2e_settings_file)"
    e2e_check_settings_form "$settings"
    cp "$settings" "$before"
    WINEPREFIX="$E2E_PREFIX" timeout 15 wineserver -w || true
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    SAVE_KILL_MAIN="$(e2e_window Tesselog 30)"
    sleep 0.5
    ! grep -q '^.*prompt ' "$(save_kill_drawlog)" ||
        e2e_fail "a message at the start: $(grep 'prompt ' "$(save_kill_drawlog)" | head -n 1)"
    e2e_expect_same_bytes "$before" "$settings"
    [ ! -e "$settings.new" ] || e2e_fail "the new file of the killed save is still there after the start"
}

# One Survey Setup save with start station VALUE.
save_kill_survey() {
    local dialog
    e2e_program_running || return 1
    dialog="$(xdotool search --onlyvisible --name '^Survey Setup$' 2>/dev/null | head -n 1 || true)"
    if [ -z "$dialog" ]; then
        timeout 5 xdotool windowfocus "$SAVE_KILL_MAIN" 2>/dev/null || return 1
        timeout 5 xdotool key --clearmodifiers s 2>/dev/null || return 1
        e2e_wait_for 5 save_kill_window 'Survey Setup' || return 1
        dialog="$(xdotool search --onlyvisible --name '^Survey Setup$' 2>/dev/null | head -n 1 || true)"
    fi
    timeout 5 xdotool windowfocus "$dialog" 2>/dev/null || return 1
    sleep 0.1
    # shellcheck disable=SC2046  # one key name per digit
    timeout 10 xdotool key --clearmodifiers --delay 30 Tab Tab Tab Tab $(printf '%s' "$1" | sed 's/./& /g') \
        Return 2>/dev/null || return 1
    e2e_wait_for 5 e2e_no_window 'Survey Setup'
}

# One New Station save (OK with the station shown).
save_kill_station() {
    e2e_program_running || return 1
    timeout 5 xdotool windowfocus "$SAVE_KILL_MAIN" 2>/dev/null || return 1
    timeout 5 xdotool key --clearmodifiers n 2>/dev/null || return 1
    e2e_wait_for 5 save_kill_window 'New Station' || return 1
    timeout 5 xdotool key --clearmodifiers Return 2>/dev/null || return 1
    e2e_wait_for 5 e2e_no_window 'New Station'
}
save_kill_window() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

# The logging screen with a new data file open, for New Station.
save_kill_open_file() {
    local dialog
    e2e_keys "$SAVE_KILL_MAIN" l
    sleep 1
    e2e_keys "$SAVE_KILL_MAIN" f
    dialog="$(e2e_window "Create Data File" 20)"
    e2e_close_window_patiently "$dialog" "Create Data File" Return
    sleep 0.5
}

# One kill during a save of KIND (survey or station). Prints nothing; appends the
# watcher's line and the kind to the kill log. Returns 1 when the kill came after the
# save had finished (the rename done).
save_kill_once() {
    local kind="$1" first="$2" before="$E2E_OUT/before-kill.ini" settings watcher n=0 value typed line55
    settings="$(e2e_settings_file)"
    [ "$kind" = station ] && save_kill_open_file
    cp "$settings" "$before"
    typed=" $(sed -n 55p "$before" | tr -d '\r') "
    # Kill during the 1st to 3rd save from here.
    python3 "$E2E_ROOT/scripts/e2e/kill_on_save.py" "$E2E_PROGRAM_PID" "$settings" $((RANDOM % 3)) "$SAVE_KILL_MAX_MS" 60 \
        >"$E2E_OUT/watcher.txt" 2>&1 &
    watcher=$!
    e2e_track_pid "$watcher"
    while e2e_program_running && [ "$n" -lt 30 ]; do
        n=$((n + 1))
        if [ "$kind" = survey ]; then
            value=$((first + n))
            typed+="$value.000000 "
            save_kill_survey "$value" || true
        else
            save_kill_station || true
        fi
    done
    wait "$watcher" || e2e_fail "the watcher did not kill (status $?): $(cat "$E2E_OUT/watcher.txt")"
    e2e_wait_for 10 e2e_not_alive "$E2E_PROGRAM_PID" || e2e_fail "the program outlived SIGKILL"
    e2e_stop_prefix "$E2E_PREFIX"
    # Whole, and the old file or the new one.
    e2e_check_settings_form "$settings"
    line55="$(sed -n 55p "$settings" | tr -d '\r')"
    case "$typed" in *" $line55 "*) ;; *) e2e_fail "line 55 holds $line55, which was never saved" ;; esac
    [ -z "$(e2e_settings_diff "$before" "$settings" | grep -v '^55: ' || true)" ] ||
        e2e_fail "the file after the kill differs from the one before in more than line 55: $(e2e_settings_diff "$before" "$settings")"
    printf '%s %s %s\n' "$(cat "$E2E_OUT/watcher.txt")" "$kind" "$line55" >>"$SAVE_KILL_LOG"
    ! grep -q ' gone$' "$E2E_OUT/watcher.txt"
}

scenario_settings_killed_while_saving() {
    local kills="${E2E_KILLS:-2}" i=1 late=0 kind settings
    SAVE_KILL_LOG="$E2E_OUT/kills.txt"
    : >"$SAVE_KILL_LOG"
    save_kill_settings
    settings="$(e2e_settings_file)"
    while [ "$i" -le "$kills" ]; do
        save_kill_start
        [ "$i" -ne 1 ] || e2e_screenshot main-window-before-kills
        kind=survey
        [ $((i % 2)) -eq 1 ] || kind=station
        if save_kill_once "$kind" $((1000 * i)); then
            e2e_log "kill $i during a $kind save: $(tail -n 1 "$SAVE_KILL_LOG")"
            i=$((i + 1))
        else
            late=$((late + 1))
            SAVE_KILL_MAX_MS=$((SAVE_KILL_MAX_MS / 2))
            e2e_log "a kill after the $kind save had finished (not counted): $(tail -n 1 "$SAVE_KILL_LOG")"
            [ "$late" -le $((kills + 5)) ] || e2e_fail "$late kills came after the save; the watcher is too slow"
        fi
    done
    # The last file is read by a start that then ends in order.
    save_kill_start
    e2e_screenshot main-window-after-kills
    e2e_exit_by_x "$SAVE_KILL_MAIN"
    e2e_log "$kills kills during saves ($late after a save), every start read a whole file"

    # A file cut short: the box, the damaged file kept, the defaults written.
    head -c 200 "$settings" >"$E2E_OUT/cut.ini"
    cp "$E2E_OUT/cut.ini" "$settings"
    WINEPREFIX="$E2E_PREFIX" timeout 30 wineserver -w || true
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    e2e_window WARNING 30 >/dev/null
    e2e_screenshot settings-damaged-message
    grep -q 'prompt WARNING: The settings file C:\\ProgramData\\Brenvik\\Tesselog\\TESSELWIN.INI is cut short' \
        "$(save_kill_drawlog)" || e2e_fail "no damage message in the draw log"
    e2e_close_window "$(e2e_window WARNING 5)" WARNING Return
    e2e_expect_same_bytes "$E2E_OUT/cut.ini" "$(e2e_settings_dir)/TESSELWIN-DAMAGED.INI"
    e2e_expect_same_bytes "$E2E_GOLDEN_SETTINGS" "$settings"
    e2e_exit_by_x "$(e2e_window Tesselog 10)"
}
