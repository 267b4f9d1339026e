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
// A station interval and its readings. Console 1's readings count the
// stations: reading n starts the interval [S_n, S_n + increment). Each
// console-1 reading is placed at the middle of its interval, and every other
// reading at its time between the console-1 readings before and after it,
// so that the readings of all consoles spread evenly over the interval they
// fall in. A stretch (readings between two settings of the station: a line
// block, a new station, a pause) is carried on before its first and after
// its last console-1 reading at the pace of its console-1 readings.
//
// The array is centred on the line, its sensors across it at their
// separations, sensor 1 on the left of the walking direction.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/map/swath.h"
#include "core/settings/settings.h"

namespace tesselog {

// The array across the walking direction: each sensor's place from the
// first sensor (metres, sensor 1 first) and the smaller separation, which is
// the width of a sensor's strip.
struct LocalArray {
    int32_t SensorCount = 0;
    double Position[MaxSensors] = {};
    double MinSeparation = 0.0;
};

struct LocalGridOptions {
    double LineSpacing = 0.0;  // above 0: every line at its rank times this spacing
    bool LinesToLeft = false;  // later lines to the left of the way the stations grow
};

// One reading as the placer needs it.
struct LocalItem {
    int32_t Sensor = 0;        // 0-based across the array
    bool Anchor = false;       // a console-1 reading: it counts a station
    double Station = 0.0;      // the station it was recorded at
    bool HasTick = false;
    uint32_t Tick = 0;
};

struct LocalEdge {
    uint32_t Tick = 0;
    SwathEdge Edge;
};

class LocalGridPlacer {
public:
    explicit LocalGridPlacer(const LocalGridOptions& options = {}) : options_(options) {}

    // The array of the session and the display unit per metre.
    void SetArray(const LocalArray& array, double unitsPerMetre);
    // A line block. The stretch must have been placed before.
    void StartLine(const std::string& name, int32_t direction, double increment);
    void Add(const LocalItem& item) { items_.push_back(item); }
    bool Empty() const { return items_.empty(); }

    // Places the stretch's readings, in the order they were added, and the
    // array's edge at each console-1 reading; a new stretch starts.
    void Place(std::vector<SwathPoint>& places, std::vector<LocalEdge>& edges);

    // Where sensor k lies across an edge (0 its left end .. 1 its right end).
    double AcrossFraction(int32_t sensor) const;

private:
    struct Axes {
        SwathPoint Along;   // unit vector the stations grow towards
        SwathPoint Across;  // unit vector towards later lines
        SwathPoint Right;   // right of the walking direction
    };
    double LinePosition(const std::string& name);
    double AlongAt(int64_t time, const std::vector<std::pair<int64_t, double>>& anchors) const;
    SwathPoint At(double along, double across) const;

    LocalGridOptions options_;
    std::vector<LocalItem> items_;
    double offset_[MaxSensors] = {};  // across from the array's centre, display unit
    double halfWidth_ = 0.0;
    double stripWidth_ = 1.0;
    int32_t sensorCount_ = 0;
    std::map<std::string, int32_t> ranks_;
    double lineX_ = 0.0;
    double increment_ = 0.0;
    Axes axes_{{0, 1}, {1, 0}, {1, 0}};
    double ticksPerStation_ = 0.0;    // console-1 reading period of the last stretch that had two
};

}  // namespace tesselog
