// The dialog resources against the forms that fill them: every control a
// form fills exists in the resource with the right kind, lists take only
// their own entries, read-only fields are read-only, and each radio group
// holds exactly its buttons (so the arrow keys stay inside it).
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/qc/qc_dialog.h"
#include "core/settings/display_dialogs.h"
#include "core/settings/logging_dialogs.h"
#include "core/settings/setup_dialogs.h"
#include "resources/display_dialog_ids.h"
#include "resources/monitor_dialog_ids.h"

namespace tesselog {
namespace {

bool WindowsCanBeCreated() {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (!probe) return false;
    DestroyWindow(probe);
    return true;
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::wstring ClassOf(HWND control) {
    wchar_t name[32] = {};
    GetClassNameW(control, name, 32);
    return name;
}

struct Expected {
    const wchar_t* resource;
    const wchar_t* caption;  // null: the resource's own caption is not checked
    DialogForm form;
    std::set<int> readOnly;
    std::vector<int> buttons;  // push buttons the form does not hold
};

void CheckControls(HWND dialog, const Expected& e) {
    auto has = [&](int id, const wchar_t* kind) {
        HWND control = GetDlgItem(dialog, id);
        EXPECT_NE(control, nullptr) << id;
        if (!control) return LONG_PTR(0);
        EXPECT_EQ(lstrcmpiW(ClassOf(control).c_str(), kind), 0) << id;
        return GetWindowLongPtrW(control, GWL_STYLE);
    };
    for (const ComboControl& c : e.form.Combos)
        EXPECT_EQ(has(c.Id, L"ComboBox") & 3, CBS_DROPDOWNLIST) << c.Id << ": a list, not free text";
    for (const EditControl& c : e.form.Edits)
        EXPECT_EQ((has(c.Id, L"Edit") & ES_READONLY) != 0, e.readOnly.count(c.Id) == 1) << c.Id;
    for (const CheckControl& c : e.form.Checks) has(c.Id, L"Button");
    for (const LabelControl& c : e.form.Labels) has(c.Id, L"Static");
    for (int id : e.buttons) has(id, L"Button");
    for (const RadioGroup& r : e.form.Radios) {
        std::set<int> group;
        HWND first = GetDlgItem(dialog, r.FirstId);
        HWND at = first;
        do {
            group.insert(GetDlgCtrlID(at));
            at = GetNextDlgGroupItem(dialog, at, FALSE);
        } while (at && at != first && group.size() < 64);
        std::set<int> radios;
        for (int k = 0; k < r.Count; ++k) radios.insert(r.FirstId + k);
        EXPECT_EQ(group, radios) << "radio group " << r.FirstId;
    }
}

DialogForm EditForm(int id) {
    DialogForm f;
    f.Edits.push_back({id, {}});
    return f;
}

TEST(DialogResources, HoldTheControlsTheirFormsFill) {
    if (!WindowsCanBeCreated()) GTEST_SKIP() << "no display";
    Settings s;
    const Expected cases[] = {
        {L"SURVEYSETUP", L"Survey Setup", SurveySetupForm(s), {}, {}},
        {L"SYSTEM", L"System Setup", SystemSetupForm(s), {IDC_SYSTEM_SENSOR_COUNT}, {}},
        {L"ARRAYGEOMETRY", L"Array Geometry Setup", ArrayGeometryForm(s),
         {IDC_ARRAY_SENSOR_TOTAL, IDC_ARRAY_CONSOLE_TYPE}, {}},
        {L"GPSINPUT", L"GPS Port Setup", GpsPortSetupForm(s), {}, {}},
        {L"GPSMASK", L"GPS Warning Mask", GpsWarningMaskForm(s), {}, {}},
        {L"GETNEWLINE", L"New Survey Line", NewLineForm(s), {IDC_NEWLINE_CURRENT_LINE, IDC_NEWLINE_LAST_STATION},
         {}},
        {L"NEWSTATION", L"New Station", NewStationForm(s),
         {IDC_NEWSTATION_CURRENT_LINE, IDC_NEWSTATION_START_STATION, IDC_NEWSTATION_CURRENT}, {}},
        {L"MAPSCALE", L"Map Size", MapSizeForm(s), {}, {}},
        {L"READINGSCALE", L"Readings Scale", ReadingsScaleEditor(s).Form(), {}, {}},
        {L"SPEEDSCALE", nullptr, SpeedScaleForm(s), {IDC_SPEEDSCALE_CURRENT}, {}},
        {L"AUDIOFUNCTIONS", nullptr, AudioOptionsForm(s), {}, {}},
        {L"COORDINATESUNITS", nullptr, CoordinatesUnitsForm(s), {}, {}},
        {L"DISPLAYOPTIONS", L"Map Display Options", MapDisplayOptionsEditor(s).Form(), {},
         {IDC_CURSOR_COLOR, IDC_POSITION_COLOR}},
        {L"DISPLAYSETUP", L"Setup Profile Options", ProfileOptionsEditor(s).Form(), {},
         {IDC_PROFILE_COLOR_LEFT, IDC_PROFILE_COLOR_RIGHT}},
        {L"GETGPSMESSAGE", L"Send Message to GPS Receiver", EditForm(IDC_GPSMESSAGE_TEXT), {}, {}},
        {L"FIELDWARNINGS", L"Field Warnings", FieldWarningsForm(QcSettings()), {}, {}},
    };
    for (const Expected& e : cases) {
        SCOPED_TRACE(std::string(e.resource, e.resource + lstrlenW(e.resource)));
        HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), e.resource, nullptr, InertDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        if (e.caption) {
            wchar_t caption[64] = {};
            GetWindowTextW(dialog, caption, 64);
            EXPECT_STREQ(caption, e.caption);
        }
        CheckControls(dialog, e);
        DestroyWindow(dialog);
    }
}

// The logging screen's pop-up menus: 500 while a file is open, 499 before
// (the same without the line group), one pop-up "&File" each; "Coordinates
// &Units" (514) is this program's addition after "&Audio Options", "&Field
// Warnings" (517) after "GPS &Warning Mask".
std::wstring MenuItems(int id) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    if (!menu) return L"no menu";
    wchar_t text[64] = {};
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    std::wstring items = std::to_wstring(GetMenuItemCount(menu)) + L" " + text + L":";
    HMENU popup = GetSubMenu(menu, 0);
    for (int i = 0; popup && i < GetMenuItemCount(popup); ++i) {
        text[0] = 0;
        GetMenuStringW(popup, i, text, 64, MF_BYPOSITION);
        const UINT itemId = GetMenuItemID(popup, i);
        items += itemId == 0 ? std::wstring(L" |") : L" " + std::to_wstring(itemId) + L" " + text + L",";
    }
    DestroyMenu(menu);
    return items;
}

TEST(MenuResources, LoggingMenusHoldTheirItemsInOrder) {
    const std::wstring common =
        L" 510 Map &Size, 505 &Readings Scale, 506 Scale Speed &Bar, | 511 Map &Display Options, 507 &Profile "
        L"Display Options, 508 &Audio Options, 514 Coordinates &Units, | 512 &Toggle View, | 513 GPS &Warning Mask,"
        L" 517 &Field Warnings, | 515 Enter Background Files, 516 Remove Background Files, | 509 &Hide Menu,";
    EXPECT_EQ(MenuItems(500), L"1 &File: 501 New &Line, 502 &New Station, 503 &Comment, |" + common);
    EXPECT_EQ(MenuItems(499), L"1 &File:" + common);
}

}  // namespace
}  // namespace tesselog
