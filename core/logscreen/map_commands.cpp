#include "core/logscreen/map_commands.h"

#include <utility>

#include "core/datafile/data_file.h"
#include "core/logscreen/field_warnings_view.h"

namespace tesselog {

namespace {
// The navigation codes in the order of their buttons.
constexpr int CodeNavLeft = CodeNavFirst;
constexpr int CodeNavRight = CodeNavFirst + 1;
constexpr int CodeNavUp = CodeNavFirst + 2;
constexpr int CodeNavDown = CodeNavFirst + 3;
constexpr int CodeNavZoomIn = CodeNavFirst + 4;
constexpr int CodeNavZoomOut = CodeNavFirst + 5;
constexpr int CodeNavFitAll = CodeNavFirst + 6;
}  // namespace

MapCommands::MapCommands(MapTileSurfaces& tiles, Settings& settings, RecordingState& recording, Clock& clock,
                         std::function<void()> sendOverflow, std::function<void()> mapSizeShown,
                         MapReadTiming timing)
    : tiles_(tiles),
      settings_(settings),
      recording_(recording),
      clock_(clock),
      swath_(recording.Sensors, recording.GpsState, recording.Readings, recording.Writer),
      view_(state_, tiles_, settings_, recording.MapOverflowState, recording.MapVisible, std::move(sendOverflow),
            &swath_),
      mapSizeShown_(std::move(mapSizeShown)),
      timing_(std::move(timing)) {
    swath_.WatchEdges([this](const SwathEdge& edge) {
        const std::vector<GapQuad>& pieces = recording_.Field.Rules().SwathEdge(
            GapEdge{{edge.Left.X, edge.Left.Y}, {edge.Right.X, edge.Right.Y}});
        newGaps_.insert(newGaps_.end(), pieces.begin(), pieces.end());
    });
}

void MapCommands::Timed(const char* what, const std::function<void()>& read) {
    if (timing_) {
        timing_(what, read);
    } else {
        read();
    }
}

// Pieces a later line has covered are left out (coverage given: a rebuild).
void MapCommands::PaintGaps(const std::vector<GapQuad>& pieces, const FieldQc* coverage) {
    if (state_.TileWidth <= 0 || state_.TileHeight <= 0 || pieces.empty()) return;
    TileStrokeBatch batch;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (coverage == nullptr || !coverage->Gaps().Covered(i)) AddGapHatch(batch, state_, pieces[i]);
    }
    if (!batch.Empty()) batch.Paint(state_, tiles_);
}

ReplayProgress MapCommands::Progress() {
    return ReplayProgress(clock_, [this] { StepBusyIndicator(); });
}

// A scan that fits takes the file's range into the track's extent, so that
// "&Fit All" and the map size check count the old track too.
ExtentScan MapCommands::ScanFileExtent() {
    if (!recording_.File.IsOpen()) return {};
    ExtentScan scan;
    Timed("scan", [&] {
        ReplayProgress progress = Progress();
        scan = tesselog::ScanFileExtent(recording_.File, state_, progress);
    });
    if (scan.Verdict == ExtentVerdict::Fits) WidenTrackByRange(state_, scan.Range);
    return scan;
}

void MapCommands::ReplayTrack() {
    if (!recording_.File.IsOpen()) return;
    Timed("track", [&] {
        ReplayProgress progress = Progress();
        tesselog::ReplayTrack(recording_.File, state_, tiles_, settings_, recording_.Sensors, progress);
        const FieldQc& rules = recording_.Field.Rules();
        PaintGaps(rules.Gaps().Pieces(), &rules);
    });
}

void MapCommands::SetPaneSize(int32_t width, int32_t height) {
    paneWidth_ = width;
    paneHeight_ = height;
}

void MapCommands::SetReferencePosition(double northing, double easting) {
    view_.SetReferencePosition(northing, easting);
}

void MapCommands::SetCurrentPosition(double northing, double easting) { view_.SetCurrentPosition(northing, easting); }

// Without a pane laid out the view records the swath and draws nothing.
void MapCommands::Draw(int32_t loggingState, double northing, double easting, double step) {
    view_.Draw(loggingState, northing, easting, step);
    PaintGaps(newGaps_, nullptr);
    newGaps_.clear();
}

