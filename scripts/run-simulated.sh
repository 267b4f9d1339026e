#!/usr/bin/env bash
# Starts Tesselog under Wine with simulated instruments: installs what is missing,
# builds the native tree (the simulator) and the Windows tree (the program), prepares
# the Wine prefix build/wine-run with its settings folder, starts tesselog-sim with the
# consoles and the GPS of the current settings (three two-sensor consoles and a GGA+GSA
# GPS with the defaults), maps the program's COM ports to the simulator's ptys and runs
# the program on $DISPLAY, or on Xvfb when there is none. Stops everything it started
# when the program ends (or at Ctrl-C).
#
#   scripts/run-simulated.sh [--xvfb] [--shots SECONDS] [--record] [-- SIMULATOR OPTIONS...]
#     --xvfb            run on a private Xvfb even when $DISPLAY is set
#     --shots SECONDS   screenshot interval on Xvfb (default 10)
#     --record          open the logging screen, create the proposed data file and
#                       start recording by keys, so the first screenshot shows the swath
#     after --           extra tesselog-sim options, e.g. -- --speed 1.5 --one-way
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/e2e/lib.sh

run_dir="$root/build/run"
prefix="$root/build/wine-run"
use_xvfb=0
shot_seconds=10
record=0
sim_extra=()

parse_options() {
    while [ "$#" -gt 0 ]; do
        case "$1" in
            --xvfb) use_xvfb=1 ;;
            --shots) shot_seconds="$2"; shift ;;
            --record) record=1 ;;
            --) shift; sim_extra=("$@"); break ;;
            -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
            *) echo "unknown option $1 (see --help)" >&2; exit 2 ;;
        esac
        shift
    done
    [ -n "${DISPLAY:-}" ] || use_xvfb=1
}

build_trees() {
    local jobs
    jobs="$(nproc)"
    echo "== Building the simulator (build/native) and the program (build/windows) =="
    cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build/native -j "$jobs" --target tesselog-sim >/dev/null
    cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build/windows -j "$jobs" --target tesselog >/dev/null
}

# The prefix is made once and kept, so the settings chosen in a run persist; its font
# set-up follows scripts/wine-fonts.reg.
prepare_prefix() {
    if [ ! -f "$prefix/system.reg" ]; then
        echo "== Creating the Wine prefix $prefix (once, about 20 s) =="
        e2e_prefix_create "$prefix"
    fi
    e2e_prefix_fonts "$prefix"
    e2e_use_prefix "$prefix"
    e2e_make_settings_dir
    first_settings
}

# A new prefix starts with settings that fit the simulated instruments, not with the
# program's defaults (a readings scale of 0..500 nT paints the simulator's field of
# about 60 nT one blue, and a station increment of 1 per reading counts 10 stations a
# metre): the readings scale 50..80 nT, tight around its background of 60 nT so that
# the ground's own variation shows in colours and its features of 40..250 nT stand out
# at the top of the scale, and a station increment of 0.1, its 1 m/s at 10 readings a
# second. "v" on the logging screen fits the scale to what comes in.
# Settings chosen later in the program are kept as they are.
first_settings() {
    [ -f "$(e2e_settings_file)" ] && return 0
    echo "== First settings for the simulated instruments: readings scale 50..80, station increment 0.1 =="
    e2e_settings_variant "$run_dir/first-settings.ini" 36=50.000000 37=80.000000 56=0.100000
    e2e_write_settings "$run_dir/first-settings.ini"
}

# --record: "l" opens the logging screen; once the GPS has a fix (the "&File" button
# is enabled then), "f" and Return create the proposed file and "g" records.
start_recording() {
    local main
    main="$(e2e_window Tesselog 60)"
    sleep 4
    e2e_record "$main"
    echo "== Recording: the pause key of System Setup (any key by default) pauses =="
}

# Line N of the settings file (CR dropped), or DEFAULT when there is no file yet.
settings_line() {
    local file
    file="$(e2e_settings_file)"
    if [ -f "$file" ]; then
        sed -n "${1}p" "$file" | tr -d '\r'
    else
        printf '%s\n' "$2"
    fi
}

