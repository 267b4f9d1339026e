#!/usr/bin/env bash
# The dependency check names the Debian package of a program that is not on
# the PATH: here a PATH with every program of /usr/bin but wine's, as on a
# machine where only wine64 was installed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
bin="$(mktemp -d)"
trap 'rm -rf "$bin"' EXIT
# One ln for all of them (a later duplicate name replaces the earlier link).
ln -sf -t "$bin" /bin/* /usr/bin/*
rm -f "$bin/wine" "$bin/wineserver" "$bin/wineboot"
code=0
output="$(PATH="$bin" "$root/scripts/install-deps.sh" --check 2>&1)" || code=$?
printf '%s\n' "$output"
[ "$code" -ne 0 ] || { echo "FAIL: the check passed without wine"; exit 1; }
for program in wine wineserver wineboot; do
    grep -Eq "^  $program +install the Debian package wine$" <<<"$output" ||
        { echo "FAIL: $program is not named with its package"; exit 1; }
done
PATH="$bin:/usr/bin:/bin" "$root/scripts/install-deps.sh" --check || { echo "FAIL: the full PATH fails the check"; exit 1; }
echo "the check names wine's package"
