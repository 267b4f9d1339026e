#include "windows/background_dialogs.h"

#include "core/logscreen/logging_session.h"
#include "core/settings/background_dialogs.h"
#include "windows/dialogs.h"
#include "windows/platform_services.h"

namespace tesselog::win32 {

namespace {

// ---------------------------------------------------------------- Load BackGround File

struct LoadRun {
    Settings& settings;
    int32_t loadedCount;
    DialogForm form;
};

void ShowLoadForm(HWND dialog, LoadRun& run, const DialogForm* shown) {
    const bool text = BackgroundLoadTypeChanged(run.form);
    ShowDialogForm(dialog, run.form, shown);
    ShowWindow(GetDlgItem(dialog, IDC_BGLOAD_DATUM_NOTE), text ? SW_SHOW : SW_HIDE);
}

INT_PTR OnLoadCommand(HWND dialog, LoadRun& run, int id, int code) {
    switch (id) {
    case IDOK:
        ReadDialogForm(dialog, run.form);
        StoreBackgroundLoad(run.form, run.settings);
        EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_BGLOAD_FILE_TYPE:
        if (code != CBN_SELCHANGE) return FALSE;
        {
            const DialogForm shown = run.form;
            ReadDialogForm(dialog, run.form);
            ShowLoadForm(dialog, run, &shown);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK LoadProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* run = reinterpret_cast<LoadRun*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!run) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        run->form = BackgroundLoadForm(run->settings, run->loadedCount);
        ShowLoadForm(dialog, *run, nullptr);
        PlaceDialogOverOwnerWindow(dialog, BackgroundDialogPlacementDivisor);
        return TRUE;
    case WM_COMMAND:
        return OnLoadCommand(dialog, *run, LOWORD(wParam), HIWORD(wParam));
    case WM_KEYDOWN:
        if (!IsDialogCancelKey(static_cast<uint32_t>(wParam))) return FALSE;
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

// ---------------------------------------------------------------- Remove BackGround Files

struct RemoveRun {
    const std::vector<std::string>& names;
    std::vector<bool>& marks;
};

void FillRemoveList(HWND dialog, const RemoveRun& run) {
    for (int i = 0; i < MaxBackgroundFiles; ++i) {
        const bool loaded = static_cast<size_t>(i) < run.names.size();
        for (int id : {IDC_BGREMOVE_MARK_FIRST + i, IDC_BGREMOVE_NAME_FIRST + i}) {
            HWND control = GetDlgItem(dialog, id);
            EnableWindow(control, loaded);
            ShowWindow(control, loaded ? SW_SHOW : SW_HIDE);
        }
        if (loaded) SetDlgItemTextW(dialog, IDC_BGREMOVE_NAME_FIRST + i, WidenBytes(run.names[i]).c_str());
    }
}

INT_PTR OnRemoveCommand(HWND dialog, RemoveRun& run, int id) {
    const int count = static_cast<int>(run.names.size());
    switch (id) {
    case IDC_BGREMOVE_SELECT_ALL:
        for (int i = 0; i < count; ++i) CheckDlgButton(dialog, IDC_BGREMOVE_MARK_FIRST + i, BST_CHECKED);
        return TRUE;
    case IDOK: {
        bool any = false;
        run.marks.assign(run.names.size(), false);
        for (int i = 0; i < count && i < MaxBackgroundFiles; ++i) {
            run.marks[i] = IsDlgButtonChecked(dialog, IDC_BGREMOVE_MARK_FIRST + i) == BST_CHECKED;
            any = any || run.marks[i];
        }
        EndDialog(dialog, any ? 1 : 0);
        return TRUE;
    }
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK RemoveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* run = reinterpret_cast<RemoveRun*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!run) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        FillRemoveList(dialog, *run);
        PlaceDialogOverOwnerWindow(dialog, BackgroundDialogPlacementDivisor);
        return TRUE;
    case WM_COMMAND:
        return OnRemoveCommand(dialog, *run, LOWORD(wParam));
    default:
        return FALSE;
    }
}

}  // namespace

bool Win32BackgroundDialogs::Load(Settings& settings, int32_t loadedCount) {
    LoadRun run{settings, loadedCount, {}};
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), L"BACKGROUNDFILELOAD", Owner, LoadProc,
                                           reinterpret_cast<LPARAM>(&run));
    if (result != 1) return false;
    if (saveSettings_) saveSettings_();
    return true;
}

bool Win32BackgroundDialogs::Remove(const std::vector<std::string>& names, std::vector<bool>& marks) {
    RemoveRun run{names, marks};
    return DialogBoxParamW(GetModuleHandleW(nullptr), L"BACKGROUNDFILEREMOVE", Owner, RemoveProc,
                           reinterpret_cast<LPARAM>(&run)) == 1;
}

}  // namespace tesselog::win32
