# The track leaves the map and the operator enlarges it. A two-sensor console and a GGA
# receiver at 1 Hz; the simulator walks north at 25 m/s at a map size of 1 m, so the
# track crosses a map tile every 40 ms of walking and leaves the allowed tiles within a
# minute (the program keeps only a few tiles as bitmaps, so this costs no memory).
# Recording pauses with the "WARNING"; "g" is refused with another; "s" opens "Map Size",
# 5000 and Return accept a map that holds the track, and the screen names the grid
# thinned to fewer lines; "g" records again. The data file
# holds "$STARTED", "PAUSED BMP", "$STARTED" and "PAUSED" in that order.
# time limit: 150 s

scenario_map_overflow_and_larger_map() {
    local links="$E2E_OUT/links" main dialog events
    mkdir -p "$links"
    # One two-sensor console on COM4 (3, 17), no audio (26), GGA on COM2 (39..41), map
    # size 1 m (66).
    e2e_settings_variant "$E2E_OUT/settings.ini" 3=1 17=3 26=0 39=1 40=1 41=1 66=1
    e2e_write_settings "$E2E_OUT/settings.ini"
    e2e_map_ports "COM4=$links/console1" "COM2=$links/gps"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 1 --types 2 --rate 2 --gps-mode 1 --gps-rate 1 --speed 25 \
        --line-length 4000 --link-dir "$links" --duration 140
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    main="$(e2e_window Tesselog 30)"
    e2e_keys "$main" l
    sleep 3
    e2e_keys "$main" f
    e2e_close_window "$(e2e_window "Create Data File" 10)" "Create Data File" Return
    sleep 1
    e2e_keys "$main" g
    dialog="$(e2e_window WARNING 70)"
    e2e_screenshot overflow-warning
    e2e_close_window "$dialog" WARNING Return
    sleep 1
    e2e_keys "$main" g
    e2e_close_window "$(e2e_window WARNING 10)" WARNING Return
    sleep 1
    e2e_keys "$main" s
    dialog="$(e2e_window "Map Size" 10)"
    e2e_keys "$dialog" Home shift+End BackSpace 5 0 0 0
    e2e_close_window "$dialog" "Map Size" Return
    sleep 2
    e2e_no_window WARNING || e2e_fail "a map of 5000 m was refused"
    grep -a -q 'Map Size:.*5000 m' "$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt" ||
        e2e_fail "the map size 5000 is not shown"
    # The 5 m grid would fall below a pixel apart: it is thinned, and the screen says so.
    grep -a -q 'Grid thinned to [0-9]* m$' "$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt" ||
        e2e_fail "the thinned grid is not named on the screen"
    e2e_keys "$main" g
    sleep 5
    e2e_screenshot recording-again
    e2e_pause_and_quit "$main"
    cp "$(find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | head -n 1)" "$E2E_OUT/overflow.mgr"
    events="$("$E2E_ROOT/build/native/tools/tesselog-dump" "$E2E_OUT/overflow.mgr" |
        sed -n 's/.* event text="\([^"]*\)".*/\1/p' | tr '\n' '|')"
    [ "$events" = '$STARTED|PAUSED BMP|$STARTED|PAUSED|' ] || e2e_fail "the recordings were $events"
    e2e_log "recordings: $events"
}
