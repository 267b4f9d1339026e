// The logging-screen dialogs built from the program's resources: each opens
// hidden with its controls filled from the settings, and OK reaches the
// settings through the procedure.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/settings/logging_dialogs.h"
#include "windows/logging_dialogs.h"

namespace tesselog::win32 {
namespace {

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[128] = {};
    HWND control = GetDlgItem(dialog, id);
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    if (lstrcmpiW(className, L"ComboBox") == 0) {
        LRESULT selection = SendMessageW(control, CB_GETCURSEL, 0, 0);
        if (selection == CB_ERR) return L"(none)";
        SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(selection), reinterpret_cast<LPARAM>(text));
    } else {
        GetWindowTextW(control, text, 128);
    }
    return text;
}

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
    int saves = 0;
    int32_t changed = -1;
    DialogContext context{settings, [this] { ++saves; }, changed};
    std::string comment = "old";
};

TEST(LoggingDialogs, OpenHiddenWithTheirControlsFilled) {
    if (!WindowsCanBeCreated()) GTEST_SKIP() << "no display";
    const struct {
        LoggingDialog which;
        const wchar_t* caption;
        std::vector<std::pair<int, const wchar_t*>> texts;
    } cases[] = {
        // Each control of the resource is there and filled by the procedure.
        {LoggingDialog::NewLine, L"New Survey Line",
         {{IDC_NEWLINE_CURRENT_LINE, L"4"}, {IDC_NEWLINE_LAST_STATION, L"30.000"}, {IDC_NEWLINE_LINE, L"5.00"},
          {IDC_NEWLINE_LINE_SEQUENCE, L"Alternate"}, {IDC_NEWLINE_DIRECTION, L"North"},
          {IDC_NEWLINE_START_STATION, L"30.000"}, {IDC_NEWLINE_STATION_INCREMENT, L"-1.000"}}},
        {LoggingDialog::NewStation, L"New Station",
         {{IDC_NEWSTATION_CURRENT_LINE, L"4"}, {IDC_NEWSTATION_START_STATION, L"0.000"},
          {IDC_NEWSTATION_CURRENT, L"30.000"}, {IDC_NEWSTATION_NEW_STATION, L"30.000"}}},
        {LoggingDialog::Comment, L"Maximum 11 characters", {{IDC_COMMENT_TEXT, L"old"}}},
        {LoggingDialog::GpsWarningMask, L"GPS Warning Mask",
         {{IDC_GPSMASK_WARNING, L"Enabled"}, {IDC_GPSMASK_QUALITY, L"DGPS"}, {IDC_GPSMASK_DILUTION, L"4.0"},
          {IDC_GPSMASK_SATELLITES, L"5"}, {IDC_GPS_LABEL_DILUTION, L"HDOP"}}},
        {LoggingDialog::MapSize, L"Map Size",
         {{IDC_MAPSCALE_SIZE, L"40"}, {IDC_MAPSCALE_INTERVAL, L"5.00"}, {IDC_MAPSCALE_SIZE_UNIT, L"feet"},
          {IDC_MAPSCALE_INTERVAL_UNIT, L"feet"}, {IDC_MAPSCALE_CURSOR_BAND, L"15"}}},
        {LoggingDialog::ReadingsScale, L"Readings Scale",
         {{IDC_READINGSCALE_MIN, L"0.0"}, {IDC_READINGSCALE_MAX, L"500.0"}}},
        {LoggingDialog::SpeedScale, L"Set New Speed Bar Scale",
         {{IDC_SPEEDSCALE_CURRENT, L"5.00"}, {IDC_SPEEDSCALE_NEW, L"5.00"}, {IDC_SPEEDSCALE_UNITS, L"m/s"}}},
        {LoggingDialog::Audio, L"Audio Options", {}},
        {LoggingDialog::CoordinatesUnits, L"Set Coordinates Display Units",
         {{IDC_COORDINATES_UNITS, L"Geodetic Lat/Lon"}}},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.settings.StartLineText = "4";
        f.settings.CurrentStation = 30.0;
        f.settings.NmeaMode = 1;
        f.settings.DisplayUnits = 1;
        HWND dialog = CreateLoggingDialog(nullptr, c.which, &f.context, &f.comment);
        ASSERT_NE(dialog, nullptr) << static_cast<int>(c.which);
        EXPECT_FALSE(IsWindowVisible(dialog));
        wchar_t caption[64] = {};
        GetWindowTextW(dialog, caption, 64);
        EXPECT_STREQ(caption, c.caption);
        for (const auto& [id, text] : c.texts) EXPECT_EQ(ItemText(dialog, id), text) << c.caption << " " << id;
        DestroyWindow(dialog);
        EXPECT_EQ(f.saves, 0);
    }
}

