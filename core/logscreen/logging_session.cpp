#include "core/logscreen/logging_session.h"

#include <algorithm>
#include <cstdio>

#include "core/datafile/data_file_naming.h"
#include "core/existing/torn_end.h"
#include "core/logscreen/logging_layout.h"
#include "core/settings/logging_dialogs.h"

namespace tesselog {

namespace {

constexpr uint32_t PortOpenWaitMs = 100;
constexpr uint32_t StopWithFileWaitMs = 200;
constexpr uint32_t StopPerPortWaitMs = 50;

char UpperLetter(uint32_t key) {
    if (key >= 'a' && key <= 'z') return static_cast<char>(key - 'a' + 'A');
    if (key >= 'A' && key <= 'Z') return static_cast<char>(key);
    return 0;
}

}  // namespace

int MenuCodeOfId(int menuId) {
    static const int table[][2] = {
        {501, CodeNewLine},       {502, CodeNewStation},       {503, CodeComment},
        {505, CodeReadingsScale}, {506, CodeSpeedScale},       {507, CodeProfileOptions},
        {508, CodeAudio},         {509, CodeHideMenu},         {510, CodeMapSize},
        {511, CodeMapDisplayOptions}, {512, CodeToggleView},   {513, CodeGpsMask},
        {514, CodeCoordinatesUnits},      {517, CodeFieldWarnings},
        {515, CodeEnterBackground},   {516, CodeRemoveBackground},
    };
    for (const auto& row : table)
        if (row[0] == menuId) return row[1];
    return 0;
}

LoggingSession::LoggingSession(Settings& settings, LoggingServices& services, RecordingState& recording)
    : Recording(recording),
      Config(settings),
      Services(services),
      Consoles(recording.Consoles),
      Logging(recording.Logging),
      Readings(recording.Readings),
      Gps(recording.Gps),
      GpsState(recording.GpsState),
      Zone(recording.Zone),
      Mode(recording.Mode),
      GpsLayout(recording.GpsLayout),
      Sensors(recording.Sensors),
      Profiles(recording.Profiles),
      Field(recording.Field),
      File(recording.File),
      Writer(recording.Writer),
      MapOverflowState(recording.MapOverflowState),
      MapVisible(recording.MapVisible),
      Sleep(SleepParts{recording.File, recording.Writer, recording.Consoles, recording.Gps, recording.Logging,
                       settings, services.Time, services.Controls}) {}

int LoggingSession::ConsoleCount() const { return std::clamp(Config.ConsoleCount, 0, MaxConsoles); }

void LoggingSession::Save() {
    if (Services.SaveSettings) Services.SaveSettings();
}

void LoggingSession::Information(const char* text) {
    Services.Messages.ShowMessage(text, CaptionInformation, PromptIcon::None);
}

// ---------------------------------------------------------------- start, stop

// "Start Logging": the screen's state made new, every port opened (or
// none), the readers and the watch started, the screen shown.
bool LoggingSession::StartLogging() {
    ResetForStart();
    if (PortAssignmentsConflict()) return false;
    if (!OpenPorts()) return false;
    StartReaders();
    EnterLoggingScreen();
    return true;
}

void LoggingSession::ResetForStart() {
    MapVisible = GpsEnabled();
    if (!GpsEnabled()) Config.MapDisplayType = 0;
    Services.Map.Reset();
    MapReviewActive = false;
    MapOverflowState = MapOverflow::Inside;  // the reset deleted the track the overflow was about
    ResetGpsPositionsOnLoggingStart(GpsState);

    Sensors = BuildSensorTables(Config);
    SetConsoleFirstSensors(Readings, Config);
    Logging.LoggingState = LoggingMonitoring;

    if (!DiagnosticFileOpen) {
        Services.Ports.CreateDiagnosticFile();
        DiagnosticFileOpen = true;
    }

    Look = LoadScreenLook(Services.Files, Services.LookSettingsPath);
    Services.Controls.ShowSunlight(Look.Sunlight);
    Recent.Clear();
    Services.Controls.LayoutPass();
    Services.Map.PrepareDrawing();
    Mode = ApplyNmeaMode(Config.NmeaMode);
    RecomputeProfileScale(Profiles, Config);
    SetColourStep(Readings, Config);

    ResetProfilePanes(Profiles);
    for (int k = 0; k < MaxConsoles; ++k) {
        Consoles.ConsoleInBreak[k] = 0;
        Consoles.ConsoleBreakLogged[k] = 0;
    }
}

// Every port given twice gets its own box; true when there was one.
bool LoggingSession::PortAssignmentsConflict() {
    const int consoles = ConsoleCount();
    int conflicts = 0;
    char text[96];
    for (int i = 0; i < consoles; ++i) {
        if (GpsEnabled() && Config.ConsolePort[i] == Config.GpsPort) {
            std::snprintf(text, sizeof text, "Com%d Assigned to Instrument %d and GPS", Config.GpsPort + 1, i + 1);
            Services.Messages.ShowMessage(text, CaptionSerialPort, PromptIcon::None);
            ++conflicts;
        }
        for (int j = i + 1; j < consoles; ++j) {
            if (Config.ConsolePort[j] != Config.ConsolePort[i]) continue;
            std::snprintf(text, sizeof text, "Com%d Assigned to Instrument %d and Instrument %d",
                          Config.ConsolePort[i] + 1, i + 1, j + 1);
            Services.Messages.ShowMessage(text, CaptionSerialPort, PromptIcon::None);
            ++conflicts;
        }
    }
    return conflicts > 0;
}

// Every console port and the GPS port opened; when one fails, the ones this
// call opened are closed again and the start ends.
bool LoggingSession::OpenPorts() {
    auto& ports = Services.Ports;
    int failures = 0;
    for (int k = 0; k < ConsoleCount(); ++k) {
        if (Consoles.ConsolePortOpen[k] == 0) {
            if (ports.OpenConsolePort(k))
                Consoles.ConsolePortOpen[k] = 1;
            else
                ++failures;
        }
        ports.Wait(PortOpenWaitMs);
    }
    GpsPortOpenedByStart = false;
    if (GpsEnabled()) {
        if (ports.OpenGpsPort()) {
            Gps.GpsPortOpen = 1;
            GpsPortOpenedByStart = true;
        } else {
            ++failures;
        }
    }
    if (failures == 0) return true;
    for (int k = 0; k < MaxConsoles; ++k) {
        if (Consoles.ConsolePortOpen[k] != 1) continue;
        ports.CloseConsolePort(k);
        Consoles.ConsolePortOpen[k] = 0;
    }
    if (GpsPortOpenedByStart) {
        ports.CloseGpsPort();
        Gps.GpsPortOpen = 0;
        GpsPortOpenedByStart = false;
    }
    return false;
}

void LoggingSession::StartReaders() {
    auto& ports = Services.Ports;
    for (int k = 0; k < ConsoleCount(); ++k) ports.StartConsoleReader(k);
    if (GpsEnabled()) {
        Services.Map.RecomputeScale();
        Gps.GpsReaderRun = 1;
        ports.StartGpsReader();
    }
    const uint32_t now = Services.Time.Tick();
    for (int k = 0; k < MaxConsoles; ++k) Consoles.ConsoleLastDataTick[k] = now;
    Field.Open(Config, Services.Files, Services.QcSettingsPath);
    ports.StartWatchTimer();
}

void LoggingSession::EnterLoggingScreen() {
    auto& controls = Services.Controls;
    controls.ShowMainButtons(false);
    controls.EnableFileButton(!GpsEnabled());  // with GPS the first valid fix enables it
    controls.RepaintMainWindow();
    Services.ScreenMode = 1;
    controls.ShowLoggingScreen(true);
    if (Services.Awake) Services.Awake->Hold(true);
}

void LoggingSession::ResetLineCounters() {
    Readings.LineStationCount = 0;
    Readings.LineTimeBefore = 0;
    Readings.LineTimeMs = 0;
    Readings.LineTime = ElapsedTime{};
    GpsState.LineDistance = 0.0;
}

void LoggingSession::ResetAllCounters() {
    Counters.LinesStarted = 0;
    ResetLineCounters();
    Readings.TotalStationCount = 0;
    Readings.TotalTimeBefore = 0;
    Readings.TotalTimeMs = 0;
    Readings.TotalTime = ElapsedTime{};
    GpsState.TotalDistance = 0.0;
    GpsState.GpsPositionCount = 0;
    Header.DataFileName.clear();
}

// "E&xit" of the logging screen. With a file open it asks first (No keeps
// the screen in Stand By), then closes the file and all ports at once; in
// Monitoring each port is closed with a wait of its own.
int LoggingSession::StopLogging(bool confirm) {
    auto& controls = Services.Controls;
    ClearBarFlags(Profiles);
    const bool fileOpen = Logging.LoggingState != LoggingMonitoring;
    if (fileOpen && confirm && !Services.Messages.AskYesNo(ExitQuestionText, CaptionConfirmExit, PromptIcon::Question)) {
        Logging.LoggingState = LoggingStandBy;
        controls.RepaintScreen();
        controls.RefreshProfiles();
        controls.FocusScreen();
        return 0;
    }
    Services.Ports.StopWatchTimer();
    if (fileOpen) {
        File.Flush();
        File.Close();
    }
    StopReadersAndClosePorts(fileOpen ? StopWithFileWaitMs : 0, fileOpen ? 0 : StopPerPortWaitMs);
    ResetAllCounters();
    Logging.LoggingState = LoggingMonitoring;
    if (Services.Awake) Services.Awake->Hold(false);
    if (fileOpen) {
        controls.RepaintMainWindow();
        controls.ShowLoggingScreen(false);
    } else {
        controls.ShowLoggingScreen(false);
        controls.RepaintMainWindow();
    }
    return 1;
}

void LoggingSession::StopReadersAndClosePorts(uint32_t waitAfterAllMs, uint32_t waitPerPortMs) {
    auto& ports = Services.Ports;
    const int consoles = ConsoleCount();
    if (GpsEnabled()) {
        Gps.GpsReaderRun = 0;
        ports.StopGpsReader();
        ports.ReleaseGpsThread();
        Gps.GpsPortOpen = 0;
    }
    for (int k = 0; k < consoles; ++k) {
        ports.CloseConsolePort(k);
        if (waitPerPortMs > 0) ports.Wait(waitPerPortMs);
    }
    if (waitAfterAllMs > 0) ports.Wait(waitAfterAllMs);
    for (int k = 0; k < consoles; ++k) {
        ports.ReleaseConsoleThread(k);
        Consoles.ConsolePortOpen[k] = 0;
    }
}

// ---------------------------------------------------------------- dispatch

void LoggingSession::OnCommand(LogInput input, uint64_t wordParameter) {
    Services.Controls.FocusScreen();
    Sleep.Acknowledge();
    // The map drawing asked for a pause: whatever came is the overflow.
    if (MapOverflowState == MapOverflow::PauseAsked) {
        ReportMapOverflow();
        return;
    }
    const int low = static_cast<int>(wordParameter & 0xFFFF);
    if (input == LogInput::Command) {
        const int button = low - CommandButtonFirstId;
        if (button >= 0 && button <= 3) {
            PressButton(button);
            return;
        }
        const int nav = low - NavigateLeftId + CodeNavFirst;  // the buttons 470..478 in code order
        if (nav >= CodeNavFirst && nav <= CodeExitReview) {
            RunCode(nav);
            return;
        }
        const int code = MenuCodeOfId(low);
        if (Services.ScreenMode == 1 && code != 0) RunCode(code);
        return;
    }
    if (Services.ScreenMode == 1) HandleKey(static_cast<uint32_t>(low));
}

// As a command would: the screen focused and the sleep note taken away,
// then the overflow reported unless it was already.
void LoggingSession::OnMapOverflow() {
    Services.Controls.FocusScreen();
    Sleep.Acknowledge();
    if (MapOverflowState == MapOverflow::Reported) return;
    MapOverflowState = MapOverflow::PauseAsked;
    ReportMapOverflow();
}

void LoggingSession::ReportMapOverflow() {
    if (Logging.LoggingState == LoggingRecording) {
        PressPause();  // writes "PAUSED BMP" and warns
        return;
    }
    WarnMapOverflow();  // nothing to pause, but "&Go" must wait for a larger map
}

// The overflow is reported: "&Go" stays refused until "Map &Size" accepts.
void LoggingSession::WarnMapOverflow() {
    MapOverflowState = MapOverflow::Reported;
    Services.Sound.Play(SoundId::Ring);
    Services.Messages.ShowMessage(OverflowPauseText, CaptionWarning, PromptIcon::None);
}

void LoggingSession::HandleKey(uint32_t key) {
    const int32_t state = Logging.LoggingState;
    // The sunlight key acts in every state and is never the pause.
    const ScreenKey screenKey = ScreenKeyOf(key, MapReviewActive);
    if (screenKey == ScreenKey::Sunlight) {
        RunSunlight();
        return;
    }
    if (state == LoggingRecording) {
        bool pause = false;
        switch (Config.PauseKey) {
            case 0: pause = true; break;
            case 1: pause = key == 13; break;
            case 2: pause = key == 32; break;
            case 3: pause = UpperLetter(key) == 'P'; break;
            default: break;
        }
        if (pause) PressPause();
        return;
    }
    if (key == 9) {
        LogButtonFocus = (LogButtonFocus + 1) % 4;
        Services.Controls.SetDefaultButton(state == LoggingMonitoring ? LogButtonSet::First : LogButtonSet::Second,
                                           LogButtonFocus);
        return;
    }
    if (key == 13) {
        PressButton(LogButtonFocus);
        return;
    }
    if (RunScreenKey(screenKey)) return;
    // The letters of the buttons and menu items. A code of 0 presses the
    // button instead; some letters act only with or only without a file.
    enum class When { Always, NoFile, FileOpen };
    struct LetterRow {
        char Letter;
        When Allowed;
        int Code;    // 101..129, or 0
        int Button;  // with Code 0
    };
    static const LetterRow letters[] = {
        {'A', When::Always, CodeAudio, 0},          {'B', When::Always, CodeSpeedScale, 0},
        {'C', When::FileOpen, CodeComment, 0},      {'D', When::Always, CodeMapDisplayOptions, 0},
        {'F', When::NoFile, 0, 0},                  {'G', When::FileOpen, 0, 0},
        {'H', When::Always, CodeHideMenu, 0},       {'L', When::FileOpen, CodeNewLine, 0},
        {'M', When::Always, 0, 3},                  {'N', When::FileOpen, CodeNewStation, 0},
        {'P', When::Always, CodeProfileOptions, 0}, {'Q', When::FileOpen, 0, 1},
        {'R', When::Always, CodeReadingsScale, 0},  {'S', When::Always, CodeMapSize, 0},
        {'T', When::Always, CodeToggleView, 0},     {'U', When::Always, CodeCoordinatesUnits, 0},
        {'W', When::Always, CodeGpsMask, 0},        {'X', When::Always, 0, 2},
    };
    const char letter = UpperLetter(key);
    for (const LetterRow& row : letters) {
        if (row.Letter != letter) continue;
        if (row.Allowed == When::NoFile && state != LoggingMonitoring) return;
        if (row.Allowed == When::FileOpen && state != LoggingStandBy) return;
        if (row.Code != 0)
            RunCode(row.Code);
        else
            PressButton(row.Button);
        return;
    }
}

void LoggingSession::PressButton(int index) {
    const int32_t state = Logging.LoggingState;
    if (state == LoggingRecording) {
        if (index == 0) PressPause();  // only "P A U S E" is shown while recording
        return;
    }
    switch (index) {
        case 0:
            if (state == LoggingMonitoring)
                PressFile();
            else
                PressGo();
            break;
        case 1:
            if (state == LoggingMonitoring)
                RunCode(CodeReadingsScale);
            else
                PressQuickLine();
            break;
        case 2: PressExit(); break;
        case 3: PressMenu(); break;
        default: break;
    }
}

}  // namespace tesselog
