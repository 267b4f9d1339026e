# The field warnings while recording, fed by the simulator's faults: each shows in the
# status line within the time measured for it (docs/decisions.md, "Field warnings"),
# plus a margin for the start of the simulator's clock and the draw log, and clears by
# itself once the fault ends. No box opens. The data file passes tesselog-dump --check
# and the settings file changes only where the same survey without warnings changes it.
# Each run puts several faults into one recording.
# time limit: 100 s

FW_MARGIN=3  # seconds beyond the measured time: the simulator starts before the port opens

fw_drawlog() { printf '%s\n' "$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt"; }
fw_file() { find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | head -n 1; }

# fw_record SIM_OPTIONS... -- SETTINGS_EDITS...: three two-sensor consoles and a GGA
# receiver from the simulator; "&File" and "&Go". FW_T0 is the simulator's start.
fw_record() {
    local links sim_options=() edits=() dialog
    while [ "$1" != "--" ]; do sim_options+=("$1"); shift; done
    shift
    edits=("$@")
    links="$E2E_OUT/links"
    mkdir -p "$links"
    # Consoles on COM4..COM6, GPS on COM2 with GGA, no audio ticks, any key pauses,
    # the antenna over the array's middle, colour display, map size 40.
    e2e_settings_variant "$E2E_OUT/settings.ini" 17=3 18=4 19=5 26=0 29=0 36=30 37=230 39=1 40=1 41=1 \
        49=2.5 50=0 62=1 66=40 "${edits[@]}"
    e2e_write_settings "$E2E_OUT/settings.ini"
    e2e_map_ports "COM4=$links/console1" "COM5=$links/console2" "COM6=$links/console3" "COM2=$links/gps"
    FW_T0=$SECONDS
    # The receiver's clock is the computer's, unless a run says otherwise.
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 3 --types 2 --gps-rate 5 --line-length 30 --speed 1 \
        --seed 5 --start-time now --link-dir "$links" --duration 200 "${sim_options[@]}"
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    FW_MAIN="$(e2e_window Tesselog 30)"
    e2e_keys "$FW_MAIN" l
    sleep 3
    e2e_no_window "Serial Port" || e2e_fail "a port did not open"
    e2e_keys "$FW_MAIN" f
    dialog="$(e2e_window "Create Data File" 10)"
    e2e_close_window "$dialog" "Create Data File" Return
    sleep 1
    [ -n "$(fw_file)" ] || e2e_fail "no data file in C:\\ after \"&File\""
    fw_go
}

# "&Go"; fw_finish looks for boxes from here on.
fw_go() {
    FW_GO_LINE=$(($(wc -l <"$(fw_drawlog)") + 1))
    e2e_keys "$FW_MAIN" g
}

# The test build writes the whole warning line to the draw log at each change
# ("warnings A | B"), also the texts the screen had no room for.
fw_shown() { grep -a -q -E " warnings .*$1" "$(fw_drawlog)"; }
fw_last_line() { grep -a ' warnings ' "$(fw_drawlog)" | tail -n 1 | sed -E 's/^.* warnings ?//'; }

# fw_expect_warning TEXT SIM_SECONDS: TEXT is in the warning line by SIM_SECONDS of the
# simulator's time (plus the margin).
fw_expect_warning() {
    local text="$1" by="$2" left
    left=$((FW_T0 + by + FW_MARGIN - SECONDS))
    [ "$left" -gt 0 ] || left=1
    e2e_wait_for "$left" fw_shown "$text" ||
        e2e_fail "\"$text\" not shown by ${by}+${FW_MARGIN} s of the simulator's time"
    e2e_log "\"$text\" shown at $((SECONDS - FW_T0)) s (due by $by s)"
}

fw_line_empty() { fw_shown . && [ -z "$(fw_last_line)" ]; }

fw_expect_cleared() {
    local by="$1" left
    left=$((FW_T0 + by + FW_MARGIN - SECONDS))
    [ "$left" -gt 0 ] || left=1
    e2e_wait_for "$left" fw_line_empty || e2e_fail "the warning line was not empty by ${by}+${FW_MARGIN} s"
    e2e_log "warning line empty at $((SECONDS - FW_T0)) s (due by $by s)"
}

