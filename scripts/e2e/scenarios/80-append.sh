# Continuing an existing data file. Three two-sensor consoles and a GGA receiver from the
# simulator record a survey in the colour display; the program is left and started again
# with the simulator still walking, and the operator types the same file's name in
# "Create Data File". Accepted: the count box ("INFORMATION") names the file's positions,
# the old track comes back on the map in its colours, the screen is in "Stand By", and a
# second recording goes into the same file: its old bytes stay as they were and one
# appended header block ("rESSEL  W" ...) starts the new part (check_append.py). Refused:
# with two consoles configured the file gets one "WARNING" that names the set-up, the
# screen stays in "Monitoring" and the file is not touched. Before the second recording,
# the review: "Enter Rev&iew", "Zoom&+", "Zoom&-" and "&Fit All" redraw the old track from
# the file each time, and "&Exit Review" brings the map size back. The texts of the message boxes are read from
# the draw log's "prompt" lines; the navigation buttons, which have no letter keys, are
# clicked at their places in the screen's layout. The shots "append-replayed" and
# "fit-all" are docs/screenshots/append-replayed.png and append-fit-all.png.
# time limit: 170 s

APPEND_MAIN=""
APPEND_FILE=""   # the data file, as "&File" created it in C:\

append_drawlog() { printf '%s/drive_c/ProgramData/Brenvik/Temp/drawlog.txt\n' "$E2E_PREFIX"; }

# append_settings OUT COUNT: COUNT two-sensor consoles on COM4.. (lines 3, 17..), no audio
# ticks (26), any key pauses (29), readings scale 40..100 (36, 37: a quiet stretch shows
# in several colours), GGA on COM2 (39..41), the antenna over the array's middle (49,
# 50), colour display (62), map size 40 m (66).
append_settings() {
    local out="$1" count="$2" ports=() i
    for ((i = 0; i < count; i++)); do ports+=("$((17 + i))=$((3 + i))"); done
    e2e_settings_variant "$out" 3="$count" "${ports[@]}" 26=0 29=0 36=40 37=100 39=1 40=1 41=1 \
        49=2.5 50=0 62=1 66=40
}

# The simulator, for the whole scenario: three consoles and a GGA receiver walking lines
# of 24 m at 1.5 m/s over buried features.
append_start_sim() {
    local links="$E2E_OUT/links"
    mkdir -p "$links"
    e2e_map_ports "COM4=$links/console1" "COM5=$links/console2" "COM6=$links/console3" "COM2=$links/gps"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 3 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 6 \
        --line-length 24 --speed 1.5 --anomalies 6 --seed 3 --link-dir "$links" --duration 165
}

# Starts the program (once the previous run's wineserver has ended), opens the logging
# screen and waits for the first fix: its latitude in the status area.
append_start() {
    WINEPREFIX="$E2E_PREFIX" timeout 15 wineserver -w || true
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    APPEND_MAIN="$(e2e_window Tesselog 30)"
    e2e_keys "$APPEND_MAIN" l
    e2e_wait_for 15 append_fix_shown || e2e_fail "no GPS fix shown after \"l\""
    e2e_no_window "Serial Port" || e2e_fail "a port did not open"
}
append_fix_shown() { grep -a -q -E ' textin [0-9,]+ [0-9,]+ [0-9,]+ N[0-9]+' "$(append_drawlog)" 2>/dev/null; }

# The state word last drawn at the top left: Monitoring, Stand By or Logging.
append_state() {
    grep -a -o -E ' textin 23,0 [0-9,]+ 23,0 (Monitoring|Stand By|Logging)$' "$(append_drawlog)" |
        tail -n 1 | sed -E 's/.* 23,0 //' || true
}
append_state_is() { [ "$(append_state)" = "$1" ]; }

# Every message box so far, one line each: "CAPTION: TEXT" with CR and LF as \r and \n.
append_prompts() { grep -a -o ' prompt .*' "$(append_drawlog)" | cut -c 9- || true; }

