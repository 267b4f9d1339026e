// The logging screen on Win32: the portable logging session (core/logscreen)
// wired to the real windows, dialogs, ports, reader threads, timer and map
// tiles. Its message table forwards every message to the session; this file
// only gathers inputs and implements the session's interfaces with the API.
#pragma once

#include <windows.h>

#include "core/platform/battery.h"
#include "core/platform/disk_space.h"
#include "windows/shell_window.h"

namespace tesselog::win32 {

// The map drawing asks the logging screen for a pause; both parameters 0.
constexpr UINT MSG_MAP_OVERFLOW = WM_USER + 21;
// The connection watch.
constexpr UINT_PTR WatchTimerId = 1;

// The data file's disk and the computer's power as the field warnings read
// them: the system's by default; the test build sets its own before the
// main window is made.
void SetFieldWarningSources(DiskSpace* disk, PowerSource* power);

// "&Logging" of the main window.
void StartLoggingScreen(ProgramShell& shell);

// "OK" of Survey Setup: the next recorded reading is at the new start station.
void SurveySetupAccepted();

// The main window's display scale changed (its fonts are remade already):
// the buttons and, while the screen is open, the panes and the map follow.
void LoggingScreenScaleChanged();

// WM_POWERBROADCAST of the main window: the data file flushed before a
// sleep, the ports opened again and the breaks recorded after it.
void LoggingScreenPower(WPARAM event);

// Before the main window goes: every reader stopped (bounded waits that
// handle the readers' pending messages) and the data file closed.
void StopLoggingAtExit();

}  // namespace tesselog::win32