# Pause, leave, check the file and that no box was shown after "&Go".
fw_finish() {
    local name="$1" dialog
    e2e_keys "$FW_MAIN" space
    sleep 1
    e2e_keys "$FW_MAIN" x
    dialog="$(e2e_window "Confirm Exit" 10)"
    e2e_close_window "$dialog" "Confirm Exit" Return
    sleep 1
    e2e_keys "$FW_MAIN" x
    e2e_expect_exit 0 15
    e2e_stop_pid "$E2E_SIM_PID"
    ! tail -n +"$FW_GO_LINE" "$(fw_drawlog)" | grep -a ' prompt ' | grep -a -v -q ' prompt Confirm Exit: ' ||
        e2e_fail "a box was shown while recording: $(tail -n +"$FW_GO_LINE" "$(fw_drawlog)" | grep -a ' prompt ' | head -n 1)"
    cp "$(fw_file)" "$E2E_OUT/$name.mgr"
    "$E2E_ROOT/build/native/tools/tesselog-dump" --check "$E2E_OUT/$name.mgr" >"$E2E_OUT/$name-check.txt" 2>&1 ||
        e2e_fail "tesselog-dump --check failed: $(tail -n 3 "$E2E_OUT/$name-check.txt")"
    [ -f "$(e2e_settings_dir)/TESSELQC.INI" ] || e2e_fail "TESSELQC.INI was not made beside the settings"
    # "&File" saves the settings, which writes the numbers the installed file gave as
    # "30" in the program's own form ("30.000000"); no value changes.
    cp "$(e2e_settings_file)" "$E2E_OUT/settings-after.ini"
    e2e_check_settings_form "$E2E_OUT/settings-after.ini"
    e2e_settings_diff "$E2E_OUT/settings.ini" "$E2E_OUT/settings-after.ini" >"$E2E_OUT/settings-diff.txt" || true
    ! awk -F': | -> ' '$2 + 0 != $3 + 0 || $2 !~ /^-?[0-9.]+$/' "$E2E_OUT/settings-diff.txt" | grep -q . ||
        e2e_fail "a settings value changed: $(tr '\n' ';' <"$E2E_OUT/settings-diff.txt")"
}

scenario_field_warnings_sensors() {
    # Sensor 1 frozen, sensor 3 saturated, sensor 4 ten times as noisy and console 3's
    # second field (sensor 6) garbled, all from 18 s to 38 s of the simulator's time.
    fw_record --frozen 1@18+20 --saturated 3@18+20 --noisy 4@18+20x10 --garbled-field 3@18+20 --
    fw_expect_warning "Sensor 3 saturated" 20
    fw_expect_warning "Sensor 6 value garbled" 20
    # Noise: the 5 s window half noisy, then so for half the window.
    fw_expect_warning "Sensor 4 noisy" 25
    fw_expect_warning "Sensor 1 frozen" 28
    e2e_wait_for 2 grep -a -q -E ' textin [0-9-]+,[0-9-]+ [0-9-]+,[0-9-]+ [0-9-]+,[0-9-]+ frozen$' "$(fw_drawlog)" ||
        e2e_fail "no \"frozen\" in the numbers pane"
    # Four warnings do not fit the line: the most important ones and the count.
    e2e_wait_for 2 grep -a -q -E ' textin [0-9-]+,2 .* \| \+[1-3] more$' "$(fw_drawlog)" ||
        e2e_fail "the line does not count the warnings it has no room for"
    e2e_screenshot field-warnings-sensors
    fw_expect_cleared 42
    e2e_screenshot field-warnings-sensors-cleared
    fw_finish sensors
}

scenario_field_warnings_frozen() {
    # Sensor 2 alone frozen from 18 s to 38 s while the other five move with their
    # noise: shown 10 s after it froze, gone at its first change after 38 s.
    fw_record --frozen 2@18+20 --
    fw_expect_warning "Sensor 2 frozen" 28
    sleep 1
    e2e_screenshot field-warnings-frozen
    fw_expect_cleared 40
    e2e_screenshot field-warnings-frozen-cleared
    fw_finish frozen
}

# Waits until SECONDS of the simulator's time.
fw_sleep_until() {
    local left=$((FW_T0 + $1 - SECONDS))
    [ "$left" -le 0 ] || sleep "$left"
}

# The warning line lacks TEXT now.
fw_gone() { ! fw_last_line | grep -q -F "$1"; }

