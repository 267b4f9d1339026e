#include "core/logscreen/numbers_painting.h"

#include <cmath>
#include <cstdio>

#include "core/logscreen/colour_palette.h"

namespace tesselog {

namespace {

constexpr Color White = Rgb(255, 255, 255);
constexpr Color Black = Rgb(0, 0, 0);
constexpr Color Blue = Rgb(0, 0, 255);
constexpr Color DarkGrey = Rgb(64, 64, 64);

constexpr int32_t HeaderTextY = 7;
constexpr int32_t NumberRightGap = 10;

constexpr int32_t NominalBarHeight = 280;
constexpr int32_t ScaleWindowHeight = 306;
constexpr int32_t BarWidth = 20;

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// One scale: bar at x, labels at labelX. The first scale's frame reaches one
// pixel further left and up than the second's.
void PaintScale(Canvas& c, const ColourScaleGeometry& g, int32_t x, int32_t labelX, bool first, double scaleMin,
                double scaleMax) {
    const int32_t y0 = g.Top, h = g.BarHeight, ch = g.CellHeight;
    const int32_t left = first ? x - 1 : x;
    const int32_t top = first ? y0 - 2 : y0 - 1;
    c.SetPen(DarkGrey, 1);
    const Point frame[] = {{left, top}, {left, y0 + h - 1}, {x + BarWidth, y0 + h - 1}, {x + BarWidth, top},
                           {left, top}};
    c.Polyline(frame, 5);
    for (int32_t row : {y0 + ch, y0 + h - ch, y0 + h / 2, y0 + h / 4, y0 + 3 * h / 4}) {
        c.Line({x - 12, row}, {x - 6, row});
    }
    for (int i = ColourPaletteSize - 1; i >= 0; --i) {
        const Color colour = ColourClassColor(i);
        c.SetPen(colour, 2);
        c.SetBrush(colour);
        c.Rectangle({x + 1, y0 + h - (i + 1) * ch, x + BarWidth, y0 + h - i * ch});
    }
    for (int k = 0; k <= 4; ++k) {
        int32_t y = y0 + h - k * h / 4 - 6;
        if (k == 0) y -= ch;
        if (k == 4) y += ch;
        c.Text(labelX, y, Format("%.2f", scaleMin + k * (scaleMax - scaleMin) / 4));
    }
}

}  // namespace

Rect NumbersPaneGeometry::Row(int k) const {
    const int32_t top = HeaderHeight + k * RowHeight;
    return {NumberColumnWidth, top, Width, top + RowHeight};
}

NumbersPaneGeometry ComputeNumbersPane(int32_t paneWidth, int32_t paneHeight, int32_t lineHeight,
                                       int32_t consoleCount) {
    NumbersPaneGeometry g;
    g.Width = paneWidth;
    g.Height = paneHeight;
    g.ConsoleCount = consoleCount;
    g.HeaderHeight = lineHeight + 8;
    if (consoleCount > 0) g.RowHeight = (paneHeight - 2 - g.HeaderHeight) / consoleCount;
    g.ValueColumnWidth = (paneWidth - g.NumberColumnWidth) / 2;
    return g;
}

std::string ReadingNumberText(double value) {
    const double size = std::fabs(value);
    if (size < 1000.0) return Format("%8.1f", value);
    if (size < 100000.0) return Format("%8.0f", value);
    return Format("%8.0f", std::signbit(value) ? -100000.0 : 100000.0);
}

void DrawNumbersHeader(Canvas& c, const NumbersPaneGeometry& pane, bool anyTwoSensorConsole) {
    c.FillRect(pane.Header(), White);
    c.SetTextColor(Blue);
    c.SetTextBackground(true);
    c.SetFont(FontChoice::Text);
    c.SetTextAlign(TextAlign::Center);
    c.Text(pane.NumberColumnWidth / 2, HeaderTextY, "#");
    const int32_t firstCentre = pane.NumberColumnWidth + pane.ValueColumnWidth / 2;
    if (anyTwoSensorConsole) {
        c.Text(firstCentre, HeaderTextY, "Sensor L");
        c.Text(firstCentre + pane.ValueColumnWidth, HeaderTextY, "Sensor R");
    } else {
        c.Text(firstCentre, HeaderTextY, "Sensor");
    }
    c.SetTextAlign(TextAlign::Left);
    for (int32_t n = 1; n <= pane.ConsoleCount; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "%-2d", n);
        c.Text(1, pane.HeaderHeight + (n - 1) * pane.RowHeight, number);
    }
    c.SetTextColor(White);
}

void DrawReadingNumbers(Canvas& c, const NumbersPaneGeometry& pane, int k, double left, double right,
                        bool twoSensors) {
    const Rect row = pane.Row(k);
    c.SetTextBackground(true);
    c.SetTextColor(Black);
    c.SetFont(FontChoice::Text);
    c.SetTextAlign(TextAlign::Left);
    c.FillRect(row, White);
    const int columns = twoSensors ? 2 : 1;
    for (int column = 1; column <= columns; ++column) {
        const std::string text = ReadingNumberText(column == 1 ? left : right);
        const int32_t width = c.TextExtent(text).Width;
        c.Text(row.Left + column * pane.ValueColumnWidth - width - NumberRightGap, row.Top, text);
    }
}

void DrawSpeedBar(Canvas& c, int32_t width, int32_t height, int32_t offset) {
    c.SetPen(Blue, 1);
    c.SetBrush(Blue);
    c.Rectangle({0, 0, width, height});
    if (offset <= 0) return;  // at or above the scale: all blue
    c.SetPen(White, 1);
    c.SetBrush(White);
    c.Rectangle({offset >= width ? 0 : width - offset, 0, width, height});
}

ColourScaleGeometry ComputeColourScale(int colours) {
    ColourScaleGeometry g;
    if (colours <= 0) return g;
    g.CellHeight = NominalBarHeight / colours;
    g.BarHeight = colours * g.CellHeight;
    g.Top = (ScaleWindowHeight - g.BarHeight) / 2;
    return g;
}

void PaintColourScale(Canvas& c, double scaleMin, double scaleMax) {
    const ColourScaleGeometry g = ComputeColourScale(ColourPaletteSize);
    c.SetTextBackground(true);
    c.SetFont(FontChoice::Text);
    c.SetTextColor(Black);
    c.SetTextAlign(TextAlign::Left);
    c.SetBrush(White);
    c.Text(18, 4, GradScaleCaption);
    c.Text(136, 4, MagScaleCaption);
    PaintScale(c, g, 75, 5, true, scaleMin, scaleMax);
    PaintScale(c, g, 187, 117, false, scaleMin, scaleMax);
}

}  // namespace tesselog
