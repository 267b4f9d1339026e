// The logging screen's watch and the entries of the reader threads'
// messages: the once-a-second flush and connection watch, the limits of the
// disk and the battery, a failed write, and the console and GPS data.
#include <string>

#include "core/logscreen/logging_session.h"

namespace tesselog {

namespace {

constexpr uint32_t ConnectionLostMs = 1000;  // a console silent this long shows "No connection"

}  // namespace

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
                Writer.WriteEventRecord(ConsoleBreakText(i + 1), TypeEvent);
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

StatusInputs LoggingSession::StatusSnapshot() const {
    StatusInputs in;
    TakeStatusSettings(in, Config);
    in.MapVisible = MapVisible;
    in.LoggingState = Logging.LoggingState.load();
    in.FileName = Header.DataFileName;
    in.CurrentLineText = Config.StartLineText;
    in.CurrentStation = Config.CurrentStation;
    in.LineStations = Readings.LineStationCount;
    in.LineLength = GpsState.LineDistance;
    in.LineSeconds = static_cast<int32_t>(Readings.LineTimeMs / 1000);
    in.GpsPositionCount = GpsState.GpsPositionCount;
    in.TotalStations = Readings.TotalStationCount;
    in.LinesStarted = Counters.LinesStarted;
    in.TotalLength = GpsState.TotalDistance;
    in.TotalSeconds = static_cast<int32_t>(Readings.TotalTimeMs / 1000);
    in.GpsTexts = GpsState.Shown;
    in.Warnings = WithSleepNote(Sleep.Note(), Field.Shown().Line);
    return in;
}

GpsDataOutcome LoggingSession::OnGpsData(Canvas& canvas, GpsScreenHooks& screen) {
    GpsPositionContext context{Config,   Mode,     Gps,           Logging,           Readings,
                               GpsState, Zone,     ScreenUpdatesEnabled, MapReviewActive, GpsLayout,
                               canvas,   Services.Sound, Services.Map,  screen};
    const int32_t countBefore = GpsState.GpsPositionCount;
    const GpsDataOutcome outcome = tesselog::OnGpsData(context);
    if (outcome.PositionLimitReached) {
        // Nothing of this sentence is written: the GPS reader is held in its
        // send, and nothing more is drawn while the program ends.
        ScreenUpdatesEnabled = false;
        if (Services.EndProgram) Services.EndProgram(PositionLimitMessage);
        return outcome;
    }
    WatchGpsData(outcome, countBefore);
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
        if (Logging.LoggingState == LoggingRecording)
            rules.Step(tick, outcome.StepDistance, outcome.Easting, outcome.Northing);
        if (outcome.TimePresent) rules.FixTime(outcome.TimeOfDay, Services.Time.UtcMillisecondOfDay());
    }
    ShowFieldWarnings(false);
}

}  // namespace tesselog
