#include "windows/logging_screen.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "core/existing/append_validation.h"
#include "core/logscreen/background_layer.h"
#include "core/logscreen/logging_assembly.h"
#include "core/logscreen/logging_session.h"
#include "core/logscreen/map_commands.h"
#include "core/logscreen/status_painting.h"
#include "core/map/map_grid.h"
#include "core/settings/settings_file.h"
#include "windows/background_dialogs.h"
#include "windows/console_reader.h"
#include "windows/dialogs.h"
#include "windows/display_scale_win32.h"
#include "windows/gdi_objects.h"
#include "windows/gps_reader.h"
#include "windows/logging_dialogs.h"
#include "windows/logging_window.h"
#include "windows/map_tiles.h"
#include "windows/numbers_panes.h"
#include "windows/profile_panes.h"
#include "windows/replay_timing.h"
#include "windows/serial_ports.h"
#include "windows/window_canvas.h"

namespace tesselog::win32 {

namespace {

HWND LoggingScreenWindow() { return Shell().LoggingScreen; }

DiskSpace* ChosenDisk = nullptr;
PowerSource* ChosenPower = nullptr;

// Draws one value of the status area over its cleared box, in the bold font.
void DrawStatusValue(Canvas& canvas, const Rect& box, const std::string& text) {
    canvas.FillRect(box, ButtonFaceColor());
    canvas.SetFont(FontChoice::Bold);
    canvas.SetTextColor(Rgb(0, 0, 0));
    canvas.SetTextBackground(true, ButtonFaceColor());
    canvas.SetTextAlign(TextAlign::Left);
    canvas.TextInRect(box, box.Left, box.Top, text);
}

// The profile panes that show are painted again.
void RefreshProfilePanes() {
    for (HWND pane : TheLoggingWindow().ProfilePanes) {
        if (pane && IsWindowVisible(pane)) InvalidateRect(pane, nullptr, TRUE);
    }
}

// ------------------------------------------------------------------ controls

class Win32Controls : public LoggingScreenControls {
public:
    // It draws on the map's pane and lays the panes out into the recording.
    Win32Controls(LoggingWindow& window, MapCommands& map, RecordingState& recording)
        : window_(window), map_(map), recording_(recording) {}

