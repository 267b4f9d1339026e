#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/common/colour_palette.h"
#include "core/datafile/data_file_writers.h"
#include "core/logscreen/logging_session.h"
#include "core/logscreen/map_commands.h"
#include "core/map/swath.h"
#include "core/platform/memory_file_system.h"
#include "support/map_strokes.h"

namespace tesselog {
namespace {

// Left x, y and right x, y of an edge.
void ExpectEdge(const SwathEdge& e, const std::vector<double>& lr, const std::string& where) {
    const double got[4] = {e.Left.X, e.Left.Y, e.Right.X, e.Right.Y};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], lr[i], 1e-9) << where << " [" << i << "]";
}

SwathTracker Tracker(double offset) {
    SwathTracker t;
    t.TakeOffsetSign(offset);
    t.Reset();
    return t;
}

TEST(SwathEdges, StraightBackAlongTheLastStep) {
    // The array 1 ahead of the antenna (offset -1), 1 to the left, 3 to the right.
    SwathTracker t = Tracker(-1.0);
    const SwathArray array{-1.0, 1.0, 3.0};
    const struct { double x, y; SwathStepKind kind; std::vector<double> cur, prev; } cases[] = {
        {0, 0, SwathStepKind::Opened, {}, {}},
        {1, 0, SwathStepKind::FirstPair, {2, 1, 2, -3}, {1, 1, 1, -3}},
        {2, 0, SwathStepKind::Next, {3, 1, 3, -3}, {2, 1, 2, -3}},
        {2, 1, SwathStepKind::Next, {1, 2, 5, 2}, {3, 1, 3, -3}},  // turned north
        {2, 1, SwathStepKind::None, {}, {}},                       // no movement, no direction
    };
    for (const auto& c : cases) {
        const std::string where = std::to_string(c.x) + "," + std::to_string(c.y);
        const SwathStep s = t.Advance(c.x, c.y, array);
        ASSERT_EQ(s.Kind, c.kind) << where;
        if (c.cur.empty()) continue;
        ExpectEdge(s.Current, c.cur, where);
        ExpectEdge(s.Previous, c.prev, where);
    }
}

TEST(SwathEdges, PathOffsetExtrapolatedThenInterpolated) {
    // Steps of 0.5 along (0.6, 0.8): the array stays 2 behind the antenna,
    // extrapolated behind the first point for the first four steps.
    SwathTracker t = Tracker(2.0);
    const SwathArray array{2.0, 1.0, 0.5};
    for (int i = 0; i <= 60; ++i) {
        const double ax = 100 + 0.3 * i - 1.2, ay = 200 + 0.4 * i - 1.6;
        const SwathStep s = t.Advance(100 + 0.3 * i, 200 + 0.4 * i, array);
        if (i == 1) ExpectEdge(s.Previous, {98.0, 199.0, 99.2, 198.1}, "first");
        if (i > 0) ExpectEdge(s.Current, {ax - 0.8, ay + 0.6, ax + 0.4, ay - 0.3}, "step " + std::to_string(i));
        EXPECT_LE(t.HistorySize(), SwathHistoryLimit);
    }

    // Round a corner the array follows the path, not the last step.
    SwathTracker corner = Tracker(2.5);
    const SwathArray narrow{2.5, 1.0, 1.0};
    for (int x = 0; x <= 5; ++x) corner.Advance(x, 0, narrow);
    corner.Advance(5, 1, narrow);
    ExpectEdge(corner.Advance(5, 2, narrow).Current, {4.5, 1, 4.5, -1}, "on the east leg");
    ExpectEdge(corner.Advance(5, 3, narrow).Current, {4, 0.5, 6, 0.5}, "on the north leg");
}

TEST(SwathEdges, HistoryDropsItsFirstElevenPastForty) {
    // Eleven steps east, then north, with an offset longer than the path:
    // the direction is the history's first step, east until the 41st point
    // drops points 0..10 and the first step becomes the turn north.
    SwathTracker t = Tracker(100.0);
    const SwathArray array{100.0, 1.0, 1.0};
    SwathStep s;
    for (int i = 0; i <= 40; ++i) {
        s = t.Advance(std::min(i, 11), std::max(i - 11, 0), array);
        if (i == 39) ExpectEdge(s.Current, {-61, 1, -61, -1}, "40 points");
    }
    EXPECT_EQ(t.HistorySize(), 30u);
    ExpectEdge(s.Current, {10, -71, 12, -71}, "after the drop");
}

