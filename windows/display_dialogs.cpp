// Map Display Options ("DISPLAYOPTIONS") and Setup Profile Options
// ("DISPLAYSETUP"): the colour picker, the choices applied while open and the
// owner-drawn parts, on the form-dialog runner. What the controls show and
// what OK and Cancel do to the settings is decided by the editors of
// core/settings/display_dialogs.h. Neither dialog has cancel keys, so keys
// reach the focused control as usual.
#include <windows.h>
#include <commdlg.h>

#include <optional>

#include "core/settings/display_dialogs.h"
#include "windows/dialogs.h"
#include "windows/form_dialog.h"
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

void Line(HDC dc, const PreviewLine& line, int dx, int dy) {
    MoveToEx(dc, line.X0 + dx, line.Y0 + dy, nullptr);
    LineTo(dc, line.X1 + dx, line.Y1 + dy);
}

// ---------------------------------------------------------------- Map Display Options

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

void RepaintPreview(HWND dialog) { InvalidateRect(GetDlgItem(dialog, IDC_MAP_PREVIEW), nullptr, FALSE); }

// The radios and colour buttons apply their choice at once; the map behind
// the dialog draws in a new colour straight away.
bool MapDialogClicked(HWND dialog, DialogRun& run, MapDisplayOptionsEditor& editor, Settings& settings, int id) {
    if (id == IDC_GRID_BASIC || id == IDC_GRID_PARALLEL) {
        editor.ChooseGridType(id - IDC_GRID_BASIC);
        const MapDisplayOptionsView view = editor.View();
        ChangeDialogForm(dialog, run, [&](DialogForm& form) {
            form.Label(IDC_GRID_INTERVAL_LABEL).Text = view.IntervalLabel;
            form.Edit(IDC_GRID_ANGLE).Enabled = view.AngleEnabled;
        });
    } else if (id >= IDC_CURSOR_SIZE_FIRST && id <= IDC_CURSOR_SIZE_FIRST + 5) {
        editor.ChooseCursorSize(id - IDC_CURSOR_SIZE_FIRST);
    } else if (id >= IDC_POSITION_SIZE_FIRST && id <= IDC_POSITION_SIZE_FIRST + 5) {
        editor.ChoosePositionSize(id - IDC_POSITION_SIZE_FIRST);
    } else if (id == IDC_CURSOR_COLOR || id == IDC_POSITION_COLOR) {
        const bool cursor = id == IDC_CURSOR_COLOR;
        if (auto colour = PickColour(dialog, cursor ? settings.CursorColor : settings.PositionColor)) {
            if (cursor)
                editor.ChooseCursorColor(*colour);
            else
                editor.ChoosePositionColor(*colour);
            RemakeGdiObjects(settings);
        }
    } else {
        return false;
    }
    RepaintPreview(dialog);
    return true;
}

// ---------------------------------------------------------------- Setup Profile Options

constexpr int ColourButton[2] = {IDC_PROFILE_COLOR_LEFT, IDC_PROFILE_COLOR_RIGHT};
constexpr int ThicknessCombo[2] = {IDC_PROFILE_THICKNESS_LEFT, IDC_PROFILE_THICKNESS_RIGHT};

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

bool DrawColourButtons(const DRAWITEMSTRUCT& item, const Settings& settings) {
    for (int side = 0; side < 2; ++side) {
        if (static_cast<int>(item.CtlID) != ColourButton[side]) continue;
        DrawColourButton(item, settings, side);
        return true;
    }
    return false;
}

bool ProfileColourClicked(HWND dialog, ProfileOptionsEditor& editor, const Settings& settings, int id) {
    for (int side = 0; side < 2; ++side) {
        if (id != ColourButton[side]) continue;
        if (auto colour = PickColour(dialog, settings.ProfileColor[side])) editor.ChooseProfileColor(side, *colour);
        InvalidateRect(GetDlgItem(dialog, id), nullptr, FALSE);
        return true;
    }
    return false;
}

}  // namespace

bool ChooseMapDisplayOptions(HWND owner, Settings& settings, MapDisplayChoice& choice) {
    MapDisplayOptionsEditor editor(settings);
    DialogRun run;
    run.frame = {L"DISPLAYOPTIONS", MapDisplayOptionsPlacementDivisor};
    run.open = [&] { return editor.Form(); };
    // The caller stores the choice; the logging screen recomputes its map
    // scale (MapScaleFor) and map pens from the settings afterwards.
    run.ok = [&](const DialogForm& form) { choice = editor.Ok(form); };
    run.cancel = [&] {
        editor.Cancel();
        RemakeGdiObjects(settings);  // back to the colours the dialog found
    };
    run.typed = [&](HWND dialog, DialogForm& form, int id) {
        if (id != IDC_GRID_ANGLE) return;
        editor.TypeAngle(form.Edit(id).Text);
        RepaintPreview(dialog);
    };
    run.command = [&](HWND dialog, int id, int code) {
        return code == BN_CLICKED && MapDialogClicked(dialog, run, editor, settings, id);
    };
    run.drawItem = [&](const DRAWITEMSTRUCT& item) {
        if (item.CtlID != IDC_MAP_PREVIEW) return false;
        DrawMapPreview(item.hDC, item.rcItem, settings);
        return true;
    };
    return RunFormDialog(owner, run);
}


bool ChooseProfileOptions(HWND owner, Settings& settings, ProfileOptionsChoice& choice) {
    ProfileOptionsEditor editor(settings);
    DialogRun run;
    run.frame = {L"DISPLAYSETUP", 0, false, 0, 0};  // ends with 0 either way
    run.open = [&] { return editor.Form(); };
    run.ok = [&](const DialogForm& form) { choice = ProfileOptionsOf(form); };
    run.cancel = [&] { editor.Cancel(); };
    run.selectionChanged = [&](DialogForm& form, int id) {
        for (int side = 0; side < 2; ++side)
            if (id == ThicknessCombo[side]) editor.ChooseProfileThickness(side, form.Combo(id).Selection);
    };
    // The colour buttons show the thickness too.
    run.shown = [](HWND dialog) {
        for (int id : ColourButton) InvalidateRect(GetDlgItem(dialog, id), nullptr, FALSE);
    };
    run.command = [&](HWND dialog, int id, int code) {
        return code == BN_CLICKED && ProfileColourClicked(dialog, editor, settings, id);
    };
    run.drawItem = [&](const DRAWITEMSTRUCT& item) { return DrawColourButtons(item, settings); };
    return RunFormDialog(owner, run);
}

// From the main window the choice is stored and the settings saved at once
// (there is no track for the map size to hold).
template <typename Choice>
bool StoreAndSave(HWND owner, DialogContext& context, bool (*choose)(HWND, Settings&, Choice&),
                  void (*store)(const Choice&, Settings&)) {
    Choice choice;
    if (!choose(owner, context.settings, choice)) return false;
    store(choice, context.settings);
    if (context.saveSettings) context.saveSettings();
    return true;
}

bool RunMapDisplayOptionsDialog(HWND owner, DialogContext& context) {
    return StoreAndSave(owner, context, &ChooseMapDisplayOptions, &StoreMapDisplayChoice);
}

bool RunProfileOptionsDialog(HWND owner, DialogContext& context) {
    return StoreAndSave(owner, context, &ChooseProfileOptions, &StoreProfileOptions);
}

}  // namespace tesselog::win32
