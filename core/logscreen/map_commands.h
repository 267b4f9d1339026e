// The map as the logging session commands it: the session's LoggingMap
// interface on top of the map geometry and a tile store. The Win32 logging
// screen gives it GDI tiles; the replay tool gives it the in-memory store,
// so both place the track on the same tiles and overflow at the same fix.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "core/logscreen/logging_screen_io.h"
#include "core/logscreen/recording_state.h"
#include "core/map/map_geometry.h"
#include "core/map/map_view.h"
#include "core/map/swath.h"
#include "core/qc/field_qc.h"

namespace tesselog {

// Times a read of the data file by the map ("scan", "track"): runs `read`
// and measures it. The test build's screen logs the times; none: not timed.
using MapReadTiming = std::function<void(const char* what, const std::function<void()>& read)>;

class MapCommands : public LoggingMap {
public:
    // The map of a run: it draws on `tiles`, reads the recording's sensor
    // tables, closed epochs and colour queues, writes its segment records
    // through the recording's writer, flags the recording's overflow, hands
    // every swath edge to the recording's field rules and replays the
    // recording's data file, pacing the busy indicator by `clock`.
    // sendOverflow is called once when the track leaves the allowed tiles
    // (the Win32 layer posts MSG_MAP_OVERFLOW; the replay runs the session's
    // OnMapOverflow). mapSizeShown is called after a zoom, a fit all or the
    // end of review changed MapSize, and after the grid was rebuilt, so that
    // the "Map Size:" text and the note of a thinned grid are rewritten.
    MapCommands(MapTileSurfaces& tiles, Settings& settings, RecordingState& recording, Clock& clock,
                std::function<void()> sendOverflow, std::function<void()> mapSizeShown = {},
                MapReadTiming timing = {});
    MapCommands(const MapCommands&) = delete;
    MapCommands& operator=(const MapCommands&) = delete;

    // The map pane's drawable size, from the layout pass (side S - 2).
    void SetPaneSize(int32_t width, int32_t height);
    // A layer drawn again after every rebuild of a zoom and a fit all, as
    // after every other rebuild of the map: the background files, whose
    // layer registers itself here when it is made on this map.
    void RedrawAfterRebuild(std::function<void()> redraw) { backgroundRedraw_ = std::move(redraw); }

    MapState& State() { return state_; }
    MapSwath& Swath() { return swath_; }
    MapTileSurfaces& Tiles() { return tiles_; }

    // GpsMapDrawing
    void SetReferencePosition(double northing, double easting) override;
    void SetCurrentPosition(double northing, double easting) override;
    void Draw(int32_t loggingState, double northing, double easting, double step) override;

    // LoggingMap
    void Reset() override;
    void PrepareDrawing() override;
    void RecomputeScale() override;
    void ResetSwath() override;
    void Navigate(int code) override;
    void EnterReview() override;
    void ExitReview() override;
    bool TrackFits() override;
    void RebuildGrid() override;
    void RefreshTiles(TileRefreshMode mode) override;
    void SetRedrawEverything() override { state_.RedrawEverything = 1; }
    ExtentScan ScanFileExtent() override;
    void ReplayTrack() override;
    void StepBusyIndicator() override;

    void ClearPane();
    void PleaseWait();

private:
    ReplayProgress Progress();
    void PaintGaps(const std::vector<GapQuad>& pieces, const FieldQc* coverage);

    void Timed(const char* what, const std::function<void()>& read);

    // The view draws the swath on the state and the tiles: made after them.
    MapState state_;
    MapTileSurfaces& tiles_;
    Settings& settings_;
    RecordingState& recording_;
    Clock& clock_;
    MapSwath swath_;
    MapView view_;
    int busyPhase_ = 0;
    int32_t paneWidth_ = 0;
    int32_t paneHeight_ = 0;
    double tileScale_ = 0.0;  // the scale the tiles in the store were drawn at
    std::function<void()> mapSizeShown_;
    MapReadTiming timing_;
    std::function<void()> backgroundRedraw_;
    std::vector<GapQuad> newGaps_;
};

}  // namespace tesselog
