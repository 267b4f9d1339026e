# First start: no settings file yet, only its folder (which the program never creates).
# The program writes the 79-line file of defaults, shows the main window, and "x" ends
# it with exit code 0.

scenario_first_start() {
    e2e_make_settings_dir
    local settings main
    settings="$(e2e_settings_file)"
    [ ! -e "$settings" ] || e2e_fail "settings file present before the first start"

    e2e_start_main
    main="$E2E_MAIN"
    e2e_wait_for 10 test -s "$settings" || e2e_fail "no settings file written at start-up"
    sleep 0.5   # the file is written line by line; let the last write land
    e2e_check_settings_form "$settings"
    e2e_expect_same_bytes "$E2E_GOLDEN_SETTINGS" "$settings"
    e2e_screenshot main-window-defaults

    e2e_exit_by_x "$main"
    e2e_expect_same_bytes "$E2E_GOLDEN_SETTINGS" "$settings"
}
