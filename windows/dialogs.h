// The modal set-up and display-option dialogs opened from the main window,
// and those of the logging screen's commands, all run by the form-dialog
// runner (windows/form_dialog.h). Unless said otherwise below, each fills
// its controls from the settings when it opens, stores into the settings on
// OK and at once rewrites the whole settings file; Cancel leaves the
// settings as they were (dialogs that apply a choice while open put the old
// values back).
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
// choices applied while open stay in the settings) and saves nothing; the
// screen checks the map size against the track, stores and saves.
bool ChooseMapDisplayOptions(HWND owner, Settings& settings, MapDisplayChoice& choice);
bool RunProfileOptionsDialog(HWND owner, DialogContext& context);     // "DISPLAYSETUP"

// The dialogs of the logging screen's commands. They change the settings
// only; the records, StationStarted and the screen's own state are the
// caller's (see core/settings/logging_dialogs.h).
// "GETNEWLINE": OK stores the new line, CurrentStation = its start station, saves.
bool RunNewLineDialog(HWND owner, DialogContext& context);
// "NEWSTATION": OK gives back the entered station; nothing is stored.
bool RunNewStationDialog(HWND owner, DialogContext& context, double& station);
// "COMMENT": opens with `text`; OK replaces it with the typed comment as
// 8-bit text (low byte of each character, at most 11). No settings involved.
bool RunCommentDialog(HWND owner, std::string& text);
// "GPSMASK": OK stores the five mask fields and saves.
bool RunGpsWarningMaskDialog(HWND owner, DialogContext& context);
// "MAPSCALE": OK gives back the three values; nothing is stored. The caller
// checks that the track still fits, stores, recomputes the map scale and
// saves.
bool RunMapSizeDialog(HWND owner, DialogContext& context, MapSizeChoice& choice);
// "READINGSCALE": typed values reach the settings at once and scaleApplied
// (when set) is called after each, so the colour scale can be repainted;
// OK saves and sets displayOptionsChanged, Cancel restores and sets 0.
bool RunReadingsScaleDialog(HWND owner, DialogContext& context,
                            const std::function<void()>& scaleApplied = {});
// "SPEEDSCALE": OK stores scale and units and saves; the caller recomputes
// the speed bar's pixel factor.
bool RunSpeedScaleDialog(HWND owner, DialogContext& context);
// "AUDIOFUNCTIONS": OK stores the three sound switches and saves.
bool RunAudioOptionsDialog(HWND owner, DialogContext& context);
// "FIELDWARNINGS": true when OK changed a switch or threshold (stored in
// `qc`); nothing is saved here.
bool RunFieldWarningsDialog(HWND owner, QcSettings& qc);
// "COORDINATESUNITS": OK stores CoordinateDisplay and saves. Opened from the
// logging screen and from the main window.
bool RunCoordinatesUnitsDialog(HWND owner, DialogContext& context);

}  // namespace tesselog::win32
