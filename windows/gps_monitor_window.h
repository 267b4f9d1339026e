// The GPS monitor window (MonitorGPSWnd) on Win32: its controls, its
// reader thread over the real GPS port and the send dialog. The decisions
// are core/gps/gps_monitor_screen's; this file gathers inputs and talks to
// the API.
#pragma once

#include <windows.h>

#include <string>

#include "windows/shell_window.h"

namespace tesselog::win32 {

// "GPS M&onitoring" with GPS enabled: the GPS port opened (a failure is
// reported as "Serial Port" and nothing opens), the reader started and the
// monitor in front (ScreenMode 2).
void StartGpsMonitor(ProgramShell& shell);

// Before the main window goes: the reader stopped and the port closed.
void StopGpsMonitorAtExit();

// For the test build: every line added to the list ("monitor line N TEXT",
// N the list's count after it) and every button action ("monitor button I")
// go to this sink. The program that goes to the field sets none.
using MonitorEventSink = void (*)(const std::string& line);
void SetMonitorEventSink(MonitorEventSink sink);

// "GETGPSMESSAGE": opens with `text`; OK puts the edited text (at most 100
// characters) back and returns true.
bool RunGpsMessageDialog(HWND owner, std::u16string& text);

}  // namespace tesselog::win32
