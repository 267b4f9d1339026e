// The logging-screen dialogs built from the program's resources: texts beyond
// 8 bits are refused with the dialog kept open. OK and Cancel of every dialog
// are driven end to end in the program.
#include <gtest/gtest.h>

#include <string>

#include "core/settings/logging_dialogs.h"
#include "core/settings/settings_file.h"
#include "windows/logging_dialogs.h"

namespace tesselog::win32 {
namespace {

// Wine without a display (ctest runs without one) cannot create windows at
// all; the dialogs are then left to the runs on Xvfb.
bool WindowsCanBeCreated() {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (!probe) return false;
    DestroyWindow(probe);
    return true;
}

struct Fixture {
    Settings settings;
    std::string comment = "old";
    int givenBack = 0;
    DialogForm given;  // what OK gave back
};

// The refusal box is modal: a thread timer, served by the box's own message
// loop, counts and closes it.
int WarningBoxes = 0;
void CALLBACK CloseWarningBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowW(nullptr, L"WARNING");
    if (!box) return;
    ++WarningBoxes;
    SendMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(LoggingDialogs, TextsBeyondEightBitsAreRefusedWithTheDialogKeptOpen) {
    if (!WindowsCanBeCreated()) GTEST_SKIP() << "no display";
    const struct {
        LoggingDialog which;
        int id;
        const wchar_t* refused;
        DWORD refusedAt;
        const wchar_t* accepted;
        const char* given;  // one byte per character, cut to 11
        std::string (*text)(Fixture&);
    } cases[] = {
        {LoggingDialog::NewLine, IDC_NEWLINE_LINE, L"N\u0141 7", 1, L"\u00DCberlinie12", "\xDC" "berlinie12",
         [](Fixture& f) { return NewLineOf(f.given, f.settings).LineText; }},
        {LoggingDialog::Comment, IDC_COMMENT_TEXT, L"gate \u20AC", 5, L"caf\u00E9 1234567", "caf\xE9 123456",
         [](Fixture& f) { return CommentText(f.given); }},
    };
    for (const auto& c : cases) {
        Fixture f;
        const Settings before = f.settings;
        HWND dialog = CreateLoggingDialog(nullptr, c.which, f.settings, f.comment, [&f](const DialogForm& form) {
            ++f.givenBack;
            f.given = form;
        });
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
        SetDlgItemTextW(dialog, c.id, c.refused);
        WarningBoxes = 0;
        UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseWarningBox);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        KillTimer(nullptr, timer);
        EXPECT_EQ(WarningBoxes, 1);
        ASSERT_TRUE(IsWindow(dialog)) << "the dialog stays open";
        EXPECT_EQ(f.givenBack, 0);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, c.id));
        DWORD from = 0, to = 0;
        SendDlgItemMessageW(dialog, c.id, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, c.refusedAt);  // the character that does not fit is selected
        EXPECT_EQ(to, c.refusedAt + 1);

        SetDlgItemTextW(dialog, c.id, c.accepted);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(IsWindow(dialog));
        ASSERT_EQ(f.givenBack, 1);
        EXPECT_EQ(c.text(f), c.given);
        EXPECT_EQ(FormatSettingsFile(f.settings), FormatSettingsFile(before)) << "nothing is stored";
    }
}

}  // namespace
}  // namespace tesselog::win32
