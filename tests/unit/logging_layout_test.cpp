#include "core/logscreen/logging_layout.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tesselog
