// The profile and second-plot panes drawn by GDI into memory bitmaps and
// read back pixel by pixel.
#include <gtest/gtest.h>

#include "core/common/colour_palette.h"
#include "core/logscreen/profile_painting.h"
#include "platform/memory_surface.h"
#include "windows/gdi_canvas.h"

namespace tesselog::win32 {
namespace {

constexpr COLORREF White = RGB(255, 255, 255), Grey = RGB(192, 192, 192), Black = RGB(0, 0, 0);

struct Probe { int x, y; COLORREF expected; const char* what; };

void ExpectPixels(const Surface& s, std::initializer_list<Probe> probes) {
    for (const Probe& p : probes) EXPECT_EQ(s.At(p.x, p.y), p.expected) << p.what << " at " << p.x << "," << p.y;
}

ProfilePaneState Panes(double scaleMin, double scaleMax, int width, int height) {
    Settings settings;
    settings.ReadingsScaleMin = scaleMin;
    settings.ReadingsScaleMax = scaleMax;
    settings.ProfilePaneHeight = settings.DecayPaneHeight = height;
    settings.RecomputePixelsPerUnit();
    ProfilePaneState state;
    SetProfilePaneWidths(state, width, width);
    ComputeProfileGrid(state, settings);
    ComputeBarGrid(state, settings);
    return state;
}

TEST(ProfilePanePixels, StepMovesTheImageAndDrawsTheNewSegment) {
    const int w = 200, h = 100, x = w - ProfileStepX;
    const COLORREF red = RGB(255, 0, 0);
    ProfilePaneState state = Panes(0, 500, w, h);  // grid rows 79, 59, 39, 19
    ProfilePens pens;
    pens.CurveColor[0] = Rgb(255, 0, 0);
    pens.CurveWidth[0] = 2;
    Surface pane(w, h);
    SetPixel(pane.Dc, 50, 30, Black);
    const int32_t first[2] = {40, 0}, second[2] = {60, 0};
    pane.Paint([&](Canvas& c) { ScrollProfile(c, state, pens, 0, false, first); });
    ExpectPixels(pane, {{48, 30, Black, "two pixels left"}, {50, 30, White, "moved away"},
                        {x, 40, red, "the first point"}, {x, 79, Grey, "grid on the erased columns"}});
    pane.Paint([&](Canvas& c) { ScrollProfile(c, state, pens, 0, false, second); });
    ExpectPixels(pane, {{46, 30, Black, "two more"}, {x - 2, 40, red, "the first point moved, where the segment starts"},
                        {x - 1, 50, red, "the segment"}, {x, 59, red, "the segment reaches x = W - 10"},
                        {x, 30, White, "erased"}, {x + 1, 19, Grey, "grid"}});
}

TEST(ProfilePanePixels, BarCrossingTheZeroLine) {
    const COLORREF blue = RGB(0, 0, 255);
    ProfilePaneState state = Panes(-50, 50, 40, 100);  // zero row 50; grid 37, 25, 12, 62, 75, 87
    ProfilePens pens;
    pens.CurveColor[0] = Rgb(0, 0, 255);
    Surface pane(40, 100);
    const int32_t up[2] = {30, 0}, down[2] = {70, 0};
    pane.Paint([&](Canvas& c) { UpdateBars(c, state, pens, 0, false, up); });
    ExpectPixels(pane, {{20, 40, blue, "above the zero line"}, {20, 60, White, "below it"}});
    pane.Paint([&](Canvas& c) { UpdateBars(c, state, pens, 0, false, down); });
    ExpectPixels(pane, {{20, 40, White, "erased back to the zero line"}, {12, 35, White, "one pixel wider than the bar"},
                        {20, 55, blue, "redrawn below it"}, {20, 69, blue, "to its top row"}, {20, 71, White, "not past"},
                        {20, 50, Grey, "the zero line over the bar"}, {20, 62, Grey, "a grid line over the bar"}});
}

}  // namespace
}  // namespace tesselog::win32
