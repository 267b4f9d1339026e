#include "core/shell/main_commands.h"

namespace tesselog {

namespace {

constexpr uint64_t KeyTab = 9, KeyEnter = 13, KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40;

// The underlined letter of each button's label, in button order.
// The letters of the buttons, in button order, then of the key-only command.
constexpr char CommandLetters[] = "LSTAGOMPXU";

int LetterCommand(uint64_t code) {
    for (int i = 0; CommandLetters[i] != '\0'; ++i) {
        uint64_t upper = static_cast<unsigned char>(CommandLetters[i]);
        if (code == upper || code == upper + 32) return i;
    }
    return -1;
}

}  // namespace

MainCommandDecision DecideMainCommand(const MainScreenState& state, bool loggingVisible, bool monitorVisible,
                                      MainInput input, uint64_t wordParameter) {
    (void)input;  // clicks and keys are read alike: a key code never lies in 420..428
    MainCommandDecision d;
    if (loggingVisible) {
        d.Focus = FocusTarget::LoggingScreen;
        return d;
    }
    if (monitorVisible) {
        d.Focus = FocusTarget::GpsMonitor;
        return d;
    }
    d.OldFocus = d.NewFocus = state.MainButtonFocus >= 0 && state.MainButtonFocus < 9 ? state.MainButtonFocus : 0;

    int id = static_cast<int>(wordParameter & 0xFFFF);
    if (id >= 420 && id <= 428) d.Command = id - 420;

    if (state.ScreenMode != ScreenMain) return d;
    if (wordParameter == KeyTab || wordParameter == KeyRight || wordParameter == KeyDown) {
        d.NewFocus = (d.OldFocus + 1) % 9;
        d.FocusMoved = true;
    } else if (wordParameter == KeyLeft || wordParameter == KeyUp) {
        d.NewFocus = (d.OldFocus + 8) % 9;
        d.FocusMoved = true;
    } else if (wordParameter == KeyEnter) {
        d.Command = d.OldFocus;
    } else if (int command = LetterCommand(wordParameter); command >= 0) {
        d.Command = command;
    }
    return d;
}

MainAction MainActionFor(int command, bool gpsEnabled) {
    switch (command) {
        case ButtonLogging: return MainAction::StartLogging;
        case ButtonSurveySetup: return MainAction::SurveySetup;
        case ButtonSystemSetup: return MainAction::SystemSetup;
        case ButtonArrayGeometry: return MainAction::ArrayGeometry;
        case ButtonGpsPortSetup: return MainAction::GpsPortSetup;
        case ButtonGpsMonitoring: return gpsEnabled ? MainAction::GpsMonitoring : MainAction::GpsOnlyInformation;
        case ButtonMapOptions: return gpsEnabled ? MainAction::MapOptions : MainAction::GpsOnlyInformation;
        case ButtonProfilesOptions: return MainAction::ProfilesOptions;
        case ButtonExit: return MainAction::Exit;
        case MainKeyCoordinatesUnits: return MainAction::CoordinatesUnits;
        default: return MainAction::None;
    }
}

}  // namespace tesselog
