#!/usr/bin/env bash
# Serial ports of the Win32 layer against real pseudo-terminals.
#
#   run_port_tests.sh <tesselog-platform-tests.exe> [wine prefix]
#
# Creates two pty pairs (pty_helper.py), maps COM5 and COM12 of a private
# Wine prefix to them and removes any mapping of COM40 and COM99 (the missing
# ports), restarts that prefix's wineserver so the mapping takes effect, then
# runs the port cases of the platform tests (opening and line settings). While
# the program holds a port open it asks the helper for the pty's termios, as
# Linux sees them, and checks the values. A pty keeps every line setting except
# the data bits and the parity enable (Linux forces 8 bits, no parity), so the program runs
# under strace and the helper also reads the termios Wine handed the kernel.
# A Wine mapping must name the pty itself: through a further symbolic link
# Wine opens the port as an unknown device.
# The prefix is private because a wineserver restart would end every other
# Wine program of a shared prefix; it is copied from the build's default
# prefix the first time and has the project's font set-up like every prefix
# (scripts/wine-fonts.sh). Everything started here is stopped on exit, also
# when a step fails.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
exe="$(realpath "${1:?usage: run_port_tests.sh <platform-tests.exe> [wine prefix]}")"
prefix="$(realpath -m "${2:-$(dirname "$exe")/wine-ports}")"
template="${WINEPREFIX:-$root/build/wine}"
export WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all}"

command -v strace >/dev/null || { echo "run_port_tests.sh needs strace" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/tesselog-ports.XXXXXX")"
helper_pid=""
cleanup() {
    local rc=$?
    touch "$work/done" 2>/dev/null || true
    if [ -n "$helper_pid" ]; then
        kill "$helper_pid" 2>/dev/null || true
        wait "$helper_pid" 2>/dev/null || true
    fi
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ ! -f "$prefix/system.reg" ]; then
    if [ -f "$template/system.reg" ] && [ "$(realpath "$template")" != "$(realpath -m "$prefix")" ]; then
        rm -rf "$prefix"
        cp -a "$template" "$prefix"
    else
        mkdir -p "$prefix"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w || true
    fi
fi
source "$root/scripts/wine-fonts.sh"
wine_fonts_setup "$prefix"

python3 "$here/pty_helper.py" "$work" 90 &
helper_pid=$!
for _ in $(seq 100); do
    [ -f "$work/ptys" ] && break
    kill -0 "$helper_pid" 2>/dev/null || { echo "pty helper failed" >&2; exit 1; }
    sleep 0.05
done
[ -f "$work/ptys" ] || { echo "pty helper gave no ptys" >&2; exit 1; }
{ read -r pty_com5; read -r pty_com12; } < "$work/ptys"
echo "COM5 -> $pty_com5, COM12 -> $pty_com12"

# Wine reads the port mapping when its server starts.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
# A mapped port opens even when its target is missing (as an unknown device),
# and Wine keeps using a link it made earlier, so the missing ports lose both
# their values and their links. One import starts Wine once.
printf '%s\r\n' REGEDIT4 '' '[HKEY_LOCAL_MACHINE\Software\Wine\Ports]' \
    "\"COM5\"=\"$pty_com5\"" "\"COM12\"=\"$pty_com12\"" '"COM40"=-' '"COM99"=-' > "$work/ports.reg"
wine reg import "Z:$work/ports.reg" >/dev/null
wineserver -k
wineserver -w 2>/dev/null || true
rm -f "$prefix/dosdevices/com40" "$prefix/dosdevices/com99"

status=0
TESSELOG_PORT_DIR="Z:$work" TESSELOG_PTY_COM5="$pty_com5" TESSELOG_PTY_COM12="$pty_com12" \
    timeout 60 strace -y -v -qq -e trace=ioctl -e signal=none -o "$work/ioctl.log" \
    wine "$exe" --gtest_filter='SerialPortTest.*' >"$work/output" 2>&1 || status=$?
cat "$work/output"
# A case that skipped (no environment reached the program) proves nothing.
if grep -q '^\[  SKIPPED \]' "$work/output" || ! grep -q '^\[  PASSED  \]' "$work/output"; then
    [ "$status" -ne 0 ] || status=1
fi
exit "$status"
