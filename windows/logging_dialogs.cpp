// The dialogs opened by the logging screen's commands: New Survey Line, New
// Station, Comment, GPS Warning Mask, Map Size, Readings Scale, Set New Speed
// Bar Scale, Audio Options and Set Coordinates Display Units. What they show and store is decided in
// core/settings/logging_dialogs; this file moves the forms into the controls
// and back and routes OK, Cancel, typing and the cancel keys.
#include "windows/logging_dialogs.h"

#include <optional>
#include <utility>

#include "core/settings/display_dialogs.h"
#include "core/settings/logging_dialogs.h"
#include "windows/platform_services.h"

namespace tesselog::win32 {

namespace {

struct LoggingDialogRun;

struct LoggingDialogKind {
    const wchar_t* resource;
    DialogForm (*open)(LoggingDialogRun&);
    void (*ok)(HWND, LoggingDialogRun&);      // the form has been read; stores
    void (*cancel)(LoggingDialogRun&);        // may be null
    void (*typed)(HWND, LoggingDialogRun&);   // an edit changed; may be null
    int32_t placementDivisor;                 // 0: where the resource puts it
    bool cancelKeys;                          // key codes 67 and 99 act as Cancel
    INT_PTR okResult, cancelResult;
};

struct LoggingDialogRun {
    LoggingDialogRun(const LoggingDialogKind& kind, DialogContext* context, std::string* comment,
                     std::function<void()> scaleApplied)
        : kind(kind), context(context), comment(comment), scaleApplied(std::move(scaleApplied)) {}

