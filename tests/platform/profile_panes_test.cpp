// The profile and second-plot panes and the colour scale drawn by GDI into
// memory bitmaps and read back pixel by pixel.
#include <gtest/gtest.h>

#include "core/logscreen/colour_palette.h"
#include "core/logscreen/numbers_painting.h"
#include "core/logscreen/profile_painting.h"
#include "platform/memory_surface.h"
#include "windows/gdi_canvas.h"

namespace tesselog::win32 {
namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Grey = RGB(192, 192, 192);

ProfilePaneState Panes(double scaleMin, double scaleMax, int width, int height) {
    Settings settings;
    settings.ReadingsScaleMin = scaleMin;
    settings.ReadingsScaleMax = scaleMax;
    settings.ProfilePaneHeight = height;
    settings.DecayPaneHeight = height;
    settings.RecomputePixelsPerUnit();
    ProfilePaneState state;
    SetProfilePaneWidths(state, width, width);
    ComputeProfileGrid(state, settings);
    ComputeBarGrid(state, settings);
    return state;
}

TEST(ProfilePanePixels, StepMovesTheImageAndDrawsTheNewSegment) {
    const int w = 200, h = 100, x = w - ProfileStepX;
    ProfilePaneState state = Panes(0, 500, w, h);  // grid rows 79, 59, 39, 19
    ProfilePens pens;
    pens.CurveColor[0] = Rgb(255, 0, 0);
    pens.CurveWidth[0] = 2;
    Surface pane(w, h);
    SetPixel(pane.Dc, 50, 30, RGB(0, 0, 0));

    const int32_t first[2] = {40, 0}, second[2] = {60, 0};
    pane.Paint([&](Canvas& c) { ScrollProfile(c, state, pens, 0, false, first); });
    EXPECT_EQ(pane.At(48, 30), RGB(0, 0, 0)) << "two pixels left";
    EXPECT_EQ(pane.At(50, 30), White);
    EXPECT_EQ(pane.At(x, 40), RGB(255, 0, 0)) << "the first point";
    EXPECT_EQ(pane.At(x, 79), Grey) << "grid on the erased columns";

    pane.Paint([&](Canvas& c) { ScrollProfile(c, state, pens, 0, false, second); });
    EXPECT_EQ(pane.At(46, 30), RGB(0, 0, 0));
    EXPECT_EQ(pane.At(x - 2, 40), RGB(255, 0, 0)) << "the first point moved, where the segment starts";
    EXPECT_EQ(pane.At(x - 1, 50), RGB(255, 0, 0)) << "the segment";
    EXPECT_EQ(pane.At(x, 59), RGB(255, 0, 0)) << "the segment reaches x = W - 10";
    EXPECT_EQ(pane.At(x, 30), White);
    EXPECT_EQ(pane.At(x + 1, 19), Grey);
}

TEST(ProfilePanePixels, BarCrossingTheZeroLine) {
    const int w = 40, h = 100;
    ProfilePaneState state = Panes(-50, 50, w, h);  // zero row 50; grid 37, 25, 12, 62, 75, 87
    ProfilePens pens;
    pens.CurveColor[0] = Rgb(0, 0, 255);
    Surface pane(w, h);
    const int32_t up[2] = {30, 0}, down[2] = {70, 0};
    pane.Paint([&](Canvas& c) { UpdateBars(c, state, pens, 0, false, up); });
    EXPECT_EQ(pane.At(20, 40), RGB(0, 0, 255)) << "above the zero line";
    EXPECT_EQ(pane.At(20, 60), White);

    pane.Paint([&](Canvas& c) { UpdateBars(c, state, pens, 0, false, down); });
    EXPECT_EQ(pane.At(20, 40), White) << "erased back to the zero line";
    EXPECT_EQ(pane.At(12, 35), White) << "one pixel wider than the bar";
    EXPECT_EQ(pane.At(20, 55), RGB(0, 0, 255)) << "redrawn below it";
    EXPECT_EQ(pane.At(20, 69), RGB(0, 0, 255));
    EXPECT_EQ(pane.At(20, 71), White);
    EXPECT_EQ(pane.At(20, 50), Grey) << "the zero line over the bar";
    EXPECT_EQ(pane.At(20, 62), Grey) << "a grid line over the bar";
}

TEST(ColourScalePixels, FiftyCellsOfFiveFromRow28) {
    Surface window(220, 310);
    window.Paint([](Canvas& c) { PaintColourScale(c, 0.0, 500.0); });
    for (int bar : {75, 187}) {
        const int x = bar + 10;
        EXPECT_EQ(window.At(x, 29), ColourClassColor(49)) << "top cell, scale at " << bar;
        EXPECT_EQ(window.At(x, 150), ColourClassColor(25)) << "rows 148..152";
        EXPECT_EQ(window.At(x, 277), ColourClassColor(0)) << "bottom cell";
        EXPECT_EQ(window.At(x, 20), White);
        EXPECT_EQ(window.At(x, 278), White) << "250 rows from 28 end at 278";
    }
    EXPECT_EQ(window.At(85, 26), RGB(64, 64, 64)) << "the first frame two rows above the top at 28";
}

}  // namespace
}  // namespace tesselog::win32
