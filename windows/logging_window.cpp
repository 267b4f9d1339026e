// The logging screen's children and its own painting. Every place comes from
// core/logscreen/logging_layout.h and every text from status_painting.h.
#include "windows/logging_window.h"

#include <commctrl.h>

#include "windows/display_scale_win32.h"
#include "windows/platform_services.h"
#include "windows/shell_window.h"
#include "windows/window_canvas.h"

namespace tesselog::win32 {

namespace {

// place: in 96-DPI units, put on the device by the layout's scale.
HWND MakeChild(HWND parent, HINSTANCE instance, const wchar_t* className, const std::string& text, DWORD style,
               const Rect& layoutPlace, int id, DisplayScale scale) {
    const Rect place = scale.ToDevice(layoutPlace);
    return CreateWindowExW(0, className, WidenBytes(text).c_str(), WS_CHILD | style, place.Left, place.Top,
                           place.Width(), place.Height(), parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

HWND MakeButton(HWND parent, HINSTANCE instance, const std::string& label, DWORD style, const Rect& place, int id,
                HFONT font, DisplayScale scale) {
    HWND button = MakeChild(parent, instance, L"BUTTON", label, style | WS_TABSTOP, place, id, scale);
    if (button) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return button;
}

// Keeps the first child that could not be made; the caller takes the error
// code straight after the call that failed. A screen that is no longer a
// window is said: error 1400 was seen under Wine right after a killed instance.
void NoteCreationFailure(LoggingWindow& w, HWND child, DWORD error, const std::string& what) {
    if (child || !w.CreationFailure.empty()) return;
    w.CreationFailure = what + ", error " + std::to_string(error);
    if (!IsWindow(w.Screen)) w.CreationFailure += ", the screen gone";
}

void Place(HWND window, const Rect& r, bool show, DisplayScale scale) {
    if (!window) return;
    MoveToPlace(window, r, scale);
    ShowWindow(window, show ? SW_SHOW : SW_HIDE);
}

void Show(HWND window, bool show) {
    if (window) ShowWindow(window, show ? SW_SHOW : SW_HIDE);
}

void Enable(HWND window, bool enable) {
    if (window) EnableWindow(window, enable ? TRUE : FALSE);
}

// One tooltip window for the navigation buttons, saying their keys.
void AddKeyTooltips(HWND screen, HINSTANCE instance, HWND const* buttons, int count) {
    HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, screen, nullptr, instance, nullptr);
    if (!tips) return;
    for (int i = 0; i < count; ++i) {
        if (!buttons[i]) continue;
        std::wstring text = WidenBytes(NavigationKeyHints[i]);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = screen;
        tool.uId = reinterpret_cast<UINT_PTR>(buttons[i]);
        tool.lpszText = text.data();
        SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MeasureStatus(LoggingWindow& w) {
    if (!w.Screen || !w.Fonts) return;
    HDC dc = GetDC(w.Screen);
    {
        GdiCanvas canvas(dc, *w.Fonts);
        w.Status = ComputeStatusTextLayout(canvas, w.Panes, w.Creation);
    }
    ReleaseDC(w.Screen, dc);
}

}  // namespace

LoggingWindow& TheLoggingWindow() {
    static LoggingWindow window;
    return window;
}

Color ButtonFaceColor() { return static_cast<Color>(GetSysColor(COLOR_BTNFACE)); }

bool CreateLoggingPanes(HWND screen, ProgramShell& shell) {
    return CreateLoggingPanes(TheLoggingWindow(), screen, shell.Instance, shell.Fonts, shell.ClientWidth,
                              shell.ClientHeight, shell.LineHeight, shell.ProgramSettings.ConsoleCount);
}

bool CreateLoggingPanes(LoggingWindow& w, HWND screen, HINSTANCE instance, const ShellFonts& fonts,
                        int32_t clientWidth, int32_t clientHeight, int32_t lineHeight, int32_t consoleCount) {
    w.Screen = screen;
    w.Fonts = &fonts;
    w.LineHeight = lineHeight;
    w.Creation = ComputeLoggingLayout(clientWidth, clientHeight, lineHeight, consoleCount, CreationRightColumnWidth,
                                      fonts.Scale);
    w.Panes = w.Creation;
    w.MapVisible = false;
    w.CreationFailure.clear();
    const LoggingLayout& c = w.Creation;
    bool made = true;
    auto pane = [&](const wchar_t* cls, const std::string& text, DWORD style, const Rect& place, int id) {
        HWND child = MakeChild(screen, instance, cls, text, style, place, id, fonts.Scale);
        NoteCreationFailure(w, child, GetLastError(), NarrowToBytes(cls) + " " + std::to_string(id));
        made = made && child != nullptr;
        return child;
    };
    // A button that cannot be made leaves the screen usable by its keys, but
    // is named all the same.
    auto button = [&](const std::string& label, DWORD style, const Rect& place, int id) {
        HWND child = MakeButton(screen, instance, label, style, place, id, fonts.Text, fonts.Scale);
        NoteCreationFailure(w, child, GetLastError(), "button " + std::to_string(id));
        return child;
    };

    for (int i = 0; i < LoggingPaneSlots; ++i) {
        w.ProfilePanes[i] = pane(L"CurveWnd", "", WS_BORDER, ProfilePaneRect(c, i, false), ProfilePaneFirstId + i);
    }
    for (int i = 0; i < LoggingPaneSlots; ++i) {
        w.SecondPlotPanes[i] =
            pane(L"DecayWnd", "", WS_BORDER | WS_VISIBLE, SecondPlotPaneRect(c, i), SecondPlotPaneFirstId + i);
    }
    w.NumbersPane = pane(L"NumbersWnd", "", WS_BORDER | WS_VISIBLE, NumbersPaneRect(c), NumbersPaneId);
    w.MapPane = pane(L"MapWnd", "", WS_BORDER | WS_VISIBLE, MapPaneRect(c), MapPaneId);
    w.ColourScaleWindow =
        pane(L"ColorBarWnd", ColourScaleCaption, WS_CAPTION, ColourScaleWindowRect(), ColourScaleWindowId);

    for (int i = 0; i < CommandButtonCount; ++i) {
        const DWORD kind = i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        const Rect place = CommandButtonRect(c, i);
        w.FirstCommands[i] = button(FirstCommandLabels[i], kind | WS_VISIBLE, place, CommandButtonFirstId + i);
        w.SecondCommands[i] = button(SecondCommandLabels[i], kind, place, CommandButtonFirstId + i);
    }
    w.PauseButton = button(PauseButtonLabel, BS_DEFPUSHBUTTON, PauseButtonRect(c), PauseButtonId);
    for (int i = 0; i < DirectionButtonCount; ++i) {
        w.DirectionButtons[i] =
            button(DirectionLabels[i], BS_PUSHBUTTON | WS_VISIBLE, DirectionButtonRect(c, i), NavigateLeftId + i);
    }
    for (int i = 0; i < ZoomButtonCount; ++i) {
        w.ZoomButtons[i] = button(ZoomLabels[i], BS_PUSHBUTTON, ZoomButtonRect(c, i), ZoomInId + i);
    }
    w.EnterReviewButton = button(EnterReviewLabel, BS_PUSHBUTTON | WS_VISIBLE, ReviewButtonRect(c), EnterReviewId);
    w.ExitReviewButton = button(ExitReviewLabel, BS_PUSHBUTTON | WS_VISIBLE, ReviewButtonRect(c), ExitReviewId);
    w.SpeedPane = pane(L"SpeedWnd", "", WS_BORDER | WS_VISIBLE, SpeedPaneRect(c), SpeedPaneId);
    const HWND navigation[9] = {w.DirectionButtons[0], w.DirectionButtons[1], w.DirectionButtons[2],
                                w.DirectionButtons[3], w.ZoomButtons[0],      w.ZoomButtons[1],
                                w.ZoomButtons[2],      w.EnterReviewButton,   w.ExitReviewButton};
    AddKeyTooltips(screen, instance, navigation, 9);
    w.VisibleSet = 0;
    MeasureStatus(w);
    return made;
}

void LayoutLoggingPanes(LoggingWindow& w, int32_t clientWidth, int32_t clientHeight, int32_t consoleCount,
                        bool mapVisible) {
    w.Panes = ComputeLoggingLayout(clientWidth, clientHeight, w.LineHeight, consoleCount, PaneRightColumnWidth,
                                   w.Fonts ? w.Fonts->Scale : DisplayScale{});
    w.MapVisible = mapVisible;
    const LoggingLayout& p = w.Panes;
    const DisplayScale scale = p.Scale;

    if (mapVisible) Place(w.MapPane, MapPaneRect(p), true, scale);
    else Show(w.MapPane, false);

    for (int i = 0; i < LoggingPaneSlots; ++i) {
        Show(w.ProfilePanes[i], false);
        Show(w.SecondPlotPanes[i], false);
    }
    for (int i = 0; i < consoleCount && i < LoggingPaneSlots; ++i) {
        Place(w.ProfilePanes[i], ProfilePaneRect(p, i, mapVisible), true, scale);
        Place(w.SecondPlotPanes[i], SecondPlotPaneRect(p, i), true, scale);
    }
    Place(w.NumbersPane, NumbersPaneRect(p), true, scale);

    for (HWND button : w.DirectionButtons) {
        Show(button, true);
        Enable(button, false);
    }
    Show(w.EnterReviewButton, true);
    Enable(w.EnterReviewButton, false);
    for (HWND button : w.ZoomButtons) Show(button, false);
    Show(w.ExitReviewButton, false);

    // The speed bar keeps its place from creation.
    Place(w.SpeedPane, SpeedPaneRect(w.Creation), true, scale);
    MeasureStatus(w);
    if (w.Screen) InvalidateRect(w.Screen, nullptr, TRUE);
}

void RescaleLoggingButtons(LoggingWindow& w, int32_t clientWidth, int32_t clientHeight, int32_t lineHeight,
                           int32_t consoleCount) {
    if (!w.Fonts) return;
    w.LineHeight = lineHeight;
    w.Creation = ComputeLoggingLayout(clientWidth, clientHeight, lineHeight, consoleCount, CreationRightColumnWidth,
                                      w.Fonts->Scale);
    const LoggingLayout& c = w.Creation;
    const DisplayScale scale = c.Scale;
    auto button = [&](HWND b, const Rect& place) {
        MoveToPlace(b, place, scale);
        if (b) SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(w.Fonts->Text), TRUE);
    };
    for (int i = 0; i < CommandButtonCount; ++i) {
        button(w.FirstCommands[i], CommandButtonRect(c, i));
        button(w.SecondCommands[i], CommandButtonRect(c, i));
    }
    button(w.PauseButton, PauseButtonRect(c));
    for (int i = 0; i < DirectionButtonCount; ++i) button(w.DirectionButtons[i], DirectionButtonRect(c, i));
    for (int i = 0; i < ZoomButtonCount; ++i) button(w.ZoomButtons[i], ZoomButtonRect(c, i));
    button(w.EnterReviewButton, ReviewButtonRect(c));
    button(w.ExitReviewButton, ReviewButtonRect(c));
    MoveToPlace(w.ColourScaleWindow, ColourScaleWindowRect(), scale);
}

void UseSunlightLook(LoggingWindow& w, const ShellFonts& shellFonts, bool on) {
    UseSunlightInk(on);
    for (HFONT old : {w.SunlightFonts.Text, w.SunlightFonts.Bold}) {
        if (old) DeleteObject(old);
    }
    w.SunlightFonts = shellFonts;
    w.SunlightFonts.Text = CreateShellFont(shellFonts.Scale.ToDevice(14), 700);
    w.SunlightFonts.Bold = CreateShellFont(shellFonts.Scale.ToDevice(16), 800);
    w.Fonts = on ? &w.SunlightFonts : &shellFonts;
}

void ShowCommandSet(LoggingWindow& w, int set) {
    for (int i = 0; i < CommandButtonCount; ++i) {
        Show(w.FirstCommands[i], set == 0);
        Show(w.SecondCommands[i], set == 1);
    }
    Show(w.PauseButton, set == 2);
    w.VisibleSet = set;
}

void SetDefaultCommandButton(LoggingWindow& w, int index) {
    HWND* set = w.VisibleSet == 1 ? w.SecondCommands : w.FirstCommands;
    if (w.VisibleSet == 2) return;  // "P A U S E" is always the default
    for (int i = 0; i < CommandButtonCount; ++i) {
        if (set[i]) SendMessageW(set[i], BM_SETSTYLE, i == index ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
}

void EnableDirectionButtons(LoggingWindow& w, bool enable) {
    for (HWND button : w.DirectionButtons) Enable(button, enable);
}

void EnableZoomButtons(LoggingWindow& w, bool enable) {
    for (HWND button : w.ZoomButtons) Enable(button, enable);
}

void EnableReviewButtons(LoggingWindow& w, bool enable) {
    Enable(w.EnterReviewButton, enable);
    Enable(w.ExitReviewButton, enable);
}

void ShowZoomButtons(LoggingWindow& w, bool show) {
    for (HWND button : w.ZoomButtons) Show(button, show);
}

void ShowReviewButton(LoggingWindow& w, bool inReview) {
    Show(w.EnterReviewButton, !inReview);
    Show(w.ExitReviewButton, inReview);
}

void EnableFileButton(LoggingWindow& w, bool enable) { Enable(w.FirstCommands[0], enable); }

void PaintLoggingScreen(LoggingWindow& w, HWND screen, const StatusInputs& inputs) {
    if (!w.Fonts) {
        PAINTSTRUCT paint{};
        BeginPaint(screen, &paint);
        EndPaint(screen, &paint);
        return;
    }
    PaintCanvas canvas(screen, *w.Fonts);
    StatusInputs shown = inputs;
    shown.MapVisible = w.MapVisible ? 1 : 0;
    PaintLoggingStatus(canvas.Get(), w.Status, shown);
}

void DrawStatusLine(LoggingWindow& w, int code, const std::string& fileName) {
    if (!w.Screen || !w.Fonts) return;
    WindowCanvas canvas(w.Screen, *w.Fonts);
    PaintStatusLine(canvas.Get(), w.Status, code, fileName, ButtonFaceColor(), Rgb(0, 0, 0));
}

void DrawPauseHint(LoggingWindow& w, int code, int32_t pauseKey) {
    if (!w.Screen || !w.Fonts) return;
    WindowCanvas canvas(w.Screen, *w.Fonts);
    PaintPauseHint(canvas.Get(), w.Status, code, pauseKey, ButtonFaceColor(), Rgb(0, 0, 0));
}

}  // namespace tesselog::win32
