# Background tracks under a live survey. One two-sensor console and a GGA receiver walk
# east-west lines across the north end of a planned grid, about 18 m north of the start of
# an earlier survey of the program (the golden survey's data file, copied to
# C:\EARLIER.MGR). With a data file open, "Enter Background
# Files" (the pop-up menu's fourteenth item) loads a planned grid typed by the test
# (C:\PLAN.TXT: five north-south lines, comma-delimited UTM metres, "B" between them) and
# then the earlier survey; both are drawn in dark grey under the swath that "g" then
# records (screenshot background-under-survey, docs/screenshots/background-under-survey.png).
# A text file without positions gives "Check background file structure." and a foreign
# binary file, loaded as a data file, "Format not supported"; neither is counted nor
# leaves a copy. "Remove Background Files" takes the plan away and deletes its copy, and
# "E&xit" deletes the other. The boxes are read from the draw log's "prompt" lines.
# time limit: 200 s

background_drawlog() { printf '%s/drive_c/ProgramData/Brenvik/Temp/drawlog.txt\n' "$E2E_PREFIX"; }
background_prompts() { grep -a -o ' prompt .*' "$(background_drawlog)" | cut -c 9- || true; }
background_fix_shown() { grep -a -q -E ' textin [0-9,]+ [0-9,]+ [0-9,]+ N[0-9]+' "$(background_drawlog)" 2>/dev/null; }
# The copies in the temporary folder, one name per line in capitals (a copy is named
# after the file name as typed).
background_copies() {
    find "$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp" -maxdepth 1 -name '*.$[0-9][0-9]' -printf '%f\n' | tr 'a-z' 'A-Z' | sort
}

# Five lines 3 m apart, south to north over 40 m, around the earlier survey's start.
background_plan() {
    local i
    {
        printf '/ planned lines, easting,northing (UTM zone 30 N, metres)\r\n'
        for i in 0 1 2 3 4; do
            [ "$i" -eq 0 ] || printf 'B\r\n'
            printf '%d.000,5734675.000\r\n%d.000,5734715.000\r\n' $((620796 + 3 * i)) $((620796 + 3 * i))
        done
    } >"$1"
}

# background_menu_item DOWNS: "&Menu" and the item DOWNS places down the menu.
background_menu_item() {
    local keys=() i
    e2e_keys "$E2E_MAIN" m
    sleep 0.5
    for ((i = 0; i < $1; i++)); do keys+=(Down); done
    timeout 10 xdotool key --delay 50 "${keys[@]}" Return
}

