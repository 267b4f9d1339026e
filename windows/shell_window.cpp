// The main window: creation, the nine buttons, the command handler and the
// painting. Decisions and layout come from core/shell; this file gathers the
// inputs and talks to the API.
#include "windows/shell_window.h"

#include <cstring>
#include <memory>

#include "core/datafile/data_file.h"
#include "core/datafile/data_file_writers.h"
#include "core/gps/position_handler.h"
#include "core/settings/settings_file.h"
#include "core/shell/main_painting.h"
#include "windows/dialogs.h"
#include "windows/gps_reader.h"
#include "windows/window_canvas.h"

namespace tesselog::win32 {

ProgramShell& Shell() {
    static ProgramShell shell;
    return shell;
}

namespace {

HFONT CreateShellFont(int height, int weight) {
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Microsoft Sans Serif");
}

std::string CurrentDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) return std::string();
    return Narrow(std::wstring(buffer, n));
}

void ReadClientSize(ProgramShell& shell, HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    shell.ClientWidth = client.right - client.left;
    shell.ClientHeight = client.bottom - client.top;
}

LRESULT OnMainCreate(HWND window, UINT, WPARAM, LPARAM) {
    ProgramShell& shell = Shell();
    shell.MainWindow = window;
    shell.Prompts.Owner = window;
    ReadClientSize(shell, window);

    shell.Files.MakeDirectory(ScratchFolder);
    shell.WorkingFolder = CurrentDirectory();
    LoadOrCreateSettings(shell.ProgramSettings, shell.Files, SettingsFilePath, shell.WorkingFolder);

    shell.Fonts.Caption = CreateShellFont(20, 200);
    shell.Fonts.Title = CreateShellFont(30, 600);
    shell.Fonts.Text = CreateShellFont(14, 400);
    shell.Fonts.Bold = CreateShellFont(14, 700);
    HDC dc = GetDC(window);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    ReleaseDC(window, dc);
    shell.TextHeight = metrics.tmHeight;
    shell.AverageCharWidth = metrics.tmAveCharWidth;
    shell.LineHeight = shell.TextHeight + 2;

    for (int i = 0; i < MainButtonCount; ++i) {
        Rect r = MainButtonRect(shell.ClientWidth, shell.ClientHeight, i);
        shell.MainButtons[i] =
            CreateWindowExW(0, L"BUTTON", Widen(MainButtonLabels[i]).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, r.Left, r.Top, r.Width(), r.Height(),
                            window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(MainButtonFirstId + i)),
                            shell.Instance, nullptr);
        SendMessageW(shell.MainButtons[i], WM_SETFONT, reinterpret_cast<WPARAM>(shell.Fonts.Text), FALSE);
    }
    shell.Screen.MainButtonFocus = 0;
    SendMessageW(shell.MainButtons[0], BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);

    shell.LoggingScreen = CreateWindowExW(0, L"ScreenLogWnd", L"Log", WS_CHILD, 0, 0, shell.ClientWidth,
                                          shell.ClientHeight, window,
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(LoggingScreenId)),
                                          shell.Instance, nullptr);
    shell.GpsMonitor = CreateWindowExW(0, L"MonitorGPSWnd", L"Monitor GPS", WS_CHILD, 2, 2, shell.ClientWidth - 4,
                                       shell.ClientHeight - 4, window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(GpsMonitorId)), shell.Instance,
                                       nullptr);
    if (!shell.LoggingScreen || !shell.GpsMonitor) {
        DestroyWindow(window);
        return 0;
    }

    shell.MapVisible = shell.ProgramSettings.GpsInput != 0 ? 1 : 0;
    // The pens and brushes shared by the logging screen's panes are created
    // with those panes.
    std::memcpy(shell.Readings.ConsoleRecordTag, ConsoleRecordTag, sizeof shell.Readings.ConsoleRecordTag);
    return 0;
}

LRESULT OnMainSize(HWND window, UINT, WPARAM, LPARAM) {
    ReadClientSize(Shell(), window);
    return 0;
}

