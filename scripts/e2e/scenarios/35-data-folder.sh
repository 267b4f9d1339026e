# The data folder is 8-bit text in the settings: line 2 "C:\Données\" with é as the byte
# 0xE9 names the folder C:\Données (é, U+00E9) in the save dialog and for the new file,
# and the settings file keeps those bytes when the file's creation saves it. No console
# and GPS off, so the logging screen opens with no port and "&File" works at once; the
# leading point (line 14) and map display type (62) are already what the program sets
# without consoles, so the saved file must equal the one installed, byte for byte.

scenario_data_folder_is_8bit_text() {
    local main dialog file folder
    # awk reads escapes in its -v values: "\\\\" here is one backslash in the file.
    LC_ALL=C e2e_settings_variant "$E2E_OUT/settings-before.ini" "2=C:\\\\Donn$(printf '\351')es\\\\" 3=0 14=0 39=0 62=0
    e2e_write_settings "$E2E_OUT/settings-before.ini"
    folder="$E2E_PREFIX/drive_c/Donn$(printf '\303\251')es"
    e2e_start_main
    main="$E2E_MAIN"

    e2e_keys "$main" l
    sleep 2
    e2e_keys "$main" f
    dialog="$(e2e_window "Create Data File" 10)"
    e2e_screenshot save-dialog-in-the-data-folder
    e2e_close_window "$dialog" "Create Data File" Return
    sleep 1
    file="$(find "$folder" -maxdepth 1 -type f -name '*_000.*' 2>/dev/null | head -n 1 || true)"
    [ -n "$file" ] || e2e_fail "no new data file in $folder: $(find "$E2E_PREFIX/drive_c" -maxdepth 1)"
    e2e_log "data file $file"
    e2e_expect_same_bytes "$E2E_OUT/settings-before.ini" "$(e2e_settings_file)"

    e2e_keys "$main" x
    dialog="$(e2e_window "Confirm Exit" 10)"
    e2e_close_window "$dialog" "Confirm Exit" Return
    e2e_exit_by_x "$main"
}
