// The logging screen's buttons: "&File" (a new data file or one appended
// to), "&Go", the pause, "&QLine", "E&xit" and "&Menu", and the button sets
// each state shows.
#include <cstdio>
#include <string>

#include "core/datafile/data_file_naming.h"
#include "core/existing/torn_end.h"
#include "core/logscreen/logging_session.h"

namespace tesselog {

namespace {

constexpr uint32_t FileDialogSettleMs = 300;
constexpr uint32_t RecordStartWaitMs = 50;

}  // namespace

// ---------------------------------------------------------------- buttons

// One button set for the other, the shown set's first button its default.
void LoggingSession::SwapButtonSets(LogButtonSet hidden, LogButtonSet shown) {
    auto& controls = Services.Controls;
    controls.ShowButtonSet(hidden, false);
    controls.ShowButtonSet(shown, true);
    controls.SetDefaultButton(shown, 0);
    LogButtonFocus = 0;
}

// "&Go", "&QLine", "E&xit" and "&Menu", "&Go" the default.
void LoggingSession::ShowStandByButtons() { SwapButtonSets(LogButtonSet::First, LogButtonSet::Second); }

void LoggingSession::PressFile() {
    {
        const ScreenUpdatesHold hold = HoldScreenUpdates();
        OpenDataFile();
    }
    StopOnWriteFailure();
}

void LoggingSession::OpenDataFile() {
    auto& controls = Services.Controls;
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
        if (Services.EndProgram) Services.EndProgram(std::string());
        return false;
    case ExtentVerdict::Fits: break;
    }
    Services.Messages.ShowMessage(PositionCountText(scan.PositionCount), CaptionInformation, PromptIcon::Information);
    GpsState.GpsPositionCount = scan.PositionCount;
    return true;
}

void LoggingSession::PressGo() {
    auto& controls = Services.Controls;
    if (MapOverflowState == MapOverflow::Reported) {
        Services.Sound.Play(SoundId::Ring);
        Services.Messages.ShowMessage(GoRefusedText, CaptionWarning, PromptIcon::None);
        return;
    }
    for (auto& count : Readings.AmplitudeCount) count = 0;
    Readings.AmplitudeBank = 0;
    Services.Map.ResetSwath();
    Field.Rules().Go();
    const ScreenUpdatesHold hold = HoldScreenUpdates();
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
    Writer.WriteEventRecord(std::string(EventStarted), TypeEvent);
}

void LoggingSession::PressPause() {
    Logging.LoggingState = LoggingStandBy;
    Services.Controls.PauseHint(-1);
    {
        const ScreenUpdatesHold hold = HoldScreenUpdates();
        PauseRecording();
    }
    StopOnWriteFailure();
}

void LoggingSession::PauseRecording() {
    auto& controls = Services.Controls;
    const bool overflow = MapOverflowState == MapOverflow::PauseAsked;
    Writer.WriteEventRecord(std::string(overflow ? EventPausedMap : EventPaused), TypeEvent);
    File.Flush();
    File.CloseAndReopen();
    Readings.LineTimeBefore = Readings.LineTimeMs;
    Readings.TotalTimeBefore = Readings.TotalTimeMs;
    controls.ShowButtonSet(LogButtonSet::Pause, false);
    if (MapVisible) controls.EnableNavigation(NavWithoutZooms, true);
    ShowStandByButtons();
    controls.UpdateStatusLine(StatusStandBy, Header.DataFileName);
    if (overflow) WarnMapOverflow();
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
    const ScreenUpdatesHold hold = HoldScreenUpdates();
    const double line = NextLineNumber(Config);
    char text[64];
    std::snprintf(text, sizeof text, "New Line: %.2f", line);
    if (!Services.Messages.AskYesNo(text, QuickLineCaption, PromptIcon::Question)) {
        controls.RefreshProfiles();
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
void LoggingSession::ShowFirstButtons() { SwapButtonSets(LogButtonSet::Second, LogButtonSet::First); }

void LoggingSession::LeaveReview() {
    if (!MapReviewActive) return;
    auto& controls = Services.Controls;
    MapReviewActive = false;
    Services.Map.ExitReview();
    controls.ShowNavigation(NavExitReview, false);
    controls.ShowNavigation(NavEnterReview, true);
    controls.EnableButtonSet(LogButtonSet::Second, true);
}

void LoggingSession::PressMenu() {
    const ScreenUpdatesHold hold = HoldScreenUpdates();
    const int id =
        Services.Controls.PopupMenu(Logging.LoggingState != LoggingMonitoring ? MenuLoggingId : MenuMonitoringId);
    if (id != 0) OnCommand(LogInput::Command, static_cast<uint64_t>(id));
}

}  // namespace tesselog
