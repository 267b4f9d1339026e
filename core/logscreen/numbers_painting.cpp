#include "core/logscreen/numbers_painting.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/common/colour_palette.h"

namespace tesselog {

namespace {

constexpr Color White = Rgb(255, 255, 255);
constexpr Color Black = Rgb(0, 0, 0);
constexpr Color Blue = Rgb(0, 0, 255);
constexpr Color DarkGrey = Rgb(64, 64, 64);

constexpr int32_t HeaderTextY = 7;
constexpr int32_t NumberRightGap = 10;
// Each value cell stands this far inside its column and row, so that the
// warning colours of neighbouring cells never meet; a reason keeps the
// padding from its cell's sides.
constexpr int32_t CellMargin = 1;
constexpr int32_t ReasonPadding = 2;

constexpr int32_t NominalBarHeight = 280;
constexpr int32_t BarWidth = 20;
constexpr int32_t CaptionY = 4;
constexpr int32_t BarMargin = 12;   // right of the frame
constexpr int32_t TickLength = 6;
constexpr int32_t TickGap = 6;      // between a tick and the frame

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The five values at their ticks: the lowest and highest at the first and
// last cell's tick, the others at the quarters; centred on the tick where
// the window lets them, kept under the caption and inside the window.
void PaintScaleValues(Canvas& c, const ColourScaleGeometry& g, double scaleMin, double scaleMax) {
    const int32_t height = c.TextExtent("0").Height;
    c.SetTextAlign(TextAlign::Right);
    for (int k = 0; k <= 4; ++k) {
        const int32_t y = std::max(g.LabelTop, std::min(g.TickRow[k] - height / 2, g.LabelBottom - height));
        c.Text(g.LabelRight, y, Format("%.2f", scaleMin + k * (scaleMax - scaleMin) / 4));
    }
    c.SetTextAlign(TextAlign::Left);
}

// The top of a text of the given height centred in the rows top..bottom.
int32_t CentredTextTop(int32_t top, int32_t bottom, int32_t height) {
    return top + std::max(0, (bottom - top - height) / 2);
}

// A warned sensor's cell: its reason on the warning colour, centred in the
// cell, or from the cell's left padding when it is wider than the cell (and
// cut at the right).
void DrawReasonCell(Canvas& c, const Rect& cell, const std::string& reason) {
    c.FillRect(cell, WarningCellColor);
    const TextSize size = c.TextExtent(reason);
    const int32_t x = std::max(cell.Left + ReasonPadding, cell.Left + (cell.Right - cell.Left - size.Width) / 2);
    c.TextInRect(cell, x, CentredTextTop(cell.Top, cell.Bottom, size.Height), reason);
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
        const Rect row = pane.Row(n - 1);
        c.Text(1, CentredTextTop(row.Top, row.Bottom, c.TextExtent(number).Height), number);
    }
    c.SetTextColor(White);
}

void DrawReadingNumbers(Canvas& c, const NumbersPaneGeometry& pane, int k, double left, double right,
                        bool twoSensors, const std::string* reasons) {
    const Rect row = pane.Row(k);
    c.SetTextBackground(true);
    c.SetTextColor(Black);
    c.SetFont(FontChoice::Text);
    c.SetTextAlign(TextAlign::Left);
    c.FillRect(row, White);
    const int columns = twoSensors ? 2 : 1;
    for (int column = 1; column <= columns; ++column) {
        const int32_t cellRight = row.Left + column * pane.ValueColumnWidth;
        const Rect cell{cellRight - pane.ValueColumnWidth + CellMargin, row.Top + CellMargin, cellRight - CellMargin,
                        row.Bottom - CellMargin};
        if (reasons != nullptr && !reasons[column - 1].empty()) {
            DrawReasonCell(c, cell, reasons[column - 1]);
            continue;
        }
        const std::string text = ReadingNumberText(column == 1 ? left : right);
        const TextSize size = c.TextExtent(text);
        c.Text(cellRight - size.Width - NumberRightGap, CentredTextTop(cell.Top, cell.Bottom, size.Height), text);
    }
}

void DrawSpeedBar(Canvas& c, int32_t width, int32_t height, int32_t offset, bool tooFast) {
    const Color fill = tooFast ? WarningCellColor : Blue;
    c.SetPen(fill, 1);
    c.SetBrush(fill);
    c.Rectangle({0, 0, width, height});
    if (offset <= 0) return;  // at or above the scale: all blue
    c.SetPen(White, 1);
    c.SetBrush(White);
    c.Rectangle({offset >= width ? 0 : width - offset, 0, width, height});
}

ColourScaleGeometry ComputeColourScale(int colours, int32_t clientWidth, int32_t clientHeight, int32_t textHeight) {
    ColourScaleGeometry g;
    if (colours <= 0) return g;
    // The frame's rows lie just above and below the cells: the bar has the
    // height under the caption less those two rows.
    const int32_t below = CaptionY + textHeight;
    const int32_t room = std::max(0, clientHeight - below - 2);
    g.CellHeight = std::max(1, std::min(NominalBarHeight / colours, room / colours));
    g.BarHeight = colours * g.CellHeight;
    g.Top = below + 1 + std::max(0, room - g.BarHeight) / 2;
    const int32_t h = g.BarHeight, ch = g.CellHeight;
    const int32_t rows[5] = {g.Top + h - ch, g.Top + 3 * h / 4, g.Top + h / 2, g.Top + h / 4, g.Top + ch};
    for (int k = 0; k < 5; ++k) g.TickRow[k] = rows[k];
    g.LabelTop = below;
    g.LabelBottom = clientHeight;
    // The bar keeps to the right, the values have the rest.
    g.BarX = std::max(TickLength + TickGap + 2, clientWidth - BarWidth - 1 - BarMargin);
    g.LabelRight = g.BarX - TickLength - TickGap - 2;
    return g;
}

void PaintColourScale(Canvas& c, int32_t clientWidth, int32_t clientHeight, double scaleMin, double scaleMax) {
    c.SetTextBackground(true);
    c.SetFont(FontChoice::Text);
    c.SetTextColor(Black);
    c.SetTextAlign(TextAlign::Left);
    const ColourScaleGeometry g =
        ComputeColourScale(ColourPaletteSize, clientWidth, clientHeight, c.TextExtent(GradScaleCaption).Height);
    c.Text(std::max(0, (clientWidth - c.TextExtent(GradScaleCaption).Width) / 2), CaptionY, GradScaleCaption);

    const int32_t x = g.BarX, y0 = g.Top, h = g.BarHeight, ch = g.CellHeight;
    c.SetPen(DarkGrey, 1);
    const Point frame[] = {{x, y0 - 1}, {x, y0 + h}, {x + BarWidth + 1, y0 + h}, {x + BarWidth + 1, y0 - 1},
                           {x, y0 - 1}};
    c.Polyline(frame, 5);
    for (int32_t row : g.TickRow) c.Line({x - TickGap - TickLength, row}, {x - TickGap, row});
    for (int i = ColourPaletteSize - 1; i >= 0; --i) {
        c.FillRect({x + 1, y0 + h - (i + 1) * ch, x + 1 + BarWidth, y0 + h - i * ch}, ColourClassColor(i));
    }
    PaintScaleValues(c, g, scaleMin, scaleMax);
}

}  // namespace tesselog
