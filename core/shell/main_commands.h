// The main window's commands: button clicks and keys decide which of the
// nine buttons acts and which one is drawn as the default button.
#pragma once

#include <cstdint>

#include "core/common/screen_mode.h"

namespace tesselog {

// Indices of the main buttons (control id - 420).
enum MainButton : int {
    ButtonLogging = 0,
    ButtonSurveySetup,
    ButtonSystemSetup,
    ButtonArrayGeometry,
    ButtonGpsPortSetup,
    ButtonGpsMonitoring,
    ButtonMapOptions,
    ButtonProfilesOptions,
    ButtonExit,
};

constexpr const char* MainButtonLabels[9] = {
    "&Logging",    "&Survey Setup", "Sys&tem Setup",     "&Array Geometry", "&GPS Port Setup",
    "GPS M&onitoring", "&Map Options", "&Profiles Options", "E&xit",
};

// The U key opens Set Coordinates Display Units, which has no button: the
// nine buttons keep their places. Its command index follows the buttons'.
constexpr int MainKeyCoordinatesUnits = 9;

struct MainScreenState {
    int32_t ScreenMode = ScreenMain;
    int32_t MainButtonFocus = 0;  // the default (bold-framed) button, 0..8
};

// The message that brought the command: a button click (the control id in
// the low word) or a key (the key code).
enum class MainInput { Command, DeadChar, KeyDown };

enum class FocusTarget { MainWindow, LoggingScreen, GpsMonitor };

struct MainCommandDecision {
    FocusTarget Focus = FocusTarget::MainWindow;
    int Command = -1;         // button index whose action runs, -1 for none
    bool FocusMoved = false;  // the default button moved from OldFocus to NewFocus
    int32_t OldFocus = 0;
    int32_t NewFocus = 0;
};

// While a child screen is visible the command only gives it the focus. Else
// the control id selects its button; in the main screen Tab, Right and Down
// move the default button forward, Left and Up backward (both wrap), Enter
// selects the default button, a button's letter (either case) selects it and
// U selects MainKeyCoordinatesUnits.
// The caller stores NewFocus into MainButtonFocus.
MainCommandDecision DecideMainCommand(const MainScreenState& state, bool loggingVisible, bool monitorVisible,
                                      MainInput input, uint64_t wordParameter);

enum class MainAction {
    None,
    StartLogging,
    SurveySetup,
    SystemSetup,
    ArrayGeometry,
    GpsPortSetup,
    GpsMonitoring,
    MapOptions,
    ProfilesOptions,
    Exit,
    CoordinatesUnits,
    GpsOnlyInformation,  // "o" or "m" with GPS disabled
};

constexpr char GpsOnlyText[] = "Option avaiable only when GPS is enabled";

MainAction MainActionFor(int command, bool gpsEnabled);

}  // namespace tesselog
