# The golden replay scenarios through the real program: the scenario's capture is
# played onto pty-backed COM ports on its own clock, its operator commands are sent
# as keys at their times, and the data file the program writes must hold the same
# records as the scenario's expected file, apart from ticks, dates and times (and a
# reading, GPS or segment record at the very edge of a recording, where a key lands some
# milliseconds off its scenario time). See scripts/e2e/play_golden.py.
#
# The map overflow survey is replayed only: the player does not yet answer its refused
# "&Go" and its two "Map &Size" dialogs reliably (they come while it feeds the ports).
# 75-map-overflow.sh drives an overflow and its remedy through the program by keys.
# time limit: 180 s

# golden_in_program NAME SETTINGS_EDITS...
golden_in_program() {
    local name="$1" folder links settings fifo player file seconds
    shift
    folder="$E2E_ROOT/tests/scenarios/$name"
    links="$E2E_OUT/links"
    mkdir -p "$links"
    settings="$E2E_OUT/settings.ini"
    e2e_settings_variant "$settings" 26=0 "$@"
    e2e_write_settings "$settings"
    e2e_map_ports "COM4=$links/console1" "COM5=$links/console2" "COM6=$links/console3" "COM2=$links/gps"
    e2e_start_main

    fifo="$E2E_OUT/player.in"
    mkfifo "$fifo"
    PLAYER_SHOTS="$E2E_OUT" python3 "$E2E_ROOT/scripts/e2e/play_golden.py" play "$folder" "$links" "$E2E_MAIN" <"$fifo" \
        >"$E2E_OUT/player.log" 2>&1 &
    player=$!
    e2e_track_pid "$player"
    exec 7>"$fifo"
    e2e_wait_for 10 grep -q ready "$E2E_OUT/player.log" || e2e_fail "the player made no ports"
    echo begin >&7
    # The scenario's last command time, and some room for the dialogs.
    seconds=$(awk '/^[0-9]+ / { last = $1 } END { print int(last / 1000) + 30 }' "$folder/scenario")
    e2e_wait_for "$seconds" grep -q done "$E2E_OUT/player.log" || e2e_fail "the player did not finish"
    exec 7>&-
    e2e_screenshot "$name-after-exit"
    file="$(find "$E2E_PREFIX/drive_c" -maxdepth 1 \( -iname '*.mgr' -o -iname '*.gxy' \) | head -n 1)"
    [ -n "$file" ] || e2e_fail "the program wrote no data file"
    cp "$file" "$E2E_OUT/program.data"
    python3 "$E2E_ROOT/scripts/e2e/play_golden.py" compare "$folder"/expected.* "$E2E_OUT/program.data" \
        >"$E2E_OUT/compare.txt" 2>&1 || e2e_fail "$(grep FAIL "$E2E_OUT/compare.txt" | head -n 3)"
    e2e_log "$(tail -n 1 "$E2E_OUT/compare.txt")"
    e2e_keys "$E2E_MAIN" x
    e2e_expect_exit 0 15
}

# Two consoles on COM4 and COM5, GPS off: line 3 console count, 17..18 ports, 39 GPS.
scenario_golden_no_gps_in_program() { golden_in_program no_gps 3=2 17=3 18=4 39=0; }

# No console, GGA on COM2.
scenario_golden_gps_only_in_program() { golden_in_program gps_only 3=0 39=1 40=1 41=1; }

# Three consoles on COM4..COM6 and GGA+GSA on COM2, one-way lines heading north.
scenario_golden_survey_in_program() { golden_in_program survey 17=3 18=4 19=5 39=1 40=0 41=1 53=1 54=2; }