// Two two-sensor consoles 1 m apart, the antenna 1 m right of the first
// sensor and 0.5 m ahead of the array (along the path it walked): the swath
// reaches 1 + 0.5 (half the separation) to the left of the antenna and
// 3 - 1 + 0.5 to its right.
void TwoConsoleArray(Settings& s) {
    s.ConsoleCount = 2;
    s.ConsoleType[0] = s.ConsoleType[1] = 1;
    s.UnitSensorSeparation = s.ConsoleSeparation = 1.0;
    s.GpsOffsetX = 1.0;
    s.GpsOffsetY = 0.5;
    s.RecomputeAll();
}
void TwoConsoleArrayInFeet(Settings& s) {
    s.DisplayUnits = 1;
    TwoConsoleArray(s);
}

// A map on a 200 x 200 pane of 20 map units (10 pixels a unit), the swath's
// inputs and a data file in memory.
struct SwathMap {
    Settings settings;
    MemoryMapTiles tiles;
    MemoryFileSystem fs;
    ManualClock clock;
    // The recording the map reads and writes, under the names of its parts.
    std::unique_ptr<RecordingState> recording = std::make_unique<RecordingState>(fs, settings, clock);
    DataFile& file = recording->File;
    LoggingStatus& logging = recording->Logging;
    DataFileWriter& writer = recording->Writer;
    SensorTables& sensors = recording->Sensors;
    GpsPositionState& epochs = recording->GpsState;
    ConsoleReadingState* readings = &recording->Readings;
    MapOverflow& overflow = recording->MapOverflowState;
    int sizesShown = 0;  // calls to rewrite the "Map Size:" text
    MapCommands map{tiles, settings, *recording, clock, [] {}, [this] { ++sizesShown; }};

    // By default the array's edge reaches 2 units to either side of the
    // antenna, with no offset along the track.
    explicit SwathMap(bool pane = true, void (*array)(Settings&) = nullptr) {
        settings.MapSize = 20;
        settings.GpsOffsetY = 0.0;
        settings.SwathEdgeNear = settings.SwathEdgeFar = 2.0;
        if (array) array(settings);
        if (pane) map.SetPaneSize(200, 200);
        EXPECT_TRUE(file.Open("/d.mgr"));
        map.Reset();
        map.PrepareDrawing();
        map.SetReferencePosition(0.0, 0.0);
        map.Draw(1, 0.0, 0.0, 0.0);
    }
    void Walk(int32_t state, double east, double north) { map.Draw(state, north, east, 1.0); }
    std::string Bytes() { return fs.Files.begin()->second; }
    const RecordingCanvas& Overlay(int32_t c, int32_t r) { return tiles.Find(c, r)->Overlay; }
};

std::vector<std::string> CallsStarting(const RecordingCanvas& canvas, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& call : canvas.Calls)
        if (call.rfind(prefix, 0) == 0) found.push_back(call);
    return found;
}

std::string SegmentValues(const std::string& codes, const std::vector<double>& values) {
    std::string out;
    char text[32];
    for (size_t i = 0; i < codes.size(); ++i) {
        std::snprintf(text, sizeof text, "{%c%14.3f", codes[i], values[i % values.size()]);
        out += text + std::string(10, ' ') + "\n";
    }
    return out;
}

TEST(SwathSegments, FirstSecondAndLaterFixesNothingWhilePaused) {
    std::string files[2];
    for (bool pane : {true, false}) {
        SwathMap m(pane, TwoConsoleArray);
        m.Walk(1, 1, 0);   // group 0
        m.Walk(1, 2, 0);   // groups 1..4
        m.Walk(1, 3, 0);   // groups 2 and 4
        m.Walk(-1, 4, 0);  // paused: nothing
        m.map.ResetSwath();
        m.Walk(1, 5, 0);   // a new segment
        files[pane ? 0 : 1] = m.Bytes();
    }
    EXPECT_EQ(files[1], files[0]) << "without a laid-out pane the same records are written";
    const std::string& bytes = files[0];
    ASSERT_EQ(bytes.size(), 26u * RecordLength);
    std::string codes;
    for (size_t i = 0; i < bytes.size(); i += RecordLength) codes += bytes.substr(i, 2);
    EXPECT_EQ(codes, "{0{a{b{c{d{e{f{g{h{i{j{k{l{m{n{o{p{e{f{g{h{m{n{o{p{0");
    EXPECT_EQ(bytes.substr(0, RecordLength), "{0         0.000          \n");
}

