// The dialogs opened by the logging screen's commands: New Survey Line, New
// Station, Comment, GPS Warning Mask, Map Size, Readings Scale, Set New Speed
// Bar Scale, Audio Options and Set Coordinates Display Units, on the
// form-dialog runner. What they show and store is decided in
// core/settings/logging_dialogs; this file says what OK, Cancel and typing do.
#include "windows/logging_dialogs.h"

#include <memory>
#include <optional>
#include <utility>

#include "core/settings/display_dialogs.h"
#include "core/settings/logging_dialogs.h"
#include "windows/form_dialog.h"

namespace tesselog::win32 {

namespace {

// What a logging dialog works on, held by the hooks of its run.
struct LoggingTargets {
    DialogContext* context = nullptr;
    std::string* comment = nullptr;
    // What New Station and Map Size give back on OK (null: nothing asked).
    double* station = nullptr;
    MapSizeChoice* mapSize = nullptr;
    std::function<void()> scaleApplied;
    std::optional<ReadingsScaleEditor> readings;
};

struct LoggingDialogKind {
    DialogFrame frame;
    DialogForm (*open)(LoggingTargets&);
    void (*ok)(const DialogForm&, LoggingTargets&);     // the form has been read; stores
    void (*cancel)(LoggingTargets&);                    // may be null
    void (*typed)(HWND, DialogForm&, LoggingTargets&);  // an edit changed; may be null
};

void Save(LoggingTargets& t) {
    if (t.context->saveSettings) t.context->saveSettings();
}

// The form of the settings, and OK storing it and saving.
template <auto Form>
DialogForm SettingsForm(LoggingTargets& t) {
    return Form(t.context->settings);
}
template <auto Store>
void StoreAndSave(const DialogForm& form, LoggingTargets& t) {
    Store(form, t.context->settings);
    Save(t);
}

// ---------------------------------------------------------------- The nine dialogs

const LoggingDialogKind NewLineKind = {
    {L"GETNEWLINE", 0, false, 1, 0}, SettingsForm<NewLineForm>, StoreAndSave<StoreNewLine>, nullptr, nullptr};

// Gives back the station; the logging screen stores it, writes its records
// and saves.
const LoggingDialogKind NewStationKind = {
    {L"NEWSTATION", 0, false, 0, 1},  // this dialog ends with 0 on OK and 1 on Cancel
    SettingsForm<NewStationForm>,
    [](const DialogForm& form, LoggingTargets& t) {
        if (t.station) *t.station = NewStationOf(form);
    },
    nullptr, nullptr};

const LoggingDialogKind CommentKind = {
    {L"COMMENT", 0, false, 1, 0},
    [](LoggingTargets& t) { return CommentForm(*t.comment); },
    [](const DialogForm& form, LoggingTargets& t) { *t.comment = CommentText(form); },
    nullptr, nullptr};

const LoggingDialogKind GpsWarningMaskKind = {{L"GPSMASK", 0, false, 1, 0}, SettingsForm<GpsWarningMaskForm>,
                                              StoreAndSave<StoreGpsWarningMask>, nullptr, nullptr};

void MapSizeTyping(HWND dialog, DialogForm& form, LoggingTargets&) {
    const DialogForm shown = form;
    if (!MapSizeTyped(form)) return;
    ShowDialogForm(dialog, form, &shown);
    SendDlgItemMessageW(dialog, IDC_MAPSCALE_SIZE, EM_SETSEL, 1, 1);  // caret after the "1"
}

// Gives back the three values: the logging screen checks the track against
// the new size, stores what it takes and saves.
const LoggingDialogKind MapSizeKind = {
    {L"MAPSCALE", MapSizePlacementDivisor, false, 1, 0},
    SettingsForm<MapSizeForm>,
    [](const DialogForm& form, LoggingTargets& t) {
        if (t.mapSize) *t.mapSize = MapSizeOf(form, t.context->settings);
    },
    nullptr, MapSizeTyping};

void ReadingsScaleTyping(HWND, DialogForm& form, LoggingTargets& t) {
    if (t.readings->Typed(form) && t.scaleApplied) t.scaleApplied();
}

const LoggingDialogKind ReadingsScaleKind = {
    {L"READINGSCALE", ReadingsScalePlacementDivisor, false, 1, 0},
    [](LoggingTargets& t) {
        t.readings.emplace(t.context->settings);
        return t.readings->Form();
    },
    [](const DialogForm& form, LoggingTargets& t) {
        int32_t changed = t.readings->Ok(form);
        Save(t);
        t.context->displayOptionsChanged = changed;
    },
    [](LoggingTargets& t) { t.context->displayOptionsChanged = t.readings->Cancel(); },
    ReadingsScaleTyping};

const LoggingDialogKind SpeedScaleKind = {{L"SPEEDSCALE", 0, true, 0, 0},  // ends with 0 either way
                                          SettingsForm<SpeedScaleForm>, StoreAndSave<StoreSpeedScale>, nullptr,
                                          nullptr};

const LoggingDialogKind AudioKind = {{L"AUDIOFUNCTIONS", 0, false, 1, 0}, SettingsForm<AudioOptionsForm>,
                                     StoreAndSave<StoreAudioOptions>, nullptr, nullptr};

const LoggingDialogKind CoordinatesUnitsKind = {
    {L"COORDINATESUNITS", CoordinatesUnitsPlacementDivisor, true, 1, 0}, SettingsForm<CoordinatesUnitsForm>,
    StoreAndSave<StoreCoordinatesUnits>, nullptr, nullptr};

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

// ---------------------------------------------------------------- The runs

DialogRun LoggingRun(LoggingDialog which, LoggingTargets targets) {
    const LoggingDialogKind& kind = KindOf(which);
    auto held = std::make_shared<LoggingTargets>(std::move(targets));
    DialogRun run;
    run.frame = kind.frame;
    run.open = [&kind, held] { return kind.open(*held); };
    run.ok = [&kind, held](const DialogForm& form) { kind.ok(form, *held); };
    if (kind.cancel) run.cancel = [&kind, held] { kind.cancel(*held); };
    if (kind.typed) run.typed = [&kind, held](HWND dialog, DialogForm& form, int) { kind.typed(dialog, form, *held); };
    return run;
}

bool RunLoggingDialog(HWND owner, LoggingDialog which, LoggingTargets targets) {
    DialogRun run = LoggingRun(which, std::move(targets));
    return RunFormDialog(owner, run);
}

LoggingTargets On(DialogContext& context) {
    LoggingTargets targets;
    targets.context = &context;
    return targets;
}

}  // namespace

HWND CreateLoggingDialog(HWND owner, LoggingDialog which, DialogContext* context, std::string* comment) {
    LoggingTargets targets;
    targets.context = context;
    targets.comment = comment;
    return CreateFormDialog(owner, std::make_unique<DialogRun>(LoggingRun(which, std::move(targets))));
}

bool RunNewLineDialog(HWND owner, DialogContext& context) {
    return RunLoggingDialog(owner, LoggingDialog::NewLine, On(context));
}

bool RunNewStationDialog(HWND owner, DialogContext& context, double& station) {
    LoggingTargets targets = On(context);
    targets.station = &station;
    return RunLoggingDialog(owner, LoggingDialog::NewStation, std::move(targets));
}

bool RunCommentDialog(HWND owner, std::string& text) {
    LoggingTargets targets;
    targets.comment = &text;
    return RunLoggingDialog(owner, LoggingDialog::Comment, std::move(targets));
}

bool RunGpsWarningMaskDialog(HWND owner, DialogContext& context) {
    return RunLoggingDialog(owner, LoggingDialog::GpsWarningMask, On(context));
}

bool RunMapSizeDialog(HWND owner, DialogContext& context, MapSizeChoice& choice) {
    LoggingTargets targets = On(context);
    targets.mapSize = &choice;
    return RunLoggingDialog(owner, LoggingDialog::MapSize, std::move(targets));
}

bool RunReadingsScaleDialog(HWND owner, DialogContext& context, const std::function<void()>& scaleApplied) {
    LoggingTargets targets = On(context);
    targets.scaleApplied = scaleApplied;
    return RunLoggingDialog(owner, LoggingDialog::ReadingsScale, std::move(targets));
}

bool RunSpeedScaleDialog(HWND owner, DialogContext& context) {
    return RunLoggingDialog(owner, LoggingDialog::SpeedScale, On(context));
}

bool RunAudioOptionsDialog(HWND owner, DialogContext& context) {
    return RunLoggingDialog(owner, LoggingDialog::Audio, On(context));
}

bool RunCoordinatesUnitsDialog(HWND owner, DialogContext& context) {
    return RunLoggingDialog(owner, LoggingDialog::CoordinatesUnits, On(context));
}

}  // namespace tesselog::win32
