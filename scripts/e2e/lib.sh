# End-to-end helpers: Wine prefixes, the settings file, COM ports on ptys, Xvfb, the
# program's window, keys, screenshots and the exit code. Source this file from a bash
# script running with `set -euo pipefail`.
#
# Everything a helper starts (or a scenario mounts) is recorded and stopped by e2e_cleanup (installed as the
# EXIT trap by e2e_init), by process id, also when a step fails. Every wait is bounded.

E2E_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
E2E_SETTINGS_REL="drive_c/ProgramData/Brenvik/Tesselog"
E2E_SETTINGS_NAME="TESSELWIN.INI"
E2E_GOLDEN_SETTINGS="$E2E_ROOT/tests/golden/settings-default.ini"
E2E_EXE="${E2E_EXE:-$E2E_ROOT/build/windows/windows/tesselog.exe}"
shopt -s inherit_errexit
source "$E2E_ROOT/scripts/wine-fonts.sh"

E2E_STOP_LIST=()        # "pid:N" or "prefix:DIR", stopped in reverse order
E2E_PREFIX=""           # the Wine prefix in use
E2E_OUT=""              # folder for logs and screenshots
E2E_PROGRAM_PID=""      # the wine process of the program
E2E_PROGRAM_CODE_FILE=""
E2E_SHOT_COUNT=0

# ---------------------------------------------------------------- messages

e2e_log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# Prints the reason and ends the script (the EXIT trap stops what was started). A
# scenario runs in a process of its own, so ending it is what a failed step means, also
# from inside a condition or a command substitution, where set -e does not act.
e2e_fail() {
    printf 'FAIL: %s\n' "$*" >&2
    # What the screen showed at the failure, for the one who reads the log.
    if [ -n "${DISPLAY:-}" ] && [ -n "${E2E_OUT:-}" ]; then
        timeout 10 import -window root "$E2E_OUT/failure.png" 2>/dev/null || true
    fi
    exit 1
}

# Ends a scenario that this machine cannot run (a thing it is not allowed to do, such as
# mounting a file system): run_all.sh reports it as SKIP with the reason, not as passed.
E2E_SKIP_STATUS=77
e2e_skip() {
    printf 'SKIP: %s\n' "$*" >&2
    exit "$E2E_SKIP_STATUS"
}

# ---------------------------------------------------------------- start and stop

