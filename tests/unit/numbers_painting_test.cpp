#include "core/logscreen/numbers_painting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/gps/position_handler.h"

namespace tesselog {
namespace {

bool Has(const RecordingCanvas& c, const std::string& call) {
    return std::find(c.Calls.begin(), c.Calls.end(), call) != c.Calls.end();
}

std::vector<std::string> Starting(const RecordingCanvas& c, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& call : c.Calls) {
        if (call.compare(0, prefix.size(), prefix) == 0) out.push_back(call);
    }
    return out;
}

TEST(NumbersPaneTest, ReadingTextsKeepEightCharacters) {
    const struct {
        double Value;
        const char* Text;
    } cases[] = {
        {999.94, "   999.9"},  {-999.94, "  -999.9"}, {1000.0, "    1000"},  {99999.4, "   99999"},
        {-250000, " -100000"}, {100000, "  100000"},  {0.0, "     0.0"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadingNumberText(c.Value), c.Text) << c.Value;
}

// A 140 x 82 pane with three consoles and 18-pixel lines: rows 18 high
// under a 26-pixel header, value columns 60 wide right of a 20-pixel column.
NumbersPaneGeometry ThreeConsoles() { return ComputeNumbersPane(140, 4 * 18 + 10, 18, 3); }

TEST(NumbersPaneTest, HeaderNamesTheSensorsAndNumbersTheRows) {
    const NumbersPaneGeometry pane = ThreeConsoles();
    ASSERT_EQ(pane.RowHeight, 18);
    ASSERT_EQ(pane.ValueColumnWidth, 60);

    RecordingCanvas one;
    DrawNumbersHeader(one, pane, false);
    EXPECT_TRUE(Has(one, "text 10,7 #"));
    EXPECT_TRUE(Has(one, "text 50,7 Sensor"));
    EXPECT_TRUE(Starting(one, "text 110,").empty());
    EXPECT_EQ(Starting(one, "text 1,"), (std::vector<std::string>{"text 1,26 1 ", "text 1,44 2 ", "text 1,62 3 "}));
    EXPECT_EQ(one.Calls.back(), "textcolor ffffff");

    RecordingCanvas two;
    DrawNumbersHeader(two, pane, true);
    EXPECT_TRUE(Has(two, "text 50,7 Sensor L"));
    EXPECT_TRUE(Has(two, "text 110,7 Sensor R"));
}

TEST(NumbersPaneTest, ReadingsEndTenPixelsBeforeTheirColumnEdge) {
    const NumbersPaneGeometry pane = ThreeConsoles();
    RecordingCanvas one, two;  // 7-pixel cells: eight characters are 56 wide
    DrawReadingNumbers(one, pane, 1, 999.94, 55.0, false);
    EXPECT_TRUE(Has(one, "fill 20,44 140,62 ffffff"));
    EXPECT_EQ(Starting(one, "text "), (std::vector<std::string>{"text 14,44    999.9"}));

    DrawReadingNumbers(two, pane, 2, 1000.0, -250000, true);
    EXPECT_EQ(Starting(two, "text "), (std::vector<std::string>{"text 14,62     1000", "text 74,62  -100000"}));
}

TEST(SpeedBarTest, BlueGrowsWithTheSpeed) {
    const double scale = 5.0, perUnit = 480 / scale;
    const struct {
        double Speed;
        std::vector<std::string> Rects;  // blue, then white
    } cases[] = {
        {0.0, {"rect 0,0 480,8", "rect 0,0 480,8"}},
        {2.5, {"rect 0,0 480,8", "rect 240,0 480,8"}},
        {7.0, {"rect 0,0 480,8"}},
    };
    for (const auto& c : cases) {
        RecordingCanvas canvas;
        DrawSpeedBar(canvas, 480, 8, SpeedBarOffset(scale, c.Speed, perUnit));
        EXPECT_EQ(Starting(canvas, "rect"), c.Rects) << c.Speed;
        EXPECT_EQ(Starting(canvas, "brush").size(), c.Rects.size()) << c.Speed;
        EXPECT_EQ(canvas.Calls[1], "brush ff0000");
    }
}

// The cells and their colours are read back as pixels by the platform test;
// here the captions, ticks and labels.
TEST(ColourScaleTest, CaptionsTicksAndLabels) {
    RecordingCanvas c;
    PaintColourScale(c, -10.0, 30.0);
    EXPECT_TRUE(Has(c, "text 18,4 GRAD SCALE"));
    EXPECT_TRUE(Has(c, "text 136,4 MAG SCALE"));
    // Ticks at the first and last cell, the middle and the quarters.
    EXPECT_EQ(Starting(c, "line 63,"),
              (std::vector<std::string>{"line 63,33 69,33", "line 63,273 69,273", "line 63,153 69,153",
                                        "line 63,90 69,90", "line 63,215 69,215"}));
    // Labels beside their ticks, the ends moved by a cell.
    EXPECT_EQ(Starting(c, "text 5,"),
              (std::vector<std::string>{"text 5,267 -10.00", "text 5,210 0.00", "text 5,147 10.00",
                                        "text 5,85 20.00", "text 5,27 30.00"}));
}

}  // namespace
}  // namespace tesselog
