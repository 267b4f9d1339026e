# The display scale of a current field computer, 150% and 200%: Wine's own display
# scale (HKCU\Control Panel\Desktop LogPixels, what winecfg sets) at 144 and 192 DPI,
# on an Xvfb screen of 2560 x 2048. At each the main window, the logging screen while
# recording, and three dialogs (System Setup and Array Geometry Setup of the main
# window, Map Display Options of the logging screen) are taken as screenshots, and the
# window's size is checked against the scale: 1024 x 762 at 96 DPI becomes 1536 x 1143
# at 144 and 2048 x 1524 at 192, whose client (the X window, without Wine's frame of 3
# pixels a side and its caption, which grows with the scale) is 1530 x 1109 and
# 2042 x 1481. The recording goes on through it all
# (tesselog-dump --check).
# time limit: 260 s

scale_file() { find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | head -n 1; }

# scale_run DPI WIDTH HEIGHT: one start of the program at DPI, its window expected
# WIDTH x HEIGHT.
scale_run() {
    local dpi="$1" width="$2" height="$3" main geometry
    e2e_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null ||
        e2e_fail "could not set LogPixels"
    WINEPREFIX="$E2E_PREFIX" timeout 60 wineserver -w
    rm -f "$E2E_PREFIX"/drive_c/*.mgr "$E2E_PREFIX"/drive_c/*.MGR
    e2e_three_consoles 120 56=0.1
    e2e_start_main
    main="$E2E_MAIN"
    geometry="$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: //p')"
    e2e_log "$dpi DPI: main window $geometry"
    [ "$geometry" = "${width}x${height}" ] || e2e_fail "$dpi DPI: main window $geometry, expected ${width}x${height}"
    e2e_window_screenshot "$main" "main-$dpi"
    e2e_open_dialog "$main" t "System Setup"
    e2e_window_screenshot "$(e2e_window "System Setup")" "system-setup-$dpi"
    e2e_close_window "$(e2e_window "System Setup")" "System Setup" Escape
    e2e_open_dialog "$main" a "Array Geometry Setup"
    e2e_window_screenshot "$(e2e_window "Array Geometry Setup")" "array-geometry-$dpi"
    e2e_close_window "$(e2e_window "Array Geometry Setup")" "Array Geometry Setup" Escape

    e2e_record "$main"
    [ -n "$(scale_file)" ] || e2e_fail "no data file after \"&File\""
    sleep 25
    e2e_window_screenshot "$main" "recording-$dpi"
    e2e_keys "$main" space
    sleep 1
    e2e_open_dialog "$main" d "Map Display Options"
    e2e_window_screenshot "$(e2e_window "Map Display Options")" "map-display-options-$dpi"
    e2e_close_window "$(e2e_window "Map Display Options")" "Map Display Options" Escape
    cp "$(scale_file)" "$E2E_OUT/survey-$dpi.mgr"
    e2e_keys "$main" x
    e2e_close_window_patiently "$(e2e_window "Confirm Exit" 20)" "Confirm Exit" Return
    sleep 1
    e2e_keys "$main" x
    e2e_expect_exit 0 15
    e2e_stop_pid "$E2E_SIM_PID"
    "$E2E_ROOT/build/native/tools/tesselog-dump" --check "$E2E_OUT/survey-$dpi.mgr" >"$E2E_OUT/check-$dpi.txt" 2>&1 ||
        e2e_fail "$dpi DPI: tesselog-dump --check failed: $(tail -n 3 "$E2E_OUT/check-$dpi.txt")"
}

scenario_display_scale() {
    E2E_DISPLAY="" E2E_SCREEN=2560x2048x24 e2e_start_xvfb 70
    scale_run 144 1530 1109
    scale_run 192 2042 1481
}