    void ShowButtonSet(LogButtonSet set, bool visible) override {
        for (HWND button : ButtonsOf(set)) {
            if (button) ShowWindow(button, visible ? SW_SHOW : SW_HIDE);
        }
        if (visible) window_.VisibleSet = static_cast<int>(set);
    }
    void EnableButtonSet(LogButtonSet set, bool enabled) override {
        for (HWND button : ButtonsOf(set)) {
            if (button) EnableWindow(button, enabled ? TRUE : FALSE);
        }
    }
    void SetDefaultButton(LogButtonSet set, int index) override {
        SetButtons buttons = ButtonsOf(set);
        for (int i = 0; i < CommandButtonCount; ++i) {
            if (!buttons.Handles[i]) continue;
            SendMessageW(buttons.Handles[i], BM_SETSTYLE, i == index ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        }
    }
    void EnableFileButton(bool enabled) override { win32::EnableFileButton(window_, enabled); }
    void EnableNavigation(uint32_t buttons, bool enabled) override {
        ForNavigation(buttons, [enabled](HWND b) { EnableWindow(b, enabled ? TRUE : FALSE); });
    }
    void ShowNavigation(uint32_t buttons, bool visible) override {
        ForNavigation(buttons, [visible](HWND b) { ShowWindow(b, visible ? SW_SHOW : SW_HIDE); });
    }
    void UpdateStatusLine(int code, const std::string& fileName) override {
        DrawStatusLine(window_, code, fileName);
    }
    void PauseHint(int code) override { DrawPauseHint(window_, code, Shell().ProgramSettings.PauseKey); }
    void RepaintScreen() override {
        InvalidateRect(window_.Screen, nullptr, TRUE);
        UpdateWindow(window_.Screen);
    }
    void RepaintMainWindow() override { InvalidateRect(Shell().MainWindow, nullptr, TRUE); }
    void RefreshProfiles() override { RefreshProfilePanes(); }
    void ClearMapPane() override {
        if (IsWindowVisible(window_.MapPane)) map_.ClearPane();
    }
    void ShowPleaseWait() override {
        if (IsWindowVisible(window_.MapPane)) map_.PleaseWait();
    }
    void ShowSunlight(bool on) override { UseSunlightLook(window_, Shell().Fonts, on); }
    void ShowSleepNote(const std::string& note) override {
        sleepNote_ = note;
        ShowFieldWarnings(recording_.Field.Shown(), RedrawWarningLine);
    }
    void ShowFieldWarnings(const WarningsShown& shown, uint32_t parts) override {
        if ((parts & RedrawWarningLine) && window_.Screen && window_.Fonts) {
            WindowCanvas canvas(window_.Screen, *window_.Fonts);
            const Settings& settings = Shell().ProgramSettings;
            PaintWarningLine(canvas.Get(), window_.Status, WithSleepNote(sleepNote_, shown.Line),
                             GridThinningText(map_.State().Grid, settings.DisplayUnits), window_.MapVisible ? 1 : 0,
                             ButtonFaceColor());
        }
        if (parts & RedrawSpeedBar) {
            window_.SpeedTooFast = shown.TooFast;
            DrawSpeedPane(window_, window_.SpeedOffset);
        }
        // The cells follow with each console's next reading. The test build's
        // draw log gets the whole line, also what did not fit on the screen.
        if ((parts & RedrawWarningLine) && ReplayTimingTarget())
            ReplayTimingTarget()("warnings " + WithSleepNote(sleepNote_, shown.Line));
    }
    void ShowNoConnection(int k) override {
        if (k < 0 || k >= MaxConsoles) return;
        NoConnectionShown[k] = true;
        DrawNumbersRow(k, "No connection");
    }
    // The row of a console that sends again is overdrawn by its first reading.
    void ClearNoConnection(int k) {
        if (k >= 0 && k < MaxConsoles) NoConnectionShown[k] = false;
    }
    void ClearSecondPlot(int k) override {
        if (k < 0 || k >= LoggingPaneSlots || !window_.SecondPlotPanes[k]) return;
        HWND pane = window_.SecondPlotPanes[k];
        const SIZE client = ClientSizeIn96(pane, window_.Fonts->Scale);
        WindowCanvas canvas(pane, *window_.Fonts);
        canvas.Get().FillRect(Rect{0, 0, client.cx, client.cy}, Rgb(255, 255, 255));
    }
    void ShowColourScale(bool visible) override {
        if (window_.ColourScaleWindow) ShowWindow(window_.ColourScaleWindow, visible ? SW_SHOW : SW_HIDE);
    }
    int PopupMenu(int menuId) override {
        ProgramShell& shell = Shell();
        HMENU menu = LoadMenuW(shell.Instance, MAKEINTRESOURCEW(menuId));
        if (!menu) return 0;
        RECT main{};
        GetWindowRect(shell.MainWindow, &main);
        const int chosen = TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                          main.left + 190, main.top + 120, 0, window_.Screen, nullptr);
        DestroyMenu(menu);
        return chosen;
    }
    void LayoutPass() override;
    void ShowLoggingScreen(bool visible) override {
        ShowWindow(window_.Screen, visible ? SW_SHOW : SW_HIDE);
        SetFocus(visible ? window_.Screen : Shell().MainWindow);
    }
    void ShowMainButtons(bool visible) override {
        for (HWND button : Shell().MainButtons) ShowWindow(button, visible ? SW_SHOW : SW_HIDE);
    }
    void FocusScreen() override { SetFocus(window_.Screen); }

private:
    void DrawNumbersRow(int k, const std::string& text) { DrawNumbersRowText(window_, k, text); }

    bool NoConnectionShown[MaxConsoles] = {};
    std::string sleepNote_;