    const LoggingDialogKind& kind;
    DialogContext* context;
    std::string* comment;
    std::function<void()> scaleApplied;
    // What New Station and Map Size give back on OK (null: nothing asked).
    double* station = nullptr;
    MapSizeChoice* mapSize = nullptr;
    std::optional<ReadingsScaleEditor> readings;
    DialogForm form;
    bool filling = true;  // edit change notices while the program writes are not typing
    bool accepted = false;
    bool modeless = false;
};

void Save(LoggingDialogRun& run) {
    if (run.context->saveSettings) run.context->saveSettings();
}

// ---------------------------------------------------------------- The nine dialogs

const LoggingDialogKind NewLineKind = {
    L"GETNEWLINE", [](LoggingDialogRun& run) { return NewLineForm(run.context->settings); },
    [](HWND, LoggingDialogRun& run) {
        StoreNewLine(run.form, run.context->settings);
        Save(run);
    },
    nullptr, nullptr, 0, false, 1, 0};

// Gives back the station; the logging screen stores it, writes its records
// and saves.
const LoggingDialogKind NewStationKind = {
    L"NEWSTATION", [](LoggingDialogRun& run) { return NewStationForm(run.context->settings); },
    [](HWND, LoggingDialogRun& run) {
        if (run.station) *run.station = NewStationOf(run.form);
    },
    nullptr, nullptr, 0, false, 0, 1};  // this dialog ends with 0 on OK and 1 on Cancel

const LoggingDialogKind CommentKind = {
    L"COMMENT", [](LoggingDialogRun& run) { return CommentForm(*run.comment); },
    [](HWND, LoggingDialogRun& run) { *run.comment = CommentText(run.form); }, nullptr, nullptr, 0, false, 1, 0};

const LoggingDialogKind GpsWarningMaskKind = {
    L"GPSMASK", [](LoggingDialogRun& run) { return GpsWarningMaskForm(run.context->settings); },
    [](HWND, LoggingDialogRun& run) {
        StoreGpsWarningMask(run.form, run.context->settings);
        Save(run);
    },
    nullptr, nullptr, 0, false, 1, 0};

void MapSizeTyping(HWND dialog, LoggingDialogRun& run) {
    DialogForm shown = run.form;
    if (!MapSizeTyped(run.form)) return;
    ShowDialogForm(dialog, run.form, &shown);
    SendDlgItemMessageW(dialog, IDC_MAPSCALE_SIZE, EM_SETSEL, 1, 1);  // caret after the "1"
}

// Gives back the three values: the logging screen checks the track against
// the new size, stores what it takes and saves.
const LoggingDialogKind MapSizeKind = {
    L"MAPSCALE", [](LoggingDialogRun& run) { return MapSizeForm(run.context->settings); },
    [](HWND, LoggingDialogRun& run) {
        if (run.mapSize) *run.mapSize = MapSizeOf(run.form, run.context->settings);
    },
    nullptr, MapSizeTyping, MapSizePlacementDivisor, false, 1, 0};

void ReadingsScaleTyping(HWND, LoggingDialogRun& run) {
    if (run.readings->Typed(run.form) && run.scaleApplied) run.scaleApplied();
}

const LoggingDialogKind ReadingsScaleKind = {
    L"READINGSCALE",
    [](LoggingDialogRun& run) {
        run.readings.emplace(run.context->settings);
        return run.readings->Form();
    },
    [](HWND, LoggingDialogRun& run) {
        int32_t changed = run.readings->Ok(run.form);
        Save(run);
        run.context->displayOptionsChanged = changed;
    },
    [](LoggingDialogRun& run) { run.context->displayOptionsChanged = run.readings->Cancel(); },
    ReadingsScaleTyping, ReadingsScalePlacementDivisor, false, 1, 0};

const LoggingDialogKind SpeedScaleKind = {
    L"SPEEDSCALE", [](LoggingDialogRun& run) { return SpeedScaleForm(run.context->settings); },
    [](HWND, LoggingDialogRun& run) {
        StoreSpeedScale(run.form, run.context->settings);
        Save(run);
    },
    nullptr, nullptr, 0, true, 0, 0};  // ends with 0 either way

const LoggingDialogKind AudioKind = {
    L"AUDIOFUNCTIONS", [](LoggingDialogRun& run) { return AudioOptionsForm(run.context->settings); },
    [](HWND, LoggingDialogRun& run) {
        StoreAudioOptions(run.form, run.context->settings);
        Save(run);
    },
    nullptr, nullptr, 0, false, 1, 0};

const LoggingDialogKind CoordinatesUnitsKind = {
    L"COORDINATESUNITS", [](LoggingDialogRun& run) { return CoordinatesUnitsForm(run.context->settings); },
    [](HWND, LoggingDialogRun& run) {
        StoreCoordinatesUnits(run.form, run.context->settings);
        Save(run);
    },
    nullptr, nullptr, CoordinatesUnitsPlacementDivisor, true, 1, 0};

const LoggingDialogKind& KindOf(LoggingDialog which) {
    switch (which) {
    case LoggingDialog::NewLine: return NewLineKind;
    case LoggingDialog::NewStation: return NewStationKind;
    case LoggingDialog::Comment: return CommentKind;
    case LoggingDialog::GpsWarningMask: return GpsWarningMaskKind;
    case LoggingDialog::MapSize: return MapSizeKind;
    case LoggingDialog::ReadingsScale: return ReadingsScaleKind;
    case LoggingDialog::SpeedScale: return SpeedScaleKind;
    case LoggingDialog::CoordinatesUnits: return CoordinatesUnitsKind;
    case LoggingDialog::Audio: break;
    }
    return AudioKind;
}

// ---------------------------------------------------------------- The procedure

void Finish(HWND dialog, LoggingDialogRun& run, INT_PTR result) {
    if (run.modeless)
        DestroyWindow(dialog);
    else
        EndDialog(dialog, result);
}

INT_PTR OnInitDialog(HWND dialog, LoggingDialogRun& run) {
    run.form = run.kind.open(run);
    ShowDialogForm(dialog, run.form, nullptr);
    if (run.kind.placementDivisor > 0) PlaceDialogOverOwnerWindow(dialog, run.kind.placementDivisor);
    run.filling = false;
    return TRUE;  // focus to the first control
}

INT_PTR OnCommand(HWND dialog, LoggingDialogRun& run, int id, int code) {
    if (id == IDOK) {
        if (!ReadDialogFormForOk(dialog, run.form)) return TRUE;
        run.kind.ok(dialog, run);
        run.accepted = true;
        Finish(dialog, run, run.kind.okResult);
        return TRUE;
    }
    if (id == IDCANCEL) {
        if (run.kind.cancel) run.kind.cancel(run);
        Finish(dialog, run, run.kind.cancelResult);
        return TRUE;
    }
    if (code == EN_CHANGE && run.kind.typed && !run.filling) {
        ReadDialogForm(dialog, run.form);
        run.filling = true;
        run.kind.typed(dialog, run);
        run.filling = false;
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK LoggingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* run = reinterpret_cast<LoggingDialogRun*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!run) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, *run);
    case WM_COMMAND:
        return OnCommand(dialog, *run, LOWORD(wParam), HIWORD(wParam));
    case WM_KEYDOWN:
        if (!run->kind.cancelKeys || !IsDialogCancelKey(static_cast<uint32_t>(wParam))) return FALSE;
        if (run->kind.cancel) run->kind.cancel(*run);
        Finish(dialog, *run, run->kind.cancelResult);
        return TRUE;
    case WM_NCDESTROY:
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        if (run->modeless) delete run;
        return FALSE;
    default:
        return FALSE;
    }
}

