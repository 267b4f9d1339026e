// What the logging session acts through: the logging screen's controls, the
// dialogs its commands open, the ports and threads of a start and a stop, the
// map, the append validation and the background files. The Win32 logging
// screen implements them with windows and API calls; every method is pure,
// so an implementation that misses one does not compile. Tests and the replay
// tool use the recording, scripted and idle versions at the end of this file.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/existing/append_validation.h"
#include "core/existing/file_replay.h"
#include "core/gps/position_handler.h"
#include "core/logscreen/field_warnings_view.h"
#include "core/map/map_geometry.h"
#include "core/settings/display_dialogs.h"
#include "core/settings/logging_dialogs.h"

namespace tesselog {

class DataFile;

// The pop-up menus of "&Menu" (the ids of the screen's controls are in
// logging_layout.h).
constexpr int MenuLoggingId = 500;     // the pop-up menu while a file is open
constexpr int MenuMonitoringId = 499;  // the same without its first group, while no file is open

// The command buttons: index 0 "&File"/"&Go", 1 "&Readings Scale"/"&QLine",
// 2 "E&xit", 3 "&Menu"; the pause set is "P A U S E" alone (index 0).
enum class LogButtonSet { First, Second, Pause };

// The nine navigation buttons as bits, in the order of their ids 470..478.
enum NavButtonBits : uint32_t {
    NavLeft = 1u << 0,
    NavRight = 1u << 1,
    NavUp = 1u << 2,
    NavDown = 1u << 3,
    NavZoomIn = 1u << 4,
    NavZoomOut = 1u << 5,
    NavFitAll = 1u << 6,
    NavEnterReview = 1u << 7,
    NavExitReview = 1u << 8,
};
constexpr uint32_t NavDirections = NavLeft | NavRight | NavUp | NavDown;
constexpr uint32_t NavZooms = NavZoomIn | NavZoomOut | NavFitAll;
constexpr uint32_t NavAll = 0x1FF;
// Enabled when a file is open in map view: all but the zoom buttons.
constexpr uint32_t NavWithoutZooms = NavAll & ~NavZooms;

// Status line update codes.
constexpr int StatusFileName = 0;
constexpr int StatusMonitoring = 1;
constexpr int StatusStandBy = 2;
constexpr int StatusLogging = 3;

// The logging screen's windows and controls.
class LoggingScreenControls {
public:
    virtual ~LoggingScreenControls() = default;
    virtual void ShowButtonSet(LogButtonSet set, bool visible) = 0;
    virtual void EnableButtonSet(LogButtonSet set, bool enabled) = 0;
    // The button drawn as default (index 0..3 of the set; 0 for the pause set).
    virtual void SetDefaultButton(LogButtonSet set, int index) = 0;
    virtual void EnableFileButton(bool enabled) = 0;
    virtual void EnableNavigation(uint32_t buttons, bool enabled) = 0;
    virtual void ShowNavigation(uint32_t buttons, bool visible) = 0;
    // Code 0 writes "File: <name>", codes 1..3 the state word.
    virtual void UpdateStatusLine(int code, const std::string& fileName) = 0;
    // 1 draws the pause hint, -1 erases it.
    virtual void PauseHint(int code) = 0;
    virtual void RepaintScreen() = 0;
    virtual void RepaintMainWindow() = 0;
    virtual void RefreshProfiles() = 0;
    virtual void ClearMapPane() = 0;
    virtual void ShowPleaseWait() = 0;  // on the map pane
    // "No connection" in console k's row of the numbers pane.
    virtual void ShowNoConnection(int k) = 0;
    // The parts of the field warnings that changed (WarningRedraw bits).
    virtual void ShowFieldWarnings(const WarningsShown& shown, uint32_t parts) = 0;
    // The sunlight display on or off: its ink and fonts for every later
    // drawing (the session then lays the screen out and draws it again).
    virtual void ShowSunlight(bool on) = 0;
    // What happened while the computer slept, on the warning line before the
    // field warnings; empty takes it away.
    virtual void ShowSleepNote(const std::string& note) = 0;
    // Console k's second-plot pane cleared to white.
    virtual void ClearSecondPlot(int k) = 0;
    // The colour scale window shown or hidden (while "READINGSCALE" is open).
    virtual void ShowColourScale(bool visible) = 0;
    // Menu 499 or 500 at (main window x + 190, main window y + 120); the
    // chosen item's id (501..517) or 0.
    virtual int PopupMenu(int menuId) = 0;
    // Layout pass for the current MapVisible.
    virtual void LayoutPass() = 0;
    virtual void ShowLoggingScreen(bool visible) = 0;
    virtual void ShowMainButtons(bool visible) = 0;
    virtual void FocusScreen() = 0;
};

// The dialogs of the logging commands. Each returns true on OK and then
// gives back what was chosen; none stores or saves anything: the session
// stores what it takes and saves the settings once. Readings Scale, Setup
// Profile Options and Map Display Options apply choices to `settings` while
// open; on OK they stay there, Cancel has put them back.
class LoggingDialogs {
public:
    virtual ~LoggingDialogs() = default;
    // "GETNEWLINE": the new line's text, increments, sequence, direction and
    // start station.
    virtual bool NewLine(const Settings& settings, SurveyLineChoice& line) = 0;
    // "NEWSTATION": the entered station.
    virtual bool NewStation(const Settings& settings, double& station) = 0;
    // "COMMENT": the text (the session keeps 11 characters).
    virtual bool Comment(std::string& text) = 0;
    virtual bool ReadingsScale(Settings& settings, ReadingsScaleChoice& choice) = 0;
    virtual bool SpeedScale(const Settings& settings, SpeedScaleChoice& choice) = 0;
    virtual bool ProfileOptions(Settings& settings, ProfileOptionsChoice& choice) = 0;
    virtual bool MapSize(const Settings& settings, MapSizeChoice& choice) = 0;
    virtual bool MapDisplayOptions(Settings& settings, MapDisplayChoice& choice) = 0;
    virtual bool GpsMask(const Settings& settings, GpsMaskChoice& mask) = 0;
    virtual bool Audio(const Settings& settings, AudioChoice& choice) = 0;
    // "COORDINATESUNITS": the new CoordinateDisplay. Opening it for a grid
    // receiver raises a CoordinateDisplay of 0 to 1 in `settings`.
    virtual bool CoordinatesUnits(Settings& settings, int32_t& coordinateDisplay) = 0;
    // "FIELDWARNINGS": true when OK changed a switch or threshold (in `qc`).
    virtual bool FieldWarnings(QcSettings& qc) = 0;
};

// Ports, threads, the timer and the waits of a start and a stop. The session
// keeps the port-open flags (ConsolePortOpen, GpsPortOpen) itself.
class LoggingPorts {
public:
    virtual ~LoggingPorts() = default;
    // The opener tells the operator itself what failed.
    virtual bool OpenConsolePort(int k) = 0;
    virtual void CloseConsolePort(int k) = 0;  // handle -1: the reader ends
    virtual bool OpenGpsPort() = 0;
    virtual void CloseGpsPort() = 0;
    virtual void StartConsoleReader(int k) = 0;
    // GpsReaderRun is set to 1 by the session before this.
    virtual void StartGpsReader() = 0;
    // GpsReaderRun 0 and the port closed, unless the reader is in a
    // connection break (it closes the port itself then).
    virtual void StopGpsReader() = 0;
    virtual void ReleaseConsoleThread(int k) = 0;
    virtual void ReleaseGpsThread() = 0;
    virtual void StartWatchTimer() = 0;  // timer 1, 1000 ms
    virtual void StopWatchTimer() = 0;
    virtual void Wait(uint32_t ms) = 0;
    // "WYNIKBAD.TXT" in the current directory, created anew and kept open.
    virtual void CreateDiagnosticFile() = 0;
};

// The map as the commands see it; the position handler's calls come through
// the GpsMapDrawing base.
class LoggingMap : public GpsMapDrawing {
public:
    // The reset at every start: whole-table extent, allowed range, review
    // values remembered, tiles deleted.
    virtual void Reset() = 0;
    virtual void PrepareDrawing() = 0;
    virtual void RecomputeScale() = 0;
    // The swath state of the map drawing, at every "&Go".
    virtual void ResetSwath() = 0;
    // Codes 121..127.
    virtual void Navigate(int code) = 0;
    // Review view: saves and restores MapSize, the scale and MapDisplayType
    // in the settings record it was made with.
    virtual void EnterReview() = 0;
    virtual void ExitReview() = 0;
    // The track's extent in tiles with the current MapSize and scale: true
    // when it stays inside 3..1996 (the extent is then widened to include it).
    virtual bool TrackFits() = 0;
    virtual void RebuildGrid() = 0;
    // The bases (grid), the overlays cleared, or both (after a size change).
    virtual void RefreshTiles(TileRefreshMode mode) = 0;
    virtual void SetRedrawEverything() = 0;
    // Reads of the open data file (file_replay.h): the extent scan of an
    // appended file (its range is taken into the track's extent when it
    // fits), and the track drawn again into the overlay tiles.
    virtual ExtentScan ScanFileExtent() = 0;
    virtual void ReplayTrack() = 0;
    virtual void StepBusyIndicator() = 0;
};

// The background files of the map (codes 119, 120 and the exit).
class BackgroundFiles {
public:
    virtual ~BackgroundFiles() = default;
    virtual int Count() = 0;
    // "BACKGROUNDFILELOAD" and the load, with their own messages.
    virtual void Load() = 0;
    // "BACKGROUNDFILEREMOVE" and the removal; true when something was removed.
    virtual bool Remove() = 0;
    virtual void Redraw() = 0;
    // Deletes the copies in the temporary folder; the count becomes 0.
    virtual void DeleteCopies() = 0;
};

// --- Versions for tests and the replay tool ---

// Keeps what the screen shows and a log of every call.
class RecordingScreenControls : public LoggingScreenControls {
public:
    void ShowButtonSet(LogButtonSet set, bool visible) override;
    void EnableButtonSet(LogButtonSet set, bool enabled) override;
    void SetDefaultButton(LogButtonSet set, int index) override;
    void EnableFileButton(bool enabled) override;
    void EnableNavigation(uint32_t buttons, bool enabled) override;
    void ShowNavigation(uint32_t buttons, bool visible) override;
    void UpdateStatusLine(int code, const std::string& fileName) override;
    void PauseHint(int code) override;
    void RepaintScreen() override { Log.push_back("repaint"); }
    void RepaintMainWindow() override { Log.push_back("repaint main"); }
    void RefreshProfiles() override { Log.push_back("profiles"); }
    void ClearMapPane() override { Log.push_back("clear map"); }
    void ShowPleaseWait() override { Log.push_back("please wait"); }
    void ShowNoConnection(int k) override;
    void ShowFieldWarnings(const WarningsShown& shown, uint32_t parts) override {
        FieldShown = shown;
        FieldParts.push_back(parts);
    }
    void ShowSleepNote(const std::string& note) override { SleepNote = note; }
    void ShowSunlight(bool on) override { Sunlight = on; Log.push_back(on ? "sunlight on" : "sunlight off"); }
    void ClearSecondPlot(int k) override;
    void ShowColourScale(bool visible) override;
    int PopupMenu(int menuId) override;
    void LayoutPass() override { Log.push_back("layout"); }
    void ShowLoggingScreen(bool visible) override;
    void ShowMainButtons(bool visible) override;
    void FocusScreen() override {}

