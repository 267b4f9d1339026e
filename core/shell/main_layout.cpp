#include "core/shell/main_layout.h"

#include <algorithm>

namespace tesselog {

namespace {

constexpr int32_t TaskbarHeight = 38;

void Centre(WindowPlacement& p, int32_t screenWidth, int32_t screenHeight) {
    p.X = (screenWidth - p.Width) / 2;
    p.Y = (screenHeight - p.Height) / 2 - TaskbarHeight;
}

}  // namespace

WindowPlacement MainWindowPlacement(int32_t deviceWidth, int32_t deviceHeight, DisplayScale scale) {
    const int32_t screenWidth = scale.FromDevice(deviceWidth);
    const int32_t screenHeight = scale.FromDevice(deviceHeight);
    WindowPlacement p;
    p.Width = screenWidth;
    p.Height = screenHeight - TaskbarHeight;
    Centre(p, screenWidth, screenHeight);
    if (p.Width > 1280 || p.Height >= 763) {
        p.Width = 1024;
        p.Height = 762;
        Centre(p, screenWidth, screenHeight);
    }
    if (p.Width < 800 || p.Height < 562) {
        p.Width = 800;
        p.Height = 562;
        Centre(p, screenWidth, screenHeight);
    }
    p.X = std::max<int32_t>(p.X, 0);
    p.Y = std::max<int32_t>(p.Y, 0);
    const Rect device = scale.ToDevice(Rect{p.X, p.Y, p.X + p.Width, p.Y + p.Height});
    return {device.Left, device.Top, device.Width(), device.Height()};
}

Rect MainButtonRect(int32_t clientWidth, int32_t clientHeight, int index) {
    int32_t height = std::max<int32_t>((clientHeight - 254) / 9, 36);
    int32_t x = clientWidth - 200;
    int32_t y = 30 + index * (height + 3);
    return {x, y, x + 170, y + height};
}

SummaryColumns SummaryColumnPlaces(int32_t clientWidth, int32_t autoWidth, int32_t pseudoGgaWidth) {
    SummaryColumns c;
    c.Left = 20;
    c.Right = clientWidth - 220;
    int32_t mid = (c.Left + c.Right) / 2;
    c.LeftLabel = std::max<int32_t>(mid - (150 + autoWidth) - 60, 40);
    c.RightLabel = std::max<int32_t>(mid + 60, 300);
    // The widest right-hand value must still end before the summary's edge.
    c.RightLabel = std::min<int32_t>(c.RightLabel, c.Right - (160 + pseudoGgaWidth));
    c.LeftValue = c.LeftLabel + 150;
    c.RightValue = c.RightLabel + 160;
    return c;
}

}  // namespace tesselog