# background_load DIALOG_KEYS FILE: the load dialog (closed with DIALOG_KEYS and Return),
# then FILE typed into the open dialog.
background_load() {
    local dialog keys=() name="${2,,}" i c
    background_menu_item 14
    dialog="$(e2e_window "Load BackGround File" 10)"
    [ -n "$BACKGROUND_LOAD_SHOT" ] || { e2e_window_screenshot "$dialog" dialog-load-background; BACKGROUND_LOAD_SHOT=1; }
    # shellcheck disable=SC2086  # the key list is split on purpose
    e2e_close_window "$dialog" "Load BackGround File" $1 Return
    for ((i = 0; i < ${#name}; i++)); do
        c="${name:i:1}"
        case "$c" in
            .) keys+=(period) ;;
            *) keys+=("$c") ;;
        esac
    done
    dialog="$(e2e_window "Open Background File" 10)"
    e2e_keys "$dialog" c colon backslash "${keys[@]}"
    e2e_close_window "$dialog" "Open Background File" Return
    sleep 2
}
BACKGROUND_LOAD_SHOT=""

background_expect_prompts() {
    local got
    got="$(background_prompts | tr '\n' '|')"
    [ "$got" = "$1" ] || e2e_fail "message boxes: \"$got\", expected \"$1\""
}

# One two-sensor console on COM4, GGA on COM2, no audio ticks, colour display, an 80 m
# map; background files as text, medium line, columns 1 and 2, comma; COORDS (line 76)
# 1 for UTM metres, 0 for degrees.
background_settings() {
    e2e_settings_variant "$E2E_OUT/settings.ini" 3=1 5=1 17=3 26=0 29=0 39=1 40=1 41=1 62=1 66=80 \
        74=1 75=2 "76=$1" 77=0 78=1 79=1
    e2e_write_settings "$E2E_OUT/settings.ini"
}

scenario_background_tracks() {
    local links dialog
    links="$E2E_OUT/links"
    mkdir -p "$links"
    background_settings 1
    background_plan "$E2E_PREFIX/drive_c/PLAN.TXT"
    cp "$E2E_ROOT/tests/scenarios/survey/expected.mgr" "$E2E_PREFIX/drive_c/EARLIER.MGR"
    printf 'no positions here\r\njust words\r\n' >"$E2E_PREFIX/drive_c/NOTES.TXT"
    head -c 4096 /dev/urandom >"$E2E_PREFIX/drive_c/PHOTO.GXY"
    e2e_map_ports "COM4=$links/console1" "COM2=$links/gps"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 1 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 4 \
        --line-length 20 --speed 1.5 --anomalies 4 --seed 5 --origin 51.75016,-1.25022 --bearing 90 --link-dir "$links" \
        --duration 190
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    E2E_MAIN="$(e2e_window Tesselog 30)"
    e2e_keys "$E2E_MAIN" l
    e2e_wait_for 15 background_fix_shown || e2e_fail "no GPS fix shown after \"l\""
    e2e_keys "$E2E_MAIN" f
    e2e_close_window "$(e2e_window "Create Data File" 10)" "Create Data File" Return
    sleep 1

    background_load "" plan.txt
    background_load Up earlier.mgr
    background_expect_prompts ""
    [ "$(background_copies | tr '\n' ' ')" = 'EARLIERMGR.$01 PLANTXT.$00 ' ] ||
        e2e_fail "copies after two loads: $(background_copies | tr '\n' ' ')"

    # Refused: nothing counted, no copy left.
    background_load Down notes.txt
    e2e_close_window "$(e2e_window "FILE ERROR" 10)" "FILE ERROR" Return
    background_load Up photo.gxy
    e2e_close_window "$(e2e_window INFORMATION 10)" INFORMATION Return
    background_expect_prompts "FILE ERROR: Check background file structure.|INFORMATION: Format not supported|"
    [ "$(background_copies | wc -l)" -eq 2 ] || e2e_fail "a refused file left a copy: $(background_copies)"

    e2e_keys "$E2E_MAIN" g
    sleep 10
    e2e_screenshot background-under-survey
    e2e_keys "$E2E_MAIN" space
    sleep 1

    background_menu_item 15
    dialog="$(e2e_window "Remove BackGround Files" 10)"
    e2e_window_screenshot "$dialog" dialog-remove-background
    e2e_close_window "$dialog" "Remove BackGround Files" space Return
    sleep 2
    [ "$(background_copies)" = 'EARLIERMGR.$01' ] || e2e_fail "copies after the removal: $(background_copies)"
    e2e_screenshot background-plan-removed

    e2e_keys "$E2E_MAIN" x
    e2e_close_window "$(e2e_window "Confirm Exit" 10)" "Confirm Exit" Return
    sleep 1
    [ -z "$(background_copies)" ] || e2e_fail "copies left after \"E&xit\": $(background_copies)"
    e2e_exit_by_x "$E2E_MAIN"
}

# A plan in latitude and longitude across the border of UTM zones 30 and 31 (0 degrees),
# under a survey that walks east across it. The run keeps zone 30, fixed by its first fix;
# the plan's points east of 0 are drawn in zone 30 as well, beside the others and under
# the swath (screenshot background-across-zones), and no point is off the map. Each point
# in the zone of its own longitude would put the eastern lines some 416 km away.
scenario_background_across_zones() {
    local links
    links="$E2E_OUT/links"
    mkdir -p "$links"
    # The plan in degrees: longitude in column 1, latitude in column 2.
    background_settings 0
    # Four north-south lines 0.0001 degrees (about 7 m) apart, two either side of 0.
    {
        printf '/ planned lines, longitude,latitude (WGS 84)\r\n'
        printf -- '-0.00015,51.49995\r\n-0.00015,51.50035\r\nB\r\n-0.00005,51.49995\r\n-0.00005,51.50035\r\nB\r\n'
        printf '0.00005,51.49995\r\n0.00005,51.50035\r\nB\r\n0.00015,51.49995\r\n0.00015,51.50035\r\n'
    } >"$E2E_PREFIX/drive_c/PLAN.TXT"
    e2e_map_ports "COM4=$links/console1" "COM2=$links/gps"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 1 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 4 \
        --line-length 20 --speed 1.5 --anomalies 4 --seed 5 --origin 51.50010,-0.00014 --bearing 90 \
        --link-dir "$links" --duration 120
    e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
    E2E_MAIN="$(e2e_window Tesselog 30)"
    e2e_keys "$E2E_MAIN" l
    e2e_wait_for 15 background_fix_shown || e2e_fail "no GPS fix shown after \"l\""
    e2e_keys "$E2E_MAIN" f
    e2e_close_window "$(e2e_window "Create Data File" 10)" "Create Data File" Return
    sleep 1

    background_load "" plan.txt
    background_expect_prompts ""
    e2e_keys "$E2E_MAIN" g
    sleep 15
    e2e_screenshot background-across-zones
    e2e_keys "$E2E_MAIN" space
    sleep 1
    e2e_keys "$E2E_MAIN" x
    e2e_close_window "$(e2e_window "Confirm Exit" 10)" "Confirm Exit" Return
    sleep 1
    e2e_exit_by_x "$E2E_MAIN"
}
