// The application shell on Win32: the program-wide state of the user-interface
// thread, the window classes with their dispatch tables, and the main window
// with its nine buttons, its commands and its painting.
#pragma once

#include <windows.h>

#include <string>

#include "core/settings/settings.h"
#include "core/shell/dispatch_table.h"
#include "core/shell/main_commands.h"
#include "core/shell/main_layout.h"
#include "windows/gdi_canvas.h"
#include "windows/platform_services.h"

namespace tesselog::win32 {

using WindowHandler = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using WindowMessageTable = MessageTable<WindowHandler>;

constexpr wchar_t MainClassName[] = L"TesselogMain";
constexpr char ScratchFolder[] = "C:\\ProgramData\\Brenvik\\Temp\\";

// Child window ids.
constexpr int LoggingScreenId = 4;
constexpr int GpsMonitorId = 780;

// Everything the user-interface thread owns, created once. The logging
// screen and the GPS monitor read the layout values and fonts from here.
struct ProgramShell {
    HINSTANCE Instance = nullptr;
    HWND MainWindow = nullptr;
    HWND MainButtons[MainButtonCount] = {};
    HWND LoggingScreen = nullptr;  // ScreenLogWnd, hidden until logging starts
    HWND GpsMonitor = nullptr;     // MonitorGPSWnd, hidden until monitoring starts

    ShellFonts Fonts;
    int32_t ClientWidth = 0;   // of the main window
    int32_t ClientHeight = 0;
    int32_t TextHeight = 0;    // of the window's default font
    int32_t AverageCharWidth = 0;
    int32_t LineHeight = 0;    // TextHeight + 2

    MainScreenState Screen;
    Settings ProgramSettings;
    std::string WorkingFolder;  // the current directory at start-up
    int32_t DisplayOptionsChanged = 0;
    // What the operator is told once the main window shows: a damaged
    // settings file found at start-up. Empty when there is nothing to tell.
    std::string StartupWarning;
    // Which window could not be made at start-up and the system's error code
    // ("logging screen, MapWnd 652, error 8"); empty while all were made.
    std::string CreationFailure;

    Win32FileSystem Files;
    Win32Prompts Prompts;
};

ProgramShell& Shell();

// Every font the program creates: "Microsoft Sans Serif" of the given cell height
// and weight. Wine has no such face; the project's prefixes replace it by
// Liberation Sans (scripts/wine-fonts.reg).
HFONT CreateShellFont(int height, int weight);

// Registers the main class and the eight classes of the child screens and
// panes, in that order. False when a class other than the main class fails
// (a failed main class shows as a failed main window).
bool RegisterWindowClasses(HINSTANCE instance);

// Creates, shows and updates the main window; nullptr on failure.
HWND CreateMainWindow(HINSTANCE instance, int showCommand);

// Shows the start-up warning, if any, over the main window, once.
void ShowStartupWarning();

// Dispatch tables of the child classes. The main window's is private to the
// shell; the screens that fill these define them.
extern const WindowMessageTable ScreenLogMessages;
extern const WindowMessageTable CurveMessages;
extern const WindowMessageTable DecayMessages;
extern const WindowMessageTable NumbersMessages;
extern const WindowMessageTable SpeedMessages;
extern const WindowMessageTable MapMessages;
extern const WindowMessageTable ColorBarMessages;
extern const WindowMessageTable MonitorGpsMessages;

}  // namespace tesselog::win32
