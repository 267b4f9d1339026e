# The option dialogs of the logging screen, each opened by its letter with the simulator's
# console and GGA receiver running. For each dialog the same keys are sent twice: once
# closed by Return (OK), after which exactly the expected settings lines have changed,
# and once closed by Escape, after which the file's bytes are as before. The first group
# runs before a data file is open; New Survey Line, New Station and Comment need one, and
# the last two change no setting but write records, which tesselog-dump then shows.
#
# Table: letter | dialog title | keys in the dialog | expected "line: old -> new" changes
# (";" between several; empty when OK must leave the file as it was). The first control
# has the focus when a dialog opens. Map Size rewrites an emptied size as "1" at once, so
# its new value is typed over the selected old one.
# time limit: 200 s

LOGGING_DIALOGS_WITHOUT_FILE=(
    "r|Readings Scale|End shift+Home BackSpace 1 0|36: 0.000000 -> 10.000000"
    "b|Set New Speed Bar Scale|End shift+Home BackSpace 8|38: 5.000000 -> 8.000000"
    "a|Audio Options|Tab space|27: 1 -> 0"
    "s|Map Size|End shift+Home 8 0|66: 40 -> 80"
    "d|Map Display Options|End shift+Home BackSpace 5 0|66: 80 -> 50"
    "p|Setup Profile Options|Tab Tab Down|32: 2 -> 3"
    "w|GPS Warning Mask|Up|68: 1 -> 0"
    "u|Set Coordinates Display Units|Down|73: 0 -> 1"
)
# The proposals of an alternate survey heading South from line 1: line 2.00, heading
# North, the station increment negated. The comment dialog's caption is its hint.
LOGGING_DIALOGS_WITH_FILE=(
    "l|New Survey Line||51: 1 -> 2.00;54: 1 -> 2;56: 1.000000 -> -1.000000"
    "n|New Station|End shift+Home BackSpace 7|"
    "c|Maximum 11 characters|h e d g e|"
)

logging_dialogs_file() { find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | head -n 1; }

# logging_dialog_case ROW [Return|Escape]: opens the dialog by its letter, sends its keys,
# closes it and checks the settings file against the copy taken before.
logging_dialog_case() {
    local close="$2" letter title keys expected settings before dialog changes=()
    IFS='|' read -r letter title keys expected <<<"$1"
    settings="$(e2e_settings_file)"
    before="$E2E_OUT/before-$letter-$close.ini"
    cp "$settings" "$before"
    dialog="$(e2e_open_dialog "$E2E_MAIN" "$letter" "$title")"
    # shellcheck disable=SC2086  # the key list is split on purpose
    [ -z "$keys" ] || e2e_keys "$dialog" $keys
    [ "$close" = Escape ] || e2e_window_screenshot "$dialog" "dialog-$(tr 'A-Z ' 'a-z-' <<<"$title")"
    # The colour display's scale window stands beside "Readings Scale" while it is open.
    [ "$close" = Escape ] || [ "$letter" != r ] || e2e_screenshot readings-scale-with-colour-scale
    e2e_close_window "$dialog" "$title" "$close"
    sleep 0.5   # the screen redraws what the dialog changed
    if [ "$close" = Escape ] || [ -z "$expected" ]; then
        e2e_expect_same_bytes "$before" "$settings"
    else
        IFS=';' read -r -a changes <<<"$expected"
        e2e_expect_settings_change "$before" "$settings" "${changes[@]}"
    fi
    e2e_log "$title: $close checked"
}

scenario_logging_screen_dialogs() {
    local links row dialog dump
    links="$E2E_OUT/links"
    mkdir -p "$links"
    # One two-sensor console on COM4, a GGA receiver on COM2, no audio ticks.
    e2e_settings_variant "$E2E_OUT/settings.ini" 3=1 5=1 17=3 26=0 39=1 40=1 41=1
    e2e_write_settings "$E2E_OUT/settings.ini"
    e2e_map_ports "COM4=$links/console1" "COM2=$links/gps"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 1 --types 2 --gps-rate 5 --link-dir "$links" --duration 190
    e2e_start_main
    e2e_keys "$E2E_MAIN" l
    sleep 3

    for row in "${LOGGING_DIALOGS_WITHOUT_FILE[@]}"; do
        logging_dialog_case "$row" Escape
        logging_dialog_case "$row" Return
    done
    e2e_screenshot coordinates-in-utm-metres

    e2e_keys "$E2E_MAIN" f
    dialog="$(e2e_window "Create Data File" 10)"
    e2e_close_window "$dialog" "Create Data File" Return
    sleep 1
    for row in "${LOGGING_DIALOGS_WITH_FILE[@]}"; do
        logging_dialog_case "$row" Escape
        logging_dialog_case "$row" Return
    done

    e2e_keys "$E2E_MAIN" x
    dialog="$(e2e_window "Confirm Exit" 10)"
    e2e_close_window "$dialog" "Confirm Exit" Return
    e2e_exit_by_x "$E2E_MAIN"

    # One station record at 7 and one comment: the Escapes wrote nothing.
    dump="$E2E_OUT/file.txt"
    "$E2E_ROOT/build/native/tools/tesselog-dump" "$(logging_dialogs_file)" >"$dump" ||
        e2e_fail "tesselog-dump failed"
    [ "$(grep -c ' station station=' "$dump" || true)" -eq 1 ] && grep -q ' station station=7\.00 ' "$dump" ||
        e2e_fail "not one station record at 7: $(grep ' station station=' "$dump" | head -n 3)"
    [ "$(grep -c ' comment text=' "$dump" || true)" -eq 1 ] && grep -q ' comment text="hedge"' "$dump" ||
        e2e_fail "not one comment \"hedge\": $(grep ' comment text=' "$dump" | head -n 3)"
}
