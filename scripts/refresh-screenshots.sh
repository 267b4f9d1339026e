#!/usr/bin/env bash
# Refreshes every picture of docs/screenshots/ from the current build: runs the
# end-to-end scenarios that take them (one at a time, as each runs the real program
# under Wine and Xvfb), then copies each named shot there under its file name. A shot
# of the whole screen is cut to the program's window (the black screen around it
# trimmed away); a shot of one window (a dialog) is copied as it is. The export's
# pictures are made by scripts/export-screenshots.sh.
#
#   scripts/refresh-screenshots.sh            every scenario of the table, then copy
#   scripts/refresh-screenshots.sh --copy     copy from the scenarios' last runs only
#
# Needs the native tree (tesselog-sim, tesselog-dump, tesselog-export) and the Windows
# tree (tesselog-drawlog.exe) built. A scenario that fails or is skipped keeps its old
# pictures, and the script names them and exits non-zero at the end.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
docs="$root/docs/screenshots"
e2e="$root/build/e2e"

# docs file | scenario | shot (without its NN- number) | screen or window
SHOTS=(
    "main-default.png|first_start|main-window-defaults|screen"
    "main-nine-consoles-gps-disabled.png|gps_disabled_information|main-window-nine-consoles-gps-disabled|screen"
    "dialog-survey-setup.png|survey_setup_ok|dialog-survey-setup|window"
    "dialog-system-setup.png|system_setup_ok|dialog-system-setup|window"
    "dialog-array-geometry.png|array_geometry_ok|dialog-array-geometry-setup|window"
    "dialog-gps-port-setup.png|gps_port_setup_ok|dialog-gps-port-setup|window"
    "logging-monitoring.png|survey_three_consoles_and_gps|logging-monitoring|screen"
    "logging-stand-by.png|survey_three_consoles_and_gps|logging-stand-by|screen"
    "logging-recording.png|survey_three_consoles_and_gps|logging-recording|screen"
    "logging-paused.png|survey_three_consoles_and_gps|logging-paused|screen"
    "dialog-readings-scale.png|logging_screen_dialogs|dialog-readings-scale|window"
    "colour-scale.png|logging_screen_dialogs|readings-scale-with-colour-scale|screen"
    "dialog-speed-bar-scale.png|logging_screen_dialogs|dialog-set-new-speed-bar-scale|window"
    "dialog-audio-options.png|logging_screen_dialogs|dialog-audio-options|window"
    "dialog-map-size.png|logging_screen_dialogs|dialog-map-size|window"
    "dialog-map-display-options.png|logging_screen_dialogs|dialog-map-display-options|window"
    "dialog-profile-options.png|logging_screen_dialogs|dialog-setup-profile-options|window"
    "dialog-gps-warning-mask.png|logging_screen_dialogs|dialog-gps-warning-mask|window"
    "dialog-coordinates-units.png|logging_screen_dialogs|dialog-set-coordinates-display-units|window"
    "logging-coordinates-utm.png|logging_screen_dialogs|coordinates-in-utm-metres|screen"
    "dialog-new-line.png|logging_screen_dialogs|dialog-new-survey-line|window"
    "dialog-new-station.png|logging_screen_dialogs|dialog-new-station|window"
    "dialog-comment.png|logging_screen_dialogs|dialog-maximum-11-characters|window"
    "console-unplugged.png|console_unplugged|console-2-unplugged|screen"
    "disk-full-file-error.png|disk_full|file-error|screen"
    "live-colour-display.png|live_colour_display|live-colour-recording|screen"
    "live-profile-view.png|live_colour_display|live-profile-view|screen"
    "live-panes-after-dialog.png|live_colour_display|live-after-dialog|screen"
    "live-positions-display.png|live_positions_display|live-positions-recording|screen"
    "map-overflow-warning.png|map_overflow_and_larger_map|overflow-warning|screen"
    "position-limit-stop.png|position_limit_ends_in_order|position-limit-stop|window"
    "append-replayed.png|append_after_restart|append-replayed|screen"
    "append-fit-all.png|append_after_restart|fit-all|screen"
    "gps-monitor.png|gps_monitor|gps-monitor|screen"
    "dialog-send-message.png|gps_monitor|dialog-send-message|window"
    "dialog-load-background.png|background_tracks|dialog-load-background|window"
    "background-under-survey.png|background_tracks|background-under-survey|screen"
    "dialog-remove-background.png|background_tracks|dialog-remove-background|window"
    "background-plan-removed.png|background_tracks|background-plan-removed|screen"
    "background-across-zones.png|background_across_zones|background-across-zones|screen"
    "live-colour-coverage.png|live_colour_coverage|live-colour-coverage|screen"
    "live-colour-fast-receiver.png|live_colour_fast_receiver|live-colour-fast-receiver|screen"
    "settings-damaged.png|settings_killed_while_saving|settings-damaged-message|screen"
)

missing=()

# The newest NN-SHOT.png of a scenario's last run.
find_shot() {
    find "$e2e/$1" -maxdepth 1 -name "[0-9][0-9]-$2.png" 2>/dev/null | sort | tail -n 1
}

copy_shot() {
    local target="$1" scenario="$2" shot="$3" kind="$4" source
    source="$(find_shot "$scenario" "$shot")"
    if [ -z "$source" ]; then
        missing+=("$target (no $shot in build/e2e/$scenario)")
        return 0
    fi
    if [ "$kind" = screen ]; then
        convert "$source" -trim +repage "$docs/$target"
    else
        cp "$source" "$docs/$target"
    fi
    printf '%-40s %s\n' "$target" "${source#"$root"/}"
}

# The export's pictures come from scripts/export-screenshots.sh, their one maker.
copy_export() {
    if "$root/scripts/export-screenshots.sh" "$docs" >"$e2e/refresh-export.txt" 2>&1; then
        printf '%-40s %s
' "export-*.png" "scripts/export-screenshots.sh"
    else
        missing+=("export-*.png (scripts/export-screenshots.sh failed: build/e2e/refresh-export.txt)")
    fi
}

main() {
    local row target scenario shot kind scenarios=() seen=" "
    failed=()
    mkdir -p "$e2e"
    if [ "${1:-}" != "--copy" ]; then
        for row in "${SHOTS[@]}"; do
            IFS='|' read -r target scenario shot kind <<<"$row"
            case "$seen" in *" $scenario "*) continue ;; esac
            seen+="$scenario "
            scenarios+=("$scenario")
        done
        for scenario in "${scenarios[@]}"; do
            E2E_JOBS=1 "$root/scripts/e2e/run_all.sh" "$scenario" >"$e2e/refresh-$scenario.txt" 2>&1 ||
                failed+=("$scenario")
            grep -E '^(PASS|FAIL|SKIP) ' "$e2e/refresh-$scenario.txt" || cat "$e2e/refresh-$scenario.txt"
        done
    fi
    for row in "${SHOTS[@]}"; do
        IFS='|' read -r target scenario shot kind <<<"$row"
        case " ${failed[*]} " in
        *" $scenario "*) missing+=("$target ($scenario failed)") ;;
        *) copy_shot "$target" "$scenario" "$shot" "$kind" ;;
        esac
    done
    copy_export
    [ "${#failed[@]}" -eq 0 ] || echo "scenarios not passed: ${failed[*]}" >&2
    if [ "${#missing[@]}" -gt 0 ]; then
        printf 'kept old: %s\n' "${missing[@]}" >&2
        return 1
    fi
    [ "${#failed[@]}" -eq 0 ]
}

main "$@"
