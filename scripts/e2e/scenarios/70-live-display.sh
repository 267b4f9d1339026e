# What the operator sees while recording. Three two-sensor consoles and a GGA receiver
# from the simulator walk four lines over its buried features in the colour display:
# the swath is painted in the amplitude colours, the profiles scroll, the numbers and the
# speed bar move. After a pause "t" shows the profile view and brings the map back, and a
# dialog that covers the panes is closed with Escape: the panes are painted again (the
# numbers header is drawn anew, read from the draw log). The data file's swath edges lie
# where the array walked, and the readings the map placed at each strong feature show
# it (check_swath.py with the simulator's --field-out). A second run in the positions
# display, with a total station's grid coordinates in US survey feet, shows the sensors
# as dots along the walked lines. A third, with lines closer than the swath is wide,
# leaves less than 0.5 % of the painted swath white (scripts/measure-swath-white.py); a
# fourth does so under a receiver four times faster than the consoles, where most fixes
# carry no reading, while a console silent for 3 s still leaves its strip white.
# time limit: 200 s

live_file() { find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | head -n 1; }

# live_survey SECONDS SIM_OPTIONS... -- SETTINGS_EDITS...: sets up, starts the simulator
# and the program, creates the proposed file and records for SECONDS.
live_survey() {
    local seconds="$1" links sim_options=() edits=() dialog
    shift
    while [ "$1" != "--" ]; do sim_options+=("$1"); shift; done
    shift
    edits=("$@")
    links="$E2E_OUT/links"
    mkdir -p "$links"
    # Consoles on COM4..COM6 (lines 17..19), GPS on COM2 (39, 41), no audio ticks (26),
    # any key pauses (29), the antenna over the array's middle with no offset along the
    # track, as the simulator carries it (49, 50), readings scale 30..230 (36, 37), map
    # size 40 (66).
    e2e_settings_variant "$E2E_OUT/settings.ini" 17=3 18=4 19=5 26=0 29=0 36=30 37=230 39=1 41=1 \
        49=2.5 50=0 66=40 "${edits[@]}"
    e2e_write_settings "$E2E_OUT/settings.ini"
    e2e_map_ports "COM4=$links/console1" "COM5=$links/console2" "COM6=$links/console3" "COM2=$links/gps"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 3 --types 2 --rate 10 --gps-rate 5 --lines 4 \
        --line-length 24 --speed 1.5 --anomalies 6 --seed 3 --field-out "$E2E_OUT/field.txt" \
        --link-dir "$links" --duration 150 "${sim_options[@]}"
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    LIVE_MAIN="$(e2e_window Tesselog 30)"
    e2e_keys "$LIVE_MAIN" l
    sleep 3
    e2e_no_window "Serial Port" || e2e_fail "a port did not open"
    e2e_keys "$LIVE_MAIN" f
    dialog="$(e2e_window "Create Data File" 10)"
    e2e_close_window "$dialog" "Create Data File" Return
    sleep 1
    [ -n "$(live_file)" ] || e2e_fail "no data file in C:\\ after \"&File\""
    e2e_keys "$LIVE_MAIN" g
    sleep "$seconds"
}

# live_finish NAME CHECK_OPTIONS...: pauses, leaves, and checks the data file's swath.
live_finish() {
    local name="$1" dialog
    shift
    e2e_keys "$LIVE_MAIN" x
    dialog="$(e2e_window "Confirm Exit" 10)"
    e2e_close_window "$dialog" "Confirm Exit" Return
    sleep 1
    e2e_keys "$LIVE_MAIN" x
    e2e_expect_exit 0 15
    e2e_stop_pid "$E2E_SIM_PID"
    cp "$(live_file)" "$E2E_OUT/$name.mgr"
    "$E2E_ROOT/build/native/tools/tesselog-dump" --check "$E2E_OUT/$name.mgr" >"$E2E_OUT/$name-check.txt" 2>&1 ||
        e2e_fail "tesselog-dump --check failed: $(tail -n 3 "$E2E_OUT/$name-check.txt")"
    python3 "$E2E_ROOT/scripts/e2e/check_swath.py" "$E2E_OUT/$name.mgr" "$@" >"$E2E_OUT/$name-swath.txt" 2>&1 ||
        e2e_fail "swath check failed: $(tail -n 4 "$E2E_OUT/$name-swath.txt")"
    e2e_log "$name: $(tail -n 1 "$E2E_OUT/$name-swath.txt")"
}

numbers_header_drawn_since() { tail -n +"$2" "$1" | grep -a -q ' text [0-9-]*,7 Sensor L$'; }

