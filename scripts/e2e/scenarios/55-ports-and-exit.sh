# Starting and leaving the logging screen without GPS. Two consoles: console 1 on COM4,
# fed by the simulator, console 2 on COM30, which has no device. "l" shows COM30's
# "Serial Port" message and the main window stays (console 1's port is closed again).
# System Setup then takes the console count down to one, and a second "l" opens the
# logging screen, where "&File" works at once (no GPS to wait for): "f" opens "Create
# Data File", Escape cancels it, and "x" with no file open returns to the main window
# without asking. "x" there ends the program.

scenario_port_failure_then_logging_without_gps() {
    local links main dialog
    links="$E2E_OUT/links"
    mkdir -p "$links"
    # Two consoles (line 3) on COM4 and COM30 (17, 18), GPS off (39).
    e2e_settings_variant "$E2E_OUT/settings.ini" 3=2 17=3 18=29 26=0 39=0
    e2e_write_settings "$E2E_OUT/settings.ini"
    e2e_map_ports "COM4=$links/console1"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 1 --types 2 --no-gps --link-dir "$links" --duration 60
    e2e_start_main
    main="$E2E_MAIN"

    e2e_keys "$main" l
    dialog="$(e2e_window "Serial Port" 10)"
    e2e_screenshot port-failure
    e2e_close_window "$dialog" "Serial Port" Return
    e2e_keys "$main" f
    sleep 1
    e2e_no_window "Create Data File" || e2e_fail "\"f\" reached a logging screen that should not be open"

    # System Setup: the first control is Number of Consoles; Up takes it from 2 to 1.
    dialog="$(e2e_open_dialog "$main" t "System Setup")"
    e2e_close_window "$dialog" "System Setup" Up Return
    e2e_keys "$main" l
    sleep 2
    e2e_no_window "Serial Port" || e2e_fail "the second \"&Logging\" did not open console 1's port"
    e2e_screenshot logging-without-gps
    e2e_keys "$main" f
    dialog="$(e2e_window "Create Data File" 10)"
    e2e_close_window "$dialog" "Create Data File" Escape

    e2e_keys "$main" x
    sleep 1
    e2e_no_window "Confirm Exit" || e2e_fail "\"x\" with no file open asked \"Exit Logging?\""
    e2e_screenshot main-after-exit
    e2e_keys "$main" x
    e2e_expect_exit 0 15
}
