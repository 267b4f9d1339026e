// The main window: creation, the nine buttons, the command handler and the
// painting. Decisions and layout come from core/shell; this file gathers the
// inputs and talks to the API.
#include "windows/shell_window.h"


#include "core/settings/settings_file.h"
#include "core/shell/main_painting.h"
#include "windows/dialogs.h"
#include "windows/display_scale_win32.h"
#include "windows/gdi_objects.h"
#include "windows/gps_monitor_window.h"
#include "windows/logging_screen.h"

namespace tesselog::win32 {

ProgramShell& Shell() {
    static ProgramShell shell;
    return shell;
}

HFONT CreateShellFont(int height, int weight) {
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Microsoft Sans Serif");
}

namespace {

std::string CurrentDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) return std::string();
    // A folder that 8-bit text cannot name is held by its short (8.3) name,
    // which is plain ASCII, when the volume gives it one.
    wchar_t shortName[MAX_PATH + 1] = {};
    DWORD m = 0;
    if (FirstNon8BitCharacter(CodeUnits(buffer)) != AllCharactersFit)
        m = GetShortPathNameW(buffer, shortName, MAX_PATH + 1);
    return NarrowToBytes(m > 0 && m <= MAX_PATH ? shortName : buffer);
}

// In 96-DPI units, as every layout of the program.
void ReadClientSize(ProgramShell& shell, HWND window) {
    const SIZE client = ClientSizeIn96(window, shell.Fonts.Scale);
    shell.ClientWidth = client.cx;
    shell.ClientHeight = client.cy;
}

// The window's default font: the line height of the logging screen's layout.
void MeasureDefaultFont(ProgramShell& shell, HWND window) {
    HDC dc = GetDC(window);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    ReleaseDC(window, dc);
    shell.TextHeight = shell.Fonts.Scale.FromDevice(metrics.tmHeight);
    shell.AverageCharWidth = shell.Fonts.Scale.FromDevice(metrics.tmAveCharWidth);
    shell.LineHeight = shell.TextHeight + 2;
}

void PlaceMainButtons(ProgramShell& shell) {
    for (int i = 0; i < MainButtonCount; ++i) {
        MoveToPlace(shell.MainButtons[i], MainButtonRect(shell.ClientWidth, shell.ClientHeight, i), shell.Fonts.Scale);
        SendMessageW(shell.MainButtons[i], WM_SETFONT, reinterpret_cast<WPARAM>(shell.Fonts.Text), TRUE);
    }
}

LRESULT OnMainCreate(HWND window, UINT, WPARAM, LPARAM) {
    ProgramShell& shell = Shell();
    shell.MainWindow = window;
    shell.Prompts.Owner = window;
    MakeShellFonts(shell.Fonts, WindowScale(window));
    ReadClientSize(shell, window);

    shell.Files.MakeDirectory(ScratchFolder);
    shell.WorkingFolder = CurrentDirectory();
    const SettingsLoad load =
        LoadOrCreateSettings(shell.ProgramSettings, shell.Files, SettingsFilePath, shell.WorkingFolder);
    if (load.Outcome == SettingsFileOutcome::Damaged) shell.StartupWarning = SettingsDamageText(load, SettingsFilePath);

    MeasureDefaultFont(shell, window);

    for (int i = 0; i < MainButtonCount; ++i) {
        Rect r = shell.Fonts.Scale.ToDevice(MainButtonRect(shell.ClientWidth, shell.ClientHeight, i));
        shell.MainButtons[i] =
            CreateWindowExW(0, L"BUTTON", WidenBytes(MainButtonLabels[i]).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, r.Left, r.Top, r.Width(), r.Height(),
                            window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(MainButtonFirstId + i)),
                            shell.Instance, nullptr);
        SendMessageW(shell.MainButtons[i], WM_SETFONT, reinterpret_cast<WPARAM>(shell.Fonts.Text), FALSE);
    }
    shell.Screen.MainButtonFocus = 0;
    SendMessageW(shell.MainButtons[0], BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);

    const Rect client = shell.Fonts.Scale.ToDevice(Rect{0, 0, shell.ClientWidth, shell.ClientHeight});
    const Rect monitor = shell.Fonts.Scale.ToDevice(Rect{2, 2, shell.ClientWidth - 2, shell.ClientHeight - 2});
    shell.LoggingScreen = CreateWindowExW(0, L"ScreenLogWnd", L"Log", WS_CHILD, 0, 0, client.Right,
                                          client.Bottom, window,
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(LoggingScreenId)),
                                          shell.Instance, nullptr);
    // The monitor paints its label at every line: its controls are clipped out.
    shell.GpsMonitor = CreateWindowExW(0, L"MonitorGPSWnd", L"Monitor GPS", WS_CHILD | WS_CLIPCHILDREN, monitor.Left,
                                       monitor.Top, monitor.Width(), monitor.Height(), window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(GpsMonitorId)), shell.Instance,
                                       nullptr);
    if (!shell.LoggingScreen || !shell.GpsMonitor) {
        const DWORD error = GetLastError();
        if (shell.CreationFailure.empty()) {
            shell.CreationFailure = std::string(shell.LoggingScreen ? "GPS monitor" : "logging screen") + ", error " +
                                    std::to_string(error);
        }
        DestroyWindow(window);
        return 0;
    }

    // The pens and brushes shared by the logging screen's panes, and its
    // state, are made with the logging screen.
    return 0;
}

