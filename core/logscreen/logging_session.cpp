#include "core/logscreen/logging_session.h"

#include <algorithm>
#include <cstdio>

#include "core/datafile/data_file_naming.h"
#include "core/existing/torn_end.h"
#include "core/settings/logging_dialogs.h"

namespace tesselog {

namespace {

constexpr uint32_t ConnectionLostMs = 1000;  // a console silent this long shows "No connection"
constexpr uint32_t FileDialogSettleMs = 300;
constexpr uint32_t RecordStartWaitMs = 50;
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

LoggingSession::LoggingSession(Settings& settings, LoggingServices& services)
    : Config(settings),
      Services(services),
      File(services.Files),
      Writer(File, settings, services.Time, Consoles, Logging),
      Sleep(SleepParts{File, Writer, Consoles, Gps, Logging, settings, services.Time, services.Controls}) {}

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
    MapVisible = GpsEnabled() ? 1 : 0;
    if (!GpsEnabled()) Config.MapDisplayType = 0;
    Services.Map.Reset();
    MapReviewActive = 0;
    MapOverflowState = 0;  // the reset deleted the track the overflow was about
    ResetGpsPositionsOnLoggingStart(GpsState);

    Sensors = BuildSensorTables(Config);
    SetConsoleFirstSensors(Readings, Config);
    ProfileCurveVisible[0] = ProfileCurveVisible[1] = 1;
    Logging.LoggingState = LoggingMonitoring;

    if (!DiagnosticFileOpen) {
        Services.Ports.CreateDiagnosticFile();
        DiagnosticFileOpen = 1;
    }

