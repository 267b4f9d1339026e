// The form dialogs: the four set-up dialogs of the main window (Survey
// Setup, System Setup, Array Geometry Setup, GPS Port Setup) and the logging
// screen's Field Warnings. What they show and store is decided in
// core/settings/setup_dialogs and core/qc/qc_dialog; this file moves a
// DialogForm into the controls and back, and routes the notifications.
#include <windows.h>

#include <functional>

#include "core/platform/prompts.h"
#include "core/qc/qc_dialog.h"
#include "core/settings/display_dialogs.h"
#include "core/settings/logging_dialogs.h"
#include "core/settings/setup_dialogs.h"
#include "windows/dialogs.h"
#include "windows/platform_services.h"

namespace tesselog::win32 {

namespace {

// --- A form into the controls and back ---

// --- The four dialogs ---

struct SetupDialog {
    const wchar_t* resource;
    DialogForm (*open)(Settings&);
    void (*store)(const DialogForm&, Settings&);
    void (*selectionChanged)(DialogForm&, Settings&, int controlId);  // may be null
    bool placeOverOwner;
    bool cancelKeys;  // key codes 67 and 99 act as Cancel
    INT_PTR okResult, cancelResult;
};

void SystemSetupSelectionChanged(DialogForm& form, Settings& settings, int id) {
    if (id == IDC_SYSTEM_CONSOLE_COUNT) SystemSetupCountChanged(form);
    if (id >= IDC_SYSTEM_CONSOLE_TYPE_1 && id < IDC_SYSTEM_CONSOLE_TYPE_1 + MaxConsoles)
        SystemSetupTypeChanged(form, settings);
}

void GpsPortSetupSelectionChanged(DialogForm& form, Settings&, int id) {
    if (id == IDC_GPS_NMEA_MODE) GpsPortSetupModeChanged(form);
}

const SetupDialog SurveySetupDialog = {
    L"SURVEYSETUP", [](Settings& s) { return SurveySetupForm(s); }, StoreSurveySetup, nullptr, true, true, 0, 0};
const SetupDialog SystemSetupDialog = {
    L"SYSTEM", SystemSetupForm, StoreSystemSetup, SystemSetupSelectionChanged, false, true, 1, 0};
const SetupDialog ArrayGeometryDialog = {
    L"ARRAYGEOMETRY", [](Settings& s) { return ArrayGeometryForm(s); }, StoreArrayGeometry, nullptr, true, true, 1, 0};
const SetupDialog GpsPortSetupDialog = {
    L"GPSINPUT", [](Settings& s) { return GpsPortSetupForm(s); }, StoreGpsPortSetup, GpsPortSetupSelectionChanged,
    false, false, 1, 0};

// One run of a form dialog: how it opens, stores and follows a changed
// selection, whatever record the form belongs to.
struct DialogRun {
    const wchar_t* resource;
    bool placeOverOwner;
    bool cancelKeys;
    INT_PTR okResult, cancelResult;
    std::function<DialogForm()> open;
    std::function<void(const DialogForm&)> store;           // OK, after the form was read
    std::function<void(DialogForm&, int)> selectionChanged;  // may be empty
    DialogForm form;
    bool accepted = false;
};

INT_PTR OnInitDialog(HWND dialog, DialogRun& run, WPARAM, LPARAM) {
    run.form = run.open();
    ShowDialogForm(dialog, run.form, nullptr);
    if (run.placeOverOwner) PlaceDialogOverOwnerWindow(dialog, SetupDialogPlacementDivisor);
    return TRUE;  // focus to the first control
}

INT_PTR OnCommand(HWND dialog, DialogRun& run, WPARAM wParam, LPARAM) {
    int id = LOWORD(wParam);
    if (id == IDOK) {
        if (!ReadDialogFormForOk(dialog, run.form)) return TRUE;
        run.store(run.form);
        run.accepted = true;
        EndDialog(dialog, run.okResult);
        return TRUE;
    }
    if (id == IDCANCEL) {
        EndDialog(dialog, run.cancelResult);
        return TRUE;
    }
    if (HIWORD(wParam) == CBN_SELCHANGE && run.selectionChanged) {
        ReadDialogForm(dialog, run.form);
        DialogForm shown = run.form;
        run.selectionChanged(run.form, id);
        ShowDialogForm(dialog, run.form, &shown);
        return TRUE;
    }
    return FALSE;
}

INT_PTR OnKeyDown(HWND dialog, DialogRun& run, WPARAM wParam, LPARAM) {
    if (!run.cancelKeys || !IsDialogCancelKey(static_cast<uint32_t>(wParam))) return FALSE;
    EndDialog(dialog, run.cancelResult);
    return TRUE;
}

struct DialogHandler {
    UINT message;
    INT_PTR (*handle)(HWND, DialogRun&, WPARAM, LPARAM);
};
const DialogHandler DialogHandlers[] = {
    {WM_INITDIALOG, OnInitDialog},
    {WM_COMMAND, OnCommand},
    {WM_KEYDOWN, OnKeyDown},
};

INT_PTR CALLBACK FormDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* run = reinterpret_cast<DialogRun*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!run) return FALSE;
    for (const DialogHandler& handler : DialogHandlers)
        if (handler.message == message) return handler.handle(dialog, *run, wParam, lParam);
    return FALSE;
}

