// The profile and second-plot panes on Win32: the console handler's strip
// chart step and bars on the panes' own device contexts, and the one paint
// handler shared by the profile, second-plot, numbers and speed panes
// (CurveMessages, DecayMessages, NumbersMessages, SpeedMessages). What is
// drawn where comes from core/logscreen/profile_painting.
#pragma once

#include <cstdint>

#include "core/logscreen/profile_painting.h"
#include "core/settings/settings.h"

namespace tesselog {
class DataFile;
}

namespace tesselog::win32 {

struct LoggingWindow;

// Console k's step on its profile pane and its bars on its second-plot pane.
void DrawProfileStep(LoggingWindow& window, ProfilePaneState& state, const Settings& settings, int k,
                     const int32_t profileRows[2]);
void DrawConsoleBars(LoggingWindow& window, ProfilePaneState& state, const Settings& settings, int k,
                     const int32_t barRows[2]);

// Repaints every pane of the configured consoles, then the numbers header
// and the empty speed bar, each in its own paint cycle.
void PaintLoggingPanes(LoggingWindow& window, const ProfilePaneState& state, const Settings& settings,
                       DataFile* file);

// The state the shared paint handler paints from: the logging session's,
// set when it is made, and its data file, from which the curves of the
// current line are read back while a file is open. Until then a paint only
// validates.
void SetPaintedProfiles(const ProfilePaneState* state, DataFile* file);

}  // namespace tesselog::win32
