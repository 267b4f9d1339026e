#include "core/logscreen/numbers_painting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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
    // The console numbers centred in their 18-pixel rows, as the readings.
    EXPECT_EQ(Starting(one, "text 1,"), (std::vector<std::string>{"text 1,28 1 ", "text 1,46 2 ", "text 1,64 3 "}));
    EXPECT_EQ(one.Calls.back(), "textcolor ffffff");

    RecordingCanvas two;
    DrawNumbersHeader(two, pane, true);
    EXPECT_TRUE(Has(two, "text 50,7 Sensor L"));
    EXPECT_TRUE(Has(two, "text 110,7 Sensor R"));
}

TEST(NumbersPaneTest, ReadingsEndTenPixelsBeforeTheirColumnEdge) {
    const NumbersPaneGeometry pane = ThreeConsoles();
    RecordingCanvas one, two;  // 7-pixel cells: eight characters are 56 wide, 14 high
    DrawReadingNumbers(one, pane, 1, 999.94, 55.0, false);
    EXPECT_TRUE(Has(one, "fill 20,44 140,62 ffffff"));
    EXPECT_EQ(Starting(one, "text "), (std::vector<std::string>{"text 14,46    999.9"}));

    DrawReadingNumbers(two, pane, 2, 1000.0, -250000, true);
    EXPECT_EQ(Starting(two, "text "), (std::vector<std::string>{"text 14,64     1000", "text 74,64  -100000"}));
}

// Warned cells in two rows and both columns: each orange cell stands a pixel
// inside its column (x 20..80 and 80..140) and its row (y 26..44 and
// 44..62), so white rows 43 and 44 and columns 79 and 80 part them; each
// reason is centred in its cell ("frozen", 42 wide in 58, from 29; "no
// value", 56 wide, from 82 but kept 2 from the edge at 83), one wider than
// its cell starts 2 inside it ("saturated", 63 wide), and every text sits
// one row below its cell's top, as the reading beside it.
TEST(NumbersPaneTest, WarnedCellsKeepTheirOwnMarginsAndCentredTexts) {
    const NumbersPaneGeometry pane = ThreeConsoles();
    RecordingCanvas c;
    const std::string first[2] = {"frozen", ""}, second[2] = {"saturated", "no value"};
    DrawReadingNumbers(c, pane, 0, 0.0, 55.0, true, first);
    DrawReadingNumbers(c, pane, 1, 0.0, 0.0, true, second);
    EXPECT_EQ(Starting(c, "fill "), (std::vector<std::string>{"fill 20,26 140,44 ffffff", "fill 21,27 79,43 00a0ff",
                                                             "fill 20,44 140,62 ffffff", "fill 21,45 79,61 00a0ff",
                                                             "fill 81,45 139,61 00a0ff"}));
    EXPECT_EQ(Starting(c, "textin "), (std::vector<std::string>{"textin 21,27 79,43 29,28 frozen",
                                                               "textin 21,45 79,61 23,46 saturated",
                                                               "textin 81,45 139,61 83,46 no value"}));
    EXPECT_EQ(Starting(c, "text "), (std::vector<std::string>{"text 74,28     55.0"}));
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

// The window's client area under Wine is 106 by 271 (112 by 296 less the
// caption and the frame). The recording canvas's text is 14 high and 7 a
// character. Under the caption (rows 4..17) 251 rows are left: with the
// frame's two rows, 50 cells of 5 fit, from row 19 to 268. The ticks are at
// 19 + 245, + 187, + 125, + 62 and + 5; each value is centred on its tick
// (7 above), the top one kept under the caption at 18. The bar stands 12
// from the right (frame 73..94), the ticks 61..67 and the values end at 59.
TEST(ColourScaleTest, OneScaleWithItsFiveValuesInsideTheWindow) {
    RecordingCanvas c;
    PaintColourScale(c, 106, 271, -10.0, 30.0);
    EXPECT_TRUE(Has(c, "text 18,4 GRAD SCALE"));
    EXPECT_TRUE(Starting(c, "text 136,").empty()) << "one scale only";
    EXPECT_EQ(Starting(c, "line 61,"), (std::vector<std::string>{"line 61,264 67,264", "line 61,206 67,206",
                                                                  "line 61,144 67,144", "line 61,81 67,81",
                                                                  "line 61,24 67,24"}));
    const std::vector<std::string> values = Starting(c, "text 59,");
    EXPECT_EQ(values, (std::vector<std::string>{"text 59,257 -10.00", "text 59,199 0.00", "text 59,137 10.00",
                                                "text 59,74 20.00", "text 59,18 30.00"}));
    // Right-aligned at 59: the widest, "-10.00", starts at 59 - 42; every
    // value lies between the caption and the window's bottom.
    for (const std::string& v : values) {
        int y = 0;
        ASSERT_EQ(std::sscanf(v.c_str(), "text 59,%d", &y), 1);
        EXPECT_TRUE(y >= 18 && y + 14 <= 271) << v;
    }
    EXPECT_TRUE(Has(c, "fill 74,19 94,24 ff00ff")) << "colour 49 on top";
    EXPECT_TRUE(Has(c, "fill 74,264 94,269 ff0020")) << "colour 0 at the bottom";
    // A window with more room keeps the cells at 280 / 50 = 5 and centres
    // the bar; one with less makes them smaller rather than cut the bar.
    EXPECT_EQ(ComputeColourScale(50, 106, 400, 14).CellHeight, 5);
    EXPECT_EQ(ComputeColourScale(50, 106, 400, 14).Top, 19 + (400 - 20 - 250) / 2);
    EXPECT_EQ(ComputeColourScale(50, 106, 200, 14).CellHeight, 3);  // 180 rows: 50 cells of 3
}

}  // namespace
}  // namespace tesselog