// ---------------------------------------------------------------------------
// Interim start and stop of logging, GPS side only. Until the logging screen
// exists, "&Logging" with GPS input on applies the NMEA mode, opens the GPS
// port (its failure shown), starts the GPS reader and shows the still empty
// logging screen, whose MSG_GPS_DATA runs the position handler; closing the
// program stops the reader. The logging screen's work replaces this section
// with the full start and stop (consoles, port checks, timer 1, "E&xit") and
// moves the GPS state below into the program's state.

struct InterimGpsLogging {
    SerialPorts Ports;
    GpsStreams Streams;
    NmeaModeTable Mode;
    GpsPositionState Positions;
    UtmZoneState Zone;  // fixed by the first fix, kept for the whole run
    GpsFieldLayout Layout;
    int32_t ScreenUpdatesEnabled = 1;
    ConsoleStreams Consoles;
    LoggingStatus Logging;  // stays "Monitoring": no data file is opened yet
    Win32Clock Clock;
    std::unique_ptr<DataFile> File;
    std::unique_ptr<DataFileWriter> Writer;
    Win32SoundPlayer Sounds;
    GpsMapDrawing Map;       // no map pane yet
    GpsScreenHooks Screen;   // no "&File" button or speed bar yet
    GpsReaderThread Reader;
};

// Never destroyed: a reader that outlived the bounded wait at exit must not
// find its state gone while the process ends.
InterimGpsLogging& InterimGps() {
    static InterimGpsLogging* gps = new InterimGpsLogging;
    return *gps;
}

void StartLogging(ProgramShell& shell) {
    InterimGpsLogging& gps = InterimGps();
    const Settings& settings = shell.ProgramSettings;
    if (settings.GpsInput != 1 || gps.Reader.Running()) return;

    gps.Mode = ApplyNmeaMode(settings.NmeaMode);
    shell.Prompts.Owner = shell.MainWindow;
    if (!OpenGpsPort(gps.Ports, settings, 1, shell.Prompts)) return;
    gps.Streams.GpsPortOpen.store(1);

    if (!gps.Writer) {
        gps.File = std::make_unique<DataFile>(shell.Files);
        gps.Writer = std::make_unique<DataFileWriter>(*gps.File, settings, gps.Clock, gps.Consoles, gps.Logging);
    }
    ResetGpsPositionsOnLoggingStart(gps.Positions);
    gps.Layout.Background = GetSysColor(COLOR_BTNFACE);  // COLORREF is 0x00BBGGRR too

    GpsReaderSetup setup;
    setup.Streams = &gps.Streams;
    setup.Ports = &gps.Ports;
    setup.ProgramSettings = &settings;
    setup.Mode = gps.Mode;
    setup.Logging = &gps.Logging;
    setup.Writer = gps.Writer.get();
    setup.LoggingScreen = shell.LoggingScreen;
    setup.Fonts = &shell.Fonts;
    setup.Layout = &gps.Layout;
    if (!gps.Reader.Start(setup)) {
        CloseHandle(gps.Ports.GpsPortHandle);
        gps.Ports.GpsPortHandle = INVALID_HANDLE_VALUE;
        gps.Streams.GpsPortOpen.store(0);
        return;
    }

    for (HWND button : shell.MainButtons) ShowWindow(button, SW_HIDE);
    InvalidateRect(shell.MainWindow, nullptr, TRUE);
    shell.Screen.ScreenMode = ScreenLogging;
    ShowWindow(shell.LoggingScreen, SW_SHOW);
    SetFocus(shell.LoggingScreen);
}

// Before the main window goes: the reader may be waiting in MSG_GPS_DATA, so
// the wait handles sent messages; it is bounded, and a reader that has not
// ended by then ends with the process.
void StopLoggingAtExit() {
    InterimGpsLogging& gps = InterimGps();
    if (!gps.Reader.Running()) return;
    gps.Reader.Stop(2000);
    gps.Streams.GpsPortOpen.store(0);
}

LRESULT OnMainDestroy(HWND, UINT, WPARAM, LPARAM) {
    StopLoggingAtExit();
    PostQuitMessage(0);
    return 0;
}

// "GPS M&onitoring" with GPS enabled: the GPS port, the monitor thread, and
// ScreenMode 2 with the monitor window in front start here when the monitor
// window exists; until then it shows nothing.
void StartGpsMonitoring(ProgramShell&) {}

