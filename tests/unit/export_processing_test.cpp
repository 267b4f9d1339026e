// The first processing steps on placed readings: the lag correction along
// the sensor's path, the moving-median despike, the zero-median destripe per
// line and sensor, and the clip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/export/processing.h"
#include "tests/unit/export_records.h"

namespace tesselog {
namespace {

// A sequence of one sensor's readings along one line and run.
void Sequence(std::vector<GridPoint>& points, std::vector<PointInfo>& infos, const std::vector<float>& values,
              uint8_t sensor, int32_t line, int32_t run) {
    for (float v : values) {
        points.push_back({0.0, 0.0, v});
        PointInfo info;
        info.Sensor = sensor;
        info.Line = line;
        info.Run = run;
        infos.push_back(info);
    }
}

std::vector<float> Values(const std::vector<GridPoint>& points) {
    std::vector<float> values;
    for (const GridPoint& p : points) values.push_back(p.Value);
    return values;
}

TEST(ExportProcessing, DespikeReplacesWhatStandsOutOfItsWindow) {
    const struct {
        std::vector<float> values;
        int32_t window;
        double threshold;
        std::vector<float> expected;
    } cases[] = {
        // A spike of 200 among 10s: the median of its window is 10.
        {{10, 10, 200, 10, 10}, 3, 30, {10, 10, 10, 10, 10}},
        // A smooth peak: 80 against the median of 60, 80, 60 stays.
        {{0, 20, 40, 60, 80, 60, 40, 20, 0}, 3, 30, {0, 20, 40, 60, 80, 60, 40, 20, 0}},
        // The same peak in a window of 9 (all of it, median 40): 80 and both
        // ends lie 40 from it and are cut.
        {{0, 20, 40, 60, 80, 60, 40, 20, 0}, 9, 30, {40, 20, 40, 60, 40, 60, 40, 20, 40}},
        // Two spikes side by side in a window of 5; at the end the window
        // keeps its five readings (10, 10, 10, 10, -90: median 10).
        {{10, 10, 300, 300, 10, 10, 10, 10, -90}, 5, 50, {10, 10, 10, 10, 10, 10, 10, 10, 10}},
    };
    for (const auto& c : cases) {
        std::vector<GridPoint> points;
        std::vector<PointInfo> infos;
        Sequence(points, infos, c.values, 0, 0, 1);
        Despike(points, infos, c.threshold, c.window);
        EXPECT_EQ(Values(points), c.expected);
    }
    // A run or a line of its own starts a sequence of its own: the 200 after
    // a pause has no 10s around it.
    std::vector<GridPoint> points;
    std::vector<PointInfo> infos;
    Sequence(points, infos, {10, 10, 10}, 0, 0, 1);
    Sequence(points, infos, {200, 200}, 0, 0, 2);
    Sequence(points, infos, {10, 10, 10}, 1, 0, 1);
    EXPECT_EQ(Despike(points, infos, 30, 3), 0);
}

// The window slides along a sequence kept in order; against each window's
// median found by sorting it afresh, on sequences of many equal values and
// spikes, of every length up to 40, in windows of 3 to 11.
TEST(ExportProcessing, DespikeSlidingWindowAgreesWithSortingEachWindow) {
    uint32_t state = 12345;
    const auto next = [&state] { return state = state * 1103515245u + 12345u, (state >> 16) % 100; };
    for (int32_t window : {3, 5, 9, 11}) {
        for (int32_t n = 1; n <= 40; ++n) {
            std::vector<float> values;
            for (int32_t i = 0; i < n; ++i) values.push_back(next() < 10 ? 500.0f : float(next() % 4));
            std::vector<float> expected = values;
            const int32_t half = window / 2, width = std::min(n, window);
            for (int32_t i = 0; i < n; ++i) {
                const int32_t from = std::clamp(i - half, 0, n - width);
                std::vector<float> sorted(values.begin() + from, values.begin() + from + width);
                std::sort(sorted.begin(), sorted.end());
                const double median = width % 2 == 1 ? sorted[size_t(width / 2)]
                                                     : (double(sorted[size_t(width / 2) - 1]) + sorted[size_t(width / 2)]) / 2;
                if (std::fabs(values[size_t(i)] - median) > 50) expected[size_t(i)] = float(median);
            }
            std::vector<GridPoint> points;
            std::vector<PointInfo> infos;
            Sequence(points, infos, values, 0, 0, 1);
            Despike(points, infos, 50, window);
            ASSERT_EQ(Values(points), expected) << "window " << window << ", " << n << " readings";
        }
    }
}

TEST(ExportProcessing, DestripeTakesEachLinesMedianOffEachSensor) {
    // Lines by session and name: blocks 0 and 2 are the same line "1".
    const std::vector<SurveyLine> lines = {{"1", 1}, {"2", 1}, {"1", 1}, {"1", 2}};
    std::vector<GridPoint> points;
    std::vector<PointInfo> infos;
    Sequence(points, infos, {20, 21, 25}, 0, 0, 1);   // line 1, sensor 1
    Sequence(points, infos, {23}, 0, 2, 2);           // line 1 again: median of 20, 21, 23, 25 is 22
    Sequence(points, infos, {1, 2, 3}, 1, 0, 1);      // line 1, sensor 2: median 2
    Sequence(points, infos, {7, 9}, 0, 1, 1);         // line 2: median 8
    Sequence(points, infos, {5}, 0, 3, 3);            // line 1 of session 2
    Destripe(points, infos, Traverses({}, lines, 1.0));
    EXPECT_EQ(Values(points), (std::vector<float>{-2, -1, 3, 1, -1, 0, 1, -1, 1, 0}));
}

// One "&Go" line walked on through its turns: 20 m north, 1 m east, 20 m
// south, 1 m east, 20 m north, an edge every 0.5 m and 500 ms, standing 10 s
// at the start and at the first turn with 0.3 m of receiver jitter. Sensor 1
// reads 1 nT high walking north and 1 nT low walking south over a field that
// climbs by 0.01 nT a metre northwards: a heading stripe of 2 nT.
TEST(ExportProcessing, DestripePerTraverseOfALineWalkedThroughItsTurns) {
    std::vector<TimedEdge> timeline;
    std::vector<double> heading;
    uint32_t tick = 1000;
    const auto at = [&](double x, double y, double h) {
        timeline.push_back({1, 0, tick, -1, -1, {{x - 0.5, y}, {x + 0.5, y}}});
        heading.push_back(h);
        tick += 500;
    };
    const auto jitter = [](int i) { return 0.3 * ((i * 7) % 5 - 2) / 2.0; };
    for (int i = 0; i < 20; ++i) at(jitter(i), jitter(i + 1), 1);
    for (int i = 0; i <= 40; ++i) at(0, i * 0.5, 1);
    for (int i = 0; i < 20; ++i) at(jitter(i), 20 + jitter(i + 2), 1);
    for (int i = 1; i <= 2; ++i) at(i * 0.5, 20, 1);
    for (int i = 0; i <= 40; ++i) at(1, 20 - i * 0.5, -1);
    for (int i = 1; i <= 2; ++i) at(1 + i * 0.5, 0, -1);
    for (int i = 0; i <= 40; ++i) at(2, i * 0.5, 1);
    const Traverses traverses(timeline, {{"1", 1}}, 1.0);
    EXPECT_EQ(traverses.CountOf(0), 3);

    std::vector<GridPoint> points;
    std::vector<PointInfo> infos;
    for (size_t i = 0; i < timeline.size(); ++i) {
        const double northing = timeline[i].Edge.Left.Y;
        points.push_back({0.0, northing, static_cast<float>(5.0 + 0.01 * northing + heading[i])});
        PointInfo info;
        info.Tick = timeline[i].Tick + 250;
        info.HasTick = true;
        info.Run = 1;
        info.Line = 0;
        infos.push_back(info);
    }
    // The stripe: the median of the readings walked north less that of those
    // walked south, on the lines (not standing or stepping across). Per line,
    // one median for both headings leaves it; per traverse it goes.
    const auto stripe = [&](const std::vector<GridPoint>& p) {
        std::vector<float> north, south;
        for (size_t i = 0; i < p.size(); ++i) {
            const double x = timeline[i].Edge.Left.X + 0.5;
            if (x == 0.0 || x == 1.0 || x == 2.0) (heading[i] > 0 ? north : south).push_back(p[i].Value);
        }
        std::nth_element(north.begin(), north.begin() + long(north.size() / 2), north.end());
        std::nth_element(south.begin(), south.begin() + long(south.size() / 2), south.end());
        return double(north[north.size() / 2]) - south[south.size() / 2];
    };
    std::vector<GridPoint> perLine = points;
    Destripe(perLine, infos, Traverses({}, {{"1", 1}}, 1.0));
    EXPECT_NEAR(stripe(perLine), 2.0, 0.05);
    Destripe(points, infos, traverses);
    EXPECT_LT(std::fabs(stripe(points)), 0.1);
}

// A straight walk north at 1 m/s, the swath from easting -1 to 1: edges at
// ticks 1000, 2000, 3000 (northing 0, 1, 2). A reading at tick t moved back
// by 0.3 s lies at northing (t - 1300) / 1000, before the first edge on the
// line through the first two.
TEST(ExportProcessing, LagMovesReadingsBackAlongTheirPath) {
    std::vector<TimedEdge> timeline;
    for (int i = 0; i < 3; ++i) timeline.push_back({1, 0, uint32_t(1000 + 1000 * i), -1, -1, {{-1, double(i)}, {1, double(i)}}});
    const std::vector<std::vector<double>> across = {{0.5, 0.25}};
    const struct {
        uint32_t tick;
        uint8_t sensor;
        int32_t run;
        double easting, northing;
    } cases[] = {
        {2500, 0, 1, 0.0, 1.2}, {1100, 0, 1, 0.0, -0.2}, {3300, 1, 1, -0.5, 2.0}, {1500, 0, 2, 9.0, 9.0},
    };
    std::vector<GridPoint> points;
    std::vector<PointInfo> infos;
    for (const auto& c : cases) {
        points.push_back({9.0, 9.0, 0.0f});
        PointInfo info;
        info.Tick = c.tick;
        info.HasTick = true;
        info.Sensor = c.sensor;
        info.Run = c.run;  // run 2 has no edges: left where it was
        info.Session = 1;
        infos.push_back(info);
    }
    EXPECT_EQ(CorrectLag(points, infos, 0.3, timeline, across), 3);
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_NEAR(points[i].Easting, cases[i].easting, 1e-9) << i;
        EXPECT_NEAR(points[i].Northing, cases[i].northing, 1e-9) << i;
    }
}

// One console carrying two sensors 1 m apart: the live map's swath is 1.5 m
// wide (0.25 m beyond each sensor). Raw and lag corrected, each reading
// lies at its sensor's place across it, the two 1.000 m apart.
TEST(ExportProcessing, OneConsoleKeepsItsSensorsApartRawAndLagCorrected) {
    using namespace export_records;
    const std::string file = OneConsoleHeader(1.0) + LineBlock("L1", 0.0, 1.0) + Event("$STARTED", 1100) +
                             Rec("{0") + Gga("4800.0000", 'N', 4, 1150) + Reading(1, ",0010,0020", 1300) +
                             Step(0.0, 1.0, 1.5) + Gga("4800.0010", 'N', 4, 1450) +
                             Reading(1, ",0011,0021", 1600) + Step(1.0, 2.0, 1.5) + Gga("4800.0020", 'N', 4, 1750);
    Walked w(file);
    std::vector<GridPoint> points;
    std::vector<PointInfo> infos;
    for (const PositionedReading& r : w.Got.Readings) {
        points.push_back({r.Easting, r.Northing, float(r.Value)});
        PointInfo info;
        info.Tick = r.Tick;
        info.HasTick = true;
        info.Run = r.Run;
        info.Session = 1;
        info.Sensor = uint8_t(r.Sensor - 1);
        infos.push_back(info);
    }
    ASSERT_EQ(points.size(), 4u);
    const auto apart = [&points](size_t i) { return points[i + 1].Easting - points[i].Easting; };
    EXPECT_NEAR(points[0].Easting, 0.25, 1e-9);
    EXPECT_NEAR(apart(0), 1.0, 1e-9);
    EXPECT_NEAR(apart(2), 1.0, 1e-9);
    EXPECT_EQ(CorrectLag(points, infos, 0.0, w.Survey.Timeline(), w.Survey.SensorAcross()), 4);
    EXPECT_NEAR(points[0].Easting, 0.25, 1e-9);
    EXPECT_NEAR(apart(0), 1.0, 1e-9);
    EXPECT_NEAR(apart(2), 1.0, 1e-9);
    // Along: 150 of the 300 ms from the fix at 1150 to the one at 1450.
    EXPECT_NEAR(points[0].Northing, 0.5, 1e-9);
}

TEST(ExportProcessing, ClipAndTheDescription) {
    std::vector<GridPoint> points = {{0, 0, -30.0f}, {0, 0, 5.0f}, {0, 0, 45.0f}};
    EXPECT_EQ(Clip(points, -20, 20), 2);
    EXPECT_EQ(Values(points), (std::vector<float>{-20, 5, 20}));

    ProcessingSteps steps;
    steps.Lag = true;
    steps.LagSeconds = 0.25;
    steps.Despike = true;
    steps.DespikeThreshold = 10;
    steps.Destripe = true;
    steps.Clip = true;
    steps.ClipMin = -20;
    steps.ClipMax = 20;
    EXPECT_EQ(steps.Describe("nT"), "lag corrected by 0.25 s; despiked beyond 10 nT from the median of 9 readings; "
                                    "destriped to a zero median per traverse and sensor; clipped to -20..20 nT");
}

}  // namespace
}  // namespace tesselog