    bool SetVisible[3] = {true, false, false};  // First, Second, Pause
    bool SetEnabled[3] = {true, true, true};
    LogButtonSet DefaultSet = LogButtonSet::First;
    int DefaultIndex = 0;
    bool FileButtonEnabled = true;
    uint32_t NavEnabled = 0;
    uint32_t NavVisible = NavDirections | NavEnterReview | NavExitReview;
    std::string StatusWord;   // "Monitoring", "Stand By" or "Logging"
    std::string StatusFile;   // the name of the last code-0 update
    bool PauseHintShown = false;
    bool LoggingScreenVisible = false;
    bool MainButtonsVisible = true;
    std::deque<int> MenuAnswers;  // PopupMenu answers; 0 when empty
    WarningsShown FieldShown;        // the field warnings as last shown
    std::string SleepNote;
    bool Sunlight = false;
    std::vector<uint32_t> FieldParts;  // the parts of each showing
    std::vector<std::string> Log;
};

// Answers the dialogs from queues; an empty queue cancels. Every call is
// logged with its name.
class ScriptedLoggingDialogs : public LoggingDialogs {
public:
    struct NewLineAnswer {
        bool Ok = false;
        std::string LineText;
        int32_t LineDirection = 0;
        double StartStation = 0.0;
    };
    bool NewLine(const Settings& settings, SurveyLineChoice& line) override;
    bool NewStation(const Settings& settings, double& station) override;
    bool Comment(std::string& text) override;
    bool ReadingsScale(Settings& settings, ReadingsScaleChoice& choice) override;
    bool SpeedScale(const Settings& settings, SpeedScaleChoice& choice) override;
    bool ProfileOptions(Settings& settings, ProfileOptionsChoice& choice) override;
    bool MapSize(const Settings& settings, MapSizeChoice& choice) override;
    bool MapDisplayOptions(Settings& settings, MapDisplayChoice& choice) override;
    bool GpsMask(const Settings& settings, GpsMaskChoice& mask) override;
    bool Audio(const Settings& settings, AudioChoice& choice) override;
    bool CoordinatesUnits(Settings& settings, int32_t& coordinateDisplay) override;
    bool FieldWarnings(QcSettings& qc) override;

