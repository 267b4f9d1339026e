#!/usr/bin/env bash
# Appending to a full-size data file in the real program, under Wine: the file of
# scripts/make-full-size-file.sh (28,799 positions, nine two-sensor consoles at 10 Hz,
# about 80 MB) is put into C:\ of a prefix whose settings match its set-up, and
# tesselog-drawlog.exe, fed by the simulator's nine consoles and GGA receiver at the
# file's place, is driven by keys: "l", "f", the file's name in "Create Data File",
# Return. The program times each read of the file back into its draw log ("replay scan",
# "replay track", "replay profiles"); the wall time from Return to the count message
# and from there to the screen's repaint is measured here.
#
# Prints the figures. Asserts nothing.
#
#   scripts/measure-append.sh [RUNS]      (default 3 appends, each to a fresh copy)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e/lib.sh"

runs="${1:-3}"
out="$E2E_ROOT/build/measure-append"
base_prefix="$E2E_ROOT/build/e2e/prefix-base"
exe="$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
big="$E2E_ROOT/build/replay-figures/full-size.mgr"

ms_now() { date +%s%3N; }

one_append() {
    local run="$1" links main drawlog dialog sent shown closed
    e2e_prefix_copy "$base_prefix" "$out/prefix"
    e2e_use_prefix "$out/prefix"
    drawlog="$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt"
    cp "$big" "$E2E_PREFIX/drive_c/big.mgr"
    # Nine two-sensor consoles on COM3..COM11 (lines 3, 5..13, 17..25), GGA on COM2
    # (39..41), colour display (62), map size 100 (66): the file's set-up.
    e2e_settings_variant "$out/settings.ini" 3=9 5=1 6=1 7=1 8=1 9=1 10=1 11=1 12=1 13=1 \
        17=2 18=3 19=4 20=5 21=6 22=7 23=8 24=9 25=10 26=0 39=1 40=1 41=1 62=1 66=100
    e2e_write_settings "$out/settings.ini"
    links="$out/links"
    mkdir -p "$links"
    local ports=("COM2=$links/gps") k
    for k in 1 2 3 4 5 6 7 8 9; do ports+=("COM$((k + 2))=$links/console$k"); done
    e2e_map_ports "${ports[@]}" 2>>"$out/run.log"
    e2e_start_sim "$out/sim.log" --consoles 9 --types 2 --rate 10 --gps-mode 1 --gps-rate 1 \
        --line-length 700 --link-dir "$links" --duration 120
    e2e_start_program "$exe"
    main="$(e2e_window Tesselog 30)"
    e2e_keys "$main" l
    sleep 4
    e2e_keys "$main" f
    dialog="$(e2e_window "Create Data File" 10)"
    timeout 10 xdotool windowfocus "$dialog"
    timeout 10 xdotool key --clearmodifiers ctrl+a
    timeout 10 xdotool type --delay 30 'big.mgr'
    sent="$(ms_now)"
    echo "$sent" >"$out/return-sent-$run"
    timeout 10 xdotool key --clearmodifiers Return
    e2e_wait_for 30 e2e_no_window "Create Data File"
    closed="$(ms_now)"
    dialog="$(e2e_window INFORMATION 60)"
    shown="$(ms_now)"
    e2e_screenshot "append-count-$run"
    e2e_close_window "$dialog" INFORMATION Return
    e2e_wait_for 60 grep -q 'replay track' "$drawlog" || e2e_fail "no track replay in the draw log"
    sleep 3
    e2e_screenshot "append-replayed-$run"
    printf 'run %s: Return to the dialog gone %s ms, to the count message %s ms; %s\n' "$run" \
        "$((closed - sent))" "$((shown - sent))" \
        "$(grep -a -o 'replay [a-z]* ms=[0-9.]*' "$drawlog" | head -n 3 | tr '\n' ' ')"
    e2e_keys "$main" x
    e2e_close_window "$(e2e_window "Confirm Exit" 10)" "Confirm Exit" Return
    sleep 1
    e2e_keys "$main" x
    e2e_expect_exit 0 30 >&2
    e2e_stop_pid "$E2E_SIM_PID"
    e2e_stop_prefix "$E2E_PREFIX"
    cp "$drawlog" "$out/drawlog-$run.txt"
    rm -rf "$out/prefix"
}

main() {
    [ -f "$big" ] || "$E2E_ROOT/scripts/make-full-size-file.sh" "$big"
    rm -rf "$out"
    e2e_init "$out"
    e2e_prepare_base_prefix "$base_prefix"
    e2e_start_xvfb 17 2>>"$out/run.log"
    echo "Appending to $(basename "$big") ($(stat -c %s "$big") bytes) in $(basename "$exe") under Wine:"
    local run
    for ((run = 1; run <= runs; run++)); do one_append "$run"; done
}

main "$@"