bool RunFormDialog(HWND owner, DialogRun& run) {
    DialogBoxParamW(GetModuleHandleW(nullptr), run.resource, owner, FormDialogProc, reinterpret_cast<LPARAM>(&run));
    return run.accepted;
}

// A set-up dialog: its form of the settings; OK stores and saves the file.
bool RunSetupDialog(HWND owner, DialogContext& context, const SetupDialog& kind) {
    Settings& settings = context.settings;
    DialogRun run{kind.resource, kind.placeOverOwner, kind.cancelKeys, kind.okResult, kind.cancelResult,
                  [&] { return kind.open(settings); },
                  [&](const DialogForm& form) {
                      kind.store(form, settings);
                      if (context.saveSettings) context.saveSettings();
                  },
                  {}};
    if (kind.selectionChanged)
        run.selectionChanged = [&](DialogForm& form, int id) { kind.selectionChanged(form, settings, id); };
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
    DialogRun run{L"FIELDWARNINGS", true, false, 1, 0, [&] { return FieldWarningsForm(qc); },
                  [&](const DialogForm& form) { changed = StoreFieldWarnings(form, qc); }, {}};
    return RunFormDialog(owner, run) && changed;
}

namespace {

std::wstring ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    int got = GetWindowTextW(control, &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

}  // namespace

void ShowDialogForm(HWND dialog, const DialogForm& form, const DialogForm* shown) {
    for (const ComboControl& combo : form.Combos) {
        HWND control = GetDlgItem(dialog, combo.Id);
        const ComboControl* before = shown ? &shown->Combo(combo.Id) : nullptr;
        bool refill = !before || before->Items != combo.Items;
        if (refill) {
            SendMessageW(control, CB_RESETCONTENT, 0, 0);
            for (const std::string& item : combo.Items)
                SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WidenBytes(item).c_str()));
        }
        if (refill || before->Selection != combo.Selection)
            SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(combo.Selection), 0);
        if (!before || before->Enabled != combo.Enabled) EnableWindow(control, combo.Enabled);
    }
    for (const EditControl& edit : form.Edits) {
        if (!shown && edit.Limit > 0) SendDlgItemMessageW(dialog, edit.Id, EM_LIMITTEXT, edit.Limit, 0);
        if (!shown || shown->Edit(edit.Id).Text != edit.Text)
            SetDlgItemTextW(dialog, edit.Id, WidenBytes(edit.Text).c_str());
    }
    for (const CheckControl& check : form.Checks)
        CheckDlgButton(dialog, check.Id, check.Checked ? BST_CHECKED : BST_UNCHECKED);
    for (const RadioGroup& radio : form.Radios)
        CheckRadioButton(dialog, radio.FirstId, radio.FirstId + radio.Count - 1, radio.FirstId + radio.Selection);
    for (const LabelControl& label : form.Labels)
        if (!shown || shown->Label(label.Id).Text != label.Text)
            SetDlgItemTextW(dialog, label.Id, WidenBytes(label.Text).c_str());
}

// Reads what the operator has set into the form (labels are the program's).
void ReadDialogForm(HWND dialog, DialogForm& form) {
    for (ComboControl& combo : form.Combos) {
        LRESULT selection = SendDlgItemMessageW(dialog, combo.Id, CB_GETCURSEL, 0, 0);
        combo.Selection = selection == CB_ERR ? -1 : static_cast<int32_t>(selection);
    }
    for (EditControl& edit : form.Edits) edit.Text = NarrowToBytes(ControlText(dialog, edit.Id));
    for (CheckControl& check : form.Checks) check.Checked = IsDlgButtonChecked(dialog, check.Id) == BST_CHECKED;
    for (RadioGroup& radio : form.Radios)
        for (int k = 0; k < radio.Count; ++k)
            if (IsDlgButtonChecked(dialog, radio.FirstId + k) == BST_CHECKED) radio.Selection = k;
}

bool ReadDialogFormForOk(HWND dialog, DialogForm& form) {
    ReadDialogForm(dialog, form);
    for (const EditControl& edit : form.Edits) {
        if (!edit.StoredText) continue;
        std::u16string typed = CodeUnits(ControlText(dialog, edit.Id));
        size_t at = FirstNon8BitCharacter(typed);
        if (at == AllCharactersFit) continue;
        MessageBoxW(dialog, WidenBytes(Not8BitMessage(edit.StoredText, typed)).c_str(),
                    WidenBytes(CaptionWarning).c_str(), MB_OK | MB_ICONEXCLAMATION);
        HWND control = GetDlgItem(dialog, edit.Id);
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        // The character that cannot be stored is selected.
        SendMessageW(control, EM_SETSEL, static_cast<WPARAM>(at), static_cast<LPARAM>(at + 1));
        return false;
    }
    return true;
}

void PlaceDialogOverOwnerWindow(HWND dialog, int32_t divisor) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT o, d;
    if (!GetWindowRect(owner ? owner : GetDesktopWindow(), &o) || !GetWindowRect(dialog, &d)) return;
    ScreenPoint at = PlaceDialogOverOwner({o.left, o.top, o.right, o.bottom}, d.right - d.left, d.bottom - d.top,
                                          divisor);
    SetWindowPos(dialog, nullptr, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tesselog::win32