    struct SetButtons {
        HWND Handles[CommandButtonCount] = {};
        HWND* begin() { return Handles; }
        HWND* end() { return Handles + CommandButtonCount; }
    };
    SetButtons ButtonsOf(LogButtonSet set) const {
        SetButtons b;
        if (set == LogButtonSet::Pause) {
            b.Handles[0] = window_.PauseButton;
        } else {
            const HWND* source = set == LogButtonSet::First ? window_.FirstCommands : window_.SecondCommands;
            for (int i = 0; i < CommandButtonCount; ++i) b.Handles[i] = source[i];
        }
        return b;
    }
    template <typename Action>
    void ForNavigation(uint32_t buttons, Action action) {
        HWND all[9] = {window_.DirectionButtons[0], window_.DirectionButtons[1], window_.DirectionButtons[2],
                       window_.DirectionButtons[3], window_.ZoomButtons[0],      window_.ZoomButtons[1],
                       window_.ZoomButtons[2],      window_.EnterReviewButton,   window_.ExitReviewButton};
        for (int i = 0; i < 9; ++i) {
            if ((buttons & (1u << i)) && all[i]) action(all[i]);
        }
    }

    LoggingWindow& window_;
    MapCommands& map_;
    RecordingState& recording_;
};

// ------------------------------------------------------------------ dialogs

class Win32Dialogs : public LoggingDialogs {
public:
    bool NewLine(const Settings& s, SurveyLineChoice& line) override {
        return Choose(LoggingDialog::NewLine, s, line, NewLineOf);
    }
    bool NewStation(const Settings& s, double& station) override {
        return Choose(LoggingDialog::NewStation, s, station, NewStationOf);
    }
    bool Comment(std::string& text) override { return RunCommentDialog(Owner(), text); }
    bool ReadingsScale(Settings& settings, ReadingsScaleChoice& choice) override {
        auto take = [&](const DialogForm& form) { choice = ReadingsScaleOf(form); };
        return RunLoggingDialog(Owner(), LoggingDialog::ReadingsScale, settings, take, [] {
            HWND bar = TheLoggingWindow().ColourScaleWindow;
            if (bar) InvalidateRect(bar, nullptr, TRUE);
        });
    }
    bool SpeedScale(const Settings& s, SpeedScaleChoice& choice) override {
        return Choose(LoggingDialog::SpeedScale, s, choice, SpeedScaleOf);
    }
    // The curve and bar pens, and the map's cursor and position pens, follow
    // these two dialogs.
    bool ProfileOptions(Settings& settings, ProfileOptionsChoice& choice) override {
        const bool accepted = ChooseProfileOptions(Owner(), settings, choice);
        if (accepted) RemakeGdiObjects(settings);
        return accepted;
    }
    bool MapSize(const Settings& s, MapSizeChoice& choice) override {
        return Choose(LoggingDialog::MapSize, s, choice, MapSizeOf);
    }
    bool MapDisplayOptions(Settings& settings, MapDisplayChoice& choice) override {
        const bool accepted = ChooseMapDisplayOptions(Owner(), settings, choice);
        if (accepted) RemakeGdiObjects(settings);
        return accepted;
    }
    bool GpsMask(const Settings& s, GpsMaskChoice& mask) override {
        return Choose(LoggingDialog::GpsWarningMask, s, mask, GpsWarningMaskOf);
    }
    bool Audio(const Settings& s, AudioChoice& choice) override {
        return Choose(LoggingDialog::Audio, s, choice, AudioOptionsOf);
    }
    // Opening it for a grid receiver raises a CoordinateDisplay of 0 to 1.
    bool CoordinatesUnits(Settings& settings, int32_t& display) override {
        auto take = [&](const DialogForm& form) { display = CoordinateDisplayOf(form, settings); };
        return RunLoggingDialog(Owner(), LoggingDialog::CoordinatesUnits, settings, take);
    }
    bool FieldWarnings(QcSettings& qc) override { return RunFieldWarningsDialog(Owner(), qc); }

private:
    static HWND Owner() { return Shell().MainWindow; }
    // A dialog that reads the settings only opens from a copy of them; OK
    // gives back what `of` reads from the form.
    template <typename Choice, typename Of>
    static bool Choose(LoggingDialog which, const Settings& settings, Choice& choice, Of of) {
        Settings shown = settings;
        return RunLoggingDialog(Owner(), which, shown, [&](const DialogForm& form) {
            if constexpr (std::is_invocable_v<Of, const DialogForm&>)
                choice = of(form);
            else
                choice = of(form, settings);
        });
    }
};

// ------------------------------------------------------------------ ports

class Win32Ports : public LoggingPorts {
public:
    // The readers it starts hand over through the recording's streams.
    Win32Ports(LoggingWindow& window, RecordingState& recording) : window_(window), recording_(recording) {}

