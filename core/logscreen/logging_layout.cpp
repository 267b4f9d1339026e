#include "core/logscreen/logging_layout.h"

#include <algorithm>

namespace tesselog {

const char* const FirstCommandLabels[CommandButtonCount] = {"&File", "&Readings Scale", "E&xit", "&Menu"};
const char* const SecondCommandLabels[CommandButtonCount] = {"&Go", "&QLine", "E&xit", "&Menu"};
const char* const DirectionLabels[DirectionButtonCount] = {"&Left", "&Right", "U&p", "&Down"};
const char* const ZoomLabels[ZoomButtonCount] = {"Zoom&+", "Zoom&-", "&Fit All"};
const char* const NavigationKeyHints[9] = {
    "Key: Left arrow", "Key: Right arrow", "Key: Up arrow",        "Key: Down arrow",  "Key: + (in review)",
    "Key: - (in review)", "Key: Home (in review)", "Key: I (enters and leaves the review)",
    "Key: I (enters and leaves the review)"};

namespace {

Rect At(int32_t x, int32_t y, int32_t width, int32_t height) { return {x, y, x + width, y + height}; }

}  // namespace

LoggingLayout ComputeLoggingLayout(int32_t w, int32_t h, int32_t l, int32_t consoleCount, int32_t r,
                                   DisplayScale scale) {
    LoggingLayout out;
    out.Scale = scale;
    out.ClientWidth = w;
    out.ClientHeight = h;
    out.LineHeight = l;
    out.ConsoleCount = consoleCount;
    out.RightColumnWidth = r;

    out.UpperHeight = h - 8 * l;
    out.RightColumnX = w - r - 20;
    out.LeftAreaWidth = w - r - 60;

    // Pane sizes divide by the console count; without consoles they follow
    // one console so that the map still gets its square.
    const int32_t n = std::max(consoleCount, 1);
    const int32_t a = out.UpperHeight;
    out.ProfileHeight = (a - 20 - (n - 1) * PaneGap) / n;
    out.MapSide = n * (out.ProfileHeight + PaneGap) - PaneGap;
    out.NumbersHeight = (n + 1) * l + 10;
    // The profile stack ends at A only when the division was exact; the
    // numbers pane's bottom follows the last profile pane's bottom.
    const int32_t stackEnd = out.MapSide + LoggingMargin;
    out.NumbersY = (stackEnd == a ? a : stackEnd) - out.NumbersHeight;
    out.SecondPlotWidth = (r - (n - 1) * PaneGap) / n;
    out.SecondPlotHeight = a - out.NumbersHeight - 20 - 3 * l;

    out.ButtonRowY = a + l - 2;
    out.ButtonHeight = (h - out.ButtonRowY - 5 - 2) / 2;
    out.ButtonWidth = (r - 2) / 2 + 20;
    out.ButtonX = out.RightColumnX - 40;
    out.SpeedBar = At(20, a + l - 2, out.LeftAreaWidth - 40, 8);

    out.NavigationY = h - 37;
    out.NavigationHeight = 32;
    if (w > 800) {
        out.NavigationWidth = (out.LeftAreaWidth - 6) / 6;
        out.ReviewWidth = static_cast<int32_t>(out.NavigationWidth * 1.25);
    } else {
        out.NavigationWidth = static_cast<int32_t>((out.LeftAreaWidth - 6) / 5.5);
        out.ReviewWidth = static_cast<int32_t>(out.NavigationWidth * 1.4);
    }
    return out;
}

Rect CommandButtonRect(const LoggingLayout& c, int index) {
    // 2 3 on top, 1 0 below.
    const bool right = index == 0 || index == 3;
    const bool bottom = index == 0 || index == 1;
    const int32_t x = c.ButtonX + (right ? c.ButtonWidth + 2 : 0);
    const int32_t y = c.ButtonRowY + (bottom ? c.ButtonHeight + 2 : 0);
    return At(x, y, c.ButtonWidth, c.ButtonHeight);
}

Rect PauseButtonRect(const LoggingLayout& c) {
    return At(c.RightColumnX, c.ButtonRowY, c.RightColumnWidth, 2 * c.ButtonHeight);
}

Rect DirectionButtonRect(const LoggingLayout& c, int index) {
    return At(20 + index * (c.NavigationWidth + 2), c.NavigationY, c.NavigationWidth, c.NavigationHeight);
}

Rect ZoomButtonRect(const LoggingLayout& c, int index) {
    const int32_t height = (c.ClientHeight - c.ButtonRowY - 9) / 3;
    return At(c.ButtonX, c.ButtonRowY + index * (height + 2), 2 + 2 * c.ButtonWidth, height);
}

Rect ReviewButtonRect(const LoggingLayout& c) {
    return At(20 + c.LeftAreaWidth - c.ReviewWidth - 40, c.NavigationY, c.ReviewWidth, c.NavigationHeight);
}

Rect SpeedPaneRect(const LoggingLayout& c) { return c.SpeedBar; }

Rect ColourScaleWindowRect() { return At(30, 32, 112, 296); }

Rect ProfilePaneRect(const LoggingLayout& p, int index, bool mapVisible) {
    const int32_t x = mapVisible ? LoggingMargin + p.MapSide + 6 : LoggingMargin;
    const int32_t width = mapVisible ? p.LeftAreaWidth - p.MapSide - 6 : p.LeftAreaWidth;
    return At(x, LoggingMargin + index * (p.ProfileHeight + PaneGap), width, p.ProfileHeight);
}

Rect SecondPlotPaneRect(const LoggingLayout& p, int index) {
    return At(p.RightColumnX + index * (p.SecondPlotWidth + PaneGap), LoggingMargin, p.SecondPlotWidth,
              p.SecondPlotHeight);
}

Rect NumbersPaneRect(const LoggingLayout& p) {
    return At(p.RightColumnX, p.NumbersY, p.RightColumnWidth, p.NumbersHeight);
}

Rect MapPaneRect(const LoggingLayout& p) { return At(LoggingMargin, LoggingMargin, p.MapSide, p.MapSide); }

Rect ColourScaleStripRect(const LoggingLayout& p) {
    const int32_t left = LoggingMargin + p.LeftAreaWidth + 3;
    const int32_t right = p.RightColumnX - 3;
    return {left, LoggingMargin, std::max(left, right), LoggingMargin + std::max(0, p.SecondPlotHeight)};
}

void TakePaneSizes(Settings& settings, const LoggingLayout& panes) {
    settings.MapSizePixels = panes.Device(MapPaneRect(panes)).Width() - 2;
    settings.ProfilePaneHeight = panes.ProfileHeight;
    settings.DecayPaneHeight = panes.SecondPlotHeight;
    settings.RecomputeCursorBandPixels();
}

}  // namespace tesselog
