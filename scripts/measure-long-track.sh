#!/usr/bin/env bash
# The map's memory over a long track, under Wine: tesselog-drawlog.exe records a GGA
# receiver at 10 Hz and three two-sensor consoles while the simulator walks long lines
# fast, in the positions display (one line across the swath per fix) at a map size of
# 2 m, so that the swath crosses thousands of map tiles. The program's GDI object count
# and private bytes come from its draw log ("resources" lines, once a second); the tiles
# the swath crossed are counted from the data file's segment records, every 0.25 m along
# each recorded swath edge, one tile per map size in each direction.
#
# Prints the GDI objects and private bytes a few tiles into the recording and at its
# end, and the tiles crossed. Asserts nothing.
#
#   scripts/measure-long-track.sh [DURATION]      (default 150 seconds of recording)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e/lib.sh"

duration="${1:-150}"
out="$E2E_ROOT/build/measure-long-track"
base_prefix="$E2E_ROOT/build/e2e/prefix-base"
exe="$(dirname "$E2E_EXE")/tesselog-drawlog.exe"

resources_at() {  # the "resources" line nearest after tick $2 in draw log $1
    awk -v t="$2" '$2 == "resources" && $1 >= t { print; exit }' "$1"
}

main() {
    local links main drawlog start_tick end_line file tiles
    rm -rf "$out"
    e2e_init "$out"
    e2e_prepare_base_prefix "$base_prefix"
    e2e_prefix_copy "$base_prefix" "$out/prefix"
    e2e_use_prefix "$out/prefix"
    e2e_start_xvfb 16 2>>"$out/run.log"
    drawlog="$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt"

    # Consoles on COM4..COM6, GGA (40=1) on COM2, no audio, P pauses, positions display
    # as lines across the swath (62, 58), map size 2 m (66).
    e2e_settings_variant "$out/settings.ini" 17=3 18=4 19=5 26=0 29=3 39=1 40=1 41=1 58=4 62=0 66=2
    e2e_write_settings "$out/settings.ini"
    links="$out/links"
    mkdir -p "$links"
    e2e_map_ports "COM4=$links/console1" "COM5=$links/console2" "COM6=$links/console3" "COM2=$links/gps" \
        2>>"$out/run.log"
    e2e_start_sim "$out/sim.log" --consoles 3 --types 2 --rate 10 --gps-mode 1 --gps-rate 10 \
        --lines 30 --line-length 200 --line-spacing 8 --speed 15 --link-dir "$links" \
        --duration $((duration + 120))
    export TESSELOG_RESOURCE_PROBE=1   # the draw log gets the GDI count and private bytes
    e2e_start_program "$exe"
    main="$(e2e_window Tesselog 30)"
    e2e_keys "$main" l
    sleep 4
    e2e_keys "$main" f
    e2e_close_window "$(e2e_window "Create Data File" 10)" "Create Data File" Return
    sleep 1
    e2e_keys "$main" g
    sleep 10
    start_tick="$(awk '$2 == "resources" { t = $1 } END { print t }' "$drawlog")"
    sleep "$duration"
    e2e_screenshot long-track
    e2e_keys "$main" p
    sleep 1
    end_line="$(awk '$2 == "resources" { l = $0 } END { print l }' "$drawlog")"
    e2e_keys "$main" x
    e2e_close_window "$(e2e_window "Confirm Exit" 10)" "Confirm Exit" Return
    sleep 1
    e2e_keys "$main" x
    e2e_expect_exit 0 30 >&2
    file="$(find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | head -n 1)"
    tiles="$("$E2E_ROOT/build/native/tools/tesselog-dump" "$file" |
        awk -v size=2 '
            / segment code=[efgh] / { sub(/.*value=/, ""); v[++n] = $0 + 0 }
            n == 4 {
                for (s = 0; s <= 1; s += 0.25 / sqrt((v[3] - v[1]) ^ 2 + (v[4] - v[2]) ^ 2 + 1e-9))
                    seen[int((v[1] + s * (v[3] - v[1])) / size) " " int((v[2] + s * (v[4] - v[2])) / size)] = 1
                n = 0
            }
            END { print length(seen) }')"
    echo "Map tiles over a long track under Wine (map size 2 m, $duration s at 15 m/s, $(basename "$exe")):"
    echo "  tiles crossed by the track: $tiles"
    echo "  10 s into the recording:  $(resources_at "$drawlog" "$start_tick" | awk '{ print $3, $4, $5 }')"
    echo "  at the end:               $(awk '{ print $3, $4, $5 }' <<<"$end_line")"
}

main "$@"
