# Starts and exits in a row. Each start runs the test build until its main window
# shows, "x" ends it, and it must end with code 0; a start that ends before its window
# shows (code 16: a window not made) fails the scenario. The program tries once more
# when a window could not be made and the test build writes that second try into its
# draw log: every try is counted. E2E_STARTS=N sets the number of starts (3 here;
# scripts/reliability-starts.sh runs 200 beside two busy loops). Writes one line per
# start to starts.txt: number, seconds until the window showed, second tries.
# time limit: 120 s

scenario_starts_in_a_row() {
    local starts="${E2E_STARTS:-3}" i began shown retries total=0 drawlog
    drawlog="$E2E_PREFIX/drive_c/ProgramData/Brenvik/Temp/drawlog.txt"
    e2e_make_settings_dir
    : >"$E2E_OUT/starts.txt"
    for ((i = 1; i <= starts; i++)); do
        # The previous start's server ends first, as when the operator starts again.
        WINEPREFIX="$E2E_PREFIX" timeout 30 wineserver -w || true
        began="$(date +%s.%N)"
        e2e_start_program "$(dirname "$E2E_EXE")/tesselog-drawlog.exe"
        E2E_MAIN="$(e2e_window Tesselog 60)"
        shown="$(awk -v a="$began" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')"
        retries="$(grep -c '^.*start-up retry: ' "$drawlog" || true)"
        total=$((total + retries))
        [ "$i" -ne 1 ] || e2e_screenshot main-window
        e2e_keys "$E2E_MAIN" x
        e2e_expect_exit 0 30
        printf '%d %s %d\n' "$i" "$shown" "$retries" >>"$E2E_OUT/starts.txt"
    done
    e2e_log "$starts starts, every one ended with code 0; $total second tries"
}
