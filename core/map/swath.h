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
// position pen, at least one pixel long.
void AddPositionMarks(TileStrokeBatch& batch, const MapState& state, const SwathEdge& edge,
                      const Settings& settings, const SensorTables& sensors);

// With no sensor the edges are the antenna itself and the map draws its
// track, whatever the display type: a line from the previous point to the
// current one in the 1-pixel (PositionSize 4) or 2-pixel (5) position pen
// (at least one pixel), or dots (0..3) at the current point, and at the previous one too on the
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

// What each sensor's strip shows on one colour step: the readings taken
// since the previous painted edge (at most AmplitudeBankSize each, the rest
// dropped), or, when the sensor sent none in the step, the last reading
// before it. A reading covers the ground up to the next one: under a
// receiver faster than the consoles most steps hold no reading, and leaving
// them white would tear the swath into strips that look like gaps. A
// reading is carried on for less than two of the sensor's reading
// intervals, so a console that falls silent still leaves its strip white.
// The interval is counted in steps, the lower median of the sensor's last
// five (a step reached after e empty ones and holding m readings counts as
// (e + 1) / m; until the second reading the first one's steps since the
// segment began stand for it): the live map and the track replay see the
// same readings between the same edges and so paint the same.
class StripCollector {
public:
    StripCollector();
    // A new segment: no readings, nothing carried, no interval known.
    void Reset();
    // One reading of `sensor` in the step being gathered.
    void Take(int32_t sensor, int32_t colourClass);
    // The live map's epoch just closed (GpsPositionState, the bank of
    // AmplitudeQueue it names), for sensors 0..sensorCount-1.
    void TakeEpoch(const GpsPositionState& epochs, const ConsoleReadingState& readings, int32_t sensorCount);
    // Ends the step at a painted edge: what each sensor paints on it (valid
    // until the next Take), and the next step starts empty.
    const StripReadings& CloseStep();

    static constexpr int IntervalSamples = 5;

private:
    double Interval(int32_t sensor) const;
    void AddSample(int32_t sensor, double steps);

    std::vector<int32_t> classes_;  // MaxSensors x AmplitudeBankSize
    int32_t counts_[MaxSensors] = {};
    int32_t carried_[MaxSensors] = {};      // the last reading's class, -1: none yet
    int32_t emptySteps_[MaxSensors] = {};   // steps closed without a reading since the last with one
    double firstSteps_[MaxSensors] = {};    // the first reading's steps since the segment began
    double samples_[MaxSensors][IntervalSamples] = {};
    int32_t sampleCount_[MaxSensors] = {};  // samples taken (the ring holds the last five)
    StripReadings paint_;
};

// The readings between the previous and the current edge: n cross-lines (n
// the longer end's movement in pixels, at least one), each cut into the
// sensors' strips in the 2-pixel pens of the colour classes, a sensor's
// readings spread evenly along the step: cross-line s shows reading
// trunc(s * m / n) of m, so every reading has its share and a lone reading
// fills the step. A strip narrower than a pixel (a coarse map) still paints
// one. The live map paints what its StripCollector gathered from the closed
// epochs; the track replay what it gathered from the data file.
void AddColourStrips(TileStrokeBatch& batch, const MapState& state, const SwathEdge& previous,
                     const SwathEdge& current, const SensorTables& sensors, const StripReadings& readings);

// The map drawing's swath: the tracker with what it reads and writes.
class MapSwath {
public:
    // What it reads (the sensor tables, the closed reading epoch, the colour
    // queues) and the writer of its segment records.
    MapSwath(const SensorTables& sensors, const GpsPositionState& epochs, const ConsoleReadingState& readings,
             DataFileWriter& writer)
        : sensors_(sensors), epochs_(epochs), readings_(readings), writer_(writer) {}
    MapSwath(const MapSwath&) = delete;
    MapSwath& operator=(const MapSwath&) = delete;

    SwathTracker& Tracker() { return tracker_; }
    // Called with every edge Record writes (both edges of a first pair).
    void WatchEdges(std::function<void(const SwathEdge&)> watcher) { edgeWatcher_ = std::move(watcher); }

    // Every position while recording, a step or not: the colour display
    // gathers the epoch the position handler has just closed.
    void TakeEpoch(const Settings& settings);
    // The edge of the antenna position (x, y), written as segment records.
    // A segment's first point starts the gathering afresh.
    SwathStep Record(const Settings& settings, double x, double y);
    // The step painted into the overlay tiles by MapDisplayType (without a
    // laid-out pane it only closes the step's readings).
    void Paint(MapState& state, MapTileSurfaces& tiles, const Settings& settings, const SwathStep& step);

private:
    SwathTracker tracker_;
    StripCollector strips_;
    TileStrokeBatch batch_;
    const SensorTables& sensors_;
    const GpsPositionState& epochs_;
    const ConsoleReadingState& readings_;
    DataFileWriter& writer_;
    std::function<void(const SwathEdge&)> edgeWatcher_;
};

}  // namespace tesselog
