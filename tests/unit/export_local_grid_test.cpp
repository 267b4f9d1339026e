// A survey recorded without GPS on its local grid: lines across by their
// numbers (or rank), stations along by the direction and the increment's
// sign, every reading by its recording time between the marks of its line
// (the line's start station and each New Station), beyond them at the pace
// of the marks or of console 1's count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/export/survey_walk.h"
#include "tests/unit/export_records.h"

namespace tesselog {
namespace {

using namespace export_records;

// The header's sensors lie at 0, 0.5 and 1.5 m (consoles of two and one),
// 0.75 left of, 0.25 left of and 0.75 right of the array's centre; their
// strips make a swath 2 m wide (1.5 + the smaller separation, 0.5).
const std::string ZigZag =
    Header(false) +
    // Line "10" walked north from station 0, no mark inside: console 1's
    // count, an increment of 0.5 every 100 ms, from "$STARTED" at 1000. The
    // readings 50, 150 and 250 ms on lie at 0.25, 0.75 and 1.25; console 2
    // at 200 ms at 1.
    LineBlock("10", 0.0, 0.5, 'N') + Event("$STARTED", 1000) + Reading(1, ",0001,0002", 1050) +
    Reading(1, ",0001,0002", 1150) + Reading(2, ",0003", 1200) + Reading(1, ",0001,0002", 1250) +
    Event("PAUSED", 1300) +
    // Line "B" walked south from station 1 with increment -0.5: the stations
    // still grow north. Not a number: rank 1 (the second line) times the
    // strips' 2 m.
    LineBlock("B", 1.0, -0.5, 'S') + Event("$STARTED", 2000) + Reading(1, ",0001,0002", 2050) +
    Reading(1, ",0001,0002", 2150) + Reading(2, ",0003", 2200);

struct Place {
    std::string line;
    int32_t sensor;
    double easting, northing;
};

std::vector<Place> Placed(const LocalGridOptions& options) {
    const Walked w(ZigZag, options);
    std::vector<Place> places;
    for (const PositionedReading& r : w.Got.Readings) {
        EXPECT_TRUE(r.Positioned && r.Local);
        places.push_back({w.Survey.Lines()[r.Line].Name, r.Sensor, r.Easting, r.Northing});
    }
    return places;
}

TEST(ExportLocalGrid, ZigZagLinesAndStationIntervals) {
    const struct {
        LocalGridOptions options;
        std::vector<Place> expected;
    } cases[] = {
        // Walking north the right is east: line 10's sensors at 9.25, 9.75,
        // 10.75; walking south the right is west: line B's at 2.75, 2.25, 1.25.
        {{},
         {{"10", 1, 9.25, 0.25}, {"10", 2, 9.75, 0.25}, {"10", 1, 9.25, 0.75}, {"10", 2, 9.75, 0.75},
          {"10", 3, 10.75, 1.0}, {"10", 1, 9.25, 1.25}, {"10", 2, 9.75, 1.25},
          {"B", 1, 2.75, 0.75}, {"B", 2, 2.25, 0.75}, {"B", 1, 2.75, 0.25}, {"B", 2, 2.25, 0.25},
          {"B", 3, 1.25, 0.0}}},
        // Lines 3 apart in the order they come: 10 at 0, B at 3; to the left
        // of north: B at -3.
        {{3.0, true},
         {{"10", 1, -0.75, 0.25}, {"10", 2, -0.25, 0.25}, {"10", 1, -0.75, 0.75}, {"10", 2, -0.25, 0.75},
          {"10", 3, 0.75, 1.0}, {"10", 1, -0.75, 1.25}, {"10", 2, -0.25, 1.25},
          {"B", 1, -2.25, 0.75}, {"B", 2, -2.75, 0.75}, {"B", 1, -2.25, 0.25}, {"B", 2, -2.75, 0.25},
          {"B", 3, -3.75, 0.0}}},
    };
    for (const auto& c : cases) {
        const std::vector<Place> got = Placed(c.options);
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(got[i].line, c.expected[i].line);
            EXPECT_EQ(got[i].sensor, c.expected[i].sensor);
            EXPECT_NEAR(got[i].easting, c.expected[i].easting, 1e-9);
            EXPECT_NEAR(got[i].northing, c.expected[i].northing, 1e-9);
        }
    }
}

// Lines walked east and west run across the grid; the array's edge at each
// console-1 reading goes into the timeline for the lag correction.
TEST(ExportLocalGrid, EastWestLinesAndTheirEdges) {
    const std::string file = Header(false) + LineBlock("2", 5.0, 1.0, 'E') + Event("$STARTED", 750) +
                             Reading(1, ",0001,0002", 1000) + Reading(1, ",0001,0002", 1500);
    Walked w(file);
    // Stations grow east, one a 500 ms: the first reading, 250 ms after the
    // start, at 5.5. Later lines to their right lie south: line 2 at
    // northing -2. Walking east the right is south: sensor 1 at -2 + 0.75.
    ASSERT_EQ(w.Got.Readings.size(), 4u);
    EXPECT_NEAR(w.Got.Readings[0].Easting, 5.5, 1e-9);
    EXPECT_NEAR(w.Got.Readings[0].Northing, -1.25, 1e-9);
    // The swath's left end 1 m north of the line, the right end 1 m south.
    ASSERT_EQ(w.Survey.Timeline().size(), 2u);
    const TimedEdge& e = w.Survey.Timeline()[1];
    EXPECT_EQ(e.Tick, 1500u);
    EXPECT_NEAR(e.Edge.Left.X, 6.5, 1e-9);
    EXPECT_NEAR(e.Edge.Left.Y, -1.0, 1e-9);
    EXPECT_NEAR(e.Edge.Right.Y, -3.0, 1e-9);
}

// Line "0" walked north from station 0 with an increment of 0.1 and console
// 1 every 100 ms of walking: the count's pace is 1 m/s. The walk is a row of
// legs, each at its own speed; after a leg the operator may stop at a tape
// mark: "PAUSED" on arrival, New Station with the mark's value, "$STARTED"
// 2 s later. Console 1 may fall silent for a while of the walking time.
struct Leg {
    double metres, speed;
    bool mark;
};
struct TrueWalk {
    std::string records;
    std::vector<double> truth;  // where each console-1 reading was taken
};

TrueWalk WalkLine(const std::vector<Leg>& legs, int32_t silentFrom = -1, int32_t silentTo = -1) {
    TrueWalk w{Header(false) + LineBlock("0", 0.0, 0.1, 'N'), {}};
    unsigned long start = 10000;
    w.records += Event("$STARTED", start);
    double from = 0.0;      // where the leg starts
    double legStart = 0.0;  // ms of the run at which it starts
    int32_t next = 100;     // ms of the run of the next reading
    int32_t walked = 0;     // ms of walking before this run
    for (const Leg& leg : legs) {
        const double end = legStart + leg.metres / leg.speed * 1000.0;
        for (; next < end; next += 100) {
            if (walked + next >= silentFrom && walked + next < silentTo) continue;
            w.truth.push_back(from + (next - legStart) * leg.speed / 1000.0);
            w.records += Reading(1, ",0001,0002", start + next);
        }
        from += leg.metres;
        legStart = end;
        if (!leg.mark) continue;
        const unsigned long arrival = start + static_cast<unsigned long>(std::lround(end));
        w.records += Event("PAUSED", arrival) + Fmt("S%11.2f  10:00:00.000", from) + Fmt("*10:00:00.000   %10lu", arrival);
        walked += static_cast<int32_t>(std::lround(end));
        start = arrival + 2000;
        w.records += Event("$STARTED", start);
        legStart = 0.0;
        next = 100;
    }
    return w;
}

// Every console-1 reading's northing less where it was taken; the largest
// step from one reading to the next.
struct Misplaced {
    double worst = 0.0;
    std::vector<double> errors;
    double widestStep = 0.0;
};
Misplaced Measure(const TrueWalk& walk) {
    const Walked w(walk.records);
    Misplaced m;
    double previous = 0.0;
    for (const PositionedReading& r : w.Got.Readings) {
        if (r.Sensor != 1) continue;
        const size_t i = m.errors.size();
        m.errors.push_back(i < walk.truth.size() ? r.Northing - walk.truth[i] : 1e9);
        m.worst = std::max(m.worst, std::fabs(m.errors.back()));
        if (i > 0) m.widestStep = std::max(m.widestStep, r.Northing - previous);
        previous = r.Northing;
    }
    EXPECT_EQ(m.errors.size(), walk.truth.size());
    return m;
}

TEST(ExportLocalGrid, ReadingsLieWhereTheyWereTakenBetweenTheMarks) {
    const auto stretches = [](double speed, int marks) {
        std::vector<Leg> legs;
        for (int k = 0; k < 4; ++k) legs.push_back({5.0, speed, k < marks});
        return legs;
    };
    // Even pace between marks, too slow or too fast for the count: every
    // reading where it was taken (within the millimetre of a tick rounded
    // to whole milliseconds).
    EXPECT_LT(Measure(WalkLine(stretches(0.8, 4))).worst, 0.001);
    EXPECT_LT(Measure(WalkLine(stretches(1.2, 4))).worst, 0.001);
    // The end never marked: after the mark at 10 m the readings go on at the
    // pace the marks measured, 0.8 m/s, not at the count's 1 m/s.
    EXPECT_LT(Measure(WalkLine(stretches(0.8, 2))).worst, 0.001);
    // No mark at all and the count's pace: where the count puts them.
    EXPECT_LT(Measure(WalkLine(stretches(1.0, 0))).worst, 0.001);

    // Uneven pace: each 5 m stretch half at 0.8 and half at 1.2 m/s. The
    // stretch is spread evenly between its marks, so its middle lies off,
    // but next to every mark the readings lie within half a station interval.
    std::vector<Leg> uneven;
    for (int k = 0; k < 4; ++k) {
        uneven.push_back({2.5, 0.8, false});
        uneven.push_back({2.5, 1.2, true});
    }
    const TrueWalk walk = WalkLine(uneven);
    const Misplaced m = Measure(walk);
    for (size_t i = 0; i < walk.truth.size(); ++i) {
        const double toMark = std::fabs(walk.truth[i] - 5.0 * std::round(walk.truth[i] / 5.0));
        if (toMark < 0.1) {
            EXPECT_LT(std::fabs(m.errors[i]), 0.05) << walk.truth[i];
        }
    }
    EXPECT_GT(m.worst, 0.2);  // mid-stretch the uneven pace shows
}

// Console 1 silent for 1 s (readings 8.0 .. 8.9 s not sent): a gap of the
// distance walked meanwhile, and every later reading still where it was
// taken, with marks and without.
TEST(ExportLocalGrid, ADropoutLeavesAGapAndShiftsNothing) {
    const Misplaced counted = Measure(WalkLine({{20.0, 1.0, false}}, 8000, 9000));
    EXPECT_LT(counted.worst, 1e-6);
    EXPECT_NEAR(counted.widestStep, 1.1, 1e-6);  // 7.9 m to 9.0 m
    std::vector<Leg> marked;
    for (int k = 0; k < 4; ++k) marked.push_back({5.0, 0.8, true});
    const Misplaced slow = Measure(WalkLine(marked, 8000, 9000));
    EXPECT_LT(slow.worst, 1e-6);
    EXPECT_NEAR(slow.widestStep, 0.88, 1e-6);  // 6.32 m to 7.2 m at 0.8 m/s
}

}  // namespace
}  // namespace tesselog
