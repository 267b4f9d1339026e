#include "core/logscreen/logging_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace tesselog {
namespace {

constexpr int32_t L = 18;

struct Client {
    int32_t W, H;
} const Clients[] = {{800, 562}, {1024, 762}};

// The pane rules for every console count on both clients: the profile stack
// is the map's side, nothing runs past the upper area, the numbers pane ends
// with the last profile pane and the second-plot panes fill the column.
TEST(LoggingLayoutTest, PanesFitForEveryConsoleCount) {
    for (const Client& c : Clients) {
        for (int32_t n = 1; n <= 9; ++n) {
            SCOPED_TRACE(testing::Message() << c.W << "x" << c.H << " N=" << n);
            const LoggingLayout p = ComputeLoggingLayout(c.W, c.H, L, n, PaneRightColumnWidth);
            const int32_t a = c.H - 8 * L;
            EXPECT_EQ(p.ProfileHeight, (a - 20 - (n - 1) * 2) / n);
            const Rect last = ProfilePaneRect(p, n - 1, true);
            EXPECT_EQ(last.Bottom - 20, p.MapSide);
            EXPECT_LE(last.Bottom, a);
            EXPECT_GT(last.Bottom, a - n);  // integer division loses less than one pixel per pane
            EXPECT_EQ(NumbersPaneRect(p).Bottom, last.Bottom);
            EXPECT_EQ(NumbersPaneRect(p).Height(), (n + 1) * L + 10);

            const Rect map = MapPaneRect(p);
            EXPECT_EQ(map.Width(), map.Height());
            EXPECT_EQ(ProfilePaneRect(p, 0, true).Left, map.Right + 6);
            EXPECT_EQ(ProfilePaneRect(p, 0, true).Right, ProfilePaneRect(p, 0, false).Right);
            EXPECT_EQ(ProfilePaneRect(p, 0, false).Width(), p.LeftAreaWidth);

            const Rect lastPlot = SecondPlotPaneRect(p, n - 1);
            EXPECT_LE(lastPlot.Right, p.RightColumnX + PaneRightColumnWidth);
            EXPECT_GT(lastPlot.Right, p.RightColumnX + PaneRightColumnWidth - n);
            EXPECT_LT(lastPlot.Bottom, NumbersPaneRect(p).Top);
        }
    }
}

// The command grid is 2 3 on top, 1 0 below, ending at the right margin; the
// navigation width rule changes above 800 pixels; the later pass moves the
// right column out to W - 160.
TEST(LoggingLayoutTest, CreationPlaces) {
    const LoggingLayout big = ComputeLoggingLayout(1024, 762, L, 3, CreationRightColumnWidth);
    EXPECT_EQ(CommandButtonRect(big, 2), (Rect{744, 634, 873, 694}));
    EXPECT_EQ(CommandButtonRect(big, 3), (Rect{875, 634, 1004, 694}));
    EXPECT_EQ(CommandButtonRect(big, 1), (Rect{744, 696, 873, 756}));
    EXPECT_EQ(CommandButtonRect(big, 0), (Rect{875, 696, 1004, 756}));
    EXPECT_EQ(PauseButtonRect(big), (Rect{784, 634, 1004, 754}));
    EXPECT_EQ(ReviewButtonRect(big), (Rect{571, 725, 571 + 153, 757}));
    const LoggingLayout small = ComputeLoggingLayout(800, 562, L, 3, CreationRightColumnWidth);
    EXPECT_EQ(small.NavigationWidth, 93);  // 514 / 5.5 truncated
    EXPECT_EQ(ReviewButtonRect(small), (Rect{20 + 520 - 130 - 40, 525, 20 + 520 - 40, 557}));  // 93 * 1.4 truncated
    EXPECT_EQ(SecondPlotPaneRect(ComputeLoggingLayout(1024, 762, L, 3, PaneRightColumnWidth), 0).Left, 1024 - 160);

    // No console: the panes keep a one-console size, so the GPS-only map is square.
    EXPECT_EQ(ComputeLoggingLayout(1024, 762, L, 0, PaneRightColumnWidth).MapSide,
              ComputeLoggingLayout(1024, 762, L, 1, PaneRightColumnWidth).MapSide);
}

// 96-DPI units on the device: to the nearest pixel, a half up, negative
// places too; a text's width is covered; a thin pen stays at least one pixel.
TEST(DisplayScaleTest, DeviceUnits) {
    const DisplayScale at96 = ScaleOfDpi(96), at120 = ScaleOfDpi(120), at144 = ScaleOfDpi(144),
                       at192 = ScaleOfDpi(192);
    EXPECT_EQ(ScaleOfDpi(0).Dpi, 96);  // not known
    EXPECT_EQ(at96.ToDevice(Rect{3, -7, 1019, 734}), (Rect{3, -7, 1019, 734}));
    EXPECT_EQ(at144.ToDevice(Rect{1, -1, 93, 855}), (Rect{2, -1, 140, 1283}));  // 1.5, -1.5, 139.5, 1282.5
    EXPECT_EQ(at192.ToDevice(Rect{1, -1, 93, 855}), (Rect{2, -2, 186, 1710}));
    EXPECT_EQ(at144.FromDevice(1920), 1280);
    EXPECT_EQ(at144.FromDevice(29), 19);  // 19.33
    EXPECT_EQ(at144.ExtentFromDevice(29), 20);
    EXPECT_EQ(at192.ExtentFromDevice(30), 15);
    EXPECT_EQ(at120.FromDevice(-5), -4);
    EXPECT_EQ(at96.PenWidth(1), 1);
    EXPECT_EQ(at120.PenWidth(1), 1);
    EXPECT_EQ(at144.PenWidth(1), 2);
    EXPECT_EQ(at192.PenWidth(3), 6);
    EXPECT_EQ(at192.PenWidth(0), 0);
}

// The screen of 1024 x 762 at 100, 150 and 200%: at 96 DPI every place is
// the one of the 96-DPI units; at 144 and 192 each is 1.5 and 2 times as
// large, the map square, and no two places overlap or leave the client.
TEST(LoggingLayoutTest, PlacesOnTheDeviceAtEveryScale) {
    struct Case {
        int32_t Dpi;
        Rect Map;
        int32_t MapPixels;
        Rect Go;
    } const cases[] = {
        {96, {20, 20, 618, 618}, 596, {875, 696, 1004, 756}},
        {144, {30, 30, 927, 927}, 895, {1313, 1044, 1506, 1134}},
        {192, {40, 40, 1236, 1236}, 1194, {1750, 1392, 2008, 1512}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Dpi);
        const DisplayScale scale = ScaleOfDpi(c.Dpi);
        const LoggingLayout panes = ComputeLoggingLayout(1024, 762, L, 3, PaneRightColumnWidth, scale);
        const LoggingLayout creation = ComputeLoggingLayout(1024, 762, L, 3, CreationRightColumnWidth, scale);
        const Rect map = panes.Device(MapPaneRect(panes));
        EXPECT_EQ(map, c.Map);
        EXPECT_EQ(panes.Device(CommandButtonRect(creation, 0)), c.Go);
        Settings settings;
        TakePaneSizes(settings, panes);
        EXPECT_EQ(settings.MapSizePixels, c.MapPixels);

        std::vector<Rect> places = {map, panes.Device(NumbersPaneRect(panes)), creation.Device(SpeedPaneRect(creation))};
        for (int i = 0; i < 3; ++i) {
            places.push_back(panes.Device(ProfilePaneRect(panes, i, true)));
            places.push_back(panes.Device(SecondPlotPaneRect(panes, i)));
        }
        for (int i = 0; i < CommandButtonCount; ++i) places.push_back(creation.Device(CommandButtonRect(creation, i)));
        for (int i = 0; i < DirectionButtonCount; ++i) places.push_back(creation.Device(DirectionButtonRect(creation, i)));
        places.push_back(creation.Device(ReviewButtonRect(creation)));
        const Rect client = scale.ToDevice(Rect{0, 0, 1024, 762});
        for (size_t i = 0; i < places.size(); ++i) {
            const Rect& a = places[i];
            EXPECT_TRUE(a.Left >= 0 && a.Top >= 0 && a.Right <= client.Right && a.Bottom <= client.Bottom) << i;
            for (size_t j = i + 1; j < places.size(); ++j) {
                const Rect& b = places[j];
                const bool apart = a.Right <= b.Left || b.Right <= a.Left || a.Bottom <= b.Top || b.Bottom <= a.Top;
                EXPECT_TRUE(apart) << i << " and " << j;
            }
        }
    }
}

}  // namespace
}  // namespace tesselog
