// The logging screen's program, without windows: everything its handlers
// share on the user-interface thread, the start and stop of logging, the
// command handler (buttons, menu, keys, navigation), the map-overflow
// message, the once-a-second connection watch, and the entries of the
// reader threads' messages. The Win32 logging screen forwards its messages
// here and implements the interfaces of logging_screen_io.h; the replay tool
// drives the same session on a manual clock.
//
// Logging states: 0 no file ("Monitoring"), -1 file open and paused ("Stand
// By"), 1 recording ("Logging"); 0 -> -1 by "&File", -1 -> 1 by "&Go",
// 1 -> -1 by the pause, -1 or 0 -> closed screen by "E&xit".
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/acquisition/acquisition_state.h"
#include "core/acquisition/console_reading.h"
#include "core/datafile/data_file.h"
#include "core/datafile/data_file_writers.h"
#include "core/gps/coordinates.h"
#include "core/gps/gps_framer.h"
#include "core/gps/nmea_mode.h"
#include "core/gps/position_handler.h"
#include "core/logscreen/field_warnings_view.h"
#include "core/logscreen/logging_screen_io.h"
#include "core/logscreen/profile_painting.h"
#include "core/logscreen/recording_state.h"
#include "core/logscreen/scale_fit.h"
#include "core/logscreen/screen_look.h"
#include "core/logscreen/screen_keys.h"
#include "core/logscreen/sleep_recovery.h"
#include "core/logscreen/status_painting.h"
#include "core/map/map_geometry.h"
#include "core/platform/clock.h"
#include "core/platform/file_dialogs.h"
#include "core/platform/file_system.h"
#include "core/platform/keep_awake.h"
#include "core/platform/prompts.h"
#include "core/platform/sound.h"
#include "core/settings/sensor_tables.h"
#include "core/settings/settings.h"

namespace tesselog {

// Texts of the logging commands.
constexpr char ForeignFileText[] = "File not from Tesselog program";
constexpr char GpsOnlyOptionText[] = "Option avaiable only when GPS is enabled";
constexpr char MapOnlyOptionText[] = "Option avaiable only when map is visible";
constexpr char GoRefusedText[] = "Cannot start logging.\r\nPlease increase the map size\r\nby 20-25%.";
constexpr char OverflowPauseText[] = "Please select Map Size option\r\nand increase the map size\r\nby 20-25%.";
constexpr char MapTooSmallText[] = "Map Size too small\r\nPlease select Map Size option\r\nand increase the map size";
constexpr char GridIntervalText[] =
    "Grid Interval must be >= 0.5 of map unit. Program assumed minimum value.";
constexpr char NoGpsPositionText[] = "Valid GPS position must be received to use this option.";
constexpr char BackgroundFullText[] = "Maximum 10 background files already loaded.";
constexpr char NoBackgroundText[] = "No background files to remove";
constexpr char ExitQuestionText[] = "Exit Logging?";
// Shown under "FILE ERROR", followed by the file's path, when a record could
// not be written.
constexpr char WriteFailedText[] =
    "Writing to the data file failed: the disk may be full or removed.\r\n"
    "Recording has stopped. Everything recorded before is in the file.\r\n"
    "Choose File to continue in a new file on another disk.";
constexpr char QuickLineCaption[] = "Quick Line";
constexpr char NoRecentReadingsText[] = "No readings in the last minute to fit the scale to.";

// The message that brought a command.
enum class LogInput { Command, DeadChar, KeyDown };

// Menu codes (menu id -> code).
constexpr int CodeNewLine = 101;
constexpr int CodeNewStation = 102;
constexpr int CodeComment = 103;
constexpr int CodeReadingsScale = 105;
constexpr int CodeSpeedScale = 106;
constexpr int CodeProfileOptions = 107;
constexpr int CodeHideMenu = 108;
constexpr int CodeToggleView = 109;
constexpr int CodeMapSize = 110;
constexpr int CodeMapDisplayOptions = 111;
constexpr int CodeGpsMask = 112;
constexpr int CodeAudio = 113;
// Not among the menu codes of the first version: "Coordinates &Units" (menu
// item 514) and the U key open Set Coordinates Display Units.
constexpr int CodeCoordinatesUnits = 114;
// "&Field Warnings" (menu item 517): the thresholds and switches of the
// field warnings.
constexpr int CodeFieldWarnings = 115;
constexpr int CodeEnterBackground = 119;
constexpr int CodeRemoveBackground = 120;
// The navigation codes 121..129 are the map's (map_geometry.h).

// The menu code of a menu item id (501..517), 0 for any other id.
int MenuCodeOfId(int menuId);

// Line counters not kept elsewhere. The stations, lengths and times of the
// line and of the file live in ConsoleReadingState (LineStationCount,
// TotalStationCount, LineTimeBefore...) and GpsPositionState (LineDistance,
// TotalDistance, GpsPositionCount).
struct LineCounters {
    int32_t LinesStarted = 0;
};

// The map drawing and the GPS handler's epochs are held back while a
// command has a box or a dialog up or redraws the screen. A hold switches
// them off when it is made and on again when it goes, on every way out of
// the command.
class ScreenUpdatesHold {
public:
    explicit ScreenUpdatesHold(bool& enabled) : enabled_(enabled) { enabled_ = false; }
    ~ScreenUpdatesHold() { enabled_ = true; }
    ScreenUpdatesHold(const ScreenUpdatesHold&) = delete;
    ScreenUpdatesHold& operator=(const ScreenUpdatesHold&) = delete;

private:
    bool& enabled_;
};

// Everything the session acts through. All references outlive the session.
struct LoggingServices {
    FileSystem& Files;
    Clock& Time;
    SoundPlayer& Sound;
    Prompts& Messages;
    FileDialogs& FileChooser;
    LoggingScreenControls& Controls;
    LoggingDialogs& Dialogs;
    LoggingPorts& Ports;
    LoggingMap& Map;
    AppendValidation& Validation;
    BackgroundFiles& Background;
    int32_t& ScreenMode;                 // the shell's: 0 main window, 1 logging screen
    std::function<void()> SaveSettings;  // writes the settings file; empty: nothing is saved
    // Ends the program with exit code 0 when a file holds the most positions
    // a file may (an appended one, or the recording's at the limit): the
    // readers and the watch stopped, the file on the disk and closed, then a
    // note that is not empty shown in a "STOP" box. Empty: the program goes
    // on (the session has only closed an appended file).
    std::function<void(const std::string& note)> EndProgram = {};
    // The field warnings: the file of their thresholds (none: the defaults,
    // nothing saved), the data file's disk and the computer's power (none:
    // not known, those warnings stay idle).
    std::string QcSettingsPath = {};
    DiskSpace* Disk = nullptr;
    PowerSource* Power = nullptr;
    // Held while the logging screen is open; none: nothing is asked.
    KeepAwake* Awake = nullptr;
    // The file of how the screen looks (none: the defaults, nothing saved).
    std::string LookSettingsPath = {};
};

class LoggingSession {
public:
    // The session of a run on `recording`, which the map and the other parts
    // were made on before it; it acts through `services`.
    LoggingSession(Settings& settings, LoggingServices& services, RecordingState& recording);
    LoggingSession(const LoggingSession&) = delete;
    LoggingSession& operator=(const LoggingSession&) = delete;