scenario_live_colour_display() {
    local drawlog before dialog
    drawlog="$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt"
    # Colour display (62), GGA (40).
    live_survey 50 --gps-mode 1 -- 40=1 62=1
    e2e_screenshot live-colour-recording
    sleep 20
    e2e_keys "$LIVE_MAIN" space
    sleep 1
    e2e_keys "$LIVE_MAIN" t
    sleep 4
    e2e_screenshot live-profile-view
    e2e_keys "$LIVE_MAIN" t
    sleep 2

    # "&Comment" covers the panes; Escape closes it and every pane paints again.
    e2e_keys "$LIVE_MAIN" c
    dialog="$(e2e_window "Maximum 11 characters" 10)"
    e2e_screenshot live-covered-by-dialog
    before="$(($(wc -l <"$drawlog") + 1))"
    e2e_close_window "$dialog" "Maximum 11 characters" Escape
    # Under load the repaint can come a few seconds after the dialog has gone.
    e2e_wait_for 10 numbers_header_drawn_since "$drawlog" "$before" ||
        e2e_fail "the panes were not painted again after the dialog closed (no numbers header in the draw log)"
    e2e_screenshot live-after-dialog
    live_finish colour --field "$E2E_OUT/field.txt" --min-edges 200
}

scenario_live_positions_display() {
    # Positions display with dots of size 2 (62, 58), a total station's grid coordinates
    # in metres (mode 7, line 40) shown in US survey feet (15).
    live_survey 25 --gps-mode 7 --grid-unit M -- 15=2 40=7 58=2 62=0
    e2e_screenshot live-positions-recording
    e2e_keys "$LIVE_MAIN" space
    sleep 1
    live_finish positions --min-edges 80
}

scenario_live_colour_coverage() {
    local shot
    # Lines 5 m apart under a swath 6 m wide, so the swaths overlap: no white may be left
    # inside the painted area. 10 Hz consoles and a 5 Hz receiver give one to three readings
    # per sensor and step.
    live_survey 70 --gps-mode 1 --lines 6 --line-spacing 5 -- 40=1 62=1
    e2e_keys "$LIVE_MAIN" space
    sleep 2
    e2e_screenshot live-colour-coverage
    shot="$(ls "$E2E_OUT"/*-live-colour-coverage.png)"
    python3 "$E2E_ROOT/scripts/measure-swath-white.py" "$shot" --max-percent 0.5 \
        --picture "${shot%.png}-white.png" >"$E2E_OUT/coverage.txt" 2>&1 ||
        e2e_fail "white inside the swath: $(tail -n 1 "$E2E_OUT/coverage.txt")"
    e2e_log "coverage: $(tail -n 1 "$E2E_OUT/coverage.txt")"
    live_finish coverage --min-edges 250
}

# LIVE_FAST_RATE, LIVE_FAST_GPS_RATE (default 5 and 20), LIVE_FAST_SILENCE (seconds,
# default 3; 0 for none) and LIVE_FAST_MAP_SIZE (metres, default 40) give the other
# figures of docs/performance.md.
scenario_live_colour_fast_receiver() {
    local shot rate="${LIVE_FAST_RATE:-5}" gps_rate="${LIVE_FAST_GPS_RATE:-20}" silence="${LIVE_FAST_SILENCE:-3}"
    local map="${LIVE_FAST_MAP_SIZE:-40}" stop=() hole=() area
    # Console 2 (the array's middle, 2 m of the 6 m swath) is silent from 44 s, in the
    # middle of line 3 (lines of 24 m at 1.5 m/s and a 5 m step across: 19.3 s each). Its
    # readings cover two of their intervals, so that strip is white for the rest of the
    # silence: (silence - 2 / rate) x 1.5 m long and 2 m wide, at 544 / map size pixels a
    # metre (13.6 on the 40 m map); at least half of that must show.
    if [ "$silence" != 0 ]; then
        stop=(--stop "console2@44+$silence")
        area="$(python3 -c "p = 544.0 / $map; print(int(($silence - 2.0 / $rate) * 1.5 * p * 2 * p / 2))")"
        hole=(--hole "$area")
    fi
    # GGA at 38400 baud in the simulator and the settings (42), as 20 fixes a second do not
    # fit in 9600.
    live_survey 70 --gps-mode 1 --gps-baud 38400 --rate "$rate" --gps-rate "$gps_rate" --lines 6 \
        --line-spacing 5 "${stop[@]}" -- 40=1 42=3 62=1 66="$map"
    e2e_keys "$LIVE_MAIN" space
    sleep 2
    e2e_screenshot live-colour-fast-receiver
    shot="$(ls "$E2E_OUT"/*-live-colour-fast-receiver.png)"
    python3 "$E2E_ROOT/scripts/measure-swath-white.py" "$shot" --max-percent 0.5 "${hole[@]}" \
        --picture "${shot%.png}-white.png" >"$E2E_OUT/coverage.txt" 2>&1 ||
        e2e_fail "white inside the swath: $(tr '\n' ' ' <"$E2E_OUT/coverage.txt")"
    e2e_log "coverage at $rate Hz under $gps_rate Hz: $(tr '\n' ' ' <"$E2E_OUT/coverage.txt")"
    live_finish fast-receiver --min-edges 800
}