    // New lines: the text, direction and start station; the increments and
    // the sequence as the settings hold them.
    std::deque<NewLineAnswer> NewLines;
    std::deque<QcSettings> FieldWarningAnswers;  // each an OK that changed them
    std::deque<std::pair<bool, double>> Stations;
    std::deque<std::pair<bool, std::string>> Comments;
    // Map size answers, of Map Size and of Map Display Options: OK with the
    // new MapSize and, when given, a new grid interval; everything else as
    // the settings hold it.
    struct MapAnswer {
        MapAnswer(bool ok, int32_t mapSize, std::optional<double> gridLinesInterval = std::nullopt)
            : Ok(ok), MapSize(mapSize), GridLinesInterval(gridLinesInterval) {}
        bool Ok;
        int32_t MapSize;
        std::optional<double> GridLinesInterval;
    };
    std::deque<MapAnswer> MapSizes;
    std::deque<MapAnswer> MapDisplaySizes;
    // Readings Scale answers: OK with the new minimum and maximum.
    struct ScaleAnswer {
        bool Ok = false;
        double Min = 0.0;
        double Max = 0.0;
    };
    std::deque<ScaleAnswer> ReadingsScales;
    // The other option dialogs: what each OK gives back (none: Cancel).
    // A profile answer's thickness of the left curve is applied while the
    // dialog is open, as the dialog's list does.
    struct ProfileAnswer {
        ProfileOptionsChoice Choice;
        int32_t LeftThickness = 2;
    };
    std::deque<std::optional<SpeedScaleChoice>> SpeedScales;
    std::deque<std::optional<ProfileAnswer>> ProfileAnswers;
    std::deque<std::optional<GpsMaskChoice>> GpsMasks;
    std::deque<std::optional<AudioChoice>> AudioAnswers;
    std::deque<std::optional<int32_t>> CoordinateDisplays;
    std::vector<std::string> Log;
};

// A map that draws nothing: every track fits, an appended file scans empty.
class IdleLoggingMap : public LoggingMap {
public:
    void Reset() override {}
    void PrepareDrawing() override {}
    void RecomputeScale() override {}
    void ResetSwath() override {}
    void Navigate(int) override {}
    void EnterReview() override {}
    void ExitReview() override {}
    bool TrackFits() override { return true; }
    void RebuildGrid() override {}
    void RefreshTiles(TileRefreshMode) override {}
    void SetRedrawEverything() override {}
    ExtentScan ScanFileExtent() override { return {}; }
    void ReplayTrack() override {}
    void StepBusyIndicator() override {}
};

// No background files: none loaded, none to remove.
class NoBackgroundFiles : public BackgroundFiles {
public:
    int Count() override { return 0; }
    void Load() override {}
    bool Remove() override { return false; }
    void Redraw() override {}
    void DeleteCopies() override {}
};

// Ports that open as told (all by default) and log every call.
class RecordingLoggingPorts : public LoggingPorts {
public:
    bool OpenConsolePort(int k) override;
    void CloseConsolePort(int k) override;
    bool OpenGpsPort() override;
    void CloseGpsPort() override;
    void StartConsoleReader(int k) override;
    void StartGpsReader() override;
    void StopGpsReader() override;
    void ReleaseConsoleThread(int k) override;
    void ReleaseGpsThread() override;
    void StartWatchTimer() override;
    void StopWatchTimer() override;
    void Wait(uint32_t ms) override;
    void CreateDiagnosticFile() override;

    bool ConsoleFails[9] = {};
    bool GpsFails = false;
    // Called with every Wait, so a replay can move its clock on.
    std::function<void(uint32_t)> OnWait;
    std::vector<std::string> Log;
};

}  // namespace tesselog
