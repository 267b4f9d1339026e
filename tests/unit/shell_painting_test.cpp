#include <gtest/gtest.h>

#include <algorithm>

#include "core/shell/array_sketch.h"
#include "core/shell/main_painting.h"

namespace tesselog {
namespace {

// The client area of the 1024 x 762 window.
constexpr int32_t W = 1018, H = 733;

TEST(ShellSketch, DefaultArray) {
    Settings s;  // three two-sensor consoles 1 m apart, antenna 2.5 m across and 0.5 m ahead
    ArraySketch k = ComputeArraySketch(s, W, H);
    EXPECT_NEAR(k.Scale, 0.7 * 778 / 5.0, 1e-9);  // the width limits the scale
    ASSERT_EQ(k.SensorCount, 6);
    EXPECT_EQ(k.Sensors[0], (Point{137, 529}));
    EXPECT_EQ(k.Sensors[5], (Point{681, 529}));
    EXPECT_EQ(k.Antenna, (Point{409, 474}));  // centred across, above the sensors
    EXPECT_EQ(k.AntennaRadius, 44);           // twice the 0.2 size factor, scaled
    EXPECT_EQ(k.Reference, k.Sensors[0]);     // leading point 1
    EXPECT_EQ(k.ConsoleCount, 3);
    for (int c = 0; c < 3; ++c) {
        EXPECT_LT(k.Consoles[c].Left, k.Sensors[2 * c].X - k.SensorRadius) << c;
        EXPECT_GT(k.Consoles[c].Right, k.Sensors[2 * c + 1].X + k.SensorRadius) << c;
        if (c > 0) {
            EXPECT_LT(k.Consoles[c - 1].Right, k.Consoles[c].Left) << c;
        }
    }
}

TEST(ShellSketch, ExtentScaleAndReference) {
    struct Case {
        const char* name;
        int32_t consoles;
        int32_t type;
        double x, y;
        int32_t leading;
        double scale;
        int32_t referenceX;  // -1: not checked
    } cases[] = {
        // an X beyond the 3 m array replaces its width; the cross midway along the array, left of centre
        {"offset beyond the array", 4, 0, 6.0, 1.0, 0, 0.7 * 778 / 6.0, 273},
        // a negative X adds its magnitude (extent -2..3); the cross on sensor 4, the last
        {"offset left of the array", 4, 0, -2.0, 1.0, 4, 0.7 * 778 / 5.0, 681},
        // the height limits the scale: 0.7 * 443 / 3
        {"far ahead", 2, 1, 1.0, -3.0, 0, 0.7 * 443 / 3.0, -1},
    };
    for (const Case& c : cases) {
        Settings s;
        s.ConsoleCount = c.consoles;
        for (auto& t : s.ConsoleType) t = c.type;
        s.GpsOffsetX = c.x;
        s.GpsOffsetY = c.y;
        s.LeadingPoint = c.leading;
        s.RecomputeAll();
        ArraySketch k = ComputeArraySketch(s, W, H);
        EXPECT_NEAR(k.Scale, c.scale, 1e-9) << c.name;
        if (c.referenceX >= 0) {
            EXPECT_NEAR(k.Reference.X, c.referenceX, 1) << c.name;
        }
        for (int i = 0; i < k.SensorCount; ++i) {  // the whole picture stays in the area
            const Point p = k.Sensors[i];
            EXPECT_TRUE(p.X > k.Area.Left && p.X < k.Area.Right && p.Y > k.Area.Top && p.Y < k.Area.Bottom) << c.name;
        }
        EXPECT_GE(k.Antenna.Y - k.AntennaRadius, k.Area.Top) << c.name;
    }
}

TEST(ShellSketch, DegenerateArrays) {
    Settings s;
    s.ConsoleCount = 1;
    s.ConsoleType[0] = 0;
    s.GpsOffsetX = 0.0;
    s.GpsOffsetY = 0.0;
    s.RecomputeAll();
    // A single sensor under the antenna: both extents fall back to the size factor.
    ArraySketch k = ComputeArraySketch(s, W, H);
    EXPECT_NEAR(k.Scale, 0.7 * 443 / 0.1, 1e-9);
    EXPECT_EQ(k.Antenna.Y - k.AntennaRadius, k.Area.Top);  // cut so it never reaches above the area

    s.ConsoleCount = 0;
    s.GpsOffsetX = 1.0;
    s.RecomputeAll();
    k = ComputeArraySketch(s, W, H);
    EXPECT_EQ(k.SensorCount, 0);
    EXPECT_EQ(k.AntennaRadius, 25);
    EXPECT_TRUE(k.ReferenceTick);
    EXPECT_EQ(k.TickFrom.X, k.TickTo.X);
    EXPECT_LT(k.TickFrom.X, k.Antenna.X);

    s.ConsoleCount = 9;
    s.ConsoleSeparation = 1e308;  // outside input: the sum overflows, nothing may follow it
    s.RecomputeAll();
    k = ComputeArraySketch(s, W, H);
    EXPECT_EQ(k.SensorCount, 17);
    EXPECT_GT(k.Scale, 0.0);
}

bool Has(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

TEST(ShellPainting, MainWindow) {
    Settings s;
    RecordingCanvas canvas;
    PaintMainWindow(canvas, s, W, H);
    const auto& calls = canvas.Calls;
    // The window's own texts at their columns; the frame's lines are left to
    // the first-start screenshots.
    for (const char* call : {
             "text 988,697 Brenvik Software Inc.", "text 988,633 Tesselog", "text 988,663 V 2.16",
             // Columns from the text font (7 pixels a character): "AUTO" 28, "Pseudo GGA" 70.
             "text 321,30 CURRENT PROGRAM SETTINGS", "text 171,60 SURVEY PARAMETERS", "text 519,60 SYSTEM SETUP",
             "text 171,90 Separation:", "text 629,215 GGA/GSA", "text 409,252 Array Geometry Setup",
         })
        EXPECT_TRUE(Has(calls, call)) << call;
    // Six red sensor circles after the red pen.
    auto red = std::find(calls.begin(), calls.end(), "pen 0000ff 2");
    ASSERT_NE(red, calls.end());
    EXPECT_EQ(std::count_if(red, calls.end(), [](const std::string& c) { return c.rfind("ellipse", 0) == 0; }), 6);
    EXPECT_EQ(calls.back(), "clip none");
}

}  // namespace
}  // namespace tesselog
