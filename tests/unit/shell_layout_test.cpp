#include <gtest/gtest.h>

#include <vector>

#include "core/shell/dispatch_table.h"
#include "core/shell/main_layout.h"

namespace tesselog {
namespace {

TEST(ShellLayout, WindowPlacementFromScreenSize) {
    struct Case {
        int32_t screenW, screenH, x, y, w, h;
    } cases[] = {
        {1920, 1080, 448, 121, 1024, 762},  // large screen: fixed size, centred, lifted by the taskbar
        {1280, 1024, 128, 93, 1024, 762},   // height 986 is too tall
        {1280, 800, 0, 0, 1280, 762},       // fits as it is; y = 19 - 38 becomes 0
        {1281, 700, 128, 0, 1024, 762},     // too wide
        {800, 700, 0, 0, 800, 662},         // exactly the minimum width
        {1000, 600, 0, 0, 1000, 562},       // exactly the minimum height
        {640, 480, 0, 0, 800, 562},         // smaller screens get the minimum, never a negative place
        {1024, 768, 0, 0, 1024, 730},
    };
    for (const Case& c : cases) {
        WindowPlacement p = MainWindowPlacement(c.screenW, c.screenH);
        EXPECT_EQ((std::vector<int32_t>{p.X, p.Y, p.Width, p.Height}), (std::vector<int32_t>{c.x, c.y, c.w, c.h}))
            << c.screenW << "x" << c.screenH;
    }
}

// At 150 and 200% the rule holds in 96-DPI units: a 1920 x 1080 laptop at
// 150% is a 1280 x 720 screen, so the window takes all of it but the taskbar.
TEST(ShellLayout, WindowPlacementAtDisplayScales) {
    struct Case {
        int32_t dpi, screenW, screenH, x, y, w, h;
    } cases[] = {
        {96, 1280, 1024, 128, 93, 1024, 762},
        {144, 1920, 1536, 192, 140, 1536, 1143},  // 128, 93, 1024, 762 times 1.5
        {192, 2560, 2048, 256, 186, 2048, 1524},
        {144, 1920, 1080, 0, 0, 1920, 1023},      // 1280 x 682 in 96-DPI units
        {192, 2560, 1600, 0, 0, 2560, 1524},
    };
    for (const Case& c : cases) {
        WindowPlacement p = MainWindowPlacement(c.screenW, c.screenH, ScaleOfDpi(c.dpi));
        EXPECT_EQ((std::vector<int32_t>{p.X, p.Y, p.Width, p.Height}), (std::vector<int32_t>{c.x, c.y, c.w, c.h}))
            << c.dpi << " " << c.screenW << "x" << c.screenH;
    }
}

TEST(ShellLayout, ButtonColumn) {
    // (733 - 254) / 9 = 53 high, 3 apart.
    EXPECT_EQ(MainButtonRect(1018, 733, 0), (Rect{818, 30, 988, 83}));
    EXPECT_EQ(MainButtonRect(1018, 733, 8), (Rect{818, 30 + 8 * 56, 988, 30 + 8 * 56 + 53}));
    // (533 - 254) / 9 = 31 is raised to the 36 minimum.
    EXPECT_EQ(MainButtonRect(794, 533, 1), (Rect{594, 69, 764, 105}));
    EXPECT_EQ(MainButtonRect(794, 578, 0).Height(), 36);  // 324 / 9 exactly 36
}

TEST(ShellLayout, SummaryColumns) {
    struct Case {
        int32_t clientW, autoW, pseudoW, leftLabel, rightLabel;
    } cases[] = {
        {1018, 28, 60, 171, 469},  // mid 409: both columns placed around the middle
        {794, 28, 60, 59, 354},    // the right column pulled left so that its widest value fits
        {794, 28, 10, 59, 357},    // a short widest value leaves it at mid + 60
        {660, 28, 60, 40, 220},    // the left column held at 40; fitting the value wins over the 300 floor
    };
    for (const Case& c : cases) {
        SummaryColumns s = SummaryColumnPlaces(c.clientW, c.autoW, c.pseudoW);
        EXPECT_EQ((std::vector<int32_t>{s.Left, s.Right, s.LeftLabel, s.RightLabel, s.LeftValue, s.RightValue}),
                  (std::vector<int32_t>{20, c.clientW - 220, c.leftLabel, c.rightLabel, c.leftLabel + 150,
                                        c.rightLabel + 160}))
            << c.clientW;
    }
}

// Dispatch: the first entry for a message wins, an unlisted message falls back.
int Seen = 0;
int First(int a, int b) { Seen = 1; return a + b; }
int Second(int a, int b) { Seen = 2; return a * b; }
int Fallback(int a, int b) { Seen = 9; return a - b; }

TEST(ShellDispatch, FirstMatchWinsElseFallback) {
    using Handler = int (*)(int, int);
    static const MessageEntry<Handler> entries[] = {{0x0F, &First}, {0x01, &Second}, {0x0F, &Second}};
    constexpr MessageTable<Handler> table = MakeMessageTable(entries);
    const struct {
        uint32_t message;
        int handler, result;
    } cases[] = {{0x0F, 1, 10}, {0x01, 2, 24}, {0x40B, 9, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(DispatchThroughTable(table, c.message, &Fallback, 6, 4), c.result) << c.message;
        EXPECT_EQ(Seen, c.handler) << c.message;
    }
    Seen = 0;
    EXPECT_EQ(DispatchThroughTable(EmptyMessageTable<Handler>(), 0x0F, &Fallback, 6, 4), 2);
    EXPECT_EQ(Seen, 9);
}

}  // namespace
}  // namespace tesselog
