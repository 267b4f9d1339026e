# A second file after Survey Setup starts at the new start station. One two-sensor
# console, no GPS, alternate lines. The first file records a few seconds and the screen is
# left; Survey Setup then sets the start station to 100, and a second file records again.
# Its first reading is taken at station 100, so after N readings of console 1 the current
# station is 100 + (N - 1); the quick line of an alternate survey starts its new line at
# that station, and the file's line block shows it. (Before Survey Setup restarted the
# count, the first reading of the second file was already at 101.)

# time limit: 120 s

station_data_files() { find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | sort; }

# Records from "g" to the pause for about SECONDS, in the file that is open.
record_for() {
    e2e_keys "$E2E_MAIN" g
    sleep "$1"
    e2e_keys "$E2E_MAIN" p   # any key pauses
}

create_file_and_record() {
    local dialog
    e2e_keys "$E2E_MAIN" f
    dialog="$(e2e_window "Create Data File" 10)"
    e2e_close_window "$dialog" "Create Data File" Return
    record_for 3
}

leave_logging_screen() {
    local dialog
    e2e_keys "$E2E_MAIN" x
    dialog="$(e2e_window "Confirm Exit" 10)"
    e2e_close_window "$dialog" "Confirm Exit" Return
}

scenario_survey_setup_restarts_the_station_count() {
    local links dialog second dump readings expected
    links="$E2E_OUT/links"
    mkdir -p "$links"
    # One console on COM4 (lines 3, 17), audio ticks off (26), GPS off (39), alternate
    # lines (53) with station increment 1 (56).
    e2e_settings_variant "$E2E_OUT/settings.ini" 3=1 17=3 26=0 39=0 53=0 56=1.000000
    e2e_write_settings "$E2E_OUT/settings.ini"
    e2e_map_ports "COM4=$links/console1"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 1 --types 2 --no-gps --link-dir "$links" --duration 100
    e2e_start_main

    e2e_keys "$E2E_MAIN" l
    sleep 1
    create_file_and_record 3
    leave_logging_screen

    # Survey Setup: Survey Line, Line Increment, Line Sequence, Direction, Start Station.
    dialog="$(e2e_open_dialog "$E2E_MAIN" s "Survey Setup")"
    e2e_close_window "$dialog" "Survey Setup" Tab Tab Tab Tab 1 0 0 Return
    [ "$(sed -n 55p "$(e2e_settings_file)" | tr -d '\r')" = "100.000000" ] ||
        e2e_fail "Survey Setup did not store the start station 100"

    e2e_keys "$E2E_MAIN" l
    sleep 1
    create_file_and_record 3
    e2e_keys "$E2E_MAIN" q
    dialog="$(e2e_window "Quick Line" 10)"
    e2e_close_window "$dialog" "Quick Line" Return
    e2e_screenshot second-file-after-quick-line
    leave_logging_screen
    e2e_keys "$E2E_MAIN" x
    e2e_expect_exit 0 15

    second="$(station_data_files | sed -n 2p)"
    [ -n "$second" ] || e2e_fail "no second data file"
    dump="$E2E_OUT/second.txt"
    "$E2E_ROOT/build/native/tools/tesselog-dump" "$second" >"$dump" || e2e_fail "tesselog-dump failed on $second"
    readings="$(grep -c 'reading console=1 ' "$dump" || true)"
    [ "$readings" -ge 2 ] || e2e_fail "only $readings console-1 readings in the second file"
    expected="$(awk -v n="$readings" 'BEGIN { printf "station=%.2f", 100 + n - 1 }')"
    grep 'line-start station=' "$dump" | head -n 1 | grep -q 'station=100.00$' ||
        e2e_fail "the second file's first line does not start at 100: $(grep 'line-start' "$dump" | head -n 1)"
    grep 'line-start station=' "$dump" | sed -n 2p | grep -q "$expected\$" ||
        e2e_fail "after $readings readings the quick line starts at $(grep 'line-start' "$dump" | sed -n 2p), not $expected"
    e2e_log "$readings readings from station 100; the quick line starts at $expected"
}
