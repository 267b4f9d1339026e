// The logging screen's keys that no button letter gives: the map's
// navigation, the review, the sunlight display and the fit of the readings
// scale (screen_keys.h says which key is which).
#include <cstdio>

#include "core/logscreen/logging_session.h"

namespace tesselog {

// True when the key was one of them. Each acts only where its button does:
// the directions with a file open in map view, the zooms in review (their
// keys mean nothing outside it), the review with a file open.
bool LoggingSession::RunScreenKey(ScreenKey key) {
    if (const int code = NavigationCodeOf(key)) {
        RunCode(code);
        return true;
    }
    switch (key) {
    case ScreenKey::Review: RunCode(MapReviewActive ? CodeExitReview : CodeEnterReview); return true;
    case ScreenKey::FitScale: RunFitScale(); return true;
    default: return false;
    }
}

// Switched at once and kept in its own file; the screen is laid out for the
// sunlight fonts and drawn again, the map from the file with the new ink.
void LoggingSession::RunSunlight() {
    Look.Sunlight = !Look.Sunlight;
    SaveScreenLook(Look, Services.Files, Services.LookSettingsPath);
    auto& controls = Services.Controls;
    controls.ShowSunlight(Look.Sunlight);
    controls.LayoutPass();
    controls.RepaintScreen();
    controls.RefreshProfiles();
    if (!MapVisible) return;
    MapRebuild again;
    again.Grid = again.Background = again.Replay = true;
    again.Refresh = TileRefreshMode::Both;
    RebuildMap(again);
}

// The 2nd and 98th percentile of the last minute's readings, rounded out,
// become the readings scale, applied as the Readings Scale dialog's OK
// applies it and saved once. Not while recording: as the dialog, it redraws
// the map from the file.
void LoggingSession::RunFitScale() {
    if (Logging.LoggingState == LoggingRecording) return;
    const std::optional<ScaleRange> fit = Recent.Fit(Services.Time.Tick());
    if (!fit) {
        Information(NoRecentReadingsText);
        return;
    }
    if (fit->Min == Config.ReadingsScaleMin && fit->Max == Config.ReadingsScaleMax) return;
    const ScreenUpdatesHold hold = HoldScreenUpdates();
    StoreReadingsScale({fit->Min, fit->Max}, Config);
    Save();
    ApplyReadingsScale(true, DisplayChangedReadingsScale);
    Services.Controls.RefreshProfiles();
}

}  // namespace tesselog
