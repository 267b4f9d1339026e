// The shared pens and brushes: a canvas draws with them in the right colour
// and width without making objects of its own, and a remake after the
// options change replaces the settings' objects one for one.
#include <gtest/gtest.h>

#include "core/common/colour_palette.h"
#include "platform/memory_surface.h"
#include "windows/gdi_canvas.h"
#include "windows/gdi_objects.h"
#include "windows/process_resources.h"

namespace tesselog::win32 {
namespace {

Settings ColouredSettings(Color cursor, Color position, Color left, int thickness) {
    Settings s;
    s.CursorColor = static_cast<int32_t>(cursor);
    s.PositionColor = static_cast<int32_t>(position);
    s.ProfileColor[0] = static_cast<int32_t>(left);
    s.ProfileThickness[0] = thickness;
    return s;
}

TEST(GdiObjects, CanvasDrawsWithSharedObjectsAndMakesNoneOfItsOwn) {
    GdiObjectCache cache;
    cache.Remake(ColouredSettings(Rgb(10, 20, 30), Rgb(200, 100, 50), Rgb(7, 8, 9), 3));
    InstallGdiObjects(&cache);
    Surface surface(64, 64);
    // OwnObjects: the pen and brush that the canvas has to make.
    const struct { const char* What; Color Colour; int Width; size_t OwnObjects; } cases[] = {
        {"thick grid", Rgb(192, 192, 192), 2, 0},
        {"dark grey", Rgb(64, 64, 64), 1, 1},
        {"amplitude class 0", ColourClassColor(0), 2, 0},
        {"amplitude class 49", ColourClassColor(49), 2, 0},
        {"cursor", Rgb(10, 20, 30), 1, 1},
        {"2-pixel position", Rgb(200, 100, 50), 2, 0},
        {"left curve", Rgb(7, 8, 9), 3, 0},
        {"left bar", Rgb(7, 8, 9), 1, 0},
        {"amplitude colour at another width", ColourClassColor(5), 3, 1},
        {"a colour of no table", Rgb(1, 2, 3), 1, 2},
    };
    auto draw = [&](GdiCanvas& canvas, Color colour, int width) {
        PatBlt(surface.Dc, 0, 0, 64, 64, WHITENESS);
        for (int i = 0; i < 200; ++i) {
            canvas.SetPen(colour, width);
            canvas.Line({0, 10}, {60, 10});
            canvas.FillRect({0, 40, 8, 48}, colour);
        }
        canvas.SetBrush(colour);
    };
    {
        // Wine makes some objects of its own on first use of a context.
        GdiCanvas warm(surface.Dc, surface.Fonts);
        for (const auto& c : cases) draw(warm, c.Colour, c.Width);
    }
    const size_t before = LiveGdiObjects();
    {
        GdiCanvas canvas(surface.Dc, surface.Fonts);
        for (const auto& c : cases) {
            draw(canvas, c.Colour, c.Width);
            EXPECT_EQ(LiveGdiObjects(), before + c.OwnObjects) << c.What;
            int rows = 0;
            for (int y = 0; y < 30; ++y) rows += surface.At(30, y) == c.Colour;
            EXPECT_EQ(rows, c.Width) << c.What << ": the line's colour and width";
            EXPECT_EQ(surface.At(4, 44), c.Colour) << c.What << ": fill";
        }
    }
    EXPECT_EQ(LiveGdiObjects(), before);
    InstallGdiObjects(nullptr);
}

TEST(GdiObjects, RemakeReplacesTheSettingsObjectsOneForOne) {
    GdiObjectCache cache;
    const Settings first = ColouredSettings(Rgb(10, 20, 30), Rgb(200, 100, 50), Rgb(7, 8, 9), 3);
    cache.Remake(first);
    const size_t objects = cache.ObjectCount();
    const size_t live = LiveGdiObjects();
    HPEN oldCursor = cache.FindPen(Rgb(10, 20, 30), 1);
    ASSERT_NE(oldCursor, nullptr);

    cache.Remake(first);
    EXPECT_EQ(LiveGdiObjects(), live);
    cache.Remake(ColouredSettings(Rgb(11, 21, 31), Rgb(201, 101, 51), Rgb(6, 8, 9), 4));
    EXPECT_EQ(LiveGdiObjects(), live);
    EXPECT_EQ(cache.ObjectCount(), objects);
    EXPECT_EQ(GetObjectType(oldCursor), 0u) << "the old cursor pen is deleted";
    EXPECT_EQ(cache.FindPen(Rgb(10, 20, 30), 1), nullptr);
    EXPECT_EQ(cache.FindPen(Rgb(7, 8, 9), 3), nullptr);
    EXPECT_NE(cache.FindPen(Rgb(11, 21, 31), 1), nullptr);
    EXPECT_NE(cache.FindPen(Rgb(6, 8, 9), 4), nullptr);
    // A settings colour that a fixed object already has is not made twice.
    cache.Remake(ColouredSettings(Rgb(255, 0, 0), Rgb(201, 101, 51), Rgb(6, 8, 9), 4));
    EXPECT_EQ(cache.ObjectCount(), objects - 1);
    EXPECT_NE(cache.FindPen(Rgb(255, 0, 0), 1), nullptr);
}

}  // namespace
}  // namespace tesselog::win32
