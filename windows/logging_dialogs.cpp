// The dialogs opened by the logging screen's commands: New Survey Line, New
// Station, Comment, GPS Warning Mask, Map Size, Readings Scale, Set New Speed
// Bar Scale, Audio Options and Set Coordinates Display Units, on the
// form-dialog runner. What they show and what OK reads is decided in
// core/settings/logging_dialogs; this file says what OK, Cancel and typing do.
// OK gives back the form it read; nothing is stored or saved here.
#include "windows/logging_dialogs.h"

#include <memory>
#include <optional>
#include <utility>

#include "core/settings/logging_dialogs.h"
#include "windows/form_dialog.h"

namespace tesselog::win32 {

namespace {

// What a logging dialog works on, held by the hooks of its run.
struct LoggingTargets {
    Settings* settings = nullptr;  // what it opens from (Comment: nothing)
    std::string comment;           // what Comment opens with
    std::function<void(const DialogForm&)> take;
    std::function<void()> scaleApplied;
    std::optional<ReadingsScaleEditor> readings;
};

struct LoggingDialogKind {
    DialogFrame frame;
    DialogForm (*open)(LoggingTargets&);
    void (*cancel)(LoggingTargets&);                    // may be null
    void (*typed)(HWND, DialogForm&, LoggingTargets&);  // an edit changed; may be null
};

// The form of the settings.
template <auto Form>
DialogForm SettingsForm(LoggingTargets& t) {
    return Form(*t.settings);
}

// ---------------------------------------------------------------- The nine dialogs

const LoggingDialogKind NewLineKind = {{L"GETNEWLINE", 0, false, 1, 0}, SettingsForm<NewLineForm>, nullptr, nullptr};

const LoggingDialogKind NewStationKind = {
    {L"NEWSTATION", 0, false, 0, 1},  // this dialog ends with 0 on OK and 1 on Cancel
    SettingsForm<NewStationForm>, nullptr, nullptr};

const LoggingDialogKind CommentKind = {
    {L"COMMENT", 0, false, 1, 0}, [](LoggingTargets& t) { return CommentForm(t.comment); }, nullptr, nullptr};

const LoggingDialogKind GpsWarningMaskKind = {{L"GPSMASK", 0, false, 1, 0}, SettingsForm<GpsWarningMaskForm>,
                                              nullptr, nullptr};

void MapSizeTyping(HWND dialog, DialogForm& form, LoggingTargets&) {
    const DialogForm shown = form;
    if (!MapSizeTyped(form)) return;
    ShowDialogForm(dialog, form, &shown);
    SendDlgItemMessageW(dialog, IDC_MAPSCALE_SIZE, EM_SETSEL, 1, 1);  // caret after the "1"
}

const LoggingDialogKind MapSizeKind = {{L"MAPSCALE", MapSizePlacementDivisor, false, 1, 0},
                                       SettingsForm<MapSizeForm>, nullptr, MapSizeTyping};

void ReadingsScaleTyping(HWND, DialogForm& form, LoggingTargets& t) {
    if (t.readings->Typed(form) && t.scaleApplied) t.scaleApplied();
}

const LoggingDialogKind ReadingsScaleKind = {
    {L"READINGSCALE", ReadingsScalePlacementDivisor, false, 1, 0},
    [](LoggingTargets& t) {
        t.readings.emplace(*t.settings);
        return t.readings->Form();
    },
    [](LoggingTargets& t) { t.readings->Cancel(); }, ReadingsScaleTyping};

const LoggingDialogKind SpeedScaleKind = {{L"SPEEDSCALE", 0, true, 0, 0},  // ends with 0 either way
                                          SettingsForm<SpeedScaleForm>, nullptr, nullptr};

const LoggingDialogKind AudioKind = {{L"AUDIOFUNCTIONS", 0, false, 1, 0}, SettingsForm<AudioOptionsForm>, nullptr,
                                     nullptr};

const LoggingDialogKind CoordinatesUnitsKind = {{L"COORDINATESUNITS", CoordinatesUnitsPlacementDivisor, true, 1, 0},
                                                SettingsForm<CoordinatesUnitsForm>, nullptr, nullptr};

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
    run.ok = [held](const DialogForm& form) {
        if (held->take) held->take(form);
    };
    if (kind.cancel) run.cancel = [&kind, held] { kind.cancel(*held); };
    if (kind.typed) run.typed = [&kind, held](HWND dialog, DialogForm& form, int) { kind.typed(dialog, form, *held); };
    return run;
}

LoggingTargets On(Settings& settings, std::function<void(const DialogForm&)> take) {
    LoggingTargets targets;
    targets.settings = &settings;
    targets.take = std::move(take);
    return targets;
}

}  // namespace

HWND CreateLoggingDialog(HWND owner, LoggingDialog which, Settings& settings, const std::string& comment,
                         std::function<void(const DialogForm&)> take) {
    LoggingTargets targets = On(settings, std::move(take));
    targets.comment = comment;
    return CreateFormDialog(owner, std::make_unique<DialogRun>(LoggingRun(which, std::move(targets))));
}

bool RunLoggingDialog(HWND owner, LoggingDialog which, Settings& settings, std::function<void(const DialogForm&)> take,
                      std::function<void()> scaleApplied) {
    LoggingTargets targets = On(settings, std::move(take));
    targets.scaleApplied = std::move(scaleApplied);
    DialogRun run = LoggingRun(which, std::move(targets));
    return RunFormDialog(owner, run);
}

bool RunCommentDialog(HWND owner, std::string& text) {
    LoggingTargets targets;
    targets.comment = text;
    targets.take = [&](const DialogForm& form) { text = CommentText(form); };
    DialogRun run = LoggingRun(LoggingDialog::Comment, std::move(targets));
    return RunFormDialog(owner, run);
}

bool RunCoordinatesUnitsDialog(HWND owner, DialogContext& context) {
    Settings& settings = context.settings;
    int32_t display = settings.CoordinateDisplay;
    auto take = [&](const DialogForm& form) { display = CoordinateDisplayOf(form, settings); };
    if (!RunLoggingDialog(owner, LoggingDialog::CoordinatesUnits, settings, take)) return false;
    settings.CoordinateDisplay = display;
    if (context.saveSettings) context.saveSettings();
    return true;
}

}  // namespace tesselog::win32