bool RunLoggingDialog(HWND owner, LoggingDialogRun& run) {
    DialogBoxParamW(GetModuleHandleW(nullptr), run.kind.resource, owner, LoggingDialogProc,
                    reinterpret_cast<LPARAM>(&run));
    return run.accepted;
}

bool RunLoggingDialog(HWND owner, LoggingDialog which, DialogContext* context, std::string* comment,
                      const std::function<void()>& scaleApplied = {}) {
    LoggingDialogRun run(KindOf(which), context, comment, scaleApplied);
    return RunLoggingDialog(owner, run);
}

}  // namespace

HWND CreateLoggingDialog(HWND owner, LoggingDialog which, DialogContext* context, std::string* comment) {
    auto* run = new LoggingDialogRun(KindOf(which), context, comment, {});
    run->modeless = true;
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), run->kind.resource, owner, LoggingDialogProc,
                                     reinterpret_cast<LPARAM>(run));
    if (!dialog) delete run;  // WM_INITDIALOG never ran, so nothing else holds it
    return dialog;
}

bool RunNewLineDialog(HWND owner, DialogContext& context) {
    return RunLoggingDialog(owner, LoggingDialog::NewLine, &context, nullptr);
}

bool RunNewStationDialog(HWND owner, DialogContext& context, double& station) {
    LoggingDialogRun run(NewStationKind, &context, nullptr, {});
    run.station = &station;
    return RunLoggingDialog(owner, run);
}

bool RunCommentDialog(HWND owner, std::string& text) {
    return RunLoggingDialog(owner, LoggingDialog::Comment, nullptr, &text);
}

bool RunGpsWarningMaskDialog(HWND owner, DialogContext& context) {
    return RunLoggingDialog(owner, LoggingDialog::GpsWarningMask, &context, nullptr);
}

bool RunMapSizeDialog(HWND owner, DialogContext& context, MapSizeChoice& choice) {
    LoggingDialogRun run(MapSizeKind, &context, nullptr, {});
    run.mapSize = &choice;
    return RunLoggingDialog(owner, run);
}

bool RunReadingsScaleDialog(HWND owner, DialogContext& context, const std::function<void()>& scaleApplied) {
    return RunLoggingDialog(owner, LoggingDialog::ReadingsScale, &context, nullptr, scaleApplied);
}

bool RunSpeedScaleDialog(HWND owner, DialogContext& context) {
    return RunLoggingDialog(owner, LoggingDialog::SpeedScale, &context, nullptr);
}

bool RunAudioOptionsDialog(HWND owner, DialogContext& context) {
    return RunLoggingDialog(owner, LoggingDialog::Audio, &context, nullptr);
}

bool RunCoordinatesUnitsDialog(HWND owner, DialogContext& context) {
    return RunLoggingDialog(owner, LoggingDialog::CoordinatesUnits, &context, nullptr);
}

}  // namespace tesselog::win32
