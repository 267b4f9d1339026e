# The GPS monitor. A GGA receiver from the simulator on COM2, no console. "o" on the main
# window opens the monitor and its list shows the simulator's sentences (read from the
# draw log of tesselog-drawlog.exe, which logs every line added to the list). "p" stops
# the list from growing and "g" lets it grow again. "s" and Escape send nothing; "s" and
# Return send the edit's command, which reaches the simulator with CR LF (neither touches
# the settings file); a 40-character command is refused
# under "WARNING" and nothing reaches the simulator. "x" returns to the main window with
# the port closed: "l" then opens the logging screen at once, without a "Serial Port"
# message. Two more receivers follow on the same port: one read at a wrong baud rate
# (garbage without LF), which shows "NO LINE END: N bytes in 7 s", and a silent one,
# which shows a "NO DATA" line every 7 s.
# time limit: 170 s

monitor_drawlog() { printf '%s\n' "$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt"; }

# Lines added to the list after draw-log line FROM.
monitor_lines_since() { tail -n +"$1" "$(monitor_drawlog)" | grep -a ' monitor line ' || true; }
monitor_line_count() { monitor_lines_since 1 | wc -l; }
monitor_log_length() { echo $(($(wc -l <"$(monitor_drawlog)") + 1)); }
monitor_has() { monitor_lines_since "$1" | grep -a -q -- "$2"; }
monitor_no_data_lines() { [ "$(monitor_lines_since "$1" | grep -a -c ' NO DATA$')" -ge "$2" ]; }

# monitor_sim NAME OPTIONS...: a simulator of its own on the links of COM2.
monitor_sim() {
    local name="$1"
    shift
    [ -z "$E2E_SIM_PID" ] || e2e_stop_pid "$E2E_SIM_PID"
    e2e_start_sim "$E2E_OUT/$name.log" --consoles 0 --gps-mode 1 --gps-rate 5 --link-dir "$E2E_OUT/links" \
        --duration 160 "$@"
}

# monitor_open MAIN: "o", and the monitor is shown without a port message.
monitor_open() {
    e2e_keys "$1" o
    sleep 1
    e2e_no_window "Serial Port" || e2e_fail "the monitor's GPS port did not open"
    e2e_no_window "INFORMATION" || e2e_fail "\"o\" said GPS is disabled"
}

scenario_gps_monitor() {
    local main dialog from before after keys=()
    mkdir -p "$E2E_OUT/links"
    e2e_settings_variant "$E2E_OUT/settings.ini" 3=0 26=0 39=1 40=1 41=1   # GPS on COM2, GGA, no console
    e2e_write_settings "$E2E_OUT/settings.ini"
    e2e_map_ports "COM2=$E2E_OUT/links/gps"
    monitor_sim sim
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    main="$(e2e_window Tesselog 30)"

    monitor_open "$main"
    e2e_wait_for 10 monitor_has 1 ' \$GPGGA,' || e2e_fail "no GGA sentence in the monitor's list"
    sleep 2
    e2e_screenshot gps-monitor

    # Pause: the list stops growing; Go: it grows again.
    e2e_keys "$main" p
    sleep 1
    before="$(monitor_line_count)"
    sleep 3
    after="$(monitor_line_count)"
    [ "$after" -eq "$before" ] || e2e_fail "the list grew from $before to $after lines while paused"
    e2e_screenshot gps-monitor-paused
    e2e_keys "$main" g
    sleep 3
    after="$(monitor_line_count)"
    [ "$after" -ge $((before + 10)) ] || e2e_fail "the list grew from $before only to $after lines after \"g\""

    # Send, then Escape: nothing is sent. The dialog changes no setting either way.
    cp "$(e2e_settings_file)" "$E2E_OUT/settings-before.ini"
    e2e_keys "$main" s
    dialog="$(e2e_window "Send Message to GPS Receiver" 10)"
    e2e_close_window "$dialog" "Send Message to GPS Receiver" Escape
    sleep 1
    ! grep -q -F 'gps <- [' "$E2E_OUT/sim.log" || e2e_fail "Escape in the send dialog sent a command"

    # Send: the edit's command, with CR LF.
    e2e_keys "$main" s
    dialog="$(e2e_window "Send Message to GPS Receiver" 10)"
    e2e_window_screenshot "$dialog" dialog-send-message
    e2e_close_window "$dialog" "Send Message to GPS Receiver" Return
    e2e_wait_for 5 grep -q -F 'gps <- [' "$E2E_OUT/sim.log" || e2e_fail "the simulator received nothing"
    grep -q -F '$PASHS,NME,SAT,A,ON\r\n' "$E2E_OUT/sim.log" ||
        e2e_fail "the command did not arrive with CR LF: $(grep -F 'gps <-' "$E2E_OUT/sim.log" | head -n 2)"

    # A 40-character command is refused and nothing is sent.
    e2e_keys "$main" s
    dialog="$(e2e_window "Send Message to GPS Receiver" 10)"
    for _ in $(seq 40); do keys+=(a); done
    e2e_keys "$dialog" ctrl+a "${keys[@]}" Return
    dialog="$(e2e_window WARNING 10)"
    e2e_screenshot command-refused
    e2e_close_window "$dialog" WARNING Return
    sleep 1
    [ "$(grep -c -F 'gps <- [' "$E2E_OUT/sim.log")" -eq 1 ] || e2e_fail "the refused command reached the simulator"
    from="$(monitor_log_length)"
    sleep 2
    monitor_has "$from" ' \$GPGGA,' || e2e_fail "the list did not go on after the refusal"

    # Exit closes the port: the logging screen opens it at once.
    e2e_keys "$main" x
    sleep 1
    e2e_keys "$main" l
    sleep 2
    e2e_no_window "Serial Port" || e2e_fail "the logging screen could not open the GPS port after the monitor"
    e2e_keys "$main" x
    sleep 1

    # A receiver at a wrong baud rate: bytes without a line end.
    monitor_sim garbage --gps-garbage
    from="$(monitor_log_length)"
    monitor_open "$main"
    e2e_wait_for 12 monitor_has "$from" ' NO LINE END: [0-9]* bytes in 7 s$' ||
        e2e_fail "no \"NO LINE END\" line for a receiver sending garbage"
    e2e_screenshot gps-monitor-garbage
    e2e_keys "$main" x
    sleep 1

    # A silent receiver: "NO DATA" every 7 s.
    monitor_sim silent --stop gps@0+300
    from="$(monitor_log_length)"
    monitor_open "$main"
    e2e_wait_for 20 monitor_no_data_lines "$from" 2 ||
        e2e_fail "fewer than two \"NO DATA\" lines in 20 s of silence"
    e2e_screenshot gps-monitor-silent
    e2e_keys "$main" x
    sleep 1
    e2e_keys "$main" x
    e2e_expect_exit 0 15
    e2e_expect_same_bytes "$E2E_OUT/settings-before.ini" "$(e2e_settings_file)"
}
