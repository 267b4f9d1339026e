// The modal set-up and display-option dialogs opened from the main window,
// and those of the logging screen's commands, all run by the form-dialog
// runner (windows/form_dialog.h). Unless said otherwise below, each Run*
// dialog fills its controls from
// the settings when it opens, stores into the settings on OK and at once
// rewrites the whole settings file. Each Choose* dialog gives back on OK
// what was chosen and stores and saves nothing: the caller does. Cancel
// leaves the settings as they were (dialogs that apply a choice while open
// put the old values back).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/qc/qc_settings.h"
#include "core/settings/display_dialogs.h"
#include "core/settings/logging_dialogs.h"
#include "core/settings/settings.h"
#include "core/settings/setup_dialogs.h"

namespace tesselog::win32 {

struct DialogContext {
    Settings& settings;
    std::function<void()> saveSettings;  // rewrites the settings file
    int32_t& displayOptionsChanged;      // redraw bits for the logging screen
};

// Each returns true when the operator closed the dialog with OK.
bool RunSurveySetupDialog(HWND owner, DialogContext& context);     // "SURVEYSETUP"
bool RunSystemSetupDialog(HWND owner, DialogContext& context);     // "SYSTEM"
bool RunArrayGeometryDialog(HWND owner, DialogContext& context);   // "ARRAYGEOMETRY"
bool RunGpsPortSetupDialog(HWND owner, DialogContext& context);    // "GPSINPUT"
// "DISPLAYOPTIONS" from the main window: OK stores the choice and saves.
bool RunMapDisplayOptionsDialog(HWND owner, DialogContext& context);
// "DISPLAYOPTIONS" from the logging screen: OK gives back the choice (the
// choices applied while open stay in the settings).
bool ChooseMapDisplayOptions(HWND owner, Settings& settings, MapDisplayChoice& choice);
// "DISPLAYSETUP": the thickness and colours apply while open; OK gives back
// the check boxes. From the main window: OK stores them too and saves.
bool ChooseProfileOptions(HWND owner, Settings& settings, ProfileOptionsChoice& choice);
bool RunProfileOptionsDialog(HWND owner, DialogContext& context);

// The dialogs of the logging screen's commands give back the form OK read
// (windows/logging_dialogs.h); these two do more.
// "COMMENT": opens with `text`; OK replaces it with the typed comment as
// 8-bit text (low byte of each character, at most 11). No settings involved.
bool RunCommentDialog(HWND owner, std::string& text);
// "COORDINATESUNITS" from the main window: OK stores CoordinateDisplay and
// saves.
bool RunCoordinatesUnitsDialog(HWND owner, DialogContext& context);
// "FIELDWARNINGS": true when OK changed a switch or threshold (stored in
// `qc`); nothing is saved here.
bool RunFieldWarningsDialog(HWND owner, QcSettings& qc);

}  // namespace tesselog::win32
