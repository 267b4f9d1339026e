# A whole survey driven by keys: three two-sensor consoles on COM4..COM6 and a GGA+GSA
# GPS on COM2, all from the simulator. "l" opens the logging screen, "f" and Return
# create the proposed data file, "g" records 30 s, a key pauses, a new line comes
# through the menu, "g" records 20 s, a key pauses, "q" starts a quick line, "c" writes
# the comment TEST1, "n" sets station 25, "g" records while the simulator stops console 2 for 4 s, a key
# pauses, "x" and No stay in Stand By, "x" and Return leave. The data file is then checked with tesselog-dump
# --check and record by record against what the simulator sent (check_survey.py). The repaint after the
# "Confirm Exit" box keeps the GPS block's last texts (read from the draw log), and the screenshots while
# recording and after the first pause are the ones of docs/screenshots/.
# time limit: 240 s

survey_file() { find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | head -n 1; }

# The latitude each status repaint drew after line FROM of the draw log: the value written
# next after the "Lat:" label, one line per repaint.
drawlog_repainted_latitudes() {
    tail -n +"$2" "$1" | awk '
        / text [-0-9]+,[-0-9]+ Lat:$/ { label = 1; next }
        label && / textin / { sub(/^ *[0-9]+ textin [-0-9,]+ [-0-9,]+ [-0-9,]+ /, ""); print; label = 0 }'
}

scenario_survey_three_consoles_and_gps() {
    local exe settings links main dialog file started stop_at drawlog before latitudes bad
    exe="$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    drawlog="$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt"
    links="$E2E_OUT/links"
    mkdir -p "$links"

    # Consoles 1..3 on COM4..COM6 (lines 17..19), GPS on (39) in mode 0 (40) on COM2
    # (41), no audio ticks (26); three two-sensor consoles are the defaults.
    settings="$E2E_OUT/settings.ini"
    e2e_settings_variant "$settings" 17=3 18=4 19=5 26=0 39=1 40=0 41=1
    e2e_write_settings "$settings"
    e2e_map_ports "COM4=$links/console1" "COM5=$links/console2" "COM6=$links/console3" "COM2=$links/gps"

    # Console 2 stops 4 s from second 100 on: inside the third recording.
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 3 --types 2 --rate 10 --gps-mode 0 --gps-rate 5 \
        --stop console2@100+4 --link-dir "$links" --capture "$E2E_OUT/capture" --duration 170
    started=$SECONDS
    e2e_start_program "$exe"
    main="$(e2e_window Tesselog 30)"

    e2e_keys "$main" l
    sleep 3
    e2e_no_window "Serial Port" || e2e_fail "a port did not open"
    e2e_screenshot logging-monitoring

    e2e_keys "$main" f
    dialog="$(e2e_window "Create Data File" 10)"
    e2e_close_window "$dialog" "Create Data File" Return
    sleep 1
    file="$(survey_file)"
    [ -n "$file" ] || e2e_fail "no data file in C:\\ after \"&File\""
    e2e_log "data file $(basename "$file")"
    e2e_screenshot logging-stand-by

    e2e_keys "$main" g
    sleep 15
    e2e_screenshot logging-recording
    sleep 15
    e2e_keys "$main" space
    sleep 1
    e2e_screenshot logging-paused

    # New line through the menu: "m", then "l" in the pop-up, then OK.
    e2e_keys "$main" m
    sleep 1
    e2e_keys "$main" l
    dialog="$(e2e_window "New Survey Line" 10)"
    e2e_close_window "$dialog" "New Survey Line" Return
    e2e_keys "$main" g
    sleep 20
    e2e_keys "$main" space
    sleep 1

    e2e_keys "$main" q
    dialog="$(e2e_window "Quick Line" 10)"
    e2e_close_window "$dialog" "Quick Line" Return
    e2e_keys "$main" c
    dialog="$(e2e_window "Maximum 11 characters" 10)"
    e2e_keys "$dialog" shift+t shift+e shift+s shift+t 1
    e2e_close_window "$dialog" "Maximum 11 characters" Return
    e2e_keys "$main" n
    dialog="$(e2e_window "New Station" 10)"
    e2e_keys "$dialog" 2 5
    e2e_close_window "$dialog" "New Station" Return

    # Record across console 2's silence at second 100 of the simulator's run.
    stop_at=$((started + 92))
    [ "$SECONDS" -lt "$stop_at" ] || e2e_fail "the survey ran late: the console stop has passed"
    e2e_keys "$main" g
    while [ "$SECONDS" -lt $((stop_at + 16)) ]; do sleep 1; done
    e2e_screenshot logging-after-console-break
    e2e_keys "$main" space
    sleep 1

    # "x" with the file open asks; No keeps the screen in Stand By, Yes leaves. The repaint
    # under the closed box draws the last fix's latitude, not "N/A".
    before="$(($(wc -l <"$drawlog") + 1))"
    e2e_keys "$main" x
    dialog="$(e2e_window "Confirm Exit" 10)"
    e2e_close_window "$dialog" "Confirm Exit" n
    sleep 1
    e2e_screenshot logging-exit-answered-no
    latitudes="$(drawlog_repainted_latitudes "$drawlog" "$before")"
    [ -n "$latitudes" ] || e2e_fail "no repaint of the status area after the \"Confirm Exit\" box"
    bad="$(grep -a -v -E '^[NS][0-9]{2}' <<<"$latitudes" | head -n 1 || true)"
    [ -z "$bad" ] || e2e_fail "a repaint drew the latitude as \"$bad\""
    e2e_log "the repaint kept the latitude $(tail -n 1 <<<"$latitudes")"
    e2e_keys "$main" x
    dialog="$(e2e_window "Confirm Exit" 10)"
    e2e_close_window "$dialog" "Confirm Exit" Return
    sleep 1
    e2e_screenshot main-after-exit
    e2e_keys "$main" x
    e2e_expect_exit 0 15

    # The simulator writes the rest of its capture when it ends.
    e2e_stop_pid "$E2E_SIM_PID"
    cp "$file" "$E2E_OUT/survey.mgr"
    "$E2E_ROOT/build/native/tools/tesselog-dump" --check "$E2E_OUT/survey.mgr" >"$E2E_OUT/dump-check.txt" 2>&1 ||
        e2e_fail "tesselog-dump --check failed: $(tail -n 3 "$E2E_OUT/dump-check.txt")"
    python3 "$E2E_ROOT/scripts/e2e/check_survey.py" "$E2E_OUT/survey.mgr" "$E2E_OUT/capture" \
        >"$E2E_OUT/check.txt" 2>&1 || e2e_fail "survey check failed: $(tail -n 5 "$E2E_OUT/check.txt")"
    e2e_log "$(tail -n 1 "$E2E_OUT/check.txt")"
}