    bool OpenConsolePort(int k) override {
        ProgramShell& shell = Shell();
        shell.Prompts.Owner = shell.MainWindow;
        return win32::OpenConsolePort(Ports, shell.ProgramSettings, k, 1, shell.Prompts) == 1;
    }
    void CloseConsolePort(int k) override { win32::CloseConsolePort(Ports, k); }
    bool OpenGpsPort() override {
        ProgramShell& shell = Shell();
        shell.Prompts.Owner = shell.MainWindow;
        return win32::OpenGpsPort(Ports, shell.ProgramSettings, 1, shell.Prompts, PortReading::Awaited) == 1;
    }
    void CloseGpsPort() override {
        if (Ports.GpsPortHandle != INVALID_HANDLE_VALUE) CloseHandle(Ports.GpsPortHandle);
        Ports.GpsPortHandle = INVALID_HANDLE_VALUE;
    }
    void StartConsoleReader(int k) override {
        ConsoleReaderSetup setup;
        setup.Streams = &recording_.Consoles;
        setup.Ports = &Ports;
        setup.ProgramSettings = &Shell().ProgramSettings;
        setup.LoggingScreen = window_.Screen;
        ConsoleThreads.Start(k, setup);
    }
    void StartGpsReader() override {
        GpsReaderSetup setup;
        setup.Streams = &recording_.Gps;
        setup.Ports = &Ports;
        setup.ProgramSettings = &Shell().ProgramSettings;
        setup.Mode = recording_.Mode;
        setup.Logging = &recording_.Logging;
        setup.Writer = &recording_.Writer;
        setup.LoggingScreen = window_.Screen;
        setup.Fonts = window_.Fonts;
        setup.Layout = &recording_.GpsLayout;
        GpsThread.Start(setup);
    }
    // The run flag, the port (unless the reader is in a break and closes it
    // itself) and a bounded wait that answers the reader's pending send.
    void StopGpsReader() override { GpsThread.Stop(1000); }
    void ReleaseConsoleThread(int k) override { ConsoleThreads.ReleaseThread(k); }
    void ReleaseGpsThread() override {}  // Stop released it
    void StartWatchTimer() override { SetTimer(window_.Screen, WatchTimerId, 1000, nullptr); }
    void StopWatchTimer() override { KillTimer(window_.Screen, WatchTimerId); }
    // The short waits between port and thread operations hold the
    // user-interface thread, as a busy wait on the tick counter would: a
    // reader's sentence waits in its send meanwhile, so nothing that comes
    // during the 50 ms before the recording starts is handled before
    // "$STARTED" is written.
    void Wait(uint32_t ms) override { Sleep(ms); }
    // Created anew in the current directory, read and write, not shared, and
    // held open for the rest of the run; nothing is written to it.
    void CreateDiagnosticFile() override {
        if (diagnostic_ != INVALID_HANDLE_VALUE) return;
        diagnostic_ = CreateFileW(L"WYNIKBAD.TXT", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    SerialPorts Ports;
    ConsoleReaderThreads ConsoleThreads;
    GpsReaderThread GpsThread;

private:
    LoggingWindow& window_;
    RecordingState& recording_;
    HANDLE diagnostic_ = INVALID_HANDLE_VALUE;
};

// ------------------------------------------------------------------ handlers' displays

// What the console handler shows: the numbers row, the bars and the profile
// step on the panes' own device contexts, and the station and time fields in
// the status boxes.
class Win32ReadingDisplay : public ReadingDisplay {
public:
    Win32ReadingDisplay(LoggingWindow& window, Win32Controls& controls, RecordingState& recording)
        : window_(window), controls_(controls), recording_(recording) {}
    void DrawNumbers(int k, double left, double right) override {
        controls_.ClearNoConnection(k);
        const FieldWatch& field = recording_.Field;
        const int first = field.Rules().Array().FirstSensor[k];
        const std::string cells[2] = {SensorCell(field.Warnings(), first), SensorCell(field.Warnings(), first + 1)};
        DrawConsoleNumbers(window_, k, left, right, cells);
    }
    void DrawSecondPlot(int k, const int32_t barRows[2]) override {
        DrawConsoleBars(window_, recording_.Profiles, Shell().ProgramSettings, k, barRows);
    }
    void DrawProfile(int k, const int32_t profileRows[2]) override {
        DrawProfileStep(window_, recording_.Profiles, Shell().ProgramSettings, k, profileRows);
    }
    void ShowStationFields(const StationFieldTexts& texts) override {
        WindowCanvas canvas(window_.Screen, *window_.Fonts);
        DrawStatusValue(canvas.Get(), window_.Status.Station.Value, texts.Station);
        DrawStatusValue(canvas.Get(), window_.Status.LineStations.Value, texts.LineCount);
        DrawStatusValue(canvas.Get(), window_.Status.TotalStations.Value, texts.TotalCount);
    }
    void ShowTimeFields(const TimeFieldTexts& texts) override {
        WindowCanvas canvas(window_.Screen, *window_.Fonts);
        DrawStatusValue(canvas.Get(), window_.Status.LineTime.Value, texts.Line);
        DrawStatusValue(canvas.Get(), window_.Status.TotalTime.Value, texts.Total);
    }

private:
    LoggingWindow& window_;
    Win32Controls& controls_;
    RecordingState& recording_;
};

class Win32GpsScreen : public GpsScreenHooks {
public:
    explicit Win32GpsScreen(LoggingWindow& window) : window_(window) {}
    void EnableFileButton() override { win32::EnableFileButton(window_, true); }
    void DrawSpeedBar(int32_t offset) override { DrawSpeedPane(window_, offset); }

private:
    LoggingWindow& window_;
};

// ------------------------------------------------------------------ the program of the screen

void EndProgramAtPositionLimit(const std::string& note);

void SaveProgramSettings() {
    ProgramShell& shell = Shell();
    SaveSettings(shell.ProgramSettings, shell.Files, SettingsFilePath, shell.WorkingFolder);
}

// What only Windows gives the map side: the GDI tiles, the clock, the boxes
// and file dialogs, and the messages the map sends to the screen.
MapPlatform MapPlatformOf(Win32Clock& clock, Win32FileDialogs& fileChooser, GdiMapTiles& tiles,
                          Win32BackgroundDialogs& backgroundChoices) {
    ProgramShell& shell = Shell();
    return MapPlatform{shell.Files,
                       clock,
                       shell.Prompts,
                       fileChooser,
                       tiles,
                       backgroundChoices,
                       [] { SendMessageW(LoggingScreenWindow(), MSG_MAP_OVERFLOW, 0, 0); },
                       // Only the "Map Size:" box and the grid's note beside
                       // it: with the whole screen invalid the map pane, which
                       // has no painting of its own, would be erased white
                       // over the view that the zoom or fit has just shown.
                       [] {
                           const StatusTextLayout& status = TheLoggingWindow().Status;
                           for (const Rect& box : {status.MapSizeBox, status.GridNoteBox}) {
                               const RECT area{box.Left, box.Top, box.Right, box.Bottom};
                               InvalidateRect(LoggingScreenWindow(), &area, FALSE);
                           }
                       },
                       &RefreshProfilePanes,
                       // The test build's measurement of the map's reads.
                       [](const char* what, const std::function<void()>& read) {
                           ReplayTimer timer(what);
                           read();
                       }};
}

// Everything of the logging screen, made once with the screen. Never
// destroyed: a reader that outlives the bounded waits at exit must not find
// its state gone while the process ends.
//
// The members are made in the order written, and each takes only members
// above it: the platform's objects, the map side of the core on them, the
// controls and ports on the map side, the session on all of them,
// and last the displays the handlers draw through.
struct LoggingProgram {
    LoggingProgram()
        : Tiles(Shell().Fonts),
          MapSide(Shell().ProgramSettings, MapPlatformOf(Clock, FileChooser, Tiles, BackgroundChoices)),
          Controls(TheLoggingWindow(), MapSide.Map, MapSide.Recording),
          Ports(TheLoggingWindow(), MapSide.Recording),
          Screen(Shell().ProgramSettings, MapSide, ScreenServices()),
          Display(TheLoggingWindow(), Controls, MapSide.Recording),
          GpsScreen(TheLoggingWindow()) {
        Objects.Remake(Shell().ProgramSettings);
        InstallGdiObjects(&Objects);
        SetPaintedProfiles(&MapSide.Recording.Profiles, &MapSide.Recording.File);
        FileChooser.Owner = Shell().MainWindow;
        BackgroundChoices.Owner = Shell().MainWindow;
        Tiles.SetPane(TheLoggingWindow().MapPane);
        // A base tile that comes back into GDI is drawn from the grid in force
        // and the background tracks that cross it.
        Tiles.SetBasePainter([this](int32_t column, int32_t row, int32_t width, int32_t height, Canvas& canvas) {
            DrawBaseTile(canvas, MapSide.Map.State().Grid, column, row, width, height);
            MapSide.Background.PaintBaseTile(canvas, column, row, width, height);
        });
    }

    LoggingSession& Session() { return Screen.Session; }

    // The session's services: the map side's, this program's screen objects,
    // and the files, disk and power of the program that goes to the field.
    LoggingServices ScreenServices() {
        LoggingServices services = MapSide.Services(Sounds, Controls, Dialogs, Ports, Shell().Screen.ScreenMode);
        services.SaveSettings = &SaveProgramSettings;
        services.EndProgram = &EndProgramAtPositionLimit;
        services.QcSettingsPath = QcSettingsPathBeside(SettingsFilePath);
        services.Disk = ChosenDisk ? ChosenDisk : &Disk;
        services.Power = ChosenPower ? ChosenPower : &Power;
        services.Awake = &Awake;
        services.LookSettingsPath = ScreenLookPathBeside(SettingsFilePath);
        return services;
    }

    // The shared pens and brushes of every canvas, made at start-up.
    GdiObjectCache Objects;
    Win32Clock Clock;
    Win32DiskSpace Disk;
    Win32PowerSource Power;
    Win32KeepAwake Awake;
    Win32SoundPlayer Sounds;
    Win32FileDialogs FileChooser;
    Win32BackgroundDialogs BackgroundChoices{&SaveProgramSettings};
    GdiMapTiles Tiles;
    LoggingScreenMap MapSide;
    Win32Controls Controls;
    Win32Dialogs Dialogs;
    Win32Ports Ports;
    LoggingScreen Screen;
    Win32ReadingDisplay Display;
    Win32GpsScreen GpsScreen;
};

LoggingProgram* TheProgram = nullptr;

LoggingProgram& Program() { return *TheProgram; }

// The readers and the watch stop before the program ends at the limit of
// positions, so nothing more is written.
void SuspendReaders() {
    LoggingProgram& program = Program();
    if (program.Ports.GpsThread.Running()) SuspendThread(program.Ports.GpsThread.Handle());
    KillTimer(TheLoggingWindow().Screen, WatchTimerId);
    for (int k = 0; k < MaxConsoles; ++k) {
        if (program.Ports.ConsoleThreads.Running(k)) SuspendThread(program.Ports.ConsoleThreads.Handle(k));
    }
}

// A file that holds the most positions a file may: nothing more is written.
// A reader is held in its send, not in a write, so the file's lock is free:
// the file is on the disk and closed before the box says it is saved.
void EndProgramAtPositionLimit(const std::string& note) {
    SuspendReaders();
    Program().MapSide.Recording.File.Flush();
    Program().MapSide.Recording.File.Close();
    if (!note.empty())
        MessageBoxW(LoggingScreenWindow(), WidenBytes(note).c_str(), WidenBytes(PositionLimitCaption).c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
    ExitProcess(0);
}

void Win32Controls::LayoutPass() {
    ProgramShell& shell = Shell();
    LayoutLoggingPanes(window_, shell.ClientWidth, shell.ClientHeight, shell.ProgramSettings.ConsoleCount,
                       recording_.MapVisible);
    TakePaneSizes(shell.ProgramSettings, window_.Panes);
    SetProfilePaneWidths(recording_.Profiles, ProfilePaneRect(window_.Panes, 0, recording_.MapVisible).Width(),
                         window_.Panes.SecondPlotWidth);
    RecomputeProfileScale(recording_.Profiles, shell.ProgramSettings);
    const int32_t side = window_.Panes.Device(MapPaneRect(window_.Panes)).Width() - 2;
    map_.SetPaneSize(side, side);
    recording_.GpsLayout = MakeGpsFieldLayout(window_.Status, window_.Creation, shell.ProgramSettings.CoordinateDisplay,
                                           shell.ProgramSettings.SpeedBarScale, ButtonFaceColor());
}

// ------------------------------------------------------------------ messages

LRESULT OnScreenCreate(HWND window, UINT, WPARAM, LPARAM) {
    ProgramShell& shell = Shell();
    if (!CreateLoggingPanes(window, shell)) {
        // Named here: once the screen is destroyed, the system's error code
        // names only the screen.
        shell.CreationFailure = "logging screen, " + TheLoggingWindow().CreationFailure;
        DestroyWindow(window);
        return -1;
    }
    TheProgram = new LoggingProgram;
    return 0;
}

// In sunlight the screen's face is white, as every face drawn on it.
LRESULT OnScreenEraseBackground(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!SunlightInkInUse()) return DefWindowProcW(window, message, wParam, lParam);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return 1;
}

LRESULT OnScreenPaint(HWND window, UINT, WPARAM, LPARAM) {
    if (!TheProgram) return DefWindowProcW(window, WM_PAINT, 0, 0);
    LoggingProgram& program = Program();
    StatusInputs inputs = program.Session().StatusSnapshot();
    inputs.GridNote = GridThinningText(program.MapSide.Map.State().Grid, Shell().ProgramSettings.DisplayUnits);
    inputs.Background = ButtonFaceColor();
    PaintLoggingScreen(TheLoggingWindow(), window, inputs);
    return 0;
}

LRESULT OnScreenCommand(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (!TheProgram) return 0;
    const LogInput input = message == WM_COMMAND   ? LogInput::Command
                           : message == WM_DEADCHAR ? LogInput::DeadChar
                                                    : LogInput::KeyDown;
    Program().Session().OnCommand(input, static_cast<uint64_t>(wParam));
    return 0;
}

LRESULT OnScreenMapOverflow(HWND, UINT, WPARAM, LPARAM) {
    if (!TheProgram) return 0;
    Program().Session().OnMapOverflow();
    return 0;
}

LRESULT OnScreenTimer(HWND, UINT, WPARAM wParam, LPARAM) {
    if (TheProgram && wParam == WatchTimerId) Program().Session().OnWatchTimer();
    return 0;
}

LRESULT OnScreenConsoleData(HWND, UINT message, WPARAM, LPARAM) {
    if (TheProgram) Program().Session().OnConsoleData(static_cast<int>(message - MSG_CONSOLE_DATA), Program().Display);
    return 0;
}

// At the position limit the session ends the program (EndProgramAtPositionLimit).
LRESULT OnScreenGpsData(HWND window, UINT, WPARAM, LPARAM) {
    if (!TheProgram) return 0;
    LoggingProgram& program = Program();
    WindowCanvas canvas(window, *TheLoggingWindow().Fonts);
    program.Session().OnGpsData(canvas.Get(), program.GpsScreen);
    return 0;
}

// The panes draw their contents directly; the numbers pane, the speed bar
// and the colour scale paint themselves (numbers_panes.cpp).
LRESULT OnPaneSize(HWND, UINT, WPARAM, LPARAM) { return 0; }

const MessageEntry<WindowHandler> ScreenLogEntries[] = {
    {WM_CREATE, &OnScreenCreate},
    {WM_SIZE, &OnPaneSize},
    {WM_PAINT, &OnScreenPaint},
    {WM_ERASEBKGND, &OnScreenEraseBackground},
    {WM_COMMAND, &OnScreenCommand},
    {WM_DEADCHAR, &OnScreenCommand},
    {WM_KEYDOWN, &OnScreenCommand},
    {MSG_MAP_OVERFLOW, &OnScreenMapOverflow},
    {WM_TIMER, &OnScreenTimer},
    {MSG_GPS_DATA, &OnScreenGpsData},
    {MSG_CONSOLE_DATA + 0, &OnScreenConsoleData},
    {MSG_CONSOLE_DATA + 1, &OnScreenConsoleData},
    {MSG_CONSOLE_DATA + 2, &OnScreenConsoleData},
    {MSG_CONSOLE_DATA + 3, &OnScreenConsoleData},
    {MSG_CONSOLE_DATA + 4, &OnScreenConsoleData},
    {MSG_CONSOLE_DATA + 5, &OnScreenConsoleData},
    {MSG_CONSOLE_DATA + 6, &OnScreenConsoleData},
    {MSG_CONSOLE_DATA + 7, &OnScreenConsoleData},
    {MSG_CONSOLE_DATA + 8, &OnScreenConsoleData},
};

}  // namespace

const WindowMessageTable ScreenLogMessages = MakeMessageTable(ScreenLogEntries);

void SetFieldWarningSources(DiskSpace* disk, PowerSource* power) {
    ChosenDisk = disk;
    ChosenPower = power;
}

void StartLoggingScreen(ProgramShell& shell) {
    if (!TheProgram || shell.Screen.ScreenMode != ScreenMain) return;
    Program().Session().StartLogging();
}

void SurveySetupAccepted() {
    if (TheProgram) Program().Session().OnSurveySetupAccepted();
}

void LoggingScreenScaleChanged() {
    if (!TheProgram) return;
    ProgramShell& shell = Shell();
    LoggingWindow& w = TheLoggingWindow();
    RescaleLoggingButtons(w, shell.ClientWidth, shell.ClientHeight, shell.LineHeight,
                          shell.ProgramSettings.ConsoleCount);
    UseSunlightLook(w, shell.Fonts, w.Fonts == &w.SunlightFonts);
    Program().Session().OnDisplayScaleChanged();
}

void LoggingScreenPower(WPARAM event) {
    if (!TheProgram) return;
    LoggingSession& session = Program().Session();
    if (ReplayTimingTarget()) ReplayTimingTarget()("power " + std::to_string(static_cast<unsigned>(event)));
    if (event == PBT_APMSUSPEND) session.OnSuspend();
    else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMECRITICAL)
        session.OnResume();
}

void StopLoggingAtExit() {
    if (!TheProgram) return;
    LoggingProgram& program = Program();
    program.Awake.Hold(false);
    if (program.Ports.GpsThread.Running()) program.Ports.GpsThread.Stop(2000);
    for (int k = 0; k < MaxConsoles; ++k) program.Ports.ConsoleThreads.ClosePort(k);
    program.Ports.ConsoleThreads.WaitForEnd(500);
    program.MapSide.Recording.File.Flush();
    program.MapSide.Recording.File.Close();
}

}  // namespace tesselog::win32
