#!/usr/bin/env bash
# A power loss at the end of a recorded file, a thousand times over (the unit test
# AppendSequence.PowerLossEndsAreCutToTheLastWholeRecord with more cases): the file cut
# at a random byte or 512-byte sector with 0 to 64 KiB of zeros after it, then "&File"
# on it. Every case must keep each whole record and group before the damage byte for
# byte, cut the rest, tell the operator in one more message and leave a well-formed
# file with the new header. Prints the test's summary line; with --wine also runs the
# Windows build of the test under Wine.
#
#   scripts/reliability-torn-ends.sh [CASES] [--wine]      (default 1000)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cases="${1:-1000}"
filter='--gtest_filter=AppendSequence.PowerLossEndsAreCutToTheLastWholeRecord'
cmake --build "$root/build/native" -j 2 --target tesselog-tests >/dev/null
echo "native:"
TESSELOG_TORN_END_CASES="$cases" "$root/build/native/tests/tesselog-tests" "$filter" |
    grep -E '^torn ends:|^\[  (PASSED|FAILED) '
if [ "${2:-}" = --wine ]; then
    cmake --build "$root/build/windows" -j 2 --target tesselog-tests >/dev/null
    echo "Windows build under Wine:"
    TESSELOG_TORN_END_CASES="$cases" WINEDEBUG=-all \
        "$root/scripts/wine-run.sh" "$root/build/windows/tests/tesselog-tests.exe" "$filter" 2>/dev/null | tr -d '\r' |
        grep -E '^torn ends:|^\[  (PASSED|FAILED) '
fi
