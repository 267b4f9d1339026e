#!/usr/bin/env bash
# The floors check on a small planted tree: an include from a lower floor to a
# higher one and the logging session's header outside the logging screen are
# each reported with file, line and both folders; includes downwards, within
# a folder, and from windows/ or tools/ pass.
set -euo pipefail
check="$1"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/core/{map,logscreen,export,gps} "$tree"/windows "$tree"/tools/replay
printf '#include <vector>\n#include "core/logscreen/status_painting.h"\n' > "$tree/core/map/swath.cpp"
printf '// note\n\n#include "core/logscreen/logging_session.h"\n' > "$tree/core/export/survey_walk.h"
printf '#include "core/gps/coordinates.h"\n#include "core/shell/main_commands.h"\n' > "$tree/core/gps/gps_monitor_screen.h"
printf '#include "core/map/swath.h"\n#include "core/logscreen/logging_session.h"\n' > "$tree/core/logscreen/logging_codes.cpp"
printf '#include "core/logscreen/logging_session.h"\n' > "$tree/windows/logging_screen.cpp"
printf '#include "core/shell/main_commands.h"\n' > "$tree/tools/replay/main.cpp"

set +e
out="$(python3 "$check" "$tree")"
rc=$?
set -e
expected='core/export/survey_walk.h:3: core/export includes core/logscreen, a floor above it
core/export/survey_walk.h:3: core/export includes the logging session (core/logscreen/logging_session.h)
core/gps/gps_monitor_screen.h:2: core/gps includes core/shell, a floor above it
core/map/swath.cpp:2: core/map includes core/logscreen, a floor above it'
found="$(printf '%s\n' "$out" | grep -v '^check-floors:')"
if [ "$rc" -ne 1 ] || [ "$found" != "$expected" ]; then
  printf 'exit %s, expected 1; got:\n%s\n' "$rc" "$out" >&2
  exit 1
fi

# The same tree without the breaches passes.
rm "$tree/core/map/swath.cpp" "$tree/core/export/survey_walk.h" "$tree/core/gps/gps_monitor_screen.h"
python3 "$check" "$tree" > /dev/null
echo "floors check: 4 breaches found, clean tree passes"