TEST(SwathSegments, PreviousAndCurrentEdgeWalkingEastAndDiagonally) {
    // The array of TwoConsoleArray: 0.5 behind the antenna, 1.5 to its left
    // and 2.5 to its right.
    const struct {
        const char* name;
        void (*array)(Settings&);
        double points[3][2];
        std::vector<double> previous, current, next;
    } walks[] = {
        // East, u = (1, 0), left (0, 1): the first point's edge 0.5 behind
        // (1, 0) at x 0.5 from y 1.5 to -2.5, the second 0.5 back along the
        // path from (2, 0), the third from (3, 0).
        {"east", TwoConsoleArray, {{1, 0}, {2, 0}, {3, 0}}, {0.5, 1.5, 0.5, -2.5}, {1.5, 1.5, 1.5, -2.5},
         {2.5, 1.5, 2.5, -2.5}},
        // Steps of 5 along u = (0.6, 0.8), left (-0.8, 0.6), right (0.8, -0.6):
        // the array 0.5 behind (1, 0) at (0.7, -0.4), left end (0.7 - 1.2,
        // -0.4 + 0.9), right end (0.7 + 2.0, -0.4 - 1.5); behind (4, 4) at
        // (3.7, 3.6), behind (7, 8) at (6.7, 7.6).
        {"diagonal", TwoConsoleArray, {{1, 0}, {4, 4}, {7, 8}}, {-0.5, 0.5, 2.7, -1.9}, {2.5, 4.5, 5.7, 2.1},
         {5.5, 8.5, 8.7, 6.1}},
        // The same walk in feet: 0.5 m is 1.6404 ft, 1.5 m 4.9213 ft and
        // 2.5 m 8.2021 ft. Behind (1, 0) at (1 - 0.9843, -1.3123), left end
        // (0.0157 - 3.9370, -1.3123 + 2.9528), right end (0.0157 + 6.5617,
        // -1.3123 - 4.9213); each later edge 3 ft east and 4 ft north of the last.
        {"diagonal in feet", TwoConsoleArrayInFeet, {{1, 0}, {4, 4}, {7, 8}}, {-3.921, 1.640, 6.577, -6.234},
         {-0.921, 5.640, 9.577, -2.234}, {2.079, 9.640, 12.577, 1.766}},
    };
    for (const auto& w : walks) {
        SwathMap m(true, w.array);
        for (const auto& p : w.points) m.Walk(1, p[0], p[1]);
        const std::string expected = "{0         0.000          \n" + SegmentValues("abcd", w.previous) +
                                     SegmentValues("efgh", w.current) + SegmentValues("ijkl", w.previous) +
                                     SegmentValues("mnop", w.current) + SegmentValues("efgh", w.next) +
                                     SegmentValues("mnop", w.next);
        EXPECT_EQ(m.Bytes(), expected) << w.name;
    }
}

TEST(SwathPositions, MarksPerPositionSize) {
    // Walking north at x 5 with the edge from x 3 to 7 (px 30..70, in tile
    // column u 29..69); the edge at y 1 is bitmap row 189, at y 2 row 179.
    // Three consoles of one sensor 1 apart lie at 0.5, 1.5 and 2.5 of the
    // 3-wide swath: px 30 + 40 / 6, 50 and 70 - 40 / 6, as do the two sensors
    // of one console 1 apart on a 1.5-wide swath. Without a console the
    // track is the antenna's at px 50, whatever the display type.
    const struct { int32_t size, display, consoles, type; size_t lines, dots, sample; const char* call; } cases[] = {
        // Size 5's 2-pixel line is two 1-pixel lines, the second one pixel under the first.
        {4, 0, 1, 0, 4, 0, 1, "line 29,179 69,179"}, {5, 0, 1, 0, 8, 0, 2, "line 29,179 69,179"},
        {2, 0, 3, 0, 0, 12, 0, "ellipse 33,186 39,192"}, {2, 0, 3, 0, 0, 12, 2, "ellipse 59,186 65,192"},
        {2, 0, 1, 1, 0, 8, 0, "ellipse 33,186 39,192"},  {0, 0, 1, 0, 0, 4, 0, "ellipse 48,188 50,190"},
        {4, 1, 0, 0, 3, 0, 1, "line 49,179 49,169"},     {2, 1, 0, 0, 0, 4, 1, "ellipse 46,176 52,182"},
        {5, 0, 0, 0, 6, 0, 0, "line 49,189 49,179"},
    };
    for (const auto& c : cases) {
        SwathMap m;
        m.settings.MapDisplayType = c.display;
        m.settings.PositionSize = c.size;
        m.settings.ConsoleCount = c.consoles;
        for (int32_t& type : m.settings.ConsoleType) type = c.type;
        m.sensors = BuildSensorTables(m.settings);
        for (int north = 1; north <= 4; ++north) m.Walk(1, 5, north);
        const auto lines = CallsStarting(m.Overlay(1001, 1000), "line");
        const auto dots = CallsStarting(m.Overlay(1001, 1000), "ellipse");
        const std::string name = std::to_string(c.size) + "/" + std::to_string(c.consoles);
        EXPECT_EQ(lines.size(), c.lines) << name;
        EXPECT_EQ(dots.size(), c.dots) << name;
        EXPECT_EQ(CallsStarting(m.Overlay(1001, 1000), "pen").front(), "pen ff0000 1") << name;
        const auto& marks = c.lines ? lines : dots;
        if (c.sample < marks.size()) {
            EXPECT_EQ(marks[c.sample], c.call) << name;
        }
    }
}

