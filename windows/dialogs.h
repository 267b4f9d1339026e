// The modal set-up and display-option dialogs opened from the main window.
// Each fills its controls from the settings when it opens, stores into the
// settings on OK and at once rewrites the whole settings file; Cancel leaves
// the settings as they were (dialogs that apply a choice while open put the
// old values back).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "core/settings/settings.h"

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
bool RunMapDisplayOptionsDialog(HWND owner, DialogContext& context);  // "DISPLAYOPTIONS"
bool RunProfileOptionsDialog(HWND owner, DialogContext& context);     // "DISPLAYSETUP"

}  // namespace tesselog::win32
