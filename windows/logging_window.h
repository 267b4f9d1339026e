// The logging screen's children on Win32: creation of every pane and button,
// the layout pass for the map or profile view, the small control operations
// the commands need, and the screen's status painting. Places, texts and
// decisions come from core/logscreen; this file only talks to the API.
#pragma once

#include <windows.h>

#include <string>

#include "core/logscreen/logging_layout.h"
#include "core/logscreen/status_painting.h"
#include "windows/gdi_canvas.h"

namespace tesselog::win32 {

struct ProgramShell;

struct LoggingWindow {
    HWND Screen = nullptr;
    const ShellFonts* Fonts = nullptr;  // the shell's, or SunlightFonts
    ShellFonts SunlightFonts;           // heavier texts and larger numbers
    int32_t LineHeight = 0;

    HWND ProfilePanes[LoggingPaneSlots] = {};
    HWND SecondPlotPanes[LoggingPaneSlots] = {};
    HWND NumbersPane = nullptr;
    HWND SpeedPane = nullptr;
    HWND MapPane = nullptr;
    HWND ColourScaleWindow = nullptr;
    HWND FirstCommands[CommandButtonCount] = {};   // "&File", "&Readings Scale", "E&xit", "&Menu"
    HWND SecondCommands[CommandButtonCount] = {};  // "&Go", "&QLine", "E&xit", "&Menu"
    HWND PauseButton = nullptr;
    HWND DirectionButtons[DirectionButtonCount] = {};
    HWND ZoomButtons[ZoomButtonCount] = {};
    HWND EnterReviewButton = nullptr;
    HWND ExitReviewButton = nullptr;

    LoggingLayout Creation;  // R = 220: buttons and speed bar
    LoggingLayout Panes;     // the last layout pass (R = 140), the creation values before it
    StatusTextLayout Status;
    bool MapVisible = false;
    int VisibleSet = 0;      // 0 first set, 1 second set, 2 "P A U S E"
    // The speed bar as last drawn, and its warning colour.
    int32_t SpeedOffset = 0;
    bool SpeedTooFast = false;
    // The first child that could not be made, with the system's error code
    // at that moment ("MapWnd 652, error 8"); empty when all were made.
    std::string CreationFailure;
};

LoggingWindow& TheLoggingWindow();

// WM_CREATE of the logging screen: every child at its creation place. False
// when a pane could not be made; the caller then destroys the screen.
bool CreateLoggingPanes(HWND screen, ProgramShell& shell);
bool CreateLoggingPanes(LoggingWindow& window, HWND screen, HINSTANCE instance, const ShellFonts& fonts,
                        int32_t clientWidth, int32_t clientHeight, int32_t lineHeight, int32_t consoleCount);

// The layout pass (logging start, "&Toggle View"): panes for the map or the
// profile view and N consoles, navigation shown and disabled, zoom and
// "&Exit Review" hidden, the status layout measured again.
void LayoutLoggingPanes(LoggingWindow& window, int32_t clientWidth, int32_t clientHeight, int32_t consoleCount,
                        bool mapVisible);

// A new display scale: the buttons, the speed bar's creation place and the
// colour scale window moved to their places at it; the panes follow with the
// next layout pass.
void RescaleLoggingButtons(LoggingWindow& window, int32_t clientWidth, int32_t clientHeight, int32_t lineHeight,
                           int32_t consoleCount);

// The sunlight display's ink and fonts, or the shell's fonts again. The
// sunlight fonts are made anew at each call, for the shell's display scale.
void UseSunlightLook(LoggingWindow& window, const ShellFonts& shellFonts, bool on);

// Which command buttons show: 0 first set, 1 second set, 2 "P A U S E" alone.
void ShowCommandSet(LoggingWindow& window, int set);
// Draws command button index (0..3) of the visible set as the default button.
void SetDefaultCommandButton(LoggingWindow& window, int index);
void EnableDirectionButtons(LoggingWindow& window, bool enable);  // the four directions
void EnableZoomButtons(LoggingWindow& window, bool enable);       // the three zoom buttons
void EnableReviewButtons(LoggingWindow& window, bool enable);     // both review buttons
void ShowZoomButtons(LoggingWindow& window, bool show);
// In review "&Exit Review" replaces "Enter Rev&iew" at the same place.
void ShowReviewButton(LoggingWindow& window, bool inReview);
void EnableFileButton(LoggingWindow& window, bool enable);

// WM_PAINT of the logging screen.
void PaintLoggingScreen(LoggingWindow& window, HWND screen, const StatusInputs& inputs);
// Status line update and pause hint, on their own device context.
void DrawStatusLine(LoggingWindow& window, int code, const std::string& fileName);
void DrawPauseHint(LoggingWindow& window, int code, int32_t pauseKey);

// The system's button-face colour as a canvas colour.
Color ButtonFaceColor();

}  // namespace tesselog::win32