TEST(SwathColour, EveryReadingHasItsShareOfTheStep) {
    // A 20-pixel step (2 units at 10 pixels a unit); sensor 0 has five
    // readings of classes 10..14 in its strip 0..0.5, four lines each;
    // sensor 1 one reading of class 30, which fills its strip 0.5..1.
    SwathMap m;
    m.sensors.SensorCount = 2;
    m.sensors.StripRight[0] = m.sensors.StripLeft[1] = 0.5;
    m.sensors.StripRight[1] = 1.0;
    const int32_t five[] = {10, 11, 12, 13, 14}, one[] = {30};
    StripReadings readings;
    readings.Classes[0] = five;
    readings.LastIndex[0] = 4;
    readings.Classes[1] = one;
    readings.LastIndex[1] = 0;
    TileStrokeBatch batch;
    auto strips = [&] {
        batch.Clear();
        AddColourStrips(batch, m.map.State(), {{0, 2}, {0, 0}}, {{2, 2}, {2, 0}}, m.sensors, readings);
    };
    strips();
    ASSERT_EQ(batch.Strokes().size(), 40u);
    for (int s = 0; s < 40; ++s) {
        const TileStroke& line = batch.Strokes()[s];
        const int x = s % 20;
        EXPECT_EQ(line.Ink, ColourClassColor(s < 20 ? 10 + x / 4 : 30)) << s;
        EXPECT_EQ(line.Width, 2);
        const int top = s < 20 ? 10 : 0;
        EXPECT_TRUE(line.From.X == x && line.From.Y == top + 10 && line.To.X == x && line.To.Y == top) << s;
    }
    // One sensor fills the whole cross-line; no readings, nothing.
    m.sensors.SensorCount = 1;
    strips();
    EXPECT_EQ(batch.Strokes()[7].To.Y, 0);
    readings.LastIndex[0] = -1;
    strips();
    EXPECT_TRUE(batch.Empty());
}

// What each sensor paints on 50 steps ("-" nothing), its readings taken in
// the steps given. Sensor 0 reads every fourth step (5 Hz consoles under a
// 20 Hz receiver) from step 1, is silent after step 17 and reads again at
// 41: its first reading's 2 steps since the segment began stand for its
// interval until the second, then 4, and the median of the last five
// samples, 4 even after the silence's 24, carries a reading over 7 steps
// and no further.
// Sensor 1 reads two at a time (half a step each): its one empty step, 3,
// stays white. Sensor 2 reads once a step: one missed step is covered, two
// are not. Sensor 3 is silent between its second and third readings: the
// lower median of 1 and 10 steps still carries a reading over one step only.
TEST(SwathColour, StepsWithoutAReadingShowTheLastOneForUnderTwoIntervals) {
    const struct {
        std::vector<int> steps;  // with a reading, of class 10, 11, ... in turn
        int perStep;
        const char* painted;     // per step: the class's last digit, or "-"
    } sensors[] = {
        {{1, 5, 9, 13, 17, 41}, 1, "-0000111122223333" "44444444" "----------------" "55555555" "-"},
        {{0, 1, 2, 4, 5, 6, 7}, 2, "135-7913"},
        {{0, 1, 2, 4, 7}, 1, "012233-4"},
        {{0, 1, 11}, 1, "011--------22-"},
    };
    StripCollector strips;
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        strips.Reset();
        const std::string expected = sensors[k].painted;
        std::string painted;
        int next = 10;
        for (int step = 0; step < int(expected.size()); ++step) {
            const auto& with = sensors[k].steps;
            if (std::find(with.begin(), with.end(), step) != with.end())
                for (int i = 0; i < sensors[k].perStep; ++i) strips.Take(k, next++);
            const StripReadings& shown = strips.CloseStep();
            const int last = shown.LastIndex[k];
            painted += last < 0 ? '-' : char('0' + shown.Classes[k][last] % 10);
        }
        EXPECT_EQ(painted, expected);
    }
    // A new segment forgets the reading and the interval.
    strips.Take(0, 10);
    strips.CloseStep();
    strips.Reset();
    EXPECT_EQ(strips.CloseStep().LastIndex[0], -1);
}

