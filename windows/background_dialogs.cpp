// Load BackGround File and Remove BackGround Files on the form-dialog
// runner; what they show and store is decided in
// core/settings/background_dialogs.
#include "windows/background_dialogs.h"

#include <algorithm>

#include "core/logscreen/logging_session.h"
#include "core/settings/background_dialogs.h"
#include "windows/form_dialog.h"

namespace tesselog::win32 {

namespace {

// ---------------------------------------------------------------- Remove BackGround Files

// One unchecked box and name per loaded file; the rows of the files not
// loaded are hidden.
DialogForm RemoveForm(const std::vector<std::string>& names) {
    DialogForm form;
    for (int i = 0; i < MaxBackgroundFiles && static_cast<size_t>(i) < names.size(); ++i) {
        form.Checks.push_back({IDC_BGREMOVE_MARK_FIRST + i, false});
        form.Labels.push_back({IDC_BGREMOVE_NAME_FIRST + i, names[i]});
    }
    return form;
}

void HideUnusedRows(HWND dialog, int count) {
    for (int i = 0; i < MaxBackgroundFiles; ++i) {
        const bool loaded = i < count;
        for (int id : {IDC_BGREMOVE_MARK_FIRST + i, IDC_BGREMOVE_NAME_FIRST + i}) {
            HWND control = GetDlgItem(dialog, id);
            EnableWindow(control, loaded);
            ShowWindow(control, loaded ? SW_SHOW : SW_HIDE);
        }
    }
}

}  // namespace

bool Win32BackgroundDialogs::Load(Settings& settings, int32_t loadedCount) {
    bool textFiles = false;  // the datum note is shown for column-delimited text files only
    DialogRun run;
    run.frame = {L"BACKGROUNDFILELOAD", BackgroundDialogPlacementDivisor, true};
    run.open = [&] {
        DialogForm form = BackgroundLoadForm(settings, loadedCount);
        textFiles = BackgroundLoadTypeChanged(form);
        return form;
    };
    run.ok = [&](const DialogForm& form) { StoreBackgroundLoad(form, settings); };
    run.selectionChanged = [&](DialogForm& form, int id) {
        if (id == IDC_BGLOAD_FILE_TYPE) textFiles = BackgroundLoadTypeChanged(form);
    };
    run.shown = [&](HWND dialog) {
        ShowWindow(GetDlgItem(dialog, IDC_BGLOAD_DATUM_NOTE), textFiles ? SW_SHOW : SW_HIDE);
    };
    if (!RunFormDialog(Owner, run)) return false;
    if (saveSettings_) saveSettings_();
    return true;
}

// True when OK marked a file: the caller removes the marked ones.
bool Win32BackgroundDialogs::Remove(const std::vector<std::string>& names, std::vector<bool>& marks) {
    const int count = static_cast<int>(std::min<size_t>(names.size(), MaxBackgroundFiles));
    bool any = false;
    DialogRun run;
    run.frame = {L"BACKGROUNDFILEREMOVE", BackgroundDialogPlacementDivisor};
    run.open = [&] { return RemoveForm(names); };
    run.shown = [&](HWND dialog) { HideUnusedRows(dialog, count); };
    run.ok = [&](const DialogForm& form) {
        marks.assign(names.size(), false);
        for (int i = 0; i < count; ++i) {
            marks[i] = form.Check(IDC_BGREMOVE_MARK_FIRST + i).Checked;
            any = any || marks[i];
        }
    };
    run.command = [&](HWND dialog, int id, int) {
        if (id != IDC_BGREMOVE_SELECT_ALL) return false;
        for (int i = 0; i < count; ++i) CheckDlgButton(dialog, IDC_BGREMOVE_MARK_FIRST + i, BST_CHECKED);
        return true;
    };
    return RunFormDialog(Owner, run) && any;
}

}  // namespace tesselog::win32