# e2e_init OUT_DIR: the folder for logs and screenshots; installs the clean-up trap.
e2e_init() {
    E2E_OUT="$1"
    mkdir -p "$E2E_OUT"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

e2e_track_pid() { E2E_STOP_LIST+=("pid:$1"); }
e2e_track_prefix() { E2E_STOP_LIST+=("prefix:$1"); }
# e2e_track_command CMD...: a command run at clean-up, in turn with the stops (an
# unmount after the program that held the disk has been stopped).
e2e_track_command() { E2E_STOP_LIST+=("run:$(printf '%q ' "$@")"); }

e2e_pid_alive() {
    local pid="$1" state
    [ -r "/proc/$pid/stat" ] || return 1
    state="$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null || true)"
    [ -n "$state" ] && [ "$state" != "Z" ]
}

# Polls CMD every 0.1 s until it succeeds or SECONDS pass. e2e_wait_for SECONDS CMD...
e2e_wait_for() {
    local seconds="$1"
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# Stops one process: TERM, up to 3 s of grace, then KILL.
e2e_stop_pid() {
    local pid="$1"
    e2e_pid_alive "$pid" || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    e2e_wait_for 3 e2e_not_alive "$pid" || kill -KILL "$pid" 2>/dev/null || true
}
e2e_not_alive() { ! e2e_pid_alive "$1"; }

# Ends every process of a prefix (the program, explorer, services) and its wineserver.
e2e_stop_prefix() {
    local prefix="$1"
    [ -d "$prefix" ] || return 0
    WINEPREFIX="$prefix" timeout 15 wineserver -k 2>/dev/null || true
    WINEPREFIX="$prefix" timeout 15 wineserver -w 2>/dev/null || true
}

e2e_cleanup() {
    local code=$? i entry
    trap - EXIT
    [ -z "${E2E_LOG_CLEANUP:-}" ] || e2e_log "stopping what was started"
    for ((i = ${#E2E_STOP_LIST[@]} - 1; i >= 0; i--)); do
        entry="${E2E_STOP_LIST[i]}"
        case "$entry" in
            pid:*) e2e_stop_pid "${entry#pid:}" ;;
            prefix:*) e2e_stop_prefix "${entry#prefix:}" ;;
            run:*) eval "${entry#run:}" || true ;;
        esac
    done
    E2E_STOP_LIST=()
    [ -z "${E2E_LOG_CLEANUP:-}" ] || e2e_log "stopped"
    exit "$code"
}

# ---------------------------------------------------------------- Wine prefixes

e2e_wine() { WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all timeout 60 wine "$@"; }

# Creates a prefix with wineboot and the project's font set-up, waiting until its
# wineserver has ended.
e2e_prefix_create() {
    local prefix="$1"
    mkdir -p "$prefix"
    e2e_track_prefix "$prefix"
    WINEPREFIX="$prefix" WINEDEBUG=-all DISPLAY='' timeout 180 wineboot -i >/dev/null 2>&1 ||
        e2e_fail "wineboot -i failed in $prefix"
    WINEPREFIX="$prefix" timeout 60 wineserver -w || e2e_fail "wineserver of $prefix did not end"
    [ -f "$prefix/system.reg" ] || e2e_fail "no registry in $prefix after wineboot"
    e2e_prefix_fonts "$prefix"
}

# The font set-up of an existing prefix, renewed when scripts/wine-fonts.reg changed.
e2e_prefix_fonts() {
    wine_fonts_setup "$1" || e2e_fail "no font set-up in $1 (see above)"
}

# e2e_prepare_base_prefix DIR: the prefix that scenarios and measurements copy, made
# once with wineboot and then reused; its font set-up follows scripts/wine-fonts.reg.
e2e_prepare_base_prefix() {
    local base="$1"
    if [ ! -f "$base/.e2e-ready" ]; then
        e2e_log "preparing the Wine prefix $base (once, about 20 s)"
        rm -rf "$base"
        e2e_prefix_create "$base"
        touch "$base/.e2e-ready"
    fi
    e2e_prefix_fonts "$base"
}

# A copy of a prepared prefix. The files are hard links (a prefix is about 700 MB and
# the program writes none of them) except the registry files, which wineserver rewrites,
# so they are real copies. Wine replaces its dosdevices links rather than editing them.
e2e_prefix_copy() {
    local base="$1" copy="$2" reg
    [ -f "$base/system.reg" ] || e2e_fail "no prepared prefix at $base"
    rm -rf "$copy"
    mkdir -p "$(dirname "$copy")"
    cp -al "$base" "$copy"
    for reg in "$copy"/*.reg; do
        cp --remove-destination "$base/$(basename "$reg")" "$reg"
    done
    rm -rf "${copy:?}/drive_c/ProgramData/Brenvik"
}

# e2e_use_prefix DIR: the prefix that the following steps act on.
e2e_use_prefix() {
    E2E_PREFIX="$1"
    e2e_track_prefix "$E2E_PREFIX"
}

# ---------------------------------------------------------------- settings file

e2e_settings_dir() { printf '%s/%s\n' "$E2E_PREFIX" "$E2E_SETTINGS_REL"; }
e2e_settings_file() { printf '%s/%s/%s\n' "$E2E_PREFIX" "$E2E_SETTINGS_REL" "$E2E_SETTINGS_NAME"; }

# The folder the program needs for its settings to persist (it never creates it).
e2e_make_settings_dir() { mkdir -p "$(e2e_settings_dir)"; }

# e2e_write_settings FILE: installs FILE as the program's settings file.
e2e_write_settings() {
    e2e_make_settings_dir
    cp "$1" "$(e2e_settings_file)"
}

# e2e_settings_variant OUT LINE=VALUE...: the default settings file with some lines
# replaced, CR LF kept. Example: e2e_settings_variant gps-off.ini 39=0
e2e_settings_variant() {
    local out="$1"
    shift
    local edits="" pair
    for pair in "$@"; do
        edits+="${pair}"$'\n'
    done
    awk -v edits="$edits" '
        BEGIN {
            ORS = "\r\n"
            n = split(edits, pairs, "\n")
            for (i = 1; i <= n; i++) {
                if (pairs[i] == "") continue
                eq = index(pairs[i], "=")
                value[substr(pairs[i], 1, eq - 1) + 0] = substr(pairs[i], eq + 1)
            }
        }
        { sub(/\r$/, "") }
        (NR in value) { $0 = value[NR] }
        { print }
    ' "$E2E_GOLDEN_SETTINGS" >"$out"
}

# Fails unless FILE is a settings file in form: 79 lines, every one ending in CR LF.
e2e_check_settings_form() {
    local file="$1" lines crlf
    [ -f "$file" ] || e2e_fail "no settings file $file"
    lines="$(wc -l <"$file")"
    crlf="$(grep -c $'\r$' "$file" || true)"
    [ "$lines" -eq 79 ] || e2e_fail "$file has $lines lines, not 79"
    [ "$crlf" -eq 79 ] || e2e_fail "$file has $crlf CR LF line ends of 79"
    [ "$(tail -c 2 "$file" | od -An -tx1 | tr -d ' ')" = "0d0a" ] || e2e_fail "$file does not end in CR LF"
}

# Prints "N: old -> new" for every line that differs between two settings files.
e2e_settings_diff() {
    awk '
        { sub(/\r$/, "") }
        NR == FNR { old[FNR] = $0; count = FNR; next }
        { if (!(FNR in old) || old[FNR] != $0) printf "%d: %s -> %s\n", FNR, old[FNR], $0; seen = FNR }
        END { for (i = seen + 1; i <= count; i++) printf "%d: %s -> (missing)\n", i, old[i] }
    ' "$1" "$2"
}

# e2e_expect_settings_change OLD NEW "N: old -> new"...: exactly these lines changed.
e2e_expect_settings_change() {
    local old="$1" new="$2"
    shift 2
    local expected actual
    e2e_check_settings_form "$new"
    expected="$(printf '%s\n' "$@")"
    actual="$(e2e_settings_diff "$old" "$new")"
    if [ "$actual" != "$expected" ]; then
        printf 'expected changes:\n%s\nactual changes:\n%s\n' "$expected" "${actual:-(none)}" >&2
        e2e_fail "settings file changed other than expected"
    fi
}

e2e_expect_same_bytes() {
    cmp -s "$1" "$2" || {
        e2e_settings_diff "$1" "$2" >&2 || true
        e2e_fail "$2 differs from $1"
    }
}

# ---------------------------------------------------------------- COM ports

# e2e_map_ports COMn=PATH...: Wine opens PATH for COMn. Wine rewrites dosdevices/comN
# from the registry at start-up, so the mapping goes there; the prefix's wineserver is
# then ended so that the next start reads it.
e2e_map_ports() {
    local pair port path
    for pair in "$@"; do
        port="${pair%%=*}"
        path="${pair#*=}"
        e2e_wine reg add 'HKLM\Software\Wine\Ports' /v "$port" /t REG_SZ /d "$path" /f >/dev/null 2>&1 ||
            e2e_fail "could not map $port to $path"
        e2e_log "$port -> $path"
    done
    e2e_stop_prefix "$E2E_PREFIX"
}

# ---------------------------------------------------------------- a silent port

# e2e_start_silent_pty DIR: a pty pair whose far end is held open and never written, so a
# port mapped to it stays there, silent. Sets E2E_SILENT_PTY to the port's end. (Not
# called inside $(...), which would lose the pid kept for clean-up.)
E2E_SILENT_PTY=""
e2e_start_silent_pty() {
    python3 -c '
import os, pty, time, tty
master, slave = pty.openpty()
tty.setraw(master)
print(os.ttyname(slave), flush=True)
time.sleep(7200)
' >"$1/pty.txt" 2>&1 &
    e2e_track_pid $!
    e2e_wait_for 10 test -s "$1/pty.txt" || e2e_fail "no pty"
    E2E_SILENT_PTY="$(head -n 1 "$1/pty.txt")"
}

# ---------------------------------------------------------------- CPU figures

# e2e_cpu_ticks PID: user and system clock ticks the process has used (0 when gone).
e2e_cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }

# e2e_wineserver_pid: the prefix's wineserver, which serves every read and time-out of
# the program: the live one whose working directory is the prefix's server folder
# (.../server-<device>-<inode> of the prefix, both in hex).
e2e_wineserver_pid() {
    local id p found=""
    id="$(stat -c '%d %i' "$E2E_PREFIX" | awk '{printf "server-%x-%x", $1, $2}')"
    for p in $(pgrep -x wineserver64 || true) $(pgrep -x wineserver || true); do
        e2e_pid_alive "$p" || continue
        case "$(readlink "/proc/$p/cwd" 2>/dev/null)" in */"$id") found="$p" ;; esac
    done
    printf '%s\n' "$found"
}

# ---------------------------------------------------------------- simulator

E2E_SIM_PID=""
declare -gA E2E_SIM_PORTS=()   # "console1".."console9", "gps" -> /dev/pts/N

# e2e_start_sim LOG ARGS...: starts tesselog-sim (E2E_SIM, or the native tree's), waits
# (up to 10 s) for its port lines, which it prints all at once, and fills E2E_SIM_PORTS.
# The receiver's clock is the computer's (--start-time now), as a real receiver's agrees
# with it, so that no screen shows a clock warning; a later --start-time or a
# --clock-offset among ARGS still sets its own (the simulator takes an option's last value).
e2e_start_sim() {
    local log="$1" sim="${E2E_SIM:-$E2E_ROOT/build/native/tools/tesselog-sim}"
    shift
    [ -x "$sim" ] || e2e_fail "no simulator at $sim (build the native tree)"
    "$sim" --start-time now "$@" >"$log" 2>&1 &
    E2E_SIM_PID=$!
    e2e_track_pid "$E2E_SIM_PID"
    e2e_wait_for 10 e2e_sim_ports_listed "$log" || e2e_fail "simulator listed no ports (see $log)"
    local name path
    while read -r name path; do
        E2E_SIM_PORTS["$name"]="$path"
    done < <(sed -n -E -e 's/^console ([1-9]): (\/dev\/[^ ]+)$/console\1 \2/p' \
                       -e 's/^gps: (\/dev\/[^ ]+)$/gps \1/p' "$log")
}
e2e_sim_ports_listed() {
    e2e_pid_alive "$E2E_SIM_PID" || e2e_fail "simulator ended early: $(tail -n 3 "$1")"
    grep -q -E '^(console [1-9]|gps): /dev/' "$1"
}

# ---------------------------------------------------------------- X display

# e2e_start_xvfb [FIRST]: starts Xvfb 1280x1024x24 (E2E_SCREEN=WxHxD for another) on the
# first free display from FIRST (default 15) and exports DISPLAY. With E2E_DISPLAY set,
# that display is used as is.
e2e_start_xvfb() {
    if [ -n "${E2E_DISPLAY:-}" ]; then
        export DISPLAY="$E2E_DISPLAY"
        return 0
    fi
    local display="${1:-15}" last=$((${1:-15} + 30)) pid
    for ((; display <= last; display++)); do
        [ -e "/tmp/.X${display}-lock" ] && continue
        [ -e "/tmp/.X11-unix/X${display}" ] && continue
        # Key repeat after 30 s, that is never: on a busy machine xdotool's key-up can
        # come later than the usual 660 ms, and a repeated key would reach the program
        # twice (a second "g" pauses what the first started).
        Xvfb ":$display" -screen 0 "${E2E_SCREEN:-1280x1024x24}" -nolisten tcp -ardelay 30000 -arinterval 30000 \
            >"$E2E_OUT/xvfb.log" 2>&1 &
        pid=$!
        if e2e_wait_for 10 e2e_xvfb_ready "$pid" "$display"; then
            e2e_track_pid "$pid"
            export DISPLAY=":$display"
            e2e_log "Xvfb on $DISPLAY (pid $pid)"
            return 0
        fi
        e2e_stop_pid "$pid"
    done
    e2e_fail "no free X display from :${1:-15}"
}
e2e_xvfb_ready() {
    e2e_pid_alive "$1" || return 0   # ended: the caller sees no socket and moves on
    [ -S "/tmp/.X11-unix/X$2" ]
}

# ---------------------------------------------------------------- the program

# e2e_start_program [EXE]: starts the program in the prefix on $DISPLAY, with OUT as its
# working directory. Its output goes to OUT/program.log; its exit code is written to
# OUT/exit-code when it ends. Never call it inside $(...) (see e2e_start_main).
# Wine's window warnings stay on in the program's log: they are silent in a good run,
# and say why a window could not be made in a failed start (the server refused it, or
# a creation message ended it).
E2E_PROGRAM_WINEDEBUG='-all,err+win,warn+win'

e2e_start_program() {
    local exe="${1:-$E2E_EXE}"
    [ -f "$exe" ] || e2e_fail "no program at $exe"
    E2E_PROGRAM_CODE_FILE="$E2E_OUT/exit-code"
    rm -f "$E2E_PROGRAM_CODE_FILE" "$E2E_OUT/program.pid"
    # A server started first keeps its own messages (an object dump when it is killed)
    # out of the program's log. It ends 2 s after its last client, or at clean-up.
    WINEPREFIX="$E2E_PREFIX" timeout 10 wineserver -p2 >>"$E2E_OUT/wineserver.log" 2>&1 ||
        e2e_fail "wineserver did not start for $E2E_PREFIX"
    (
        cd "$E2E_OUT" || exit 1
        WINEPREFIX="$E2E_PREFIX" WINEDEBUG="${WINEDEBUG:-$E2E_PROGRAM_WINEDEBUG}" wine "$exe" >"$E2E_OUT/program.log" 2>&1 &
        echo $! >"$E2E_OUT/program.pid"
        code=0
        wait $! || code=$?
        echo "$code" >"$E2E_PROGRAM_CODE_FILE"
    ) &
    e2e_track_pid $!
    e2e_wait_for 5 test -s "$E2E_OUT/program.pid" || e2e_fail "program did not start"
    E2E_PROGRAM_PID="$(cat "$E2E_OUT/program.pid")"
    e2e_track_pid "$E2E_PROGRAM_PID"
    e2e_log "started $(basename "$exe") (pid $E2E_PROGRAM_PID)"
}

# e2e_window TITLE [SECONDS]: prints the id of the visible window titled exactly TITLE,
# waiting up to SECONDS (default 20); fails at once when the program has ended.
e2e_window() {
    local title="$1" seconds="${2:-20}" deadline id pattern
    deadline=$((SECONDS + seconds))
    pattern="$(e2e_title_pattern "$title")"
    while :; do
        id="$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true)"
        if [ -n "$id" ]; then
            printf '%s\n' "$id"
            return 0
        fi
        e2e_program_running || e2e_fail "program ended (code $(e2e_exit_code)) while waiting for \"$title\""
        [ "$SECONDS" -lt "$deadline" ] || e2e_fail "no window \"$title\" after $seconds s"
        sleep 0.1
    done
}
e2e_title_pattern() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g')"; }
e2e_program_running() { [ -z "$E2E_PROGRAM_PID" ] || e2e_pid_alive "$E2E_PROGRAM_PID"; }
e2e_exit_code() { cat "$E2E_PROGRAM_CODE_FILE" 2>/dev/null || echo '?'; }

# Succeeds when no visible window is titled exactly TITLE.
e2e_no_window() {
    ! xdotool search --onlyvisible --name "$(e2e_title_pattern "$1")" >/dev/null 2>&1
}

# e2e_keys WINDOW KEY...: gives WINDOW the keyboard focus and types the keys (xdotool
# names: a, Return, Tab, Escape, Down, BackSpace...). Lower-case letters only: an
# upper-case one adds a Shift key-down first.
e2e_keys() {
    local window="$1"
    shift
    timeout 5 xdotool windowfocus "$window" || e2e_fail "could not focus window $window"
    sleep 0.1
    timeout 10 xdotool key --clearmodifiers --delay 50 "$@" || e2e_fail "could not send keys $*"
    sleep 0.2
}

# e2e_screenshot NAME: OUT/NN-NAME.png of the whole screen.
e2e_screenshot() {
    E2E_SHOT_COUNT=$((E2E_SHOT_COUNT + 1))
    local file
    file="$(printf '%s/%02d-%s.png' "$E2E_OUT" "$E2E_SHOT_COUNT" "$1")"
    timeout 20 import -window root "$file" || e2e_fail "screenshot $file failed"
    e2e_log "screenshot $file"
}

# e2e_window_screenshot WINDOW NAME: OUT/NN-NAME.png of that window alone (a dialog).
e2e_window_screenshot() {
    E2E_SHOT_COUNT=$((E2E_SHOT_COUNT + 1))
    local file
    file="$(printf '%s/%02d-%s.png' "$E2E_OUT" "$E2E_SHOT_COUNT" "$2")"
    timeout 20 import -window "$1" "$file" || e2e_fail "screenshot $file failed"
    e2e_log "screenshot $file"
}

# e2e_wait_exit [SECONDS]: waits up to SECONDS (default 15) for the program to end and
# prints its exit code.
e2e_wait_exit() {
    local seconds="${1:-15}"
    e2e_wait_for "$seconds" test -s "$E2E_PROGRAM_CODE_FILE" ||
        e2e_fail "program still running after $seconds s"
    cat "$E2E_PROGRAM_CODE_FILE"
}

# e2e_expect_exit CODE [SECONDS]
e2e_expect_exit() {
    local code
    code="$(e2e_wait_exit "${2:-15}")"
    [ "$code" = "$1" ] || e2e_fail "program exit code $code, expected $1"
    e2e_log "program ended with code $code"
}

# ---------------------------------------------------------------- scenario steps

# e2e_scenario_begin OUT_DIR BASE_PREFIX: the usual start of a scenario: logs and
# screenshots in OUT_DIR, a fresh copy of the prepared prefix, an X display.
e2e_scenario_begin() {
    E2E_LOG_CLEANUP=1
    e2e_init "$1"
    e2e_prefix_copy "$2" "$1/prefix"
    e2e_use_prefix "$1/prefix"
    e2e_start_xvfb 15
}

# Starts the program and sets E2E_MAIN to its main window's id once it shows. (Not
# called inside $(...): the program would hold the substitution's pipe open, and the
# pids recorded for clean-up would be lost with the subshell.)
E2E_MAIN=""
e2e_start_main() {
    e2e_start_program
    E2E_MAIN="$(e2e_window Tesselog 30)"
}

# e2e_close_window_patiently WINDOW TITLE KEYS...: the keys again until the window has
# gone (up to five times). A screen under the full logging load draws a new dialog slowly
# and may miss the first keys.
e2e_close_window_patiently() {
    local window="$1" title="$2" i
    shift 2
    for i in 1 2 3 4 5; do
        e2e_keys "$window" "$@"
        e2e_wait_for 10 e2e_no_window "$title" && return 0
    done
    e2e_fail "\"$title\" did not close"
}

# e2e_pause_and_quit MAIN_WINDOW: pauses the recording, leaves the logging screen
# ("E&xit", Yes) and then the program, which must end with code 0.
e2e_pause_and_quit() {
    e2e_keys "$1" space
    sleep 1
    e2e_keys "$1" x
    e2e_close_window_patiently "$(e2e_window "Confirm Exit" 20)" "Confirm Exit" Return
    sleep 1
    e2e_keys "$1" x
    e2e_expect_exit 0 15
}

# e2e_three_consoles SECONDS SETTINGS_EDITS...: three two-sensor consoles on COM4..COM6
# and a GGA receiver on COM2 from the simulator, walking four lines of 24 m at 1.5 m/s
# for SECONDS; the settings (no audio ticks, any key pauses, the antenna over the
# array's middle, map size 40, readings scale 30..130) with the edits on top.
e2e_three_consoles() {
    local seconds="$1" links="$E2E_OUT/links"
    shift
    mkdir -p "$links"
    e2e_settings_variant "$E2E_OUT/settings.ini" 17=3 18=4 19=5 26=0 29=0 36=30 37=130 39=1 40=1 41=1 \
        49=2.5 50=0 66=40 "$@"
    e2e_write_settings "$E2E_OUT/settings.ini"
    e2e_map_ports "COM4=$links/console1" "COM5=$links/console2" "COM6=$links/console3" "COM2=$links/gps"
    e2e_start_sim "$E2E_OUT/sim.log" --consoles 3 --types 2 --rate 10 --gps-mode 1 --gps-rate 5 --lines 4 \
        --line-length 24 --speed 1.5 --anomalies 6 --seed 3 --link-dir "$links" --duration "$seconds" \
        --start-time now
}

# e2e_record MAIN_WINDOW: "l" opens the logging screen, "f" and Return create the
# proposed data file, "g" records.
e2e_record() {
    e2e_keys "$1" l
    sleep 4
    e2e_keys "$1" f
    e2e_close_window "$(e2e_window "Create Data File" 20)" "Create Data File" Return
    sleep 1
    e2e_keys "$1" g
}

# e2e_open_dialog MAIN_WINDOW KEY TITLE: presses KEY in the main window and prints the
# id of the window titled TITLE that it opens.
e2e_open_dialog() {
    e2e_keys "$1" "$2"
    e2e_window "$3" 10
}

# e2e_close_window WINDOW TITLE KEY...: sends the keys and waits (up to 5 s) until no
# window titled TITLE is left.
e2e_close_window() {
    local window="$1" title="$2"
    shift 2
    e2e_keys "$window" "$@"
    e2e_wait_for 5 e2e_no_window "$title" || e2e_fail "\"$title\" still open after keys $*"
}

# "x" ("E&xit") in the main window ends the program with exit code 0.
e2e_exit_by_x() {
    e2e_keys "$1" x
    e2e_expect_exit 0 15
}

# e2e_near_limit_survey FIXES: a data file of FIXES positions (made once per build tree:
# the same options give the same bytes) copied to C:\near.mgr, and its set-up: nine
# two-sensor consoles on COM3..COM11 linked under $E2E_OUT/links, GGA on COM2, colour
# display, map size 100 m. The caller starts the simulator with --link-dir "$E2E_OUT/links".
e2e_near_limit_survey() {
    local fixes="$1" big links="$E2E_OUT/links" ports=("COM2=$E2E_OUT/links/gps") k
    big="$E2E_ROOT/build/e2e/near-limit-$fixes.mgr"
    [ -s "$big" ] || "$E2E_ROOT/scripts/make-full-size-file.sh" --fixes "$fixes" "$big" >>"$E2E_OUT/make.log" 2>&1 ||
        e2e_fail "could not make the file (see make.log)"
    cp "$big" "$E2E_PREFIX/drive_c/near.mgr"
    e2e_settings_variant "$E2E_OUT/settings.ini" 3=9 5=1 6=1 7=1 8=1 9=1 10=1 11=1 12=1 13=1 \
        17=2 18=3 19=4 20=5 21=6 22=7 23=8 24=9 25=10 26=0 27=0 39=1 40=1 41=1 62=1 66=100
    e2e_write_settings "$E2E_OUT/settings.ini"
    mkdir -p "$links"
    for k in 1 2 3 4 5 6 7 8 9; do ports+=("COM$((k + 2))=$links/console$k"); done
    e2e_map_ports "${ports[@]}"
}