// Live, the epochs closed at the positions where the antenna stood still
// join the next step, as the replay, which has no edge there, gathers them;
// and a step holds at most 500 readings a sensor, the last kept one carried.
TEST(SwathColour, LiveStepGathersEveryEpochSinceTheLastEdge) {
    SwathMap m;
    m.settings.MapDisplayType = 1;
    m.sensors.SensorCount = 1;
    auto epoch = [&](std::vector<int32_t> classes) {
        m.epochs.ClosedEpochHasReadings = classes.empty() ? 0 : 1;
        m.epochs.ClosedEpochLastIndex[0] = int32_t(classes.size()) - 1;
        std::copy(classes.begin(), classes.end(), m.readings->AmplitudeQueue[0][0]);
    };
    epoch({});
    m.Walk(1, 5, 1);  // the segment opens
    epoch({20});
    m.Walk(1, 5, 2);  // a 10-pixel step of class 20
    epoch({30});
    m.map.Draw(1, 2.0, 5.0, 0.0);  // standing still: no edge
    epoch({40});
    m.Walk(1, 5, 3);  // classes 30 and 40, five lines each
    // Classes 20 (0, 255, 16), 30 (240, 255, 0) and 40 (255, 64, 0).
    EXPECT_EQ(CallsStarting(m.Overlay(1001, 1000), "pen "),
              (std::vector<std::string>{"pen 10ff00 1", "pen 00fff0 1", "pen 0040ff 1"}));
    EXPECT_EQ(CallsStarting(m.Overlay(1001, 1000), "line").size(), 2u * 20);

    StripCollector strips;
    for (int i = 0; i < 501; ++i) strips.Take(0, i % 50);
    const StripReadings& shown = strips.CloseStep();
    ASSERT_EQ(shown.LastIndex[0], 499);
    EXPECT_EQ(shown.Classes[0][499], 49);

    // 300 readings of class 10 standing still, then 300 of class 20 in a
    // 10-pixel step: the first 500 are kept, cross-lines 0..5 show readings
    // 0..250 and 6..9 readings 300..450.
    SwathMap full;
    full.settings.MapDisplayType = 1;
    full.sensors.SensorCount = 1;
    full.Walk(1, 5, 1);
    full.epochs.ClosedEpochHasReadings = 1;
    full.epochs.ClosedEpochLastIndex[0] = 299;
    std::fill_n(full.readings->AmplitudeQueue[0][0], 300, 10);
    full.map.Draw(1, 1.0, 5.0, 0.0);
    std::fill_n(full.readings->AmplitudeQueue[0][0], 300, 20);
    full.Walk(1, 5, 2);
    const test::TileStrokes drawn = test::OverlayStrokes(full.tiles);
    EXPECT_EQ(test::CountStrokes(drawn, 10), 6);
    EXPECT_EQ(test::CountStrokes(drawn, 20), 4);
}

