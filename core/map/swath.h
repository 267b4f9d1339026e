// The swath: where the sensor array is at each GPS position, and what the
// map paints and the data file records there.
//
// For every position while recording (with a step above 0) the array's edge
// across the direction of travel is computed in map units: its left end
// SwathEdgeNear to the left of the array's reference point and its right end
// SwathEdgeFar to the right. The reference point lies GpsOffsetY behind the
// antenna: straight back along the last step when the offset is 0 or
// negative, back along the travelled path when it is positive (the array
// trails the antenna round the turns). The sign is taken once when the
// logging screen opens. The settings hold these lengths in metres; the
// positions, and so the swath, are in the display unit (each foot by its own
// length). Without a console there is no array: both ends of every edge are
// the antenna, and the map draws the antenna's track.
//
// Each edge is written to the data file as segment records, which the track
// replay reads back to draw the same swath, and is painted into the map's
// overlay tiles: the sensors' position marks on the edge, or the colour
// strips of the readings taken since the previous position between the
// previous edge and this one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/map/map_geometry.h"
#include "core/map/tile_drawing.h"
#include "core/settings/settings.h"

namespace tesselog {

struct SensorTables;
struct GpsPositionState;
struct ConsoleReadingState;
class DataFileWriter;

// The most history points kept for a positive GpsOffsetY, and how many of
// the oldest go when it overflows.
constexpr size_t SwathHistoryLimit = 40;
constexpr size_t SwathHistoryDrop = 11;
// A colour fill never draws more cross-lines than this, whatever a jump of
// the position makes of the step.
constexpr int32_t MaxStripCrossLines = 10000;

struct SwathPoint {
    double X = 0.0;  // easting, map units
    double Y = 0.0;  // northing
};

// The array's edge: its left and right end (map units).
struct SwathEdge {
    SwathPoint Left;
    SwathPoint Right;
};

enum class SwathStepKind {
    None,       // nothing to record (no movement since the previous point)
    Opened,     // the first point of a segment: group 0, nothing painted
    FirstPair,  // the second point: both edges (groups 1 to 4)
    Next,       // later points: the current edge (groups 2 and 4)
};

struct SwathStep {
    SwathStepKind Kind = SwathStepKind::None;
    SwathEdge Previous;
    SwathEdge Current;
};

// The array as the edge computation needs it (map units: the display unit).
struct SwathArray {
    double OffsetY = 0.0;  // along the track, from the antenna back to the array
    double EdgeNear = 0.0; // antenna's across-track place to the swath's left edge
    double EdgeFar = 0.0;  // to the right edge
};
SwathArray SwathArrayOf(const Settings& settings);

// The edge computation and its state: segment state, previous point and
// edge, and the path history for a positive offset.
class SwathTracker {
public:
    // Every "&Go": a new segment with an empty history.
    void Reset();
    // When the logging screen opens: 1, 0 or -1 by the sign of GpsOffsetY.
    void TakeOffsetSign(double gpsOffsetY);
    int32_t OffsetSign() const { return offsetSign_; }

    // The antenna at (x, y): the edges of this step.
    SwathStep Advance(double x, double y, const SwathArray& array);

    int32_t SegmentState() const { return segmentState_; }
    size_t HistorySize() const { return history_.size(); }

private:
    struct PathPoint {
        SwathPoint P;
        double Length = 0.0;  // path length from the history's first point
    };
    SwathEdge PathEdge(const SwathArray& array);
    void AppendToPath(double x, double y, double step);
    void DropHistoryBefore(size_t first);

    int32_t offsetSign_ = 0;
    int32_t segmentState_ = 0;  // 0 no point yet, 1 one point, 2 painting
    SwathPoint previousPoint_;
    SwathEdge previousEdge_;
    std::vector<PathPoint> history_;
};

// The edge at reference point a facing along the unit direction (ux, uy).
SwathEdge EdgeAt(SwathPoint a, double ux, double uy, const SwathArray& array);

// The segment records of a step: group 0 for the first point; groups 1
// (previous edge), 2 (current edge), 3 and 4 (the same pair) for the second;
// groups 2 and 4 afterwards.
void WriteSwathSegments(DataFileWriter& writer, const SwathStep& step);

// The position marks on one edge by PositionSize: dots where the sensors
// are on it (0..3), or the edge as a line in the 1-pixel (4) or 2-pixel (5)
// position pen.
void AddPositionMarks(TileStrokeBatch& batch, const MapState& state, const SwathEdge& edge,
                      const Settings& settings, const SensorTables& sensors);

// With no sensor the edges are the antenna itself and the map draws its
// track, whatever the display type: a line from the previous point to the
// current one in the 1-pixel (PositionSize 4) or 2-pixel (5) position pen,
// or dots (0..3) at the current point, and at the previous one too on the
// first pair of a segment.
void AddAntennaTrack(TileStrokeBatch& batch, const MapState& state, const SwathEdge& previous,
                     const SwathEdge& current, bool firstPair, const Settings& settings);

// The colour classes painted along one step, per sensor: its classes in
// the order they were read, and the index of the last one (-1: none).
struct StripReadings {
    const int32_t* Classes[MaxSensors] = {};
    int32_t LastIndex[MaxSensors] = {};
    StripReadings();
};

// The readings between the previous and the current edge: n cross-lines (n
// the longer end's movement in pixels), each cut into the sensors' strips in
// the 2-pixel pens of the colour classes, a sensor's readings spread evenly
// along the step: cross-line s shows reading trunc(s * m / n) of m, so every
// reading has its share and a lone reading fills the step. The live map
// paints the epoch just closed; the track replay the readings it collected
// from the data file.
void AddColourStrips(TileStrokeBatch& batch, const MapState& state, const SwathEdge& previous,
                     const SwathEdge& current, const SensorTables& sensors, const StripReadings& readings);
void AddColourStrips(TileStrokeBatch& batch, const MapState& state, const SwathEdge& previous,
                     const SwathEdge& current, const SensorTables& sensors, const GpsPositionState& epochs,
                     const ConsoleReadingState& readings);

// The map drawing's swath: the tracker with what it reads and writes.
class MapSwath {
public:
    void Bind(const SensorTables& sensors, const GpsPositionState& epochs, const ConsoleReadingState& readings,
              DataFileWriter& writer);
    bool Bound() const { return writer_ != nullptr; }

    SwathTracker& Tracker() { return tracker_; }
    // Called with every edge Record writes (both edges of a first pair).
    void WatchEdges(std::function<void(const SwathEdge&)> watcher) { edgeWatcher_ = std::move(watcher); }

    // The edge of the antenna position (x, y), written as segment records.
    SwathStep Record(const Settings& settings, double x, double y);
    // The step painted into the overlay tiles by MapDisplayType.
    void Paint(MapState& state, MapTileSurfaces& tiles, const Settings& settings, const SwathStep& step);

private:
    SwathTracker tracker_;
    TileStrokeBatch batch_;
    const SensorTables* sensors_ = nullptr;
    const GpsPositionState* epochs_ = nullptr;
    const ConsoleReadingState* readings_ = nullptr;
    DataFileWriter* writer_ = nullptr;
    std::function<void(const SwathEdge&)> edgeWatcher_;
};

}  // namespace tesselog