LRESULT OnMainSize(HWND window, UINT, WPARAM, LPARAM) {
    ReadClientSize(Shell(), window);
    return 0;
}

// The window went to a screen of another scale (or the scale of its screen
// was changed): it takes the place Windows proposes, the fonts and every
// place are made for the new scale, and the screen in front is laid out
// again. The GPS monitor keeps its controls' places until it is opened next.
LRESULT OnMainDpiChanged(HWND window, UINT, WPARAM wParam, LPARAM lParam) {
    ProgramShell& shell = Shell();
    const DisplayScale scale = ScaleOfDpi(HIWORD(wParam));
    if (scale.Dpi == shell.Fonts.Scale.Dpi) return 0;
    MakeShellFonts(shell.Fonts, scale);
    const RECT* proposed = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window, nullptr, proposed->left, proposed->top, proposed->right - proposed->left,
                 proposed->bottom - proposed->top, SWP_NOZORDER | SWP_NOACTIVATE);
    ReadClientSize(shell, window);
    MeasureDefaultFont(shell, window);
    PlaceMainButtons(shell);
    MoveToPlace(shell.LoggingScreen, Rect{0, 0, shell.ClientWidth, shell.ClientHeight}, scale);
    MoveToPlace(shell.GpsMonitor, Rect{2, 2, shell.ClientWidth - 2, shell.ClientHeight - 2}, scale);
    LoggingScreenScaleChanged();
    InvalidateRect(window, nullptr, TRUE);
    return 0;
}

// Only top-level windows hear of the system's sleep and wake.
LRESULT OnMainPowerBroadcast(HWND, UINT, WPARAM wParam, LPARAM) {
    LoggingScreenPower(wParam);
    return TRUE;
}

LRESULT OnMainDestroy(HWND, UINT, WPARAM, LPARAM) {
    StopLoggingAtExit();
    StopGpsMonitorAtExit();
    PostQuitMessage(0);
    return 0;
}

bool RunDialogAndRepaint(ProgramShell& shell, bool (*run)(HWND, DialogContext&)) {
    DialogContext context{shell.ProgramSettings,
                          [&shell] {
                              SaveSettings(shell.ProgramSettings, shell.Files, SettingsFilePath, shell.WorkingFolder);
                          },
                          shell.DisplayOptionsChanged};
    const bool accepted = run(shell.MainWindow, context);
    InvalidateRect(shell.MainWindow, nullptr, TRUE);
    return accepted;
}

void RunMainAction(ProgramShell& shell, MainAction action) {
    switch (action) {
    case MainAction::None: break;
    case MainAction::StartLogging: StartLoggingScreen(shell); break;
    case MainAction::SurveySetup:
        if (RunDialogAndRepaint(shell, &RunSurveySetupDialog)) SurveySetupAccepted();
        break;
    case MainAction::SystemSetup: RunDialogAndRepaint(shell, &RunSystemSetupDialog); break;
    case MainAction::ArrayGeometry: RunDialogAndRepaint(shell, &RunArrayGeometryDialog); break;
    case MainAction::GpsPortSetup: RunDialogAndRepaint(shell, &RunGpsPortSetupDialog); break;
    case MainAction::GpsMonitoring: StartGpsMonitor(shell); break;
    case MainAction::MapOptions:
    case MainAction::ProfilesOptions:
        // The logging screen's shared pens follow these settings.
        if (RunDialogAndRepaint(shell, action == MainAction::MapOptions ? &RunMapDisplayOptionsDialog
                                                                        : &RunProfileOptionsDialog))
            RemakeGdiObjects(shell.ProgramSettings);
        break;
    case MainAction::Exit: SendMessageW(shell.MainWindow, WM_CLOSE, 0, 0); break;
    case MainAction::CoordinatesUnits: RunDialogAndRepaint(shell, &RunCoordinatesUnitsDialog); break;
    case MainAction::GpsOnlyInformation:
        shell.Prompts.Owner = shell.MainWindow;
        shell.Prompts.ShowMessage(GpsOnlyText, CaptionInformation, PromptIcon::Information);
        break;
    }
}

