# With GPS disabled (settings line 39 = 0), "GPS M&onitoring" (o) and "&Map Options" (m)
# show only the "INFORMATION" box. The set-up here is a mixed one: nine consoles of both
# types, so the main window's summary and array sketch show the widest case.

# Nine consoles (line 3), types 2,1,2,2,1,2,1,2,2 sensors (lines 5-13), GPS disabled.
write_mixed_gps_disabled_settings() {
    local file="$E2E_OUT/settings-before.ini"
    e2e_settings_variant "$file" 3=9 5=1 6=0 7=1 8=1 9=0 10=1 11=0 12=1 13=1 39=0
    e2e_write_settings "$file"
}

# Presses KEY, expects the INFORMATION box, closes it with Return, and checks that no
# dialog titled NOT_TITLE opened.
expect_information_box() {
    local main="$1" key="$2" shot="$3" not_title="$4" box
    box="$(e2e_open_dialog "$main" "$key" INFORMATION)"
    e2e_screenshot "$shot"
    e2e_close_window "$box" INFORMATION Return
    sleep 0.5   # time for a dialog that should not come
    e2e_no_window "$not_title" || e2e_fail "\"$not_title\" opened with GPS disabled"
}

scenario_gps_disabled_information() {
    write_mixed_gps_disabled_settings
    local settings main survey
    settings="$(e2e_settings_file)"
    e2e_start_main
    main="$E2E_MAIN"
    sleep 1
    e2e_screenshot main-window-nine-consoles-gps-disabled

    expect_information_box "$main" o information-after-o "Monitor GPS"
    expect_information_box "$main" m information-after-m "Map Display Options"

    # The main window is still in front and takes its keys: Survey Setup opens.
    survey="$(e2e_open_dialog "$main" s "Survey Setup")"
    e2e_close_window "$survey" "Survey Setup" Escape

    e2e_exit_by_x "$main"
    e2e_expect_same_bytes "$E2E_OUT/settings-before.ini" "$settings"
}
