// The three small panes of the logging screen: the numbers pane (the latest
// reading of every sensor, one row per console under a header), the speed
// bar (blue in proportion to the GPS speed) and the colour scale window (the
// map's 50 amplitude colours with their values).
#pragma once

#include <cstdint>
#include <string>

#include "core/platform/canvas.h"

namespace tesselog {

// The numbers pane: a console-number column at the left, then one value
// column per sensor of a console, under a header one line high.
struct NumbersPaneGeometry {
    int32_t Width = 0;               // of the pane
    int32_t Height = 0;
    int32_t NumberColumnWidth = 20;
    int32_t HeaderHeight = 0;        // the line height + 8
    int32_t RowHeight = 0;           // (height - 2 - header) / console count
    int32_t ValueColumnWidth = 0;    // (width - number column) / 2
    int32_t ConsoleCount = 0;

    Rect Header() const { return {0, 0, Width, HeaderHeight}; }
    // Console k's row, right of the number column.
    Rect Row(int k) const;
};

NumbersPaneGeometry ComputeNumbersPane(int32_t paneWidth, int32_t paneHeight, int32_t lineHeight,
                                       int32_t consoleCount);

// "%8.1f" below 1000, "%8.0f" below 100000, else "%8.0f" of 100000 with the
// reading's sign.
std::string ReadingNumberText(double value);

// The header ("#", "Sensor L"/"Sensor R" or "Sensor") and the console numbers.
void DrawNumbersHeader(Canvas& canvas, const NumbersPaneGeometry& pane, bool anyTwoSensorConsole);
// The field warnings' colour: a warned sensor's cell, the speed bar while
// the readings lie too far apart.
constexpr Color WarningCellColor = Rgb(255, 160, 0);

// Console k's row: the left reading, and the right one for a two-sensor
// console, each ending 10 pixels before its column's right edge. A sensor
// with a reason (reasons[0] left, [1] right; none: no warnings) shows the
// reason instead, centred on the warning colour. Each value's cell stands a
// pixel inside its column and row, so warned cells side by side or one
// above the other keep white between them; every text, and the console
// numbers of the header, is centred in the row's height.
void DrawReadingNumbers(Canvas& canvas, const NumbersPaneGeometry& pane, int k, double left, double right,
                        bool twoSensors, const std::string* reasons = nullptr);

// The speed bar, width by height: blue (the warning colour while too fast),
// with the unfilled part (offset pixels at the right end) white. An offset
// of the width is the empty bar.
void DrawSpeedBar(Canvas& canvas, int32_t width, int32_t height, int32_t offset, bool tooFast = false);

// The colour scale window: one bar of N colours, colour 0 at the bottom,
// with five values at its ticks, laid out in the window's client area
// (width by height) under the caption "GRAD SCALE". The cells are 280 / N
// pixels high where the window has the room, fewer where it has not, and the
// bar is centred in the height left under the caption.
struct ColourScaleGeometry {
    int32_t CellHeight = 0;
    int32_t BarHeight = 0;
    int32_t Top = 0;          // the bar's first row
    int32_t BarX = 0;         // left of the frame; the cells fill BarX + 1 .. BarX + 20
    int32_t LabelRight = 0;   // the values end here, right-aligned, before the ticks
    int32_t LabelTop = 0;     // no value above (under the caption) or below (the window's end)
    int32_t LabelBottom = 0;
    int32_t TickRow[5] = {};  // the values' rows, lowest value first
};
ColourScaleGeometry ComputeColourScale(int colours, int32_t clientWidth, int32_t clientHeight, int32_t textHeight);

constexpr char GradScaleCaption[] = "GRAD SCALE";

// The whole colour scale window over ReadingsScaleMin..Max.
void PaintColourScale(Canvas& canvas, int32_t clientWidth, int32_t clientHeight, double scaleMin, double scaleMax);

}  // namespace tesselog
