#include "windows/form_dialog.h"

#include "core/platform/prompts.h"
#include "core/settings/display_dialogs.h"
#include "windows/platform_services.h"

namespace tesselog::win32 {

std::wstring ControlText(HWND control) {
    int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    int got = GetWindowTextW(control, &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

// ---------------------------------------------------------------- A form into the controls and back

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
        if (!shown ? !edit.Enabled : shown->Edit(edit.Id).Enabled != edit.Enabled)
            EnableWindow(GetDlgItem(dialog, edit.Id), edit.Enabled);
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
    for (EditControl& edit : form.Edits) edit.Text = NarrowToBytes(ControlText(GetDlgItem(dialog, edit.Id)));
    for (CheckControl& check : form.Checks) check.Checked = IsDlgButtonChecked(dialog, check.Id) == BST_CHECKED;
    for (RadioGroup& radio : form.Radios)
        for (int k = 0; k < radio.Count; ++k)
            if (IsDlgButtonChecked(dialog, radio.FirstId + k) == BST_CHECKED) radio.Selection = k;
}

bool ReadDialogFormForOk(HWND dialog, DialogForm& form) {
    ReadDialogForm(dialog, form);
    for (const EditControl& edit : form.Edits) {
        if (!edit.StoredText) continue;
        HWND control = GetDlgItem(dialog, edit.Id);
        std::u16string typed = CodeUnits(ControlText(control));
        size_t at = FirstNon8BitCharacter(typed);
        if (at == AllCharactersFit) continue;
        MessageBoxW(dialog, WidenBytes(Not8BitMessage(edit.StoredText, typed)).c_str(),
                    WidenBytes(CaptionWarning).c_str(), MB_OK | MB_ICONEXCLAMATION);
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

// ---------------------------------------------------------------- The procedure

namespace {

void Finish(HWND dialog, DialogRun& run, INT_PTR result) {
    if (run.modeless)
        DestroyWindow(dialog);
    else
        EndDialog(dialog, result);
}

void Cancel(HWND dialog, DialogRun& run) {
    if (run.cancel) run.cancel();
    Finish(dialog, run, run.frame.cancelResult);
}

// Shows the form after a hook changed it, against the form as it was.
void ShowChanges(HWND dialog, DialogRun& run, const DialogForm& before) {
    run.filling = true;
    ShowDialogForm(dialog, run.form, &before);
    if (run.shown) run.shown(dialog);
    run.filling = false;
}

INT_PTR OnInitDialog(HWND dialog, DialogRun& run, WPARAM, LPARAM) {
    run.form = run.open();
    ShowDialogForm(dialog, run.form, nullptr);
    if (run.shown) run.shown(dialog);
    if (run.frame.placementDivisor > 0) PlaceDialogOverOwnerWindow(dialog, run.frame.placementDivisor);
    run.filling = false;
    return TRUE;  // focus to the first control
}

INT_PTR OnCommand(HWND dialog, DialogRun& run, WPARAM wParam, LPARAM) {
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDOK) {
        if (!ReadDialogFormForOk(dialog, run.form)) return TRUE;
        if (run.ok) run.ok(run.form);
        run.accepted = true;
        Finish(dialog, run, run.frame.okResult);
        return TRUE;
    }
    if (id == IDCANCEL) {
        Cancel(dialog, run);
        return TRUE;
    }
    if (run.filling) return FALSE;
    if (code == CBN_SELCHANGE && run.selectionChanged) {
        ChangeDialogForm(dialog, run, [&](DialogForm& form) { run.selectionChanged(form, id); });
        return TRUE;
    }
    if (code == EN_CHANGE && run.typed) {
        ReadDialogForm(dialog, run.form);
        run.filling = true;
        run.typed(dialog, run.form, id);
        run.filling = false;
        return TRUE;
    }
    return run.command && run.command(dialog, id, code);
}

INT_PTR OnKeyDown(HWND dialog, DialogRun& run, WPARAM wParam, LPARAM) {
    if (!run.frame.cancelKeys || !IsDialogCancelKey(static_cast<uint32_t>(wParam))) return FALSE;
    Cancel(dialog, run);
    return TRUE;
}

INT_PTR OnDrawItem(HWND, DialogRun& run, WPARAM, LPARAM lParam) {
    return run.drawItem && run.drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
}

INT_PTR OnNcDestroy(HWND dialog, DialogRun& run, WPARAM, LPARAM) {
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    if (run.modeless) delete &run;
    return FALSE;
}

struct DialogHandler {
    UINT message;
    INT_PTR (*handle)(HWND, DialogRun&, WPARAM, LPARAM);
};
const DialogHandler DialogHandlers[] = {
    {WM_INITDIALOG, OnInitDialog}, {WM_COMMAND, OnCommand},       {WM_KEYDOWN, OnKeyDown},
    {WM_DRAWITEM, OnDrawItem},     {WM_NCDESTROY, OnNcDestroy},
};

INT_PTR CALLBACK FormDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* run = reinterpret_cast<DialogRun*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!run) return FALSE;
    for (const DialogHandler& handler : DialogHandlers)
        if (handler.message == message) return handler.handle(dialog, *run, wParam, lParam);
    return FALSE;
}

}  // namespace

void ChangeDialogForm(HWND dialog, DialogRun& run, const std::function<void(DialogForm&)>& change) {
    ReadDialogForm(dialog, run.form);
    const DialogForm before = run.form;
    change(run.form);
    ShowChanges(dialog, run, before);
}

bool RunFormDialog(HWND owner, DialogRun& run) {
    DialogBoxParamW(GetModuleHandleW(nullptr), run.frame.resource, owner, FormDialogProc,
                    reinterpret_cast<LPARAM>(&run));
    return run.accepted;
}

HWND CreateFormDialog(HWND owner, std::unique_ptr<DialogRun> run) {
    run->modeless = true;
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), run->frame.resource, owner, FormDialogProc,
                                     reinterpret_cast<LPARAM>(run.get()));
    // Once WM_INITDIALOG has run, the dialog frees the run when it is
    // destroyed; before, nothing else holds it.
    if (dialog) run.release();
    return dialog;
}

}  // namespace tesselog::win32