// The opening of the logging screen also fixes which way the swath edge is
// found for this run: the sign of GpsOffsetY (none without an array).
void MapCommands::Reset() {
    ResetMap(state_, tiles_, settings_);
    tileScale_ = state_.Scale;
    swath_.Tracker().Reset();
    swath_.Tracker().TakeOffsetSign(SwathArrayOf(settings_).OffsetY);
}

void MapCommands::ResetSwath() { swath_.Tracker().Reset(); }

void MapCommands::StepBusyIndicator() {
    if (state_.TileWidth <= 0 || !recording_.MapVisible) return;
    const int32_t w = state_.TileWidth;
    const int32_t h = state_.TileHeight;
    const int phase = busyPhase_;
    tiles_.PaintPane([&](Canvas& canvas) { DrawBusyIndicator(canvas, w, h, phase); });
    busyPhase_ = (busyPhase_ + 1) % BusyIndicatorPhases;
}

// The tiles take the pane's size; tiles of another size went with Reset.
void MapCommands::PrepareDrawing() {
    if (paneWidth_ > 0 && paneHeight_ > 0) SetMapTileSize(state_, settings_, paneWidth_, paneHeight_);
    tileScale_ = state_.Scale;
}

void MapCommands::RecomputeScale() {
    // Tiles are drawn at the scale of the start; a later change waits for
    // the size check, which deletes the old tiles when it accepts.
    const bool started = state_.MapStarted != 0;
    RecomputeMapScale(state_, settings_.MapSize);
    if (!started) tileScale_ = state_.Scale;
}

void MapCommands::Navigate(int code) {
    switch (code) {
    case CodeNavLeft: PanMap(state_, settings_, MapPan::Left); break;
    case CodeNavRight: PanMap(state_, settings_, MapPan::Right); break;
    case CodeNavUp: PanMap(state_, settings_, MapPan::Up); break;
    case CodeNavDown: PanMap(state_, settings_, MapPan::Down); break;
    case CodeNavZoomIn:
    case CodeNavZoomOut:
    case CodeNavFitAll:
        if (code == CodeNavFitAll) {
            FitAllMap(state_, settings_);
        } else {
            ZoomMap(state_, settings_, code == CodeNavZoomIn);
        }
        if (mapSizeShown_) mapSizeShown_();
        ClearPane();
        PleaseWait();
        RebuildMap(state_, tiles_, settings_);
        if (backgroundRedraw_) backgroundRedraw_();
        ReplayTrack();
        break;
    default: return;
    }
    ClearPane();
    ShowMapView(state_, tiles_, settings_);
}

void MapCommands::EnterReview() {
    EnterMapReview(state_, settings_);
    ShowMapView(state_, tiles_, settings_);
}

// Leaving review brings back the size of before it, which the "Map Size:"
// text must show again.
void MapCommands::ExitReview() {
    ExitMapReview(state_, settings_);
    if (mapSizeShown_) mapSizeShown_();
}

// An accepted new size deletes the tiles drawn at the old scale; the
// rebuild and the next position make the tiles of the new one. A check
// after a change of the grid alone keeps them.
bool MapCommands::TrackFits() {
    const TileExtent before = state_.Tiles;
    if (!CheckMapSize(state_, settings_.MapSize, recording_.MapOverflowState)) return false;
    if (state_.Scale != tileScale_) {
        tiles_.DeleteAllTiles();
        tileScale_ = state_.Scale;
    } else {
        state_.Tiles = before;
    }
    return true;
}

void MapCommands::RebuildGrid() {
    RebuildGridGeometry(state_, settings_);
    if (mapSizeShown_) mapSizeShown_();
}

void MapCommands::RefreshTiles(TileRefreshMode mode) { tesselog::RefreshTiles(state_, tiles_, mode); }

void MapCommands::ClearPane() {
    if (state_.TileWidth > 0) ClearMapPane(state_, tiles_);
}

void MapCommands::PleaseWait() {
    if (state_.TileWidth > 0) ShowPleaseWait(state_, tiles_);
}

}  // namespace tesselog
