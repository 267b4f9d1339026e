#!/usr/bin/env bash
# Builds the Windows installer (installer/tesselog.nsi) from the Windows build
# tree: tesselog.exe, tesselog-dump.exe and tesselog-export.exe, stripped of
# their debug information, in build/installer/tesselog-VERSION-setup.exe. The
# version is the CMake project's, as the tree was configured with it. Prints
# the installer's path on its last line.
#
#   scripts/make-installer.sh [--build DIR] [--out DIR] [--without-export]
#
#   --build DIR        the Windows tree (default build/windows; configured and
#                      built here when needed, only the programs it packs)
#   --out DIR          where the installer goes (default build/installer)
#   --without-export   pack without tesselog-export.exe (also
#                      TESSELOG_INSTALLER_WITHOUT_EXPORT=1); a release has it,
#                      so without this a tree that does not build it is an error
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

build="build/windows"
out="build/installer"
without_export="${TESSELOG_INSTALLER_WITHOUT_EXPORT:-0}"

usage() { sed -n '9,16p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2; exit 2; }
fail() { echo "make-installer: $*" >&2; exit 1; }

while [ $# -gt 0 ]; do
    case "$1" in
        --build) [ $# -ge 2 ] || usage; build="$2"; shift 2 ;;
        --out) [ $# -ge 2 ] || usage; out="$2"; shift 2 ;;
        --without-export) without_export=1; shift ;;
        *) usage ;;
    esac
done

mkdir -p "$out"
out="$(cd "$out" && pwd)"

for program in makensis x86_64-w64-mingw32-strip; do
    command -v "$program" >/dev/null || fail "$program is missing: run scripts/install-deps.sh"
done

# Configuring (again) writes installer.env with the targets the tree has now.
if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" >/dev/null
else
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target tesselog tesselog-dump
env_file="$build/installer/installer.env"
[ -f "$env_file" ] || fail "$env_file is missing: is $build a Windows tree?"

# installer.env: VERSION, TESSELOG, DUMP and, when the tree builds it, EXPORT.
value() { sed -n "s/^$1=//p" "$env_file"; }
version="$(value VERSION)"
[[ "$version" =~ ^[0-9]+\.[0-9]+$ ]] || fail "unexpected project version \"$version\" in $env_file"
if [ -n "$(value EXPORT)" ]; then
    cmake --build "$build" -j "$(nproc)" --target tesselog-export
elif [ "$without_export" = 1 ]; then
    echo "make-installer: building WITHOUT tesselog-export.exe (--without-export)" >&2
else
    fail "tesselog-export.exe is not built by $build, and a release installer must contain it" \
         "(use --without-export or TESSELOG_INSTALLER_WITHOUT_EXPORT=1 for a test build)"
fi

# The first settings file the installer writes is the program's default file
# (tests/golden/settings-default.ini, which the unit tests hold to what the
# program writes) with the installer's data folder on line 2.

# The installer ships the programs without their debug information.
stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage"
stage_program() {
    local built="$1" name="$2"
    [ -f "$built" ] || fail "$name is missing at $built"
    x86_64-w64-mingw32-strip -o "$stage/$name" "$built"
}
stage_program "$(value TESSELOG)" tesselog.exe
stage_program "$(value DUMP)" tesselog-dump.exe
defines=()
if [ -n "$(value EXPORT)" ]; then
    stage_program "$(value EXPORT)" tesselog-export.exe
    defines+=("-DEXPORT_EXE=$stage/tesselog-export.exe")
fi

installer="$out/tesselog-$version-setup.exe"
rm -f "$out"/tesselog-*-setup.exe
makensis -V2 -NOCD \
    "-DVERSION=$version" \
    "-DTESSELOG_EXE=$stage/tesselog.exe" \
    "-DDUMP_EXE=$stage/tesselog-dump.exe" \
    "${defines[@]}" \
    "-DICON=$root/resources/tesselog.ico" \
    "-DSETTINGS_TEMPLATE=$root/tests/golden/settings-default.ini" \
    "-DOUTFILE=$installer" \
    installer/tesselog.nsi
rm -rf "$stage"
echo "Installer: $installer"
