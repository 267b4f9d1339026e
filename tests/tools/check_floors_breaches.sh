#!/usr/bin/env bash
# The floors check on a small planted tree: an include from a lower floor to a
# higher one and the logging session's header outside the logging screen are
# each reported with file, line and both folders, and so are a core/ include of
# resources/ that is not a table of ids or is missing and a resource header
# that includes core/; includes downwards, within a folder, of an ids table
# that is there, and from windows/ or tools/ pass.
set -euo pipefail
check="$1"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/core/{map,logscreen,export,gps,settings} "$tree"/windows "$tree"/tools/replay "$tree"/resources
printf '#define IDC_X 100\n' > "$tree/resources/setup_dialog_ids.h"
printf '#include "core/settings/settings.h"\n' > "$tree/resources/logging_dialog_ids.h"
printf '#include "resources/setup_dialog_ids.h"\n#include "resources/tesselog.rc"\n#include "resources/gone_ids.h"\n' \
  > "$tree/core/settings/setup_dialogs.h"
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
core/map/swath.cpp:2: core/map includes core/logscreen, a floor above it
core/settings/setup_dialogs.h:2: core/settings includes resources/tesselog.rc, which is not a table of ids
core/settings/setup_dialogs.h:3: core/settings includes resources/gone_ids.h, which does not exist
resources/logging_dialog_ids.h:1: resources/ includes core/settings, a floor above every resource'
found="$(printf '%s\n' "$out" | grep -v '^check-floors:')"
if [ "$rc" -ne 1 ] || [ "$found" != "$expected" ]; then
  printf 'exit %s, expected 1; got:\n%s\n' "$rc" "$out" >&2
  exit 1
fi

# The same tree without the breaches passes.
rm "$tree/core/map/swath.cpp" "$tree/core/export/survey_walk.h" "$tree/core/gps/gps_monitor_screen.h" \
  "$tree/resources/logging_dialog_ids.h"
printf '#include "resources/setup_dialog_ids.h"\n' > "$tree/core/settings/setup_dialogs.h"
python3 "$check" "$tree" > /dev/null
echo "floors check: 7 breaches found, clean tree passes"
