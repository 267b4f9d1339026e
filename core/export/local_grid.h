// A survey recorded without GPS placed on a local grid, in the display unit
// and in no coordinate system.
//
// Across the lines. A line lies at the numeric value of its name: the
// program numbers lines by the line increment, which is a distance. A line
// whose name is not a number, or every line when a spacing is given, lies
// at its rank among the lines in the order they first appear in the file
// times the spacing (default: the width of the array's strips).
//
// Along a line. The line block's direction letter says which way the
// operator walked; the sign of its station increment says whether the
// stations grow that way or against it. So the stations of a zig-zag survey
// (direction and increment both reversed on the return lines) and of a
// parallel one lie on one axis, growing towards one compass direction.
// Later lines lie to the right of that direction (to the left by option).
// The grid's easting and northing point east and north as the direction
// letters have it: lines walked north or south run up the picture, lines
// walked east or west across it.
//
// Along a line, by time between the marks. The operator sets the station
// at tape marks: the line block's start station, and "New Station", which
// is set during a pause while standing at the mark. A mark is where the
// array stood at that moment of the line's recording time, a clock that runs
// only from "$STARTED" to "PAUSED", so that the array stands still over a
// pause. A reading lies where its time puts it between the two marks around
// it: a stretch walked faster or slower than the count of console 1 is
// stretched or shrunk to fit its marks, and a console that falls silent
// leaves a gap instead of shifting what follows. After a line's last mark
// the readings go on at the pace of the line's marks (their distance over
// their recording time), or, in a line with no second mark, at the pace
// console 1 counts: one station increment per median gap between its
// readings.
//
// Across a line: the array's edge (the swath, as wide as the live map's)
// centred on the line, each sensor at its place across it
// (SensorTables::SwathPlace), sensor 1 on the left of the walking direction.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/map/swath.h"
#include "core/settings/settings.h"

namespace tesselog {

// The array across the walking direction.
struct LocalArray {
    int32_t SensorCount = 0;
    double SwathPlace[MaxSensors] = {};  // 0 the swath's left end .. 1 its right end
    double SwathWidth = 0.0;             // metres
    double StripWidth = 0.0;             // metres: the array's width and its smaller separation
};

struct LocalGridOptions {
    double LineSpacing = 0.0;  // above 0: every line at its rank times this spacing
    bool LinesToLeft = false;  // later lines to the left of the way the stations grow
};

// One reading as the placer needs it.
struct LocalItem {
    int32_t Sensor = 0;        // 0-based across the array
    bool Anchor = false;       // console 1's first sensor: an edge of the array for the timeline
    bool HasTick = false;
    uint32_t Tick = 0;
    int32_t Run = 0;
};

struct LocalEdge {
    int32_t Run = 0;
    uint32_t Tick = 0;
    SwathEdge Edge;
};

// The point at `place` of the way from an edge's left end (0) to its right end (1).
inline SwathPoint PointAcross(const SwathEdge& edge, double place) {
    return {edge.Left.X + place * (edge.Right.X - edge.Left.X), edge.Left.Y + place * (edge.Right.Y - edge.Left.Y)};
}

class LocalGridPlacer {
public:
    explicit LocalGridPlacer(const LocalGridOptions& options = {}) : options_(options) {}

    // The array of the session and the display unit per metre.
    void SetArray(const LocalArray& array, double unitsPerMetre);
    // A line block's name and, after it, its direction and increment; the
    // line before must have been placed.
    void StartLine(const std::string& name);
    void SetDirection(int32_t direction, double increment);
    // The station set now: the line block's start, or New Station.
    void Mark(double station);
    // "$STARTED" and "PAUSED" with their ticks; without a tick the clock
    // stops at the latest one and the next reading starts it.
    void Started(bool hasTick, uint32_t tick);
    void Paused(bool hasTick, uint32_t tick);
    void Add(const LocalItem& item);
    bool Empty() const { return items_.empty(); }
    // Unit vectors along which the stations grow and towards later lines.
    SwathPoint Along() const { return axes_.Along; }
    SwathPoint Across() const { return axes_.Across; }

    // Places the line's readings, in the order they were added, and the
    // array's edge at each anchor; the line's readings and marks are done.
    void Place(std::vector<SwathPoint>& places, std::vector<LocalEdge>& edges);

private:
    struct Axes {
        SwathPoint Along;   // unit vector the stations grow towards
        SwathPoint Across;  // unit vector towards later lines
        SwathPoint Right;   // right of the walking direction
    };
    struct TimedMark {
        int64_t Time;       // ms of the line's recording time
        double Station;
    };
    double LinePosition(const std::string& name);
    int64_t Now() const;
    double CountedPace();
    double StationAt(int64_t time, double pace) const;
    SwathEdge EdgeAt(double station) const;

    LocalGridOptions options_;
    std::vector<LocalItem> items_;
    std::vector<int64_t> times_;
    std::vector<TimedMark> marks_;
    double place_[MaxSensors] = {};
    double halfWidth_ = 0.5;
    double stripWidth_ = 1.0;
    int32_t sensorCount_ = 0;
    std::map<std::string, int32_t> ranks_;
    double lineX_ = 0.0;
    int32_t direction_ = -1;
    double increment_ = 0.0;
    Axes axes_{{0, 1}, {1, 0}, {1, 0}};
    // The line's recording clock.
    int64_t base_ = 0;         // recording time before the current run
    bool running_ = false;
    uint32_t runStart_ = 0;
    uint32_t lastTick_ = 0;
    double period_ = 0.0;      // ms between console-1 readings, of the last line that had two
};

}  // namespace tesselog