scenario_field_warnings_walking() {
    # Four readings a second per console, so that a jog of 2.5 m/s (16 s to 22 s) puts
    # them 0.63 m apart, over the 0.4 m target, and the walk of 1 m/s after it 0.25 m;
    # lines 1 and 2 one sensor interval (1 m) further apart than the swath is wide: a
    # missed traverse. The walker creeps until the recording runs.
    fw_record --rate 4 --line-length 30 --wide-gap 1:1 \
        --speed-change 0:0.2 --speed-change 12:1 --speed-change 16:2.5 --speed-change 22:1 --
    fw_expect_warning "Too fast: readings" 20
    e2e_screenshot field-warnings-too-fast
    e2e_wait_for $((FW_T0 + 27 + FW_MARGIN - SECONDS)) fw_gone "Too fast" || e2e_fail "\"Too fast\" stayed after 27 s"
    e2e_log "\"Too fast\" gone at $((SECONDS - FW_T0)) s"
    # Line 1 ends at about 30.6 s and line 2 begins 7 m later: a pause in the turn,
    # "&Go" on line 2.
    fw_sleep_until 31
    e2e_keys "$FW_MAIN" space
    fw_sleep_until 38
    e2e_keys "$FW_MAIN" g
    fw_expect_warning "1 gap between lines" 44
    sleep 4
    e2e_screenshot field-warnings-gap
    fw_finish walking
}

LIMITS_FIXES=25915  # five below 90 % of the 28,800 positions a file may hold

scenario_field_warnings_limits() {
    local links="$E2E_OUT/links" dialog
    e2e_near_limit_survey "$LIMITS_FIXES"
    FW_T0=$SECONDS
    # The receiver's clock 3 s ahead of the computer's.
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 9 --types 2 --rate 10 --gps-mode 1 --gps-rate 10 \
        --start-time now --clock-offset 3 --line-length 700 --link-dir "$links" --duration 230
    # The test build's disk with 45 MB free and a battery at 12 % losing 4 % a minute.
    TESSELOG_FREE_DISK_MB=45 TESSELOG_BATTERY=12,4 e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    FW_MAIN="$(e2e_window Tesselog 30)"
    e2e_keys "$FW_MAIN" l
    sleep 4
    fw_expect_warning "Battery 12% - data saved, plug in the charger" 20
    e2e_keys "$FW_MAIN" f
    dialog="$(e2e_window "Create Data File" 20)"
    e2e_keys "$dialog" Home shift+End BackSpace n e a r period m g r
    e2e_close_window "$dialog" "Create Data File" Return
    e2e_close_window "$(e2e_window INFORMATION 90)" INFORMATION Return
    fw_expect_warning "Disk: 45 MB free" $((SECONDS - FW_T0 + 2))
    fw_go
    # 2,885 positions left at 10 a second: under 10 minutes once the rate is measured,
    # fifteen seconds after "&Go" (the first five left out, as the port's backlog); the
    # appended file's track drawn first can hold the key a few seconds.
    fw_expect_warning "Positions: 4 min left - start a new file" $((SECONDS - FW_T0 + 25))
    # The fix's time against the clock as the sentence is handled, which is some tenths
    # of a second after the fix; decided after ten seconds of fixes.
    fw_expect_warning "PC clock [23]\.[0-9] s behind GPS" 30
    fw_expect_warning "Battery 10% - data saved, change the battery now" 40
    ! grep -a -q ' warnings .*&' "$(fw_drawlog)" || e2e_fail "a warning shows an accelerator's \"&\""
    e2e_screenshot field-warnings-limits
    # Paused, the menu's "&Field Warnings": the battery's box off, OK. The file beside
    # the settings says so and the battery's warning leaves the line at once.
    e2e_keys "$FW_MAIN" space
    sleep 1
    e2e_keys "$FW_MAIN" m f
    dialog="$(e2e_window "Field Warnings" 10)"
    sleep 1
    e2e_window_screenshot "$dialog" dialog-field-warnings
    e2e_keys "$dialog" alt+b
    e2e_close_window "$dialog" "Field Warnings" Return
    # The file is written once the dialog has gone, which a busy machine can take a moment over.
    e2e_wait_for 5 grep -q $'^Battery=0\r$' "$(e2e_settings_dir)/TESSELQC.INI" ||
        e2e_fail "TESSELQC.INI does not hold Battery=0"
    e2e_wait_for 2 fw_gone "Battery" || e2e_fail "the battery's warning stayed after it was switched off"
    fw_finish limits
}
