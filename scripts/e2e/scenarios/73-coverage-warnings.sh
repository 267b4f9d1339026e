# The coverage warnings on a survey walked without a pause at the line ends, as many
# surveyors walk: the lines and their turns recorded after one "&Go". A quiet survey
# shows no warning at all, turns and wedges included; a missed traverse (one sensor
# interval more between two lines) is warned and hatched on the map. Uses the field
# warnings' helpers (three two-sensor consoles 1 m apart, a 5 Hz GGA receiver on the
# computer's time, "&File" and "&Go").
# time limit: 120 s

source "$(dirname "${BASH_SOURCE[0]}")/72-field-warnings.sh"

# Any warning in the line since "&Go".
cw_any_warning() { tail -n +"$FW_GO_LINE" "$(fw_drawlog)" | grep -a -E ' warnings [^ ]' | head -n 1 || true; }

# Pixels of the gap's hatch (128, 64, 0) in a screenshot.
cw_hatch_pixels() {
    convert "$1" -fill black +opaque 'rgb(128,64,0)' -fill white -opaque 'rgb(128,64,0)' -format '%[fx:round(mean*w*h)]' info:
}

scenario_coverage_quiet_turns() {
    # Lines of 15 m, 6 m apart as the swath is wide, walked on through the turns at
    # 1 m/s: 21 s a line, three turns in the 70 s recorded.
    fw_record --line-length 15 --lines 10 --rate 10 --
    fw_sleep_until 80
    local shown
    shown="$(cw_any_warning)"
    [ -z "$shown" ] || e2e_fail "a warning on a quiet survey: ${shown#* warnings }"
    e2e_screenshot coverage-quiet-turns
    [ "$(cw_hatch_pixels "$(ls "$E2E_OUT"/*-coverage-quiet-turns.png)")" -eq 0 ] || e2e_fail "a hatch on a quiet survey"
    e2e_log "no warning in $((SECONDS - FW_T0)) s of the simulator's time, three turns walked"
    fw_finish quiet-turns
}

scenario_coverage_missed_traverse() {
    # The same walk with lines 2 and 3 one interval (1 m) further apart: line 3 begins
    # at 2 x 21 + 1 = 43 s of the walk; the gap is found 6 s into it (the field check's
    # figure: 2 m of straight line after the turn, and 2 m of gap).
    fw_record --line-length 15 --lines 10 --rate 10 --wide-gap 2:1 --
    fw_expect_warning "1 gap between lines" 50
    sleep 4
    e2e_screenshot coverage-missed-traverse
    local hatch
    hatch="$(cw_hatch_pixels "$(ls "$E2E_OUT"/*-coverage-missed-traverse.png)")"
    [ "$hatch" -gt 50 ] || e2e_fail "the gap is not hatched on the map ($hatch pixels of the hatch's colour)"
    e2e_log "the gap hatched: $hatch pixels"
    fw_finish missed-traverse
}
