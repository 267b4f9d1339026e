#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tesselog need,
# only those that are missing, so a second run costs nothing. Then checks that
# every program the project's scripts call is on the PATH, and stops with the
# name of the package to install when one is not.
#
#   scripts/install-deps.sh            install what is missing, then check
#   scripts/install-deps.sh --check    only check
#
# Every package is named here: apt runs with --no-install-recommends, so a
# program that a package only recommends (wine64 recommends wine, which puts
# wine, wineserver and wineboot on the PATH) is missing on a fresh machine
# unless its own package is listed.
set -euo pipefail

# Libraries, fonts and tools without a program of their own on the PATH.
library_packages=(
    libgtest-dev googletest libbenchmark-dev libcli11-dev libclang-rt-14-dev
    mingw-w64-tools
    # zlib for the export's PNG pictures, natively and for the Windows tree.
    zlib1g-dev libz-mingw-w64-dev
    # The faces the program asks for: wine's own Tahoma for "MS Shell Dlg" and
    # Liberation Sans (Arial's metrics) for "Microsoft Sans Serif", set up in
    # every Wine prefix the project makes (scripts/wine-fonts.reg).
    fonts-wine fonts-liberation2
)

# The one list of programs the scripts call: "program package".
required_programs=(
    "cmake cmake"
    "ctest cmake"
    "make make"
    "g++ g++"
    "x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix"
    "x86_64-w64-mingw32-windres binutils-mingw-w64-x86-64"
    "x86_64-w64-mingw32-strip binutils-mingw-w64-x86-64"
    "makensis nsis"
    "clang clang"
    "wine wine"
    "wineserver wine"
    "wineboot wine"
    "Xvfb xvfb"
    "xdotool xdotool"
    "import imagemagick"
    "compare imagemagick"
    "cs2cs proj-bin"
    # The export's known-truth test reads the picture for a GIS with GDAL.
    "gdalinfo gdal-bin"
    "strace strace"
    "python3 python3"
    "timeout coreutils"
    "awk mawk"
    "cmp diffutils"
)

# Prints "program package" for every program of the list that is not on the PATH.
missing_programs() {
    local entry program
    for entry in "${required_programs[@]}"; do
        program="${entry%% *}"
        command -v "$program" >/dev/null 2>&1 || printf '%s\n' "$entry"
    done
}

install_missing_packages() {
    local packages=("${library_packages[@]}") entry missing=() p sudo_cmd=""
    for entry in "${required_programs[@]}"; do
        packages+=("${entry#* }")
    done
    for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    echo "Installing: ${missing[*]}"
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

check_programs() {
    local absent
    absent="$(missing_programs)"
    [ -z "$absent" ] && return 0
    echo "These programs are needed but not on the PATH:" >&2
    while read -r program package; do
        printf '  %-30s install the Debian package %s\n' "$program" "$package" >&2
    done <<<"$absent"
    echo "(apt-get install --no-install-recommends $(awk '{print $2}' <<<"$absent" | sort -u | paste -sd ' '))" >&2
    return 1
}

[ "${1:-}" = "--check" ] || install_missing_packages
check_programs
