// Map Display Options ("DISPLAYOPTIONS") and Setup Profile Options
// ("DISPLAYSETUP"): the controls, the colour picker and the owner-drawn parts.
// What the controls show and what OK and Cancel do to the settings is decided
// by the editors of core/settings/display_dialogs.h. Neither dialog has a
// key-down handler, so keys reach the focused control as usual.
#include <windows.h>
#include <commdlg.h>

#include <optional>
#include <string>

#include "core/settings/display_dialogs.h"
#include "resources/display_dialog_ids.h"
#include "windows/dialogs.h"
#include "windows/gdi_objects.h"
#include "windows/platform_services.h"

namespace tesselog::win32 {

namespace {

// The system colour dialog opened on `initial`; nothing when the operator
// cancels it. The custom colour slots start empty (white) every time.
std::optional<int32_t> PickColour(HWND owner, int32_t initial) {
    COLORREF custom[16];
    for (COLORREF& slot : custom) slot = RGB(255, 255, 255);
    CHOOSECOLORW request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.rgbResult = static_cast<COLORREF>(initial);
    request.lpCustColors = custom;
    request.Flags = CC_RGBINIT;
    if (!ChooseColorW(&request)) return std::nullopt;
    return static_cast<int32_t>(request.rgbResult & 0xFFFFFF);
}

std::string ItemText(HWND dialog, int id) {
    wchar_t text[128] = {};
    GetDlgItemTextW(dialog, id, text, static_cast<int>(sizeof text / sizeof text[0]));
    return NarrowToBytes(text);
}

void SetItemText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextW(dialog, id, WidenBytes(text).c_str());
}

void FillCombo(HWND dialog, int id, const char* const* captions, int count, int32_t selection) {
    for (int i = 0; i < count; ++i)
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(WidenBytes(captions[i]).c_str()));
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

int32_t ComboSelection(HWND dialog, int id) {
    return static_cast<int32_t>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

template <typename State>
State* StateOf(HWND dialog) {
    return reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void Line(HDC dc, const PreviewLine& line, int dx, int dy) {
    MoveToEx(dc, line.X0 + dx, line.Y0 + dy, nullptr);
    LineTo(dc, line.X1 + dx, line.Y1 + dy);
}

// ---------------------------------------------------------------- Map Display Options

struct MapDialogState {
    Settings& settings;
    MapDisplayOptionsEditor editor;
    MapDisplayChoice choice;  // what OK gives back
    bool filling = true;  // the edits' change notices while the dialog fills are not typing
    bool accepted = false;
};

void DrawMapPreview(HDC dc, const RECT& area, const Settings& settings) {
    const int dx = area.left, dy = area.top;
    MapPreview preview = BuildMapPreview(settings, area.right - area.left, area.bottom - area.top);
    int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    HPEN gridPen = CreatePen(PS_SOLID, 1, PreviewGridColor);
    SelectObject(dc, gridPen);
    for (const PreviewLine& line : preview.GridLines) Line(dc, line, dx, dy);

    COLORREF position = static_cast<COLORREF>(preview.PositionColor);
    HPEN positionPen = CreatePen(PS_SOLID, preview.PositionLineWidth, position);
    HBRUSH positionBrush = CreateSolidBrush(position);
    SelectObject(dc, positionPen);
    SelectObject(dc, positionBrush);
    for (const PreviewBox& box : preview.PositionDots)
        Ellipse(dc, box.Left + dx, box.Top + dy, box.Right + dx, box.Bottom + dy);
    for (const PreviewLine& line : preview.PositionLines) Line(dc, line, dx, dy);

    HPEN cursorPen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(preview.CursorColor));
    SelectObject(dc, cursorPen);
    for (const PreviewLine& line : preview.CursorLines) Line(dc, line, dx, dy);

    RestoreDC(dc, saved);
    DeleteObject(gridPen);
    DeleteObject(positionPen);
    DeleteObject(positionBrush);
    DeleteObject(cursorPen);
    FrameRect(dc, &area, GetSysColorBrush(COLOR_BTNSHADOW));
}

void FillMapDialog(HWND dialog, MapDialogState& state) {
    MapDisplayOptionsView view = state.editor.View();
    SetItemText(dialog, IDC_MAP_SIZE, view.MapSizeText);
    SetItemText(dialog, IDC_MAP_SIZE_UNIT, view.MapSizeUnit);
    CheckRadioButton(dialog, IDC_GRID_BASIC, IDC_GRID_PARALLEL, IDC_GRID_BASIC + view.GridType);
    SetItemText(dialog, IDC_GRID_INTERVAL_LABEL, view.IntervalLabel);
    SetItemText(dialog, IDC_GRID_INTERVAL, view.IntervalText);
    SetItemText(dialog, IDC_GRID_INTERVAL_UNIT, view.IntervalUnit);
    SetItemText(dialog, IDC_GRID_ANGLE, view.AngleText);
    EnableWindow(GetDlgItem(dialog, IDC_GRID_ANGLE), view.AngleEnabled);
    CheckRadioButton(dialog, IDC_CURSOR_SIZE_FIRST, IDC_CURSOR_SIZE_FIRST + 5,
                     IDC_CURSOR_SIZE_FIRST + view.CursorSize);
    CheckRadioButton(dialog, IDC_POSITION_SIZE_FIRST, IDC_POSITION_SIZE_FIRST + 5,
                     IDC_POSITION_SIZE_FIRST + view.PositionSize);
    FillCombo(dialog, IDC_MAP_DISPLAY_TYPE, MapDisplayTypeCaptions, 2, view.MapDisplayType);
}

void RepaintPreview(HWND dialog) { InvalidateRect(GetDlgItem(dialog, IDC_MAP_PREVIEW), nullptr, FALSE); }

void MapDialogCommand(HWND dialog, MapDialogState& state, int id, int code) {
    Settings& settings = state.settings;
    if ((id == IDC_GRID_BASIC || id == IDC_GRID_PARALLEL) && code == BN_CLICKED) {
        state.editor.ChooseGridType(id - IDC_GRID_BASIC);
        MapDisplayOptionsView view = state.editor.View();
        SetItemText(dialog, IDC_GRID_INTERVAL_LABEL, view.IntervalLabel);
        EnableWindow(GetDlgItem(dialog, IDC_GRID_ANGLE), view.AngleEnabled);
    } else if (id >= IDC_CURSOR_SIZE_FIRST && id <= IDC_CURSOR_SIZE_FIRST + 5 && code == BN_CLICKED) {
        state.editor.ChooseCursorSize(id - IDC_CURSOR_SIZE_FIRST);
    } else if (id >= IDC_POSITION_SIZE_FIRST && id <= IDC_POSITION_SIZE_FIRST + 5 && code == BN_CLICKED) {
        state.editor.ChoosePositionSize(id - IDC_POSITION_SIZE_FIRST);
    } else if (id == IDC_CURSOR_COLOR && code == BN_CLICKED) {
        if (auto colour = PickColour(dialog, settings.CursorColor)) {
            state.editor.ChooseCursorColor(*colour);
            RemakeGdiObjects(settings);  // the map behind the dialog draws in it at once
        }
    } else if (id == IDC_POSITION_COLOR && code == BN_CLICKED) {
        if (auto colour = PickColour(dialog, settings.PositionColor)) {
            state.editor.ChoosePositionColor(*colour);
            RemakeGdiObjects(settings);
        }
    } else if (id == IDC_GRID_ANGLE && code == EN_CHANGE && !state.filling) {
        state.editor.TypeAngle(ItemText(dialog, IDC_GRID_ANGLE));
    } else if (id == IDOK) {
        MapDisplayOptionsEntries entries;
        entries.MapSizeText = ItemText(dialog, IDC_MAP_SIZE);
        entries.IntervalText = ItemText(dialog, IDC_GRID_INTERVAL);
        entries.AngleText = ItemText(dialog, IDC_GRID_ANGLE);
        entries.MapDisplayType = ComboSelection(dialog, IDC_MAP_DISPLAY_TYPE);
        // The caller stores the choice; the logging screen recomputes its map
        // scale (MapScaleFor) and map pens from the settings afterwards.
        state.choice = state.editor.Ok(entries);
        state.accepted = true;
        EndDialog(dialog, 1);
        return;
    } else if (id == IDCANCEL) {
        state.editor.Cancel();
        RemakeGdiObjects(settings);  // back to the colours the dialog found
        EndDialog(dialog, 0);
        return;
    } else {
        return;
    }
    RepaintPreview(dialog);
}

INT_PTR CALLBACK MapDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* state = reinterpret_cast<MapDialogState*>(lParam);
        FillMapDialog(dialog, *state);
        PlaceDialogOverOwnerWindow(dialog, MapDisplayOptionsPlacementDivisor);
        state->filling = false;
        return TRUE;
    }
    auto* state = StateOf<MapDialogState>(dialog);
    if (!state) return FALSE;
    switch (message) {
    case WM_COMMAND:
        MapDialogCommand(dialog, *state, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != IDC_MAP_PREVIEW) return FALSE;
        DrawMapPreview(item->hDC, item->rcItem, state->settings);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// ---------------------------------------------------------------- Setup Profile Options

struct ProfileDialogState {
    DialogContext& context;
    ProfileOptionsEditor editor;
    bool accepted = false;
};

constexpr int ColourButton[2] = {IDC_PROFILE_COLOR_LEFT, IDC_PROFILE_COLOR_RIGHT};
constexpr int ThicknessCombo[2] = {IDC_PROFILE_THICKNESS_LEFT, IDC_PROFILE_THICKNESS_RIGHT};
constexpr int VisibleBox[2] = {IDC_PROFILE_VISIBLE_LEFT, IDC_PROFILE_VISIBLE_RIGHT};

void DrawColourButton(const DRAWITEMSTRUCT& item, const Settings& settings, int side) {
    RECT area = item.rcItem;
    HDC dc = item.hDC;
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawEdge(dc, &area, (item.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    ColourButtonFace face =
        ProfileColourButtonFace(settings, side, area.right - area.left, area.bottom - area.top);
    HPEN pen = CreatePen(PS_SOLID, face.Thickness, static_cast<COLORREF>(face.Color));
    HGDIOBJ old = SelectObject(dc, pen);
    Line(dc, face.Sample, area.left, area.top);
    SelectObject(dc, old);
    DeleteObject(pen);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = area;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}

void ProfileDialogCommand(HWND dialog, ProfileDialogState& state, int id, int code) {
    for (int side = 0; side < 2; ++side) {
        if (id == ColourButton[side] && code == BN_CLICKED) {
            if (auto colour = PickColour(dialog, state.context.settings.ProfileColor[side]))
                state.editor.ChooseProfileColor(side, *colour);
            InvalidateRect(GetDlgItem(dialog, id), nullptr, FALSE);
            return;
        }
        if (id == ThicknessCombo[side] && code == CBN_SELCHANGE) {
            state.editor.ChooseProfileThickness(side, ComboSelection(dialog, id));
            InvalidateRect(GetDlgItem(dialog, ColourButton[side]), nullptr, FALSE);
            return;
        }
    }
    if (id == IDOK) {
        const bool visible[2] = {IsDlgButtonChecked(dialog, VisibleBox[0]) == BST_CHECKED,
                                 IsDlgButtonChecked(dialog, VisibleBox[1]) == BST_CHECKED};
        state.editor.Ok(visible);
        if (state.context.saveSettings) state.context.saveSettings();
        state.accepted = true;
        EndDialog(dialog, 0);  // this dialog ends with 0 either way
    } else if (id == IDCANCEL) {
        state.editor.Cancel();
        EndDialog(dialog, 0);
    }
}

INT_PTR CALLBACK ProfileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* state = reinterpret_cast<ProfileDialogState*>(lParam);
        ProfileOptionsView view = state->editor.View();
        for (int side = 0; side < 2; ++side) {
            CheckDlgButton(dialog, VisibleBox[side], view.Visible[side] ? BST_CHECKED : BST_UNCHECKED);
            FillCombo(dialog, ThicknessCombo[side], ProfileThicknessCaptions, 4, view.ThicknessIndex[side]);
        }
        return TRUE;
    }
    auto* state = StateOf<ProfileDialogState>(dialog);
    if (!state) return FALSE;
    switch (message) {
    case WM_COMMAND:
        ProfileDialogCommand(dialog, *state, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        for (int side = 0; side < 2; ++side) {
            if (static_cast<int>(item->CtlID) == ColourButton[side]) {
                DrawColourButton(*item, state->context.settings, side);
                return TRUE;
            }
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

bool ChooseMapDisplayOptions(HWND owner, Settings& settings, MapDisplayChoice& choice) {
    MapDialogState state{settings, MapDisplayOptionsEditor(settings), {}};
    DialogBoxParamW(GetModuleHandleW(nullptr), L"DISPLAYOPTIONS", owner, MapDialogProc,
                    reinterpret_cast<LPARAM>(&state));
    if (state.accepted) choice = state.choice;
    return state.accepted;
}

// From the main window there is no track for the map size to hold.
bool RunMapDisplayOptionsDialog(HWND owner, DialogContext& context) {
    MapDisplayChoice choice;
    if (!ChooseMapDisplayOptions(owner, context.settings, choice)) return false;
    StoreMapDisplayChoice(choice, context.settings);
    if (context.saveSettings) context.saveSettings();
    return true;
}

bool RunProfileOptionsDialog(HWND owner, DialogContext& context) {
    ProfileDialogState state{context, ProfileOptionsEditor(context.settings)};
    DialogBoxParamW(GetModuleHandleW(nullptr), L"DISPLAYSETUP", owner, ProfileDialogProc,
                    reinterpret_cast<LPARAM>(&state));
    return state.accepted;
}

}  // namespace tesselog::win32
