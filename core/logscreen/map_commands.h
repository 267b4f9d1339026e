// The map as the logging session commands it: the session's LoggingMap
// interface on top of the map geometry and a tile store. The Win32 logging
// screen gives it GDI tiles; the replay tool gives it the in-memory store,
// so both place the track on the same tiles and overflow at the same fix.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "core/logscreen/logging_screen_io.h"
#include "core/map/map_geometry.h"
#include "core/map/map_view.h"
#include "core/map/swath.h"
#include "core/qc/field_qc.h"

namespace tesselog {

class MapCommands : public LoggingMap {
public:
    // sendOverflow is called once when the track leaves the allowed tiles
    // (the Win32 layer posts MSG_MAP_OVERFLOW; the replay runs the session's
    // OnMapOverflow). mapSizeShown is called after a zoom, a fit all or the
    // end of review changed MapSize, and after the grid was rebuilt, so that
    // the "Map Size:" text and the note of a thinned grid are rewritten.
    MapCommands(MapTileSurfaces& tiles, Settings& settings, std::function<void()> sendOverflow,
                std::function<void()> mapSizeShown = {});

    // The session's map overflow and MapVisible. The session is made
    // after its map (it takes the map among its services), so they are bound
    // once it exists; until then positions are not drawn.
    void BindSessionFlags(MapOverflow& overflow, const bool& mapVisible);
    // What the swath reads and writes: the session's sensor tables, its
    // closed reading epoch (GpsPositionState) and colour queues
    // (ConsoleReadingState::AmplitudeQueue), and its data file writer. Until
    // bound, no segment records are written and nothing is painted.
    void BindSwathInputs(const SensorTables& sensors, const GpsPositionState& epochs,
                         const ConsoleReadingState& readings, DataFileWriter& writer);

    // The data file the replays read, and the clock that paces the busy
    // indicator while they run. Until bound, nothing is replayed.
    void BindReplaySource(DataFile& file, Clock& clock);

    // The map pane's drawable size, from the layout pass (side S - 2).
    void SetPaneSize(int32_t width, int32_t height);
    // Draws the background files again; called after the rebuilds of a zoom
    // and a fit all, as after every other rebuild of the map.
    void BindBackgroundRedraw(std::function<void()> redraw) { backgroundRedraw_ = std::move(redraw); }

    // The field warnings' rules take every swath edge; the gap pieces they
    // find are hatched on the overlay after the fix is drawn, and again
    // after every rebuild of the tiles.
    void BindFieldRules(FieldQc& rules);

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

    MapState state_;
    MapTileSurfaces& tiles_;
    Settings& settings_;
    MapOverflow* overflow_ = nullptr;
    const bool* mapVisible_ = nullptr;
    MapSwath swath_;
    const SensorTables* sensors_ = nullptr;
    DataFile* file_ = nullptr;
    Clock* clock_ = nullptr;
    int busyPhase_ = 0;
    int32_t paneWidth_ = 0;
    int32_t paneHeight_ = 0;
    double tileScale_ = 0.0;  // the scale the tiles in the store were drawn at
    std::function<void()> sendOverflow_;
    std::unique_ptr<MapView> view_;
    std::function<void()> mapSizeShown_;
    std::function<void()> backgroundRedraw_;
    FieldQc* rules_ = nullptr;
    std::vector<GapQuad> newGaps_;
};

}  // namespace tesselog