    Look = LoadScreenLook(Services.Files, Services.LookSettingsPath);
    Services.Controls.ShowSunlight(Look.Sunlight);
    Recent.Clear();
    Services.Controls.LayoutPass();
    Services.Map.PrepareDrawing();
    Mode = ApplyNmeaMode(Config.NmeaMode);
    RecomputeProfileScale();
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
    GpsPortOpenedByStart = 0;
    if (GpsEnabled()) {
        if (ports.OpenGpsPort()) {
            Gps.GpsPortOpen = 1;
            GpsPortOpenedByStart = 1;
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
        GpsPortOpenedByStart = 0;
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
    if (MapOverflowState == 1) {
        ReportMapOverflow();
        return;
    }
    const int low = static_cast<int>(wordParameter & 0xFFFF);
    if (input == LogInput::Command) {
        const int button = low - LogButtonIdFirst;
        if (button >= 0 && button <= 3) {
            PressButton(button);
            return;
        }
        const int nav = low - NavCodeOffset;
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

void LoggingSession::OnMapOverflow() {
    if (MapOverflowState == 0) MapOverflowState = 1;
    OnCommand(LogInput::Command, 0);
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
    MapOverflowState = 2;
    Services.Sound.Play(SoundId::Ring);
    Services.Messages.ShowMessage(OverflowPauseText, CaptionWarning, PromptIcon::None);
}

void LoggingSession::HandleKey(uint32_t key) {
    const int32_t state = Logging.LoggingState;
    // The sunlight key acts in every state and is never the pause.
    const ScreenKey screenKey = ScreenKeyOf(key, MapReviewActive != 0);
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

// ---------------------------------------------------------------- buttons

void LoggingSession::ShowStandByButtons() {
    auto& controls = Services.Controls;
    controls.ShowButtonSet(LogButtonSet::First, false);
    controls.ShowButtonSet(LogButtonSet::Second, true);
    controls.SetDefaultButton(LogButtonSet::Second, 0);
    LogButtonFocus = 0;
}

void LoggingSession::PressFile() {
    auto& controls = Services.Controls;
    ScreenUpdatesEnabled = 0;
    // The header's G records carry the map reference of the first fix.
    Header.MapReferenceNorthing = GpsState.MapReferenceNorthing;
    Header.MapReferenceEasting = GpsState.MapReferenceEasting;
    Header.UtmZoneOfFile = Zone.UtmZoneOfFile;
    DataFileCreation creation{Services.Files, Services.FileChooser, Services.Messages, Config,
                              Writer,         Logging,              Services.SaveSettings};
    const int result = CreateDataFile(creation, Header);
    Services.Ports.Wait(FileDialogSettleMs);

    if (File.IsOpen()) {
        if (result == DataFileRefused) {
            Services.Messages.ShowMessage(ForeignFileText, CaptionInformation, PromptIcon::Information);
            File.Close();
            Logging.LoggingState = LoggingMonitoring;
        } else if (result == DataFileCreated) {
            Logging.LoggingState = LoggingStandBy;
            GpsState.GpsPositionCount = 0;
            if (MapVisible) controls.EnableNavigation(NavWithoutZooms, true);
            ShowStandByButtons();
        } else {
            AppendToExisting();
        }
    }
    if (File.IsOpen()) {
        Field.Rules().NewFile();
        controls.UpdateStatusLine(StatusFileName, Header.DataFileName);
        controls.UpdateStatusLine(StatusStandBy, Header.DataFileName);
    }
    controls.RepaintScreen();
    ScreenUpdatesEnabled = 1;
    StopOnWriteFailure();
}

// The old file passed its check: a new header block at its end, then its
// track and colours back on the map. The file is closed and reopened after
// the header, which puts the header on the disk before anything is drawn.
void LoggingSession::AppendToExisting() {
    auto& controls = Services.Controls;
    if (!Services.Validation.Validate(File, Config)) {
        File.Close();
        Logging.LoggingState = LoggingMonitoring;
        return;
    }
    // An adopted neighbouring zone moved the map reference.
    Header.MapReferenceNorthing = GpsState.MapReferenceNorthing;
    Header.MapReferenceEasting = GpsState.MapReferenceEasting;
    Header.UtmZoneOfFile = Zone.UtmZoneOfFile;
    CutTornEnd();
    File.SeekToEnd();
    Writer.WriteHeaderBlock(1, Header);
    if (File.WriteFailed()) return;  // PressFile reports it and closes the file
    const std::string path = File.Path();
    File.Close();
    Save();
    if (!File.Open(path, OpenMode::ReadWriteExisting) || !File.SeekToEnd()) {
        File.Close();
        return;
    }
    if (GpsEnabled()) {
        controls.ShowPleaseWait();
        if (!ScanAppendedFile()) {
            File.Close();
            return;
        }
        controls.RepaintScreen();
        controls.ShowPleaseWait();
        Services.Map.ReplayTrack();
        controls.EnableNavigation(NavWithoutZooms, true);
    }
    ShowStandByButtons();
    Logging.LoggingState = LoggingStandBy;
}

// A file whose writing was cut short (a power loss, a failing disk) ends in
// a piece of a record or group: that piece goes before the new header, and
// the operator is told how much went.
void LoggingSession::CutTornEnd() {
    const TornEnd end = FindTornEnd(File);
    if (end.CutBytes() == 0) return;
    File.CutTo(end.WholeLength);
    Services.Messages.ShowMessage(TornEndText(end.CutBytes()), TornEndCaption, PromptIcon::Information);
}

// The appended file's positions must fit the map, and the file must have
// room for more: the count of its positions goes on from there.
bool LoggingSession::ScanAppendedFile() {
    const ExtentScan scan = Services.Map.ScanFileExtent();
    switch (scan.Verdict) {
    case ExtentVerdict::TooLarge:
        Services.Sound.Play(SoundId::Ring);
        Services.Messages.ShowMessage(FileTooLargeForMapText, CaptionWarning, PromptIcon::None);
        return false;
    case ExtentVerdict::PositionsAtLimit:
        Services.Messages.ShowMessage(PositionsAtMaximumText, CaptionInformation, PromptIcon::Information);
        if (Services.EndProgram) Services.EndProgram();
        return false;
    case ExtentVerdict::Fits: break;
    }
    Services.Messages.ShowMessage(PositionCountText(scan.PositionCount), CaptionInformation, PromptIcon::Information);
    GpsState.GpsPositionCount = scan.PositionCount;
    return true;
}

void LoggingSession::PressGo() {
    auto& controls = Services.Controls;
    if (MapOverflowState == 2) {
        Services.Sound.Play(SoundId::Ring);
        Services.Messages.ShowMessage(GoRefusedText, CaptionWarning, PromptIcon::None);
        return;
    }
    for (auto& count : Readings.AmplitudeCount) count = 0;
    Readings.AmplitudeBank = 0;
    Services.Map.ResetSwath();
    Field.Rules().Go();
    ScreenUpdatesEnabled = 0;
    controls.EnableNavigation(NavAll, false);
    controls.ShowButtonSet(LogButtonSet::Second, false);
    Logging.LoggingStartTick = Services.Time.Tick();
    controls.UpdateStatusLine(StatusLogging, Header.DataFileName);
    controls.ShowButtonSet(LogButtonSet::Pause, true);
    controls.SetDefaultButton(LogButtonSet::Pause, 0);
    GpsState.ClosedEpochHasReadings = 0;
    Readings.AmplitudeQueueOn = 0;
    GpsState.FixEpochState = 0;
    Logging.LoggingState = LoggingRecording;
    controls.PauseHint(1);
    Services.Ports.Wait(RecordStartWaitMs);
    Logging.RecordStartTick = Services.Time.Tick();
    Writer.WriteEventRecord(std::string(StartedEvent), EventTypeMark);
    ScreenUpdatesEnabled = 1;
}

void LoggingSession::PressPause() {
    auto& controls = Services.Controls;
    Logging.LoggingState = LoggingStandBy;
    controls.PauseHint(-1);
    ScreenUpdatesEnabled = 0;
    Writer.WriteEventRecord(std::string(MapOverflowState == 1 ? PausedOverflowEvent : PausedEvent), EventTypeMark);
    File.Flush();
    File.CloseAndReopen();
    Readings.LineTimeBefore = Readings.LineTimeMs;
    Readings.TotalTimeBefore = Readings.TotalTimeMs;
    controls.ShowButtonSet(LogButtonSet::Pause, false);
    if (MapVisible) controls.EnableNavigation(NavWithoutZooms, true);
    ShowStandByButtons();
    controls.UpdateStatusLine(StatusStandBy, Header.DataFileName);
    if (MapOverflowState == 1) WarnMapOverflow();
    ScreenUpdatesEnabled = 1;
    StopOnWriteFailure();
}

void LoggingSession::WriteLineStart() {
    Writer.WriteLineHeader();
    Writer.WriteTimeRecord();
    File.Flush();
}

// The question and the repaint hold the map drawing back, as every command
// that opens a box or redraws does.
void LoggingSession::PressQuickLine() {
    auto& controls = Services.Controls;
    if (ConsoleCount() < 1) return;
    ScreenUpdatesEnabled = 0;
    const double line = NextLineNumber(Config);
    char text[64];
    std::snprintf(text, sizeof text, "New Line: %.2f", line);
    if (!Services.Messages.AskYesNo(text, QuickLineCaption, PromptIcon::Question)) {
        controls.RefreshProfiles();
        ScreenUpdatesEnabled = 1;
        return;
    }
    Counters.LinesStarted += 1;
    ResetLineCounters();
    std::snprintf(text, sizeof text, "%.2f", line);
    Config.StartLineText = std::string(text).substr(0, StartLineTextMaxLength);
    if (Config.LineSequence == 0) {  // alternate: back the other way from where the line ended
        Config.StartStation = Config.CurrentStation;
        Config.StationIncrement = -Config.StationIncrement;
        Config.LineDirection = 3 - Config.LineDirection;
    } else {
        Config.CurrentStation = Config.StartStation;
    }
    WriteLineStart();
    Save();
    controls.RepaintScreen();
    controls.ShowPleaseWait();
    controls.RefreshProfiles();
    ScreenUpdatesEnabled = 1;
}

void LoggingSession::PressExit() {
    auto& controls = Services.Controls;
    if (StopLogging(true) != 1) {
        controls.RefreshProfiles();
        return;
    }
    Services.Background.DeleteCopies();
    LeaveReview();
    ShowFirstButtons();
    controls.ShowMainButtons(true);
    Services.ScreenMode = 0;
    controls.RepaintMainWindow();
}

// The first button set back, "&File" its default.
void LoggingSession::ShowFirstButtons() {
    auto& controls = Services.Controls;
    controls.ShowButtonSet(LogButtonSet::Second, false);
    controls.ShowButtonSet(LogButtonSet::First, true);
    controls.SetDefaultButton(LogButtonSet::First, 0);
    LogButtonFocus = 0;
}

void LoggingSession::LeaveReview() {
    if (!MapReviewActive) return;
    auto& controls = Services.Controls;
    MapReviewActive = 0;
    Services.Map.ExitReview();
    controls.ShowNavigation(NavExitReview, false);
    controls.ShowNavigation(NavEnterReview, true);
    controls.EnableButtonSet(LogButtonSet::Second, true);
}

void LoggingSession::PressMenu() {
    ScreenUpdatesEnabled = 0;
    const int id =
        Services.Controls.PopupMenu(Logging.LoggingState != LoggingMonitoring ? MenuLoggingId : MenuMonitoringId);
    if (id != 0)
        OnCommand(LogInput::Command, static_cast<uint64_t>(id));
    else
        ScreenUpdatesEnabled = 1;  // dismissed: no code will set it again
}

// ---------------------------------------------------------------- watch, readers

// Once a second the records go to the disk, so a power loss takes at most
// the last second of them (and what the disk itself still caches); in
// "Stand By" too, for a station or comment written there. A flush with
// nothing waiting costs next to nothing.
void LoggingSession::OnWatchTimer() {
    WatchLimits();
    if (File.IsOpen()) File.Flush();
    StopOnWriteFailure();
    const uint32_t now = Services.Time.Tick();
    bool ring = false;
    for (int i = 0; i < ConsoleCount(); ++i) {
        if (now - Consoles.ConsoleLastDataTick[i].load() <= ConnectionLostMs) continue;
        if (Logging.LoggingState == LoggingRecording) {
            Consoles.ConsoleInBreak[i] = 1;
            if (Consoles.ConsoleBreakLogged[i] == 0) {
                Writer.WriteEventRecord(ConsoleBreakText(i + 1), EventTypeMark);
                Consoles.ConsoleBreakLogged[i] = 1;
            }
        }
        Services.Controls.ShowNoConnection(i);
        // The pane is wiped whatever the state, so its next bars are drawn whole.
        Services.Controls.ClearSecondPlot(i);
        Profiles.BarsDrawn[i] = 0;
        if (Config.DisconnectAlarm == 1) ring = true;
    }
    if (ring) Services.Sound.Play(SoundId::Ring);
    ShowFieldWarnings(false);
}

// The disk once a minute and the battery, on the watch's tick. When the
// battery has gone down a stage the rules ask for the file on the disk at
// once: the tick's own flush follows right after.
void LoggingSession::WatchLimits() {
    UnknownDiskSpace unknownDisk;
    NoBattery noBattery;
    const bool open = File.IsOpen();
    Field.Rules().Watch(Services.Time.Tick(), open, Services.Disk ? *Services.Disk : unknownDisk,
                        open ? File.Path() : std::string(), open ? File.Size() : 0,
                        Services.Power ? *Services.Power : noBattery);
}

void LoggingSession::ShowFieldWarnings(bool quick) {
    const uint32_t parts = Field.TakeRedraw(quick);
    if (parts != 0) Services.Controls.ShowFieldWarnings(Field.Shown(), parts);
    if (Field.TakeSound()) Services.Sound.Play(SoundId::FieldWarning);
}

void LoggingSession::OnConsoleData(int k, ReadingDisplay& display) {
    if (k < 0 || k >= MaxConsoles) return;
    RecordingReadingDisplay kept(display, Recent, Config, Services.Time.Tick());
    ConsoleReadingContext context{Config, Consoles, Logging, Readings, File, Services.Time, Services.Sound, kept,
                                  &Field};
    ConsoleReadingHandler(k, context);
    ShowFieldWarnings(true);
}

// Acted on by the watch tick and after the commands that write, not inside a
// reader's message: the box would hold that reader in its send until it is
// closed. Until then the file itself refuses every write.
bool LoggingSession::StopOnWriteFailure() {
    if (!File.WriteFailed()) return false;
    if (!File.IsOpen() && Logging.LoggingState == LoggingMonitoring) return false;  // acted on already
    auto& controls = Services.Controls;
    // First the state, so that the GPS reader writes nothing more, then the
    // file: it ends with the last whole record or group that was written.
    Logging.LoggingState = LoggingMonitoring;
    const std::string path = File.Path();
    File.Close();
    ResetAllCounters();
    LeaveReview();
    controls.PauseHint(-1);
    controls.ShowButtonSet(LogButtonSet::Pause, false);
    ShowFirstButtons();
    controls.EnableFileButton(true);
    controls.EnableNavigation(NavAll, false);
    controls.UpdateStatusLine(StatusMonitoring, Header.DataFileName);
    controls.RepaintScreen();  // the box stands over a screen that shows no file
    Services.Sound.Play(SoundId::Ring);
    Services.Messages.ShowMessage(std::string(WriteFailedText) + "\r\n" + path, CaptionFileError,
                                  PromptIcon::Exclamation);
    return true;
}

void LoggingSession::RecomputeProfileScale() {
    Config.RecomputePixelsPerUnit();
    ComputeProfileGrid(Profiles, Config);
    ComputeBarGrid(Profiles, Config);
}

GpsDataOutcome LoggingSession::OnGpsData(Canvas& canvas, GpsScreenHooks& screen) {
    GpsPositionContext context{Config,   Mode,     Gps,           Logging,           Readings,
                               GpsState, Zone,     ScreenUpdatesEnabled, MapReviewActive, GpsLayout,
                               canvas,   Services.Sound, Services.Map,  screen};
    const int32_t countBefore = GpsState.GpsPositionCount;
    const GpsDataOutcome outcome = tesselog::OnGpsData(context);
    if (!outcome.PositionLimitReached) WatchGpsData(outcome, countBefore);
    return outcome;
}

// The positions counted, the step of a fix while recording and the fix's
// time against the computer's clock. The swath's edges reach the rules from
// the map drawing, inside the handler.
void LoggingSession::WatchGpsData(const GpsDataOutcome& outcome, int32_t countBefore) {
    FieldQc& rules = Field.Rules();
    const uint32_t tick = Services.Time.Tick();
    if (GpsState.GpsPositionCount > countBefore)
        rules.PositionCounted(tick, GpsState.GpsPositionCount, GpsState.MaxGpsPositions);
    if (outcome.FixValid) {
        if (Logging.LoggingState == LoggingRecording) rules.Step(tick, outcome.StepDistance);
        if (outcome.TimePresent) rules.FixTime(outcome.TimeOfDay, Services.Time.UtcMillisecondOfDay());
    }
    ShowFieldWarnings(false);
}

}  // namespace tesselog