// On a map of 15,000 units a 4-unit swath and its 1-unit steps lie inside
// one pixel; every strip and edge is still drawn, one pixel long, so the
// survey shows (walked where the pixel is inside a tile, not on its edge).
TEST(SwathColour, StripsAndEdgesKeepOnePixelOnACoarseMap) {
    for (int32_t display : {1, 0}) {
        SCOPED_TRACE(display);
        SwathMap m(true, TwoConsoleArray);
        m.settings.MapSize = 15000;
        m.settings.MapDisplayType = display;
        m.settings.PositionSize = 4;
        m.sensors = BuildSensorTables(m.settings);
        m.map.Reset();
        m.map.PrepareDrawing();
        m.map.SetReferencePosition(0.0, 0.0);
        m.map.Draw(1, 0.0, 0.0, 0.0);
        m.epochs.ClosedEpochHasReadings = 1;
        for (int k = 0; k < 4; ++k) m.readings->AmplitudeQueue[k][0][0] = 10 * k;
        for (int north = 1; north <= 4; ++north) m.Walk(1, 5000, 7500 + north);
        std::vector<std::string> lines;
        for (const auto& [key, tile] : m.tiles.Tiles) {
            for (const std::string& call : CallsStarting(tile.Overlay, "line")) lines.push_back(call);
        }
        // Colour: 3 steps of 4 sensors, each a 2-pixel line one pixel long
        // (two 1-pixel lines); positions: the 4 edges of 1-pixel lines.
        ASSERT_EQ(lines.size(), display == 1 ? 3u * 4 * 2 : 4u) << ::testing::PrintToString(lines);
        for (const std::string& line : lines) {
            int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            ASSERT_EQ(std::sscanf(line.c_str(), "line %d,%d %d,%d", &x0, &y0, &x1, &y1), 4) << line;
            EXPECT_EQ(x1 - x0, 1) << line;
            EXPECT_EQ(y1, y0) << line;
        }
    }
}

TEST(TileDrawing, StrokesReachEveryTileTheyTouch) {
    SwathMap m;
    TileStrokeBatch batch;
    batch.AddLine({-5, 50}, {5, 50}, Rgb(1, 2, 3), 1);  // across columns 1000 | 1001
    batch.AddDot({0, 0}, 1, Rgb(4, 5, 6));               // on the corner of four tiles
    batch.Paint(m.map.State(), m.tiles);
    const struct { int32_t c, r; const char* call; } expected[] = {
        {1000, 1000, "line 194,149 204,149"}, {1001, 1000, "line -6,149 4,149"},
        {1000, 1000, "ellipse 197,197 201,201"}, {1001, 1000, "ellipse -3,197 1,201"},
        {1000, 999, "ellipse 197,-3 201,1"},    {1001, 999, "ellipse -3,-3 1,1"},
    };
    for (const auto& e : expected) {
        const auto& calls = m.Overlay(e.c, e.r).Calls;
        EXPECT_NE(std::find(calls.begin(), calls.end(), e.call), calls.end()) << e.c << "," << e.r << " " << e.call;
    }
    EXPECT_TRUE(CallsStarting(m.Overlay(1000, 999), "line").empty());
    // A dot near a tile that was never made makes it.
    batch.Clear();
    batch.AddDot({0, 300}, 3, Rgb(4, 5, 6));
    batch.Paint(m.map.State(), m.tiles);
    ASSERT_NE(m.tiles.Find(1001, 1001), nullptr);
    EXPECT_EQ(CallsStarting(m.Overlay(1001, 1001), "ellipse"), std::vector<std::string>{"ellipse -5,95 3,103"});
}

// Overlapping strokes must land in a tile in the order they were added,
// whether a batch touches a few tiles or many.
TEST(TileDrawing, StrokesKeepTheirOrderInEachTile) {
    for (int32_t tileCount : {3, 40}) {
        SCOPED_TRACE(tileCount);
        SwathMap m;
        const int32_t w = m.map.State().TileWidth;
        TileStrokeBatch batch;
        std::map<int32_t, std::vector<std::string>> expected;  // tile column -> its line calls
        for (int32_t i = 0; i < 3 * tileCount; ++i) {
            const int32_t c = 1001 + (i * 7) % tileCount;  // the tiles interleaved
            const int32_t x = (c - 1001) * w + 50;
            batch.AddLine({x, 10 + i}, {x + 5, 10 + i}, Rgb(1, 2, 3), 1);
            const int32_t row = w - 1 - (10 + i);
            expected[c].push_back("line 49," + std::to_string(row) + " 54," + std::to_string(row));
        }
        batch.Paint(m.map.State(), m.tiles);
        for (const auto& [c, calls] : expected) EXPECT_EQ(CallsStarting(m.Overlay(c, 1000), "line"), calls) << c;
    }
}

// Every change of MapSize in review reaches the "Map Size:" text: the zoom,
// and the return to the size of before when the review ends.
TEST(MapReview, MapSizeShownAfterZoomAndAfterLeaving) {
    SwathMap m;
    m.map.EnterReview();
    m.map.Navigate(CodeNavFirst + 4);  // "Zoom&+"
    EXPECT_EQ(m.settings.MapSize, 19);
    EXPECT_EQ(m.sizesShown, 1);
    m.map.ExitReview();
    EXPECT_EQ(m.settings.MapSize, 20);
    EXPECT_EQ(m.sizesShown, 2);
}

}  // namespace
}  // namespace tesselog