LRESULT OnMainCommand(HWND window, UINT message, WPARAM wParam, LPARAM) {
    ProgramShell& shell = Shell();
    MainInput input = message == WM_COMMAND   ? MainInput::Command
                      : message == WM_DEADCHAR ? MainInput::DeadChar
                                               : MainInput::KeyDown;
    bool loggingVisible = shell.LoggingScreen && IsWindowVisible(shell.LoggingScreen);
    bool monitorVisible = shell.GpsMonitor && IsWindowVisible(shell.GpsMonitor);
    MainCommandDecision d = DecideMainCommand(shell.Screen, loggingVisible, monitorVisible, input, wParam);

    switch (d.Focus) {
    case FocusTarget::LoggingScreen: SetFocus(shell.LoggingScreen); return 0;
    case FocusTarget::GpsMonitor: SetFocus(shell.GpsMonitor); return 0;
    case FocusTarget::MainWindow: SetFocus(window); break;
    }
    if (d.FocusMoved) {
        SendMessageW(shell.MainButtons[d.OldFocus], BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        shell.Screen.MainButtonFocus = d.NewFocus;
        SendMessageW(shell.MainButtons[d.NewFocus], BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }
    RunMainAction(shell, MainActionFor(d.Command, shell.ProgramSettings.GpsInput != 0));
    return 0;
}

// The keyboard focus follows the screen in front: when the main window is
// activated again (after a dialog or a message box, or by a click on its
// frame) while the logging screen or the GPS monitor is in front, the focus
// goes on to that screen, so the operator's next key reaches it.
LRESULT OnMainSetFocus(HWND, UINT, WPARAM, LPARAM) {
    ProgramShell& shell = Shell();
    HWND front = shell.Screen.ScreenMode == ScreenLogging      ? shell.LoggingScreen
                 : shell.Screen.ScreenMode == ScreenGpsMonitor ? shell.GpsMonitor
                                                               : nullptr;
    // A screen that is being closed is hidden before ScreenMode returns to 0.
    if (front && IsWindowVisible(front)) SetFocus(front);
    return 0;
}

LRESULT OnMainPaint(HWND window, UINT, WPARAM, LPARAM) {
    ProgramShell& shell = Shell();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    const SIZE client = ClientSizeIn96(window, shell.Fonts.Scale);
    {
        GdiCanvas canvas(dc, shell.Fonts);
        PaintMainWindow(canvas, shell.ProgramSettings, client.cx, client.cy);
    }
    EndPaint(window, &ps);
    return 0;
}

const MessageEntry<WindowHandler> MainEntries[] = {
    {WM_CREATE, &OnMainCreate},     {WM_SIZE, &OnMainSize},       {WM_DESTROY, &OnMainDestroy},
    {WM_COMMAND, &OnMainCommand},   {WM_DEADCHAR, &OnMainCommand}, {WM_KEYDOWN, &OnMainCommand},
    {WM_PAINT, &OnMainPaint},       {WM_SETFOCUS, &OnMainSetFocus}, {WM_DPICHANGED, &OnMainDpiChanged},
    {WM_POWERBROADCAST, &OnMainPowerBroadcast},
};
const WindowMessageTable MainMessages = MakeMessageTable(MainEntries);

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchThroughTable(MainMessages, message, &DefWindowProcW, window, message, wParam, lParam);
}

HWND CreateMainWindow(HINSTANCE instance, int showCommand) {
    ProgramShell& shell = Shell();
    shell.Instance = instance;
    shell.CreationFailure.clear();
    WindowPlacement p =
        MainWindowPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), SystemScale());
    HWND window = CreateWindowExW(0, MainClassName, L"Tesselog", WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  p.X, p.Y, p.Width, p.Height, nullptr, nullptr, instance, nullptr);
    if (!window) {
        if (shell.CreationFailure.empty()) shell.CreationFailure = "main window, error " + std::to_string(GetLastError());
        return nullptr;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}

void ShowStartupWarning() {
    ProgramShell& shell = Shell();
    if (shell.StartupWarning.empty()) return;
    const std::string text = std::move(shell.StartupWarning);
    shell.StartupWarning.clear();
    shell.Prompts.Owner = shell.MainWindow;
    shell.Prompts.ShowMessage(text, SettingsDamageCaption, PromptIcon::Exclamation);
}

}  // namespace tesselog::win32