void RunDialogAndRepaint(ProgramShell& shell, bool (*run)(HWND, DialogContext&)) {
    DialogContext context{shell.ProgramSettings,
                          [&shell] {
                              SaveSettings(shell.ProgramSettings, shell.Files, SettingsFilePath, shell.WorkingFolder);
                          },
                          shell.DisplayOptionsChanged};
    run(shell.MainWindow, context);
    // The GPS choice decides between map and profile view.
    shell.MapVisible = shell.ProgramSettings.GpsInput != 0 ? 1 : 0;
    InvalidateRect(shell.MainWindow, nullptr, TRUE);
}

void RunMainAction(ProgramShell& shell, MainAction action) {
    switch (action) {
    case MainAction::None: break;
    case MainAction::StartLogging: StartLogging(shell); break;
    case MainAction::SurveySetup: RunDialogAndRepaint(shell, &RunSurveySetupDialog); break;
    case MainAction::SystemSetup: RunDialogAndRepaint(shell, &RunSystemSetupDialog); break;
    case MainAction::ArrayGeometry: RunDialogAndRepaint(shell, &RunArrayGeometryDialog); break;
    case MainAction::GpsPortSetup: RunDialogAndRepaint(shell, &RunGpsPortSetupDialog); break;
    case MainAction::GpsMonitoring: StartGpsMonitoring(shell); break;
    case MainAction::MapOptions: RunDialogAndRepaint(shell, &RunMapDisplayOptionsDialog); break;
    case MainAction::ProfilesOptions: RunDialogAndRepaint(shell, &RunProfileOptionsDialog); break;
    case MainAction::Exit: SendMessageW(shell.MainWindow, WM_CLOSE, 0, 0); break;
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

LRESULT OnMainPaint(HWND window, UINT, WPARAM, LPARAM) {
    ProgramShell& shell = Shell();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client{};
    GetClientRect(window, &client);
    {
        GdiCanvas canvas(dc, shell.Fonts);
        PaintMainWindow(canvas, shell.ProgramSettings, client.right - client.left, client.bottom - client.top);
    }
    EndPaint(window, &ps);
    return 0;
}

const MessageEntry<WindowHandler> MainEntries[] = {
    {WM_CREATE, &OnMainCreate},     {WM_SIZE, &OnMainSize},       {WM_DESTROY, &OnMainDestroy},
    {WM_COMMAND, &OnMainCommand},   {WM_DEADCHAR, &OnMainCommand}, {WM_KEYDOWN, &OnMainCommand},
    {WM_PAINT, &OnMainPaint},
};
const WindowMessageTable MainMessages = MakeMessageTable(MainEntries);

}  // namespace

// The logging screen's MSG_GPS_DATA: the position handler on a canvas of the
// logging screen, while the reader waits in its send. (Part of the interim
// section above: its state moves with it.)
LRESULT OnLoggingScreenGpsData(HWND window, UINT, WPARAM, LPARAM) {
    ProgramShell& shell = Shell();
    InterimGpsLogging& gps = InterimGps();
    GpsDataOutcome outcome;
    {
        WindowCanvas canvas(window, shell.Fonts);
        GpsPositionContext context{shell.ProgramSettings, gps.Mode,         gps.Streams,
                                   gps.Logging,           shell.Readings,   gps.Positions,
                                   gps.Zone,              gps.ScreenUpdatesEnabled,
                                   0,  // no map review yet
                                   gps.Layout,            canvas.Get(),     gps.Sounds,
                                   gps.Map,               gps.Screen};
        outcome = OnGpsData(context);
    }
    if (outcome.PositionLimitReached) {
        // The file is full: the reader writes no record of this sentence.
        SuspendThread(gps.Reader.Handle());
        MessageBoxW(window, Widen(PositionLimitMessage).c_str(), Widen(PositionLimitCaption).c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
        ExitProcess(0);
    }
    return 0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchThroughTable(MainMessages, message, &DefWindowProcW, window, message, wParam, lParam);
}

HWND CreateMainWindow(HINSTANCE instance, int showCommand) {
    ProgramShell& shell = Shell();
    shell.Instance = instance;
    WindowPlacement p = MainWindowPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HWND window = CreateWindowExW(0, MainClassName, L"Tesselog", WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  p.X, p.Y, p.Width, p.Height, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}

}  // namespace tesselog::win32
