#!/usr/bin/env bash
# The font set-up of a Wine prefix, the same in every prefix the project makes (the
# Windows tests', the end-to-end base prefix, the run command's and the port tests'):
# scripts/wine-fonts.reg imported once, and again whenever that file is newer than the
# prefix's stamp, so a prefix made before a change of the file gets the change too.
# Source this file and call wine_fonts_setup PREFIX, or run it: scripts/wine-fonts.sh PREFIX.
#
# Without the set-up Wine draws "Microsoft Sans Serif" in whatever face it falls back
# to (DejaVu Sans on a fresh Debian), which is wider than the status fields of the
# logging screen are made for, and the texts differ from machine to machine.

WINE_FONTS_REG="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-fonts.reg"

# The font files the set-up names, with their Debian packages.
WINE_FONTS_FILES=(
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf fonts-liberation2"
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf fonts-liberation2"
    "/usr/share/wine/fonts/tahoma.ttf fonts-wine"
    "/usr/share/wine/fonts/tahomabd.ttf fonts-wine"
)

# Fails, naming the package, when a font file of the set-up is missing: Wine would
# fall back to another face without a word.
wine_fonts_check_files() {
    local entry file missing=0
    for entry in "${WINE_FONTS_FILES[@]}"; do
        file="${entry%% *}"
        if [ ! -f "$file" ]; then
            echo "missing font $file: install the Debian package ${entry#* }" >&2
            missing=1
        fi
    done
    return "$missing"
}

# wine_fonts_setup PREFIX: imports the set-up into an existing prefix unless its stamp
# is newer than the .reg file. Waits until the prefix's wineserver has written the
# registry, so the prefix can be copied right after.
wine_fonts_setup() {
    local prefix="$1" stamp="$1/.tesselog-fonts"
    [ -f "$prefix/system.reg" ] || { echo "no Wine prefix at $prefix" >&2; return 1; }
    [ "$stamp" -nt "$WINE_FONTS_REG" ] && return 0
    wine_fonts_check_files || return 1
    WINEPREFIX="$prefix" WINEDEBUG=-all DISPLAY='' timeout 60 wine regedit /S "Z:$WINE_FONTS_REG" ||
        { echo "could not import $WINE_FONTS_REG into $prefix" >&2; return 1; }
    WINEPREFIX="$prefix" timeout 60 wineserver -w || true
    touch "$stamp"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    wine_fonts_setup "${1:?usage: scripts/wine-fonts.sh WINEPREFIX}"
fi