    // --- Start and stop ---

    // "&Logging" of the main window. True when the logging screen is shown
    // (ScreenMode 1); false after a port conflict or a port that failed to
    // open, with everything opened by this attempt closed again.
    bool StartLogging();
    // "E&xit": 1 when the logging screen was closed, 0 when the operator
    // chose to stay (LoggingState -1).
    int StopLogging(bool confirm = true);
    // "OK" of the main window's Survey Setup: the next recorded reading is
    // taken at the new start station, not one increment past it.
    void OnSurveySetupAccepted() { Readings.StationStarted = 0; }

    // --- Messages of the logging screen ---

    // WM_COMMAND (control or menu id in the low word), WM_KEYDOWN and
    // WM_DEADCHAR (key code).
    void OnCommand(LogInput input, uint64_t wordParameter);
    // MSG_MAP_OVERFLOW, sent by the map drawing of the fix that left the
    // map, so it is handled inside that fix: while recording it is the pause
    // ("PAUSED BMP"); before "&Go" or while paused the operator is warned at
    // once. Either way "&Go" is refused until "Map &Size" accepts a map that
    // holds the track.
    void OnMapOverflow();
    // WM_TIMER of timer 1: the file is flushed while recording, a failed
    // write is acted on, then the connections are watched.
    void OnWatchTimer();
    // A write or flush of the data file failed: recording stops, the file is
    // closed (state 0, "&File" offered again, the readings still shown) and
    // the operator is told once. False when there was nothing to do.
    bool StopOnWriteFailure();
    // MSG_CONSOLE_DATA of console k (0..8).
    void OnConsoleData(int k, ReadingDisplay& display);
    // MSG_GPS_DATA. At the position limit the program ends (EndProgram with
    // PositionLimitMessage).
    GpsDataOutcome OnGpsData(Canvas& canvas, GpsScreenHooks& screen);

    // The window went to a screen of another display scale: the panes laid
    // out again and the map, whose pixels are the device's, drawn anew.
    void OnDisplayScaleChanged();

    // --- The pieces, also for tests and the replay ---
    void PressButton(int index);  // 0..3 by LoggingState
    void RunCode(int code);       // 101..129
    void ScheduleMapOverflow() { MapOverflowState = MapOverflow::PauseAsked; }

    // What the status painting shows of the session as it stands: the
    // settings' part, the state, the file, the line's and the file's counters,
    // the GPS texts and the warning line with the sleep note. The grid's note
    // and the colours are the screen's to add.
    StatusInputs StatusSnapshot() const;

    // --- What the screen and the tests read ---

