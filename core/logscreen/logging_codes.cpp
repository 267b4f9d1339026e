// The logging screen's command codes 101..129: the pop-up menu items, their
// letter keys and the navigation buttons. One row per code says what the
// code needs (GPS, the map pane) and which handler runs it; a code that
// needs what is missing is refused with its "INFORMATION" text.
#include <string>

#include "core/existing/background_files.h"
#include "core/logscreen/logging_session.h"
#include "core/logscreen/status_painting.h"

namespace tesselog {

namespace {

// What a code needs before its handler runs, checked in this order.
enum class CodeNeeds {
    Nothing,
    Gps,        // GpsOnlyOptionText without GPS
    Map,        // MapOnlyOptionText while the map pane is not shown
    GpsAndMap,  // GPS first, then the map pane
};

}  // namespace

void LoggingSession::RunCode(int code) {
    struct CodeRow {
        int Code;
        CodeNeeds Needs;
        void (LoggingSession::*Run)();
    };
    static const CodeRow table[] = {
        {CodeNewLine, CodeNeeds::Nothing, &LoggingSession::RunNewLine},
        {CodeNewStation, CodeNeeds::Nothing, &LoggingSession::RunNewStation},
        {CodeComment, CodeNeeds::Nothing, &LoggingSession::RunComment},
        {CodeReadingsScale, CodeNeeds::Nothing, &LoggingSession::RunReadingsScale},
        {CodeSpeedScale, CodeNeeds::Gps, &LoggingSession::RunSpeedScale},
        {CodeProfileOptions, CodeNeeds::Nothing, &LoggingSession::RunProfileOptions},
        {CodeHideMenu, CodeNeeds::Nothing, &LoggingSession::RunHideMenu},
        {CodeToggleView, CodeNeeds::Gps, &LoggingSession::RunToggleView},
        {CodeMapSize, CodeNeeds::Gps, &LoggingSession::RunMapSize},
        {CodeMapDisplayOptions, CodeNeeds::GpsAndMap, &LoggingSession::RunMapDisplayOptions},
        {CodeGpsMask, CodeNeeds::Gps, &LoggingSession::RunGpsMask},
        {CodeAudio, CodeNeeds::Nothing, &LoggingSession::RunAudio},
        {CodeCoordinatesUnits, CodeNeeds::Nothing, &LoggingSession::RunCoordinatesUnits},
        {CodeFieldWarnings, CodeNeeds::Nothing, &LoggingSession::RunFieldWarnings},
        {CodeEnterBackground, CodeNeeds::Map, &LoggingSession::RunEnterBackground},
        {CodeRemoveBackground, CodeNeeds::Nothing, &LoggingSession::RunRemoveBackground},
        {CodeEnterReview, CodeNeeds::Nothing, &LoggingSession::RunEnterReview},
        {CodeExitReview, CodeNeeds::Nothing, &LoggingSession::RunExitReview},
    };

    // The direction, zoom and fit-all buttons act on the map at once.
    if (code >= CodeNavFirst && code < CodeEnterReview) {
        if (Logging.LoggingState != LoggingMonitoring && MapVisible) Services.Map.Navigate(code);
        return;
    }
    const ScreenUpdatesHold hold = HoldScreenUpdates();
    for (const CodeRow& row : table) {
        if (row.Code != code) continue;
        const bool gpsMissing = (row.Needs == CodeNeeds::Gps || row.Needs == CodeNeeds::GpsAndMap) && !GpsEnabled();
        const bool mapMissing = (row.Needs == CodeNeeds::Map || row.Needs == CodeNeeds::GpsAndMap) && !MapVisible;
        if (gpsMissing)
            Information(GpsOnlyOptionText);
        else if (mapMissing)
            Information(MapOnlyOptionText);
        else
            (this->*row.Run)();
        break;
    }
    EndCode();
}

void LoggingSession::EndCode() {
    Services.Controls.RefreshProfiles();
    Services.Controls.FocusScreen();
}

void LoggingSession::ClampGridInterval() {
    if (Config.GridLinesInterval < 0.5) {
        Config.GridLinesInterval = 0.5;
        Information(GridIntervalText);
    }
}

// ---------------------------------------------------------------- line, station, comment

void LoggingSession::RunNewLine() {
    SurveyLineChoice line;
    if (ConsoleCount() < 1 || !Services.Dialogs.NewLine(Config, line)) return;
    StoreSurveyLine(line, Config);
    Save();
    WriteLineStart();
    Counters.LinesStarted += 1;
    ResetLineCounters();
    Readings.StationStarted = 0;
    Services.Controls.RepaintScreen();
    Services.Controls.ShowPleaseWait();
}

void LoggingSession::RunNewStation() {
    double station = Config.CurrentStation;
    if (!Services.Dialogs.NewStation(Config, station)) return;
    Config.CurrentStation = station;
    Readings.StationStarted = 0;
    for (int k = 0; k < ConsoleCount(); ++k) StartNewCurves(Profiles, k);
    Writer.WriteStationRecord();
    Writer.WriteTimeRecord();
    Save();
    Services.Controls.RepaintScreen();
}

void LoggingSession::RunComment() {
    std::string text;
    if (Services.Dialogs.Comment(text)) Writer.WriteEventRecord(text.substr(0, EventTextColumns), TypeComment);
}

// ---------------------------------------------------------------- map rebuild

// Every rebuild of the map in one order: the pane cleared with "Please Wait",
// the next position re-anchored after a new scale, the grid built again, the
// tiles refreshed, the background tracks drawn into the bases and the track
// replayed into the overlays.
void LoggingSession::RebuildMap(const MapRebuild& what) {
    auto& controls = Services.Controls;
    auto& map = Services.Map;
    controls.ClearMapPane();
    controls.ShowPleaseWait();
    if (what.NewScale) map.SetRedrawEverything();
    if (what.Grid) map.RebuildGrid();
    if (what.Refresh) map.RefreshTiles(*what.Refresh);
    if (what.Background) Services.Background.Redraw();
    if (what.Replay) map.ReplayTrack();
    if (what.Profiles) controls.RefreshProfiles();
}

// ---------------------------------------------------------------- scales and options

void LoggingSession::RunReadingsScale() {
    auto& controls = Services.Controls;
    const bool colourScale = Config.MapDisplayType >= 1 && GpsEnabled();
    if (colourScale) controls.ShowColourScale(true);
    DisplayOptionsChanged = 0;
    const ReadingsScaleChoice before{Config.ReadingsScaleMin, Config.ReadingsScaleMax};
    ReadingsScaleChoice choice;
    const bool accepted = Services.Dialogs.ReadingsScale(Config, choice);
    if (accepted) {
        StoreReadingsScale(choice, Config);
        if (choice.Min != before.Min || choice.Max != before.Max) DisplayOptionsChanged = DisplayChangedReadingsScale;
        Save();
    }
    if (colourScale) controls.ShowColourScale(false);
    ApplyReadingsScale(accepted, DisplayOptionsChanged);
}

void LoggingSession::ApplyReadingsScale(bool newGrids, int32_t changed) {
    if (newGrids) {
        // New grids; every curve starts afresh and every bar pane is cleared
        // before its next bars.
        RecomputeProfileScale(Profiles, Config);
        for (int k = 0; k < ConsoleCount(); ++k) StartNewCurves(Profiles, k);
        for (int32_t& drawn : Profiles.BarsDrawn) drawn = 0;
    }
    if (changed & DisplayChangedReadingsScale) SetColourStep(Readings, Config);
    if (changed == 0) return;
    Services.Controls.RepaintScreen();
    if (Config.MapDisplayType >= 1) {
        MapRebuild rebuild;
        rebuild.Refresh = TileRefreshMode::Overlay;
        rebuild.Background = rebuild.Replay = true;
        RebuildMap(rebuild);
    }
}

// The speed bar's pixels per unit follow the new scale.
void LoggingSession::RunSpeedScale() {
    DisplayOptionsChanged = 0;
    SpeedScaleChoice choice;
    if (!Services.Dialogs.SpeedScale(Config, choice)) return;
    StoreSpeedScale(choice, Config);
    GpsLayout.SpeedBarPixelsPerUnit = SpeedBarFactor(GpsLayout.SpeedBarWidth, Config.SpeedBarScale);
    Save();
    Services.Controls.RepaintScreen();
}

void LoggingSession::RunProfileOptions() {
    DisplayOptionsChanged = 0;
    ProfileOptionsChoice choice;
    if (!Services.Dialogs.ProfileOptions(Config, choice)) return;
    StoreProfileOptions(choice, Config);
    Save();
    Services.Controls.RepaintScreen();
}

void LoggingSession::RunGpsMask() {
    GpsMaskChoice mask;
    if (!Services.Dialogs.GpsMask(Config, mask)) return;
    StoreGpsMask(mask, Config);
    Save();
}

void LoggingSession::RunAudio() {
    AudioChoice choice;
    if (!Services.Dialogs.Audio(Config, choice)) return;
    StoreAudioOptions(choice, Config);
    Save();
}

// The position fields are placed for the coordinate kind shown (a northing
// box leaves room for the zone), so they are laid out again.
void LoggingSession::RunCoordinatesUnits() {
    int32_t display = Config.CoordinateDisplay;
    if (!Services.Dialogs.CoordinatesUnits(Config, display)) return;
    Config.CoordinateDisplay = display;
    Save();
    Services.Controls.LayoutPass();
    Services.Controls.RepaintScreen();
}

// The thresholds go to their own file, once, and take effect at once: a
// warning switched off is cleared from the screen.
void LoggingSession::RunFieldWarnings() {
    QcSettings qc = Field.Thresholds();
    if (!Services.Dialogs.FieldWarnings(qc)) return;
    Field.Apply(Config, Services.Files, qc);
    ShowFieldWarnings(false);
}

// ---------------------------------------------------------------- views

void LoggingSession::RunHideMenu() {
    Services.Controls.RepaintScreen();
    if (GpsEnabled()) {
        Services.Controls.ClearMapPane();
        Services.Controls.ShowPleaseWait();
    }
}

void LoggingSession::RunToggleView() {
    auto& controls = Services.Controls;
    MapVisible = !MapVisible;
    controls.LayoutPass();
    controls.RepaintScreen();
    if (!MapVisible) return;
    controls.ShowPleaseWait();
    if (Logging.LoggingState != LoggingMonitoring)
        controls.EnableNavigation(MapReviewActive ? NavAll : (NavDirections | NavEnterReview), true);
}

void LoggingSession::OnDisplayScaleChanged() {
    if (Services.ScreenMode != 1) return;  // the next start lays the screen out
    Services.Controls.LayoutPass();
    Services.Controls.RepaintScreen();
    if (!MapVisible) return;
    MapRebuild everything;
    everything.NewScale = everything.Grid = everything.Background = everything.Replay = everything.Profiles = true;
    everything.Refresh = TileRefreshMode::Both;
    RebuildMap(everything);
}

// Map size: the dialog gives back its three values. A map that no longer
// holds the track is refused with the old size, grid interval and cursor
// band kept; an accepted one ends an overflow. The settings are saved once,
// as the screen then stands, and the code ends with the information beep.
void LoggingSession::RunMapSize() {
    auto& controls = Services.Controls;
    DisplayOptionsChanged = 0;
    MapSizeChoice choice;
    if (!Services.Dialogs.MapSize(Config, choice)) return;
    if (choice.MapSize != Config.MapSize) DisplayOptionsChanged |= DisplayChangedMapSize;
    if (choice.GridLinesInterval != Config.GridLinesInterval) DisplayOptionsChanged |= DisplayChangedGridInterval;
    if (DisplayOptionsChanged == 0) {
        Config.CursorBand = choice.CursorBand;
        Config.RecomputeCursorBandPixels();
        Save();
        return;
    }
    if (TakeMapSize(choice.MapSize)) {
        Config.GridLinesInterval = choice.GridLinesInterval;
        Config.CursorBand = choice.CursorBand;
        Config.RecomputeCursorBandPixels();
    } else {
        DisplayOptionsChanged = 0;
    }
    ClampGridInterval();
    Save();
    controls.RepaintScreen();
    if (MapVisible) {
        MapRebuild rebuild;
        rebuild.NewScale = rebuild.Replay = (DisplayOptionsChanged & DisplayChangedMapSize) != 0;
        rebuild.Grid = (DisplayOptionsChanged & (DisplayChangedGridInterval | DisplayChangedMapSize)) != 0;
        rebuild.Refresh = rebuild.NewScale ? TileRefreshMode::Both : TileRefreshMode::Base;
        rebuild.Background = true;
        RebuildMap(rebuild);
    }
    Services.Sound.Play(SoundId::Information);
}

// A map of `size` must hold the whole track at its scale: then it is taken
// (MapSize and scale) and an overflow ends; else the size stays, with the
// "Map Size too small" warning.
bool LoggingSession::TakeMapSize(int32_t size) {
    auto& map = Services.Map;
    const int32_t old = Config.MapSize;
    Config.MapSize = size;
    map.RecomputeScale();
    if (map.TrackFits()) {
        MapOverflowState = MapOverflow::Inside;
        return true;
    }
    Config.MapSize = old;
    map.RecomputeScale();
    Services.Sound.Play(SoundId::Ring);
    Services.Messages.ShowMessage(MapTooSmallText, CaptionWarning, PromptIcon::None);
    return false;
}

// The dialog gives back its typed values; the choices it applied while
// open are in the settings. A new map size is checked as "Map &Size"
// checks it: a map that does not hold the track keeps the old size and
// nothing else of the choice is lost. The settings are saved once, as the
// screen then stands.
void LoggingSession::RunMapDisplayOptions() {
    auto& controls = Services.Controls;
    const Settings before = Config;
    DisplayOptionsChanged = 0;
    MapDisplayChoice choice;
    if (!Services.Dialogs.MapDisplayOptions(Config, choice)) return;
    const int32_t size = choice.MapSize;
    choice.MapSize = Config.MapSize;
    StoreMapDisplayChoice(choice, Config);
    if (size != Config.MapSize) TakeMapSize(size);
    ClampGridInterval();
    DisplayOptionsChanged = MapDisplayChanges(before, Config);
    Save();
    const int32_t changed = DisplayOptionsChanged;
    if (changed == 0) return;
    controls.RepaintScreen();
    // A new size redoes everything; a grid change the bases, a change of how
    // the track is drawn the overlays.
    MapRebuild rebuild;
    rebuild.NewScale = rebuild.Profiles = (changed & DisplayChangedMapSize) != 0;
    rebuild.Grid = rebuild.Background =
        rebuild.NewScale || (changed & (DisplayChangedGridType | DisplayChangedGridInterval | DisplayChangedGridAngle));
    rebuild.Replay = rebuild.NewScale || (changed & DisplayChangedMapDisplayType) ||
                     ((changed & (DisplayChangedPositionSize | DisplayChangedPositionColor)) && Config.MapDisplayType == 0);
    if (rebuild.Grid || rebuild.Replay)
        rebuild.Refresh = rebuild.Grid && rebuild.Replay ? TileRefreshMode::Both
                          : rebuild.Grid                 ? TileRefreshMode::Base
                                                         : TileRefreshMode::Overlay;
    RebuildMap(rebuild);
}

// ---------------------------------------------------------------- background files

void LoggingSession::RunEnterBackground() {
    if (GpsEnabled() && !GpsState.FirstFixSeen)
        Information(NoGpsPositionText);
    else if (Services.Background.Count() >= MaxBackgroundFiles)
        Information(BackgroundFullText);
    else
        Services.Background.Load();
}

void LoggingSession::RunRemoveBackground() {
    if (Services.Background.Count() == 0) {
        Information(NoBackgroundText);
        return;
    }
    if (!Services.Background.Remove()) return;
    Services.Controls.ClearMapPane();
    Services.Map.StepBusyIndicator();
    Services.Map.RefreshTiles(TileRefreshMode::Base);
    Services.Background.Redraw();
}

// ---------------------------------------------------------------- review

void LoggingSession::RunEnterReview() {
    auto& controls = Services.Controls;
    if (Logging.LoggingState == LoggingMonitoring || !MapVisible || MapReviewActive) return;
    MapReviewActive = true;
    Services.Map.EnterReview();
    controls.EnableButtonSet(LogButtonSet::Second, false);
    controls.ShowButtonSet(LogButtonSet::Second, false);
    controls.EnableNavigation(NavZooms | NavEnterReview | NavExitReview, true);
    controls.ShowNavigation(NavZooms | NavEnterReview | NavExitReview, true);
    controls.ShowNavigation(NavEnterReview, false);
}

void LoggingSession::RunExitReview() {
    auto& controls = Services.Controls;
    auto& map = Services.Map;
    if (!MapReviewActive) return;
    MapReviewActive = false;
    map.ExitReview();
    MapRebuild everything;
    everything.NewScale = everything.Grid = everything.Background = everything.Replay = everything.Profiles = true;
    everything.Refresh = TileRefreshMode::Both;
    RebuildMap(everything);
    controls.EnableButtonSet(LogButtonSet::Second, true);
    controls.ShowButtonSet(LogButtonSet::Second, true);
    controls.EnableNavigation(NavZooms, false);
    controls.ShowNavigation(NavZooms, false);
    controls.ShowNavigation(NavExitReview, false);
    controls.ShowNavigation(NavEnterReview, true);
}

}  // namespace tesselog