TEST(LoggingDialogs, OkStoresThroughTheProcedure) {
    if (!WindowsCanBeCreated()) GTEST_SKIP() << "no display";
    Fixture f;
    f.settings.CurrentStation = 30.0;
    f.settings.LineDirection = 1;
    HWND dialog = CreateLoggingDialog(nullptr, LoggingDialog::NewLine, &f.context, nullptr);
    ASSERT_NE(dialog, nullptr);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // modeless: OK also destroys it
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(f.settings.LineDirection, 2);  // the proposals, read back from the combo and the edit
    EXPECT_EQ(f.settings.StartStation, 30.0);
    EXPECT_EQ(f.saves, 1);

    // Map Size: a size typed below 1 shows "1"; OK sets the redraw bits and
    // leaves the saving to the caller.
    dialog = CreateLoggingDialog(nullptr, LoggingDialog::MapSize, &f.context, nullptr);
    SetDlgItemTextW(dialog, IDC_MAPSCALE_SIZE, L"0");
    EXPECT_EQ(ItemText(dialog, IDC_MAPSCALE_SIZE), L"1");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(f.settings.MapSize, 1);
    EXPECT_EQ(f.changed, 256);
    EXPECT_EQ(f.saves, 1);

    // Readings Scale: typing applies at once, Cancel puts it back.
    dialog = CreateLoggingDialog(nullptr, LoggingDialog::ReadingsScale, &f.context, nullptr);
    SetDlgItemTextW(dialog, IDC_READINGSCALE_MAX, L"80");
    EXPECT_EQ(f.settings.ReadingsScaleMax, 80.0);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(f.settings.ReadingsScaleMax, 500.0);
    EXPECT_EQ(f.changed, 0);
}

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
        const char* stored;  // one byte per character, cut to 11
        const std::string& (*text)(Fixture&);
    } cases[] = {
        {LoggingDialog::NewLine, IDC_NEWLINE_LINE, L"N\u0141 7", 1, L"\u00DCberlinie12", "\xDC" "berlinie12",
         [](Fixture& f) -> const std::string& { return f.settings.StartLineText; }},
        {LoggingDialog::Comment, IDC_COMMENT_TEXT, L"gate \u20AC", 5, L"caf\u00E9 1234567", "caf\xE9 123456",
         [](Fixture& f) -> const std::string& { return f.comment; }},
    };
    for (const auto& c : cases) {
        Fixture f;
        const std::string before = c.text(f);
        HWND dialog = CreateLoggingDialog(nullptr, c.which, &f.context, &f.comment);
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
        SetDlgItemTextW(dialog, c.id, c.refused);
        WarningBoxes = 0;
        UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseWarningBox);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        KillTimer(nullptr, timer);
        EXPECT_EQ(WarningBoxes, 1);
        ASSERT_TRUE(IsWindow(dialog)) << "the dialog stays open";
        EXPECT_EQ(c.text(f), before);
        EXPECT_EQ(f.saves, 0);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, c.id));
        DWORD from = 0, to = 0;
        SendDlgItemMessageW(dialog, c.id, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, c.refusedAt);  // the character that does not fit is selected
        EXPECT_EQ(to, c.refusedAt + 1);

        SetDlgItemTextW(dialog, c.id, c.accepted);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_EQ(c.text(f), c.stored);
    }
}

}  // namespace
}  // namespace tesselog::win32