# append_first_survey SECONDS: a new file with the proposed name, SECONDS of recording,
# a pause, and the program left; the file is copied to OUT/before.mgr.
append_first_survey() {
    e2e_keys "$APPEND_MAIN" f
    e2e_close_window "$(e2e_window "Create Data File" 10)" "Create Data File" Return
    sleep 1
    APPEND_FILE="$(find "$E2E_PREFIX/drive_c" -maxdepth 1 -iname '*.mgr' | head -n 1)"
    [ -n "$APPEND_FILE" ] || e2e_fail "no data file in C:\\ after \"&File\""
    e2e_keys "$APPEND_MAIN" g
    sleep "$1"
    e2e_keys "$APPEND_MAIN" space
    sleep 1
    append_leave
    cp "$APPEND_FILE" "$E2E_OUT/before.mgr"
    e2e_log "recorded $(($(stat -c %s "$E2E_OUT/before.mgr") / 27)) records in $(basename "$APPEND_FILE")"
}

# Leaves a logging screen that has a file ("E&xit", Yes), then the program.
append_leave() {
    e2e_keys "$APPEND_MAIN" x
    e2e_close_window "$(e2e_window "Confirm Exit" 10)" "Confirm Exit" Return
    sleep 1
    e2e_keys "$APPEND_MAIN" x
    e2e_expect_exit 0 15
}

# "&File", and the existing file's name typed over the proposed one (lower case: the
# names are not case-sensitive, and xdotool sends an upper-case letter with Shift).
append_choose_file() {
    local name keys=() i c dialog
    name="$(basename "$APPEND_FILE")"
    name="${name,,}"
    for ((i = 0; i < ${#name}; i++)); do
        c="${name:i:1}"
        case "$c" in
            _) keys+=(underscore) ;;
            .) keys+=(period) ;;
            *) keys+=("$c") ;;
        esac
    done
    e2e_keys "$APPEND_MAIN" f
    dialog="$(e2e_window "Create Data File" 10)"
    e2e_keys "$dialog" Home shift+End BackSpace "${keys[@]}"
    e2e_close_window "$dialog" "Create Data File" Return
}

# After a first survey: the program again, the same file chosen, the count box read and
# closed; the screen is then in "Stand By" with the old track on the map.
append_continue() {
    local dialog text count expected
    local pattern='^INFORMATION: Total Number of GPS Positions: {7}([0-9]+)\\r\\n$'
    append_start
    append_choose_file
    dialog="$(e2e_window INFORMATION 30)"
    e2e_screenshot count-message
    text="$(append_prompts | tail -n 1)"
    [[ "$text" =~ $pattern ]] || e2e_fail "the box after the append says: $text"
    count="${BASH_REMATCH[1]}"
    # Every d and h segment record is one position of the file.
    expected="$(grep -a -c -E '^\{[dh]' "$E2E_OUT/before.mgr" || true)"
    [ "$count" = "$expected" ] || e2e_fail "the count box says $count positions, the file holds $expected"
    e2e_log "count box: $count positions"
    e2e_close_window "$dialog" INFORMATION Return
    e2e_wait_for 20 append_state_is "Stand By" || e2e_fail "not in \"Stand By\" after the append ($(append_state))"
    sleep 2
    [ "$(append_prompts | wc -l)" -eq 1 ] || e2e_fail "more boxes than the count: $(append_prompts)"
    append_geometry
}

# ---------------------------------------------------------------- map measurements

# Sets APPEND_W, APPEND_H (the client area: without a window manager the window has no
# frame), APPEND_X, APPEND_Y (its place on the screen) and APPEND_L, the line height, from
# the status area's lowest row ("Tot. Time:" at y = H - 40 - L).
append_geometry() {
    local WIDTH HEIGHT X Y SCREEN WINDOW y
    eval "$(xdotool getwindowgeometry --shell "$APPEND_MAIN")"
    APPEND_W="$WIDTH" APPEND_H="$HEIGHT" APPEND_X="$X" APPEND_Y="$Y"
    y="$(grep -a -m 1 -o -E ' text [0-9]+,[0-9]+ Tot\. Time:' "$(append_drawlog)" | sed -E 's/.*,([0-9]+) .*/\1/')"
    [ -n "$y" ] || e2e_fail "no \"Tot. Time:\" in the draw log"
    APPEND_L=$((APPEND_H - 40 - y))
    [ "$APPEND_W" -gt 800 ] || e2e_fail "the button places below assume a client wider than 800 pixels"
}

