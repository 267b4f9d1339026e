# By keys alone, as with gloves: after a recording is paused, "i" enters the review, "+"
# (and the keypad's), "-" and Home zoom in, out and fit all (each draws the map anew
# from the file and shows another map size), an arrow moves the map and "i" leaves the
# review. "v" fits the readings scale to the last minute's readings and saves it in the
# settings file. "o" switches the sunlight display while recording, with any key as the
# pause key, and the recording goes on: no pause is written. Screenshots of the review
# and of the sunlight display, recording and paused, are taken.
# time limit: 170 s

keys_file() { find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | head -n 1; }
keys_count() { grep -a -c "$1" "$KEYS_DRAWLOG" || true; }
keys_map_size() { grep -a -o 'Map Size: *[0-9]* m' "$KEYS_DRAWLOG" | tail -n 1; }

# keys_expect_redraw KEY WHAT: KEY draws the map anew from the file once more.
keys_expect_redraw() {
    local before
    before="$(keys_count "replay track")"
    e2e_keys "$KEYS_MAIN" "$1"
    e2e_wait_for 10 test "$(keys_count "replay track")" -gt "$before" || e2e_fail "\"$1\" did not $2"
    sleep 1
    e2e_log "\"$1\" ($2): $(keys_map_size)"
}

scenario_keys_and_sunlight() {
    local size settings
    KEYS_DRAWLOG="$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt"
    settings="$(e2e_settings_file)"
    e2e_three_consoles 160 36=0 37=500
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    KEYS_MAIN="$(e2e_window Tesselog 30)"
    e2e_record "$KEYS_MAIN"
    sleep 30
    e2e_keys "$KEYS_MAIN" space
    sleep 1

    # The scale of 0..500 paints the field one blue; "v" fits it and saves it once.
    e2e_keys "$KEYS_MAIN" v
    e2e_wait_for 10 test "$(sed -n 37p "$settings" | tr -d '\r')" != "500.000000" ||
        e2e_fail "\"v\" did not fit the readings scale"
    e2e_log "fitted readings scale: $(sed -n 36p "$settings" | tr -d '\r') .. $(sed -n 37p "$settings" | tr -d '\r')"
    sleep 2
    e2e_screenshot fitted-scale

    size="$(keys_map_size)"
    e2e_keys "$KEYS_MAIN" i
    sleep 1
    keys_expect_redraw plus "zoom in"
    [ "$(keys_map_size)" != "$size" ] || e2e_fail "the map size did not change with \"+\""
    keys_expect_redraw KP_Add "zoom in (keypad)"
    e2e_screenshot review-zoomed-in
    keys_expect_redraw minus "zoom out"
    keys_expect_redraw Home "fit all"
    e2e_keys "$KEYS_MAIN" Left
    sleep 1
    e2e_screenshot review-fit-all
    keys_expect_redraw i "leave the review"
    [ "$(keys_map_size)" = "$size" ] || e2e_fail "the map size after the review is $(keys_map_size), not $size"

    # Sunlight while recording: any key pauses, but not "o".
    e2e_keys "$KEYS_MAIN" g
    sleep 3
    e2e_keys "$KEYS_MAIN" o
    sleep 12
    e2e_screenshot sunlight-recording
    [ "$(grep -a -c 'PAUSED' "$(keys_file)")" = 1 ] || e2e_fail "\"o\" paused the recording"
    grep -a -q "Sunlight=1" "$(e2e_settings_dir)/TESSELDS.INI" || e2e_fail "the sunlight display was not kept"
    e2e_keys "$KEYS_MAIN" space
    sleep 2
    e2e_screenshot sunlight-stand-by
    e2e_keys "$KEYS_MAIN" o
    sleep 2
    grep -a -q "Sunlight=0" "$(e2e_settings_dir)/TESSELDS.INI" || e2e_fail "the sunlight display was not switched off"

    e2e_keys "$KEYS_MAIN" x
    e2e_close_window_patiently "$(e2e_window "Confirm Exit" 20)" "Confirm Exit" Return
    sleep 1
    e2e_keys "$KEYS_MAIN" x
    e2e_expect_exit 0 15
    e2e_stop_pid "$E2E_SIM_PID"
    "$E2E_ROOT/build/native/tools/tesselog-dump" --check "$(keys_file)" >"$E2E_OUT/check.txt" 2>&1 ||
        e2e_fail "tesselog-dump --check failed: $(tail -n 3 "$E2E_OUT/check.txt")"
}
