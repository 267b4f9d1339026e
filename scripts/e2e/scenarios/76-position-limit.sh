# The position limit. A file of the project's own making (scripts/make-full-size-file.sh)
# holds 28,790 positions, ten below the most a file may hold; the program continues it
# with nine two-sensor consoles and a GGA receiver at 10 Hz, and "g" records. About a
# second later the 28,800th position ends the program in order: the "STOP" box, then exit
# code 0, and the file on the disk whole (tesselog-dump --check) with the positions of
# this recording after its appended header.
# time limit: 240 s

LIMIT_FIXES=28790

scenario_position_limit_ends_in_order() {
    local file="$E2E_PREFIX/drive_c/near.mgr" links="$E2E_OUT/links" main dialog text groups
    e2e_near_limit_survey "$LIMIT_FIXES"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 9 --types 2 --rate 10 --gps-mode 1 --gps-rate 10 \
        --line-length 700 --link-dir "$links" --duration 230
    e2e_start_program
    main="$(e2e_window Tesselog 30)"
    e2e_keys "$main" l
    sleep 4
    e2e_keys "$main" f
    dialog="$(e2e_window "Create Data File" 20)"
    e2e_keys "$dialog" Home shift+End BackSpace n e a r period m g r
    e2e_close_window "$dialog" "Create Data File" Return
    e2e_close_window "$(e2e_window INFORMATION 90)" INFORMATION Return
    sleep 2
    e2e_keys "$main" g
    dialog="$(e2e_window STOP 30)"
    e2e_window_screenshot "$dialog" position-limit-stop
    e2e_close_window "$dialog" STOP Return
    e2e_expect_exit 0 15
    "$E2E_ROOT/build/native/tools/tesselog-dump" --check "$file" >"$E2E_OUT/check.txt" 2>&1 ||
        e2e_fail "the file is not whole: $(cat "$E2E_OUT/check.txt")"
    # The position groups of this recording: after the appended header, at most the nine
    # that were still below the limit (the 28,800th sentence is not written).
    groups="$(awk 'index($0, "rESSEL  W") == 1 { n = 0 } /^@/ { n++ } END { print n + 0 }' "$file")"
    [ "$groups" -ge 1 ] && [ "$groups" -le $((28800 - LIMIT_FIXES - 1)) ] ||
        e2e_fail "$groups position groups after the appended header"
    e2e_log "STOP after $groups new positions; exit 0; $(cat "$E2E_OUT/check.txt")"
}