    // The state the session shares with the map, the append check, the
    // background layer and the platform's ports and panes.
    RecordingState& Recording;

    bool ReviewActive() const { return MapReviewActive; }
    // Off while a command holds the map drawing and the GPS epochs back.
    bool ScreenUpdatesOn() const { return ScreenUpdatesEnabled; }
    // The display parts the last display dialog changed (DisplayChanged*).
    int32_t DisplayChanges() const { return DisplayOptionsChanged; }
    const HeaderContext& FileHeader() const { return Header; }
    int32_t LinesStarted() const { return Counters.LinesStarted; }

    // WM_POWERBROADCAST: the computer goes to sleep, and wakes.
    void OnSuspend() { Sleep.Suspend(); }
    void OnResume() { Sleep.Resume(); }

private:
    Settings& Config;
    LoggingServices& Services;

    // The recording's parts under the names the handlers use.
    ConsoleStreams& Consoles;
    LoggingStatus& Logging;
    ConsoleReadingState& Readings;
    GpsStreams& Gps;
    GpsPositionState& GpsState;
    UtmZoneState& Zone;
    NmeaModeTable& Mode;
    GpsFieldLayout& GpsLayout;
    SensorTables& Sensors;
    ProfilePaneState& Profiles;
    FieldWatch& Field;
    DataFile& File;
    DataFileWriter& Writer;
    MapOverflow& MapOverflowState;
    bool& MapVisible;

    // The session's own state.
    LineCounters Counters;
    bool MapReviewActive = false;
    // Switched by a ScreenUpdatesHold, and off for good at the position limit.
    bool ScreenUpdatesEnabled = true;
    int32_t LogButtonFocus = 0;
    int32_t DisplayOptionsChanged = 0;
    bool DiagnosticFileOpen = false;
    bool GpsPortOpenedByStart = false;
    HeaderContext Header;
    // The computer's sleep and wake (WM_POWERBROADCAST).
    SleepRecovery Sleep;
    // The sunlight display, and the readings the scale can be fitted to.
    ScreenLook Look;
    RecentReadings Recent;

    void PressFile();
    void PressGo();
    void PressPause();
    void OpenDataFile();
    void PauseRecording();
    void PressQuickLine();
    void PressExit();
    void PressMenu();
    void HandleKey(uint32_t key);
    void AppendToExisting();
    void CutTornEnd();
    bool ScanAppendedFile();
    void WriteLineStart();
    void ResetLineCounters();
    void ResetAllCounters();
    void SwapButtonSets(LogButtonSet hidden, LogButtonSet shown);
    void ShowStandByButtons();
    void ShowFirstButtons();
    void LeaveReview();
    // The steps of StartLogging and StopLogging.
    void ResetForStart();
    bool PortAssignmentsConflict();
    bool OpenPorts();
    void StartReaders();
    void EnterLoggingScreen();
    void StopReadersAndClosePorts(uint32_t waitAfterAllMs, uint32_t waitPerPortMs);
    void ReportMapOverflow();
    void WarnMapOverflow();
    void Save();
    void Information(const char* text);
    bool GpsEnabled() const { return Config.GpsInput == 1; }
    // The field warnings after a handler: the changed parts drawn, the sound.
    void ShowFieldWarnings(bool quick);
    void WatchGpsData(const GpsDataOutcome& outcome, int32_t countBefore);
    void WatchLimits();
    int ConsoleCount() const;

    ScreenUpdatesHold HoldScreenUpdates() { return ScreenUpdatesHold(ScreenUpdatesEnabled); }

    // What a rebuild of the map redoes (RebuildMap); Refresh: the tiles
    // refreshed, none when empty.
    struct MapRebuild {
        bool NewScale = false;
        bool Grid = false;
        std::optional<TileRefreshMode> Refresh;
        bool Background = false;
        bool Replay = false;
        bool Profiles = false;
    };
    void RebuildMap(const MapRebuild& what);

    // The command codes (logging_codes.cpp), one handler per code.
    void EndCode();
    void ClampGridInterval();
    void RunNewLine();
    void RunNewStation();
    void RunComment();
    void RunReadingsScale();
    void RunSpeedScale();
    void RunProfileOptions();
    void RunHideMenu();
    void RunToggleView();
    void RunMapSize();
    void RunMapDisplayOptions();
    void RunGpsMask();
    void RunAudio();
    void RunCoordinatesUnits();
    void RunFieldWarnings();
    bool TakeMapSize(int32_t size);
    void RunEnterBackground();
    void RunRemoveBackground();
    void RunEnterReview();
    void RunExitReview();
    // The keys of screen_keys.h (logging_keys.cpp).
    bool RunScreenKey(ScreenKey key);
    void RunSunlight();
    void RunFitScale();
    // A new readings scale is in the settings: grids, curves, colours and the
    // map follow (the dialog's OK and the fit).
    void ApplyReadingsScale(bool newGrids, int32_t changed);
};

}  // namespace tesselog