# append_click BUTTON: clicks the middle of "review" (both review buttons share a place)
# or "zoom0".."zoom2" ("Zoom&+", "Zoom&-", "&Fit All"), placed as the screen places them
# at creation (right column 220 wide).
append_click() {
    local left=$((APPEND_W - 280)) nav review row height x y
    nav=$(((left - 6) / 6))
    review=$((nav * 5 / 4))
    case "$1" in
        review)
            x=$((20 + left - review - 40 + review / 2))
            y=$((APPEND_H - 37 + 16))
            ;;
        zoom[0-2])
            row=$((APPEND_H - 7 * APPEND_L - 2))
            height=$(((APPEND_H - row - 9) / 3))
            x=$((APPEND_W - 280 + 130))
            y=$((row + ${1#zoom} * (height + 2) + height / 2))
            ;;
        *) e2e_fail "no button $1" ;;
    esac
    timeout 5 xdotool mousemove --window "$APPEND_MAIN" "$x" "$y" click 1 || e2e_fail "could not click $1"
}

# The map size text last drawn ("Map Size:   40 m" -> 40).
append_map_size() {
    grep -a -o -E 'Map Size: *[0-9]+ m$' "$(append_drawlog)" | tail -n 1 | sed -E 's/[^0-9]//g' || true
}
append_map_size_is() { [ "$(append_map_size)" = "$1" ]; }
append_map_size_not() { local s; s="$(append_map_size)"; [ -n "$s" ] && [ "$s" != "$1" ]; }

# append_same_map_size_text SHOT_A SHOT_B: the "Map Size:" box shows the same pixels in
# both screenshots (the draw log names what was drawn, not what stayed on the screen).
append_same_map_size_text() {
    local box l t r b differ
    box="$(grep -a -o -E 'textin [0-9]+,[0-9]+ [0-9]+,[0-9]+ [0-9,]+ Map Size:' "$(append_drawlog)" | tail -n 1)"
    read -r l t r b < <(sed -E 's/textin ([0-9]+),([0-9]+) ([0-9]+),([0-9]+) .*/\1 \2 \3 \4/' <<<"$box")
    [ -n "$b" ] || e2e_fail "no \"Map Size:\" box in the draw log"
    local crop="$((r - l))x$((b - t))+$((APPEND_X + l))+$((APPEND_Y + t))"
    differ="$(compare -metric AE "$1[$crop]" "$2[$crop]" null: 2>&1 || true)"
    [ "$differ" = 0 ] || e2e_fail "the \"Map Size:\" text differs between $(basename "$1") and $(basename "$2")"
}

# append_track_shot NAME: a screenshot, and the part of the map pane that holds colour
# (the swath; the grid, the cursor and the background have none) with the box around it,
# as "FRACTION WxH+X+Y" in APPEND_TRACK. Fails when the map shows no track.
append_track_shot() {
    local p s shot
    e2e_screenshot "$1"
    shot="$(ls "$E2E_OUT"/*-"$1".png | tail -n 1)"
    p=$(((APPEND_H - 8 * APPEND_L - 24) / 3))
    s=$((3 * (p + 2) - 2 - 2))
    APPEND_TRACK="$(convert "$shot" -crop "${s}x${s}+$((APPEND_X + 21))+$((APPEND_Y + 21))" +repage \
        -colorspace HSL -channel G -separate +channel -threshold 50% -format '%[fx:mean] %@' info:)"
    e2e_log "$1: map side $s, coloured fraction and box: $APPEND_TRACK"
    awk -v f="${APPEND_TRACK%% *}" 'BEGIN { exit !(f > 0.003) }' || e2e_fail "$1: no track on the map"
    APPEND_SIDE="$s"
}

# ---------------------------------------------------------------- scenarios

# In Stand By on the appended file: "Enter Rev&iew", "Zoom&+" three times, "Zoom&-",
# "&Fit All" and "&Exit Review", each redrawing the whole track from the file.
append_review_zoom_fit() {
    local size expected step
    append_click review
    sleep 2
    append_track_shot review
    # Zoom in three times and out once; each redraws the map at the new size.
    size=40
    for step in zoom0 zoom0 zoom0 zoom1; do
        if [ "$step" = zoom0 ]; then
            expected=$(((95 * size + 50) / 100))
            [ "$expected" -ne "$size" ] || expected=$((size - 1))
        else
            expected=$(((105 * size + 50) / 100))
            [ "$expected" -ne "$size" ] || expected=$((size + 1))
        fi
        append_click "$step"
        e2e_wait_for 20 append_map_size_is "$expected" ||
            e2e_fail "$step: the map size shown is $(append_map_size), not $expected"
        sleep 2
        append_track_shot "$step-$expected"
        size="$expected"
    done
    append_click zoom2
    e2e_wait_for 20 append_map_size_not "$size" || e2e_fail "\"&Fit All\" left the map size at $size"
    sleep 2
    append_track_shot fit-all
    # The whole track lies inside the pane, clear of its edges.
    python3 - "$APPEND_TRACK" "$APPEND_SIDE" <<'EOF' || e2e_fail "fit all: the track is not inside the map ($APPEND_TRACK)"
import re, sys
w, h, x, y = map(int, re.match(r".* (\d+)x(\d+)\+(\d+)\+(\d+)$", sys.argv[1]).groups())
side = int(sys.argv[2])
sys.exit(0 if x > 2 and y > 2 and x + w < side - 2 and y + h < side - 2 else 1)
EOF

    append_click review
    e2e_wait_for 20 append_map_size_is 40 || e2e_fail "\"&Exit Review\" left the map size at $(append_map_size)"
    sleep 2
    append_track_shot review-left
    append_same_map_size_text "$(ls "$E2E_OUT"/*-append-replayed.png)" "$(ls "$E2E_OUT"/*-review-left.png)"
    append_state_is "Stand By" || e2e_fail "after the review the screen is in \"$(append_state)\""
}

scenario_append_after_restart() {
    append_settings "$E2E_OUT/settings.ini" 3
    e2e_write_settings "$E2E_OUT/settings.ini"
    append_start_sim
    append_start
    append_first_survey 30
    append_continue
    append_track_shot append-replayed
    append_review_zoom_fit
    e2e_keys "$APPEND_MAIN" g
    sleep 10
    e2e_keys "$APPEND_MAIN" space
    sleep 1
    e2e_screenshot recorded-again
    append_leave
    cp "$APPEND_FILE" "$E2E_OUT/after.mgr"
    cmp -n "$(stat -c %s "$E2E_OUT/before.mgr")" "$E2E_OUT/before.mgr" "$E2E_OUT/after.mgr" ||
        e2e_fail "the old part of the file changed"
    python3 "$E2E_ROOT/scripts/e2e/check_append.py" "$E2E_OUT/after.mgr" "$E2E_OUT/before.mgr" \
        --min-readings 100 >"$E2E_OUT/append-check.txt" 2>&1 ||
        e2e_fail "append check: $(head -n 3 "$E2E_OUT/append-check.txt")"
    "$E2E_ROOT/build/native/tools/tesselog-dump" --check "$E2E_OUT/after.mgr" >"$E2E_OUT/dump-check.txt" 2>&1 ||
        e2e_fail "tesselog-dump --check: $(tail -n 3 "$E2E_OUT/dump-check.txt")"
    e2e_log "$(cat "$E2E_OUT/append-check.txt")"
}

scenario_append_refused_other_setup() {
    local dialog text
    append_settings "$E2E_OUT/settings-3.ini" 3
    append_settings "$E2E_OUT/settings-2.ini" 2
    e2e_write_settings "$E2E_OUT/settings-3.ini"
    append_start_sim
    append_start
    append_first_survey 8
    e2e_write_settings "$E2E_OUT/settings-2.ini"
    append_start
    append_choose_file
    dialog="$(e2e_window WARNING 30)"
    e2e_screenshot refused
    e2e_close_window "$dialog" WARNING Return
    sleep 3
    e2e_no_window WARNING && e2e_no_window INFORMATION || e2e_fail "a second box after the refusal"
    text="$(append_prompts)"
    [ "$text" = 'WARNING:  Number and/or sensors setup do not match\r\n  Please adjust the configuration.' ] ||
        e2e_fail "the boxes shown were: $text"
    append_state_is Monitoring || e2e_fail "the screen went to \"$(append_state)\""
    grep -a -q ' textin 23,0 .* Stand By$' "$(append_drawlog)" && e2e_fail "the screen showed \"Stand By\""
    e2e_screenshot still-monitoring
    # No file: "E&xit" leaves the screen at once, a second "x" the program.
    e2e_keys "$APPEND_MAIN" x
    sleep 1
    e2e_keys "$APPEND_MAIN" x
    e2e_expect_exit 0 15
    cmp "$E2E_OUT/before.mgr" "$APPEND_FILE" || e2e_fail "the refused file changed"
}
