// A survey recorded without GPS on its local grid: lines across by their
// numbers (or rank), stations along by the direction and the increment's
// sign, each console-1 reading at the middle of its station interval and the
// other readings at their time between console-1 readings.
#include <gtest/gtest.h>

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
    // Line "10" walked north, stations 0, 0.5, 1 (increment 0.5) at ticks
    // 1000, 1100, 1200: places 0.25, 0.75, 1.25. Console 2 at tick 1150 lies
    // halfway between the second and the third.
    LineBlock("10", 0.0, 0.5, 'N') + Event("$STARTED", 990) + Reading(1, ",0001,0002", 1000) +
    Reading(1, ",0001,0002", 1100) + Reading(2, ",0003", 1150) + Reading(1, ",0001,0002", 1200) +
    Event("PAUSED", 1300) +
    // Line "B" walked south from station 1 with increment -0.5: the stations
    // still grow north. Not a number: rank 1 (the second line) times the
    // swath's 2 m. Console 2 at tick 2150 comes after the last console-1
    // reading: carried on at the stretch's pace, -0.5 a 100 ticks.
    LineBlock("B", 1.0, -0.5, 'S') + Event("$STARTED", 1990) + Reading(1, ",0001,0002", 2000) +
    Reading(1, ",0001,0002", 2100) + Reading(2, ",0003", 2150);

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
    const std::string file = Header(false) + LineBlock("2", 5.0, 1.0, 'E') + Event("$STARTED", 990) +
                             Reading(1, ",0001,0002", 1000) + Reading(1, ",0001,0002", 1500);
    Walked w(file);
    // Stations grow east; later lines to their right lie south: line 2 at
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

}  // namespace
}  // namespace tesselog
