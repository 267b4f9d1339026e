# A console's USB serial adapter pulled out while recording and plugged back in: two
# two-sensor consoles on COM4 and COM5 and a GGA receiver on COM2. The simulator starts
# after the program's window, so its clock and the scenario's agree: "l", "f", Return and
# "g" come within its first seconds; at 20 s it closes console 2's pty and removes its
# link, at 26 s it makes a new pty under the same link. The program's reader of console 2
# finds no sentence for 3 s, closes and reopens its port silently (again every 3 s while
# the device is gone), and the readings come back. Recording goes on, then pause and exit.
# The data file holds exactly one "2CONN BRK 2", console 2's readings before and after the
# gap, console 1's readings without a gap, and passes tesselog-dump --check.
# time limit: 100 s

UNPLUG_AT=20
UNPLUG_FOR=6

# Sleeps until SECONDS seconds after the simulator's start.
sleep_until_sim() {
    local left
    left="$(awk -v start="$SIM_STARTED" -v at="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.2f", start + at - now }')"
    awk -v l="$left" 'BEGIN { exit !(l > 0) }' && sleep "$left"
    return 0
}

# "CONSOLE TICK" for every reading of the dump on stdin.
dump_readings() { sed -n -E 's/.*reading console=([0-9]) .* tick= *([0-9]+).*/\1 \2/p'; }

# The longest gap between two readings of console $1 (ms), from dump_readings lines.
longest_gap() {
    awk -v c="$1" '$1 == c { if (n++ && $2 - last > gap) gap = $2 - last; last = $2 } END { print gap + 0 }'
}

scenario_console_unplugged() {
    local links main started file dump events readings gap1 gap2 before after brk_line
    links="$E2E_OUT/links"
    mkdir -p "$links"
    # Two consoles (3) on COM4 and COM5 (17, 18), two sensors each (the default), no audio
    # (26), GPS on (39) in mode 1, GGA (40), on COM2 (41).
    e2e_settings_variant "$E2E_OUT/settings.ini" 3=2 17=3 18=4 26=0 39=1 40=1 41=1
    e2e_write_settings "$E2E_OUT/settings.ini"
    e2e_map_ports "COM4=$links/console1" "COM5=$links/console2" "COM2=$links/gps"
    e2e_start_main
    main="$E2E_MAIN"
    SIM_STARTED="$(date +%s.%N)"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 2 --types 2 --rate 10 --gps-mode 1 --gps-rate 2 \
        --unplug "2:$UNPLUG_AT:$UNPLUG_FOR" --link-dir "$links" --duration 60

    e2e_keys "$main" l
    sleep 1
    e2e_no_window "Serial Port" || e2e_fail "a port did not open"
    e2e_keys "$main" f
    e2e_close_window "$(e2e_window "Create Data File" 10)" "Create Data File" Return
    sleep 1
    e2e_keys "$main" g
    started="$(awk -v start="$SIM_STARTED" -v now="$(date +%s.%N)" 'BEGIN { printf "%.1f", now - start }')"
    e2e_log "recording from $started s of the simulator's time"
    awk -v s="$started" -v at="$UNPLUG_AT" 'BEGIN { exit !(s < at - 3) }' ||
        e2e_fail "recording started too late for the unplug at $UNPLUG_AT s"

    sleep_until_sim $((UNPLUG_AT + 4))
    grep -q '^console 2: unplugged at' "$E2E_OUT/sim.log" || e2e_fail "the simulator did not unplug console 2"
    e2e_screenshot console-2-unplugged
    sleep_until_sim $((UNPLUG_AT + UNPLUG_FOR + 7))
    grep -q '^console 2: replugged on /dev/' "$E2E_OUT/sim.log" || e2e_fail "the simulator did not replug console 2"
    e2e_screenshot console-2-back
    e2e_no_window "Serial Port" || e2e_fail "the silent reopen showed a \"Serial Port\" message"
    sleep 3

    e2e_pause_and_quit "$main"

    file="$(find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | head -n 1)"
    [ -n "$file" ] || e2e_fail "no data file in C:\\"
    cp "$file" "$E2E_OUT/unplug.mgr"
    "$E2E_ROOT/build/native/tools/tesselog-dump" --check "$E2E_OUT/unplug.mgr" | grep -q ': OK, ' ||
        e2e_fail "tesselog-dump --check: $("$E2E_ROOT/build/native/tools/tesselog-dump" --check "$E2E_OUT/unplug.mgr")"
    dump="$E2E_OUT/unplug.txt"
    "$E2E_ROOT/build/native/tools/tesselog-dump" "$E2E_OUT/unplug.mgr" >"$dump"

    events="$(grep -a -c 'CONN BRK' "$dump" || true)"
    [ "$events" -eq 1 ] && grep -a -q 'event text="2CONN BRK 2"' "$dump" ||
        e2e_fail "expected one \"2CONN BRK 2\", found: $(grep -a 'CONN BRK' "$dump" | tr '\n' '|')"
    brk_line="$(grep -a -n 'event text="2CONN BRK 2"' "$dump" | cut -d: -f1)"
    before="$(head -n "$brk_line" "$dump" | dump_readings | awk '$1 == 2' | wc -l)"
    after="$(tail -n +"$brk_line" "$dump" | dump_readings | awk '$1 == 2' | wc -l)"
    readings="$(dump_readings <"$dump")"
    gap1="$(printf '%s\n' "$readings" | longest_gap 1)"
    gap2="$(printf '%s\n' "$readings" | longest_gap 2)"
    e2e_log "console 2: $before readings before the break, $after after it, gap $gap2 ms; console 1: longest gap $gap1 ms"
    [ "$before" -ge 30 ] || e2e_fail "only $before readings of console 2 before the break"
    [ "$after" -ge 30 ] || e2e_fail "only $after readings of console 2 after the break"
    [ "$gap1" -gt 0 ] && [ "$gap1" -le 1000 ] || e2e_fail "console 1's readings have a gap of $gap1 ms"
    [ "$gap2" -ge $((UNPLUG_FOR * 1000 - 500)) ] || e2e_fail "console 2's longest gap is only $gap2 ms"
}
