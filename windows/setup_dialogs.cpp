// The four set-up dialogs of the main window (Survey Setup, System Setup,
// Array Geometry Setup, GPS Port Setup) and the logging screen's Field
// Warnings, on the form-dialog runner. What they show and store is decided
// in core/settings/setup_dialogs and core/qc/qc_dialog.
#include <windows.h>

#include "core/qc/qc_dialog.h"
#include "core/settings/display_dialogs.h"
#include "core/settings/setup_dialogs.h"
#include "windows/dialogs.h"
#include "windows/display_scale_win32.h"
#include "windows/form_dialog.h"

namespace tesselog::win32 {

namespace {

struct SetupDialog {
    DialogFrame frame;
    DialogForm (*open)(Settings&);
    void (*store)(const DialogForm&, Settings&);
    void (*selectionChanged)(DialogForm&, Settings&, int controlId);  // may be null
};

void SystemSetupSelectionChanged(DialogForm& form, Settings& settings, int id) {
    if (id == IDC_SYSTEM_CONSOLE_COUNT) SystemSetupCountChanged(form);
    if (id >= IDC_SYSTEM_CONSOLE_TYPE_1 && id < IDC_SYSTEM_CONSOLE_TYPE_1 + MaxConsoles)
        SystemSetupTypeChanged(form, settings);
}

void GpsPortSetupSelectionChanged(DialogForm& form, Settings&, int id) {
    if (id == IDC_GPS_NMEA_MODE) GpsPortSetupModeChanged(form);
}

// Survey Setup and Array Geometry Setup open over the main window; every
// set-up dialog but GPS Port Setup takes the cancel keys.
const SetupDialog SurveySetupDialog = {{L"SURVEYSETUP", SetupDialogPlacementDivisor, true, 0, 0},
                                       [](Settings& s) { return SurveySetupForm(s); }, StoreSurveySetup, nullptr};
const SetupDialog SystemSetupDialog = {
    {L"SYSTEM", 0, true, 1, 0}, SystemSetupForm, StoreSystemSetup, SystemSetupSelectionChanged};
const SetupDialog ArrayGeometryDialog = {{L"ARRAYGEOMETRY", SetupDialogPlacementDivisor, true, 1, 0},
                                         [](Settings& s) { return ArrayGeometryForm(s); }, StoreArrayGeometry,
                                         nullptr};
const SetupDialog GpsPortSetupDialog = {{L"GPSINPUT", 0, false, 1, 0},
                                        [](Settings& s) { return GpsPortSetupForm(s); }, StoreGpsPortSetup,
                                        GpsPortSetupSelectionChanged};

// At a display scale above 100% the array's picture is made from its
// drawing at twice the size, brought down to the scale, so that it fills its
// place in the dialog as at 100% and stays sharp. One picture per scale is
// made and kept for the program's run.
void ScaleArrayPicture(HWND dialog) {
    HWND picture = GetDlgItem(dialog, IDC_ARRAY_PICTURE);
    const DisplayScale scale = WindowScale(dialog);
    if (!picture || scale.IsUnscaled()) return;
    static HBITMAP made = nullptr;
    static int32_t madeDpi = 0;
    const int32_t width = scale.ToDevice(240), height = scale.ToDevice(186);
    if (madeDpi != scale.Dpi) {
        HBITMAP large = static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), L"ARRAYBMP2X", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (!large) return;
        HDC screen = GetDC(nullptr);
        HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
        HBITMAP scaled = CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ oldFrom = SelectObject(from, large), oldTo = SelectObject(to, scaled);
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);
        StretchBlt(to, 0, 0, width, height, from, 0, 0, 480, 372, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        DeleteDC(from);
        DeleteDC(to);
        ReleaseDC(nullptr, screen);
        DeleteObject(large);
        if (made) DeleteObject(made);
        made = scaled;
        madeDpi = scale.Dpi;
    }
    SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(made));
}

// A set-up dialog: its form of the settings; OK stores and saves the file.
bool RunSetupDialog(HWND owner, DialogContext& context, const SetupDialog& kind) {
    Settings& settings = context.settings;
    DialogRun run;
    run.frame = kind.frame;
    run.open = [&] { return kind.open(settings); };
    run.ok = [&](const DialogForm& form) {
        kind.store(form, settings);
        if (context.saveSettings) context.saveSettings();
    };
    if (kind.selectionChanged)
        run.selectionChanged = [&](DialogForm& form, int id) { kind.selectionChanged(form, settings, id); };
    if (&kind == &ArrayGeometryDialog) run.shown = &ScaleArrayPicture;
    return RunFormDialog(owner, run);
}

}  // namespace

bool RunSurveySetupDialog(HWND owner, DialogContext& context) {
    return RunSetupDialog(owner, context, SurveySetupDialog);
}

bool RunSystemSetupDialog(HWND owner, DialogContext& context) {
    return RunSetupDialog(owner, context, SystemSetupDialog);
}

bool RunArrayGeometryDialog(HWND owner, DialogContext& context) {
    return RunSetupDialog(owner, context, ArrayGeometryDialog);
}

bool RunGpsPortSetupDialog(HWND owner, DialogContext& context) {
    return RunSetupDialog(owner, context, GpsPortSetupDialog);
}

// The thresholds are checked as they are stored; true only when OK changed
// something, which the caller saves to its own file and applies.
bool RunFieldWarningsDialog(HWND owner, QcSettings& qc) {
    bool changed = false;
    DialogRun run;
    run.frame = {L"FIELDWARNINGS", SetupDialogPlacementDivisor};
    run.open = [&] { return FieldWarningsForm(qc); };
    run.ok = [&](const DialogForm& form) { changed = StoreFieldWarnings(form, qc); };
    return RunFormDialog(owner, run) && changed;
}

}  // namespace tesselog::win32
