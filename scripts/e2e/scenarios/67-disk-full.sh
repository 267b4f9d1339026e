# The data file's disk fills up while recording, and the operator goes on on another
# disk. A tmpfs of 96 KiB is mounted and given to Wine as drive E:, the data folder is
# E:\ (settings line 2); two two-sensor consoles at 20 Hz and a GGA receiver at 10 Hz
# (about 4 KB a second with the map's segment records) fill it within half a minute of
# "g". The program must stop recording with the "FILE ERROR" box; then "f" creates
# C:\after.mgr, "g" records there, the pause and "E&xit" end the program with code 0.
# The file on E: holds whole records and groups only (tesselog-dump --check, a multiple
# of 27 bytes); C:\after.mgr holds a header, "$STARTED" and readings.
# Needs root (mount); where mounting is not permitted the scenario is skipped (SKIP).
# time limit: 100 s

# Unmounts the disk; lazily when something still holds it open.
disk_full_unmount() {
    local disk="$1"
    mountpoint -q "$disk" || return 0
    umount "$disk" 2>/dev/null || umount -l "$disk" 2>/dev/null || true
}

scenario_disk_full() {
    local links="$E2E_OUT/links" disk="$E2E_OUT/disk-e" main dialog full after size dump
    mkdir -p "$links" "$disk"
    # Mounting needs root and a machine that allows it; where it is not allowed the
    # scenario is reported as skipped, and the unit tests DataFileFailure.* still run.
    if ! mount -t tmpfs -o size=96k tmpfs "$disk" 2>"$E2E_OUT/mount.txt"; then
        [ "$(id -u)" -eq 0 ] && ! grep -q -i 'permission denied\|not permitted' "$E2E_OUT/mount.txt" &&
            e2e_fail "cannot mount a tmpfs of 96 KiB on $disk: $(cat "$E2E_OUT/mount.txt")"
        e2e_skip "this machine does not allow mounting a file system: $(head -n 1 "$E2E_OUT/mount.txt")"
    fi
    # Unmounted whatever happens, after the program and the simulator (started later,
    # so stopped first) and before the prefix's wineserver.
    e2e_track_command disk_full_unmount "$disk"
    ln -sfn "$disk" "$E2E_PREFIX/dosdevices/e:"
    # Two two-sensor consoles on COM4, COM5 (3, 17, 18), no audio (26), GGA on COM2
    # (39..41), data folder E:\ (2).
    e2e_settings_variant "$E2E_OUT/settings.ini" "2=E:\\\\" 3=2 17=3 18=4 26=0 39=1 40=1 41=1
    e2e_write_settings "$E2E_OUT/settings.ini"
    e2e_map_ports "COM4=$links/console1" "COM5=$links/console2" "COM2=$links/gps"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 2 --types 2 --rate 20 --gps-mode 1 --gps-rate 10 \
        --link-dir "$links" --duration 95
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    main="$(e2e_window Tesselog 30)"
    e2e_keys "$main" l
    sleep 3
    e2e_keys "$main" f
    dialog="$(e2e_window "Create Data File" 10)"
    e2e_close_window "$dialog" "Create Data File" Return
    sleep 1
    full="$(find "$disk" -maxdepth 1 -type f -iname '*.mgr' | head -n 1)"
    [ -n "$full" ] || e2e_fail "no data file on E: (does Wine see the drive?)"
    e2e_log "recording to $full"
    e2e_keys "$main" g

    dialog="$(e2e_window "FILE ERROR" 60)"
    sleep 0.5
    e2e_screenshot file-error
    e2e_close_window "$dialog" "FILE ERROR" Return
    sleep 1
    e2e_no_window "FILE ERROR" || e2e_fail "a second FILE ERROR box"
    [ "$(grep -a -c 'prompt FILE ERROR: Writing to the data file failed' \
        "$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt")" = 1 ] ||
        e2e_fail "not one \"FILE ERROR\" box of a failed write"
    e2e_screenshot monitoring-after-the-error

    e2e_keys "$main" f
    dialog="$(e2e_window "Create Data File" 10)"
    e2e_keys "$dialog" ctrl+a c colon backslash a f t e r period m g r
    e2e_close_window "$dialog" "Create Data File" Return
    sleep 1
    e2e_keys "$main" g
    sleep 5
    e2e_screenshot recording-on-c
    e2e_pause_and_quit "$main"

    dump="$E2E_ROOT/build/native/tools/tesselog-dump"
    cp "$full" "$E2E_OUT/full.mgr"
    size="$(stat -c %s "$full")"
    [ $((size % 27)) -eq 0 ] || e2e_fail "the file on E: is $size bytes, not whole records"
    "$dump" --check "$E2E_OUT/full.mgr" >"$E2E_OUT/full-check.txt" 2>&1 ||
        e2e_fail "the file on E: fails the check: $(tail -n 3 "$E2E_OUT/full-check.txt")"
    after="$E2E_PREFIX/drive_c/after.mgr"
    [ -f "$after" ] || e2e_fail "no C:\\after.mgr"
    cp "$after" "$E2E_OUT/after.mgr"
    "$dump" --check "$E2E_OUT/after.mgr" >"$E2E_OUT/after-check.txt" 2>&1 ||
        e2e_fail "C:\\after.mgr fails the check: $(tail -n 3 "$E2E_OUT/after-check.txt")"
    head -c 9 "$after" | grep -q '^TESSEL  W' || e2e_fail "C:\\after.mgr has no header"
    grep -a -q 'X\$STARTED' "$after" || e2e_fail "C:\\after.mgr has no \"\$STARTED\""
    [ "$(grep -a -c '^T\$P,' "$after")" -gt 10 ] || e2e_fail "C:\\after.mgr holds no readings of console 1"
    e2e_log "E: file $size bytes ($((size / 27)) records), C:\\after.mgr $(stat -c %s "$after") bytes"
}