# Simulator options matching the settings: console count and types, NMEA mode, baud.
sim_options_from_settings() {
    local count types="" k type mode baud_index
    local bauds=(4800 9600 19200 38400 57600 115200)
    count="$(settings_line 3 3)"
    [[ "$count" =~ ^[0-9]$ ]] || count=3
    for ((k = 0; k < count; k++)); do
        type="$(settings_line $((5 + k)) 1)"
        types+="$([ "$type" = 1 ] && echo 2 || echo 1),"
    done
    mode="$(settings_line 40 0)"
    if [ "$mode" != 0 ] && [ "$mode" != 1 ]; then
        echo "note: the simulator sends GGA+GSA or GGA only; NMEA mode $mode is set, so it sends GGA+GSA" >&2
        mode=0
    fi
    baud_index="$(settings_line 42 1)"
    [[ "$baud_index" =~ ^[0-5]$ ]] || baud_index=1
    # The receiver's clock is the computer's, as a real one's agrees with it:
    # otherwise the field warnings rightly report the clock difference.
    sim_args=(--consoles "$count" --gps-mode "$mode" --gps-baud "${bauds[baud_index]}" --speed 1 --start-time now)
    [ "$count" -gt 0 ] && sim_args+=(--types "${types%,}")
    return 0
}

# COMn of console k (settings line 17 + k) and of the GPS (line 41): index + 1.
map_ports_to_simulator() {
    local count k mappings=()
    count="$(settings_line 3 3)"
    local default_ports=(3 0 2 3 4 5 6 7 8)
    local port_index
    for ((k = 0; k < count; k++)); do
        port_index="$(settings_line $((17 + k)) "${default_ports[k]}")"
        mappings+=("COM$((port_index + 1))=${E2E_SIM_PORTS[console$((k + 1))]}")
    done
    mappings+=("COM$(($(settings_line 41 1) + 1))=${E2E_SIM_PORTS[gps]}")
    e2e_map_ports "${mappings[@]}"
}

# On Xvfb: a screenshot every shot_seconds into build/run/, the newest 100 kept.
take_screenshots() {
    local next=$((SECONDS + shot_seconds)) file
    while e2e_program_running; do
        sleep 1
        [ "$SECONDS" -ge "$next" ] || continue
        next=$((SECONDS + shot_seconds))
        file="$run_dir/screen-$(date +%H%M%S).png"
        import -window root "$file" 2>/dev/null && cp "$file" "$run_dir/screen-latest.png"
        ls -1t "$run_dir"/screen-[0-9]*.png 2>/dev/null | tail -n +101 | xargs -r rm -f
    done
}

main() {
    parse_options "$@"
    scripts/install-deps.sh
    build_trees
    mkdir -p "$run_dir"
    e2e_init "$run_dir"
    prepare_prefix

    sim_options_from_settings
    echo "== Simulator: tesselog-sim ${sim_args[*]}${sim_extra[*]:+ ${sim_extra[*]}}"
    echo "   (log: build/run/sim.log) =="
    e2e_start_sim "$run_dir/sim.log" "${sim_args[@]}" "${sim_extra[@]}" --link-dir "$run_dir"
    map_ports_to_simulator

    if [ "$use_xvfb" = 1 ]; then
        e2e_start_xvfb 20
        echo "== Tesselog runs on Xvfb $DISPLAY: a screenshot every $shot_seconds s goes to build/run/"
        echo "   (newest: build/run/screen-latest.png). Send keys, e.g. \"l\", with:"
        echo "   DISPLAY=$DISPLAY xdotool search --name '^Tesselog\$' windowfocus key l"
    else
        echo "== Tesselog runs on $DISPLAY; close it with E&xit (x) =="
    fi
    e2e_start_program "$root/build/windows/windows/tesselog.exe"
    [ "$record" = 1 ] && start_recording
    if [ "$use_xvfb" = 1 ]; then
        take_screenshots
    else
        while e2e_program_running; do sleep 1; done
    fi
    e2e_wait_for 5 test -s "$E2E_PROGRAM_CODE_FILE" || true
    echo "== Tesselog ended (exit code $(e2e_exit_code)); stopping the simulator =="
}

main "$@"
