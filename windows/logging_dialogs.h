// The logging-screen dialogs created modeless, for the platform tests and
// for pictures of them: the same procedure and filling as the modal runs of
// dialogs.h. The window starts hidden; destroy it with DestroyWindow, which
// also frees its state.
#pragma once

#include <windows.h>

#include <string>

#include "windows/dialogs.h"

namespace tesselog::win32 {

enum class LoggingDialog { NewLine, NewStation, Comment, GpsWarningMask, MapSize, ReadingsScale, SpeedScale, Audio,
                           CoordinatesUnits };

// `context` is needed by every dialog but Comment, `comment` by Comment only.
// Null when the resource cannot be loaded.
HWND CreateLoggingDialog(HWND owner, LoggingDialog which, DialogContext* context, std::string* comment);

}  // namespace tesselog::win32
