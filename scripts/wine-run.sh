#!/usr/bin/env bash
# Runs a Windows program of the build under the project's private Wine
# prefix (build/wine), creating the prefix on first use and giving it the
# project's font set-up (scripts/wine-fonts.sh).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
source "$root/scripts/wine-fonts.sh"
wine_fonts_setup "$WINEPREFIX"
exec wine "$@"
