// The dialogs of the logging screen's commands, run modally or created
// modeless (for the platform tests and for pictures of them) with the same
// procedure and filling. A modeless one starts hidden; destroy it with
// DestroyWindow, which also frees its state.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "windows/dialogs.h"

namespace tesselog::win32 {

enum class LoggingDialog { NewLine, NewStation, Comment, GpsWarningMask, MapSize, ReadingsScale, SpeedScale, Audio,
                           CoordinatesUnits };

// Opens from `settings` (Comment from `comment`); OK hands `take` the form
// it read, and nothing is stored or saved. Readings Scale applies typed
// values to `settings` at once, calling `scaleApplied` after each, and puts
// them back on Cancel; Set Coordinates Display Units raises a
// CoordinateDisplay of 0 to 1 for a grid receiver when it opens.
// RunLoggingDialog runs one modally and is true on OK; CreateLoggingDialog
// makes one modeless (null when the resource cannot be loaded).
bool RunLoggingDialog(HWND owner, LoggingDialog which, Settings& settings, std::function<void(const DialogForm&)> take,
                      std::function<void()> scaleApplied = {});
HWND CreateLoggingDialog(HWND owner, LoggingDialog which, Settings& settings, const std::string& comment,
                         std::function<void(const DialogForm&)> take);

}  // namespace tesselog::win32
