// The numbers pane, the speed bar and the colour scale window: the colour
// scale's handlers (ColorBarMessages), the repaint of the other two (their
// paint handler is the panes' shared one, profile_panes.h) and the drawing of
// the console and GPS handlers, on the pane's own device context.
#pragma once

#include <cstdint>
#include <string>

#include "core/platform/canvas.h"

namespace tesselog::win32 {

struct LoggingWindow;

// Console k's readings in its row of the numbers pane; a sensor with a
// warning reason (reasons[0] left, [1] right) shows the reason instead.
void DrawConsoleNumbers(LoggingWindow& window, int k, double left, double right, const std::string* reasons);
// A text ("No connection") over console k's row; empty clears the row.
void DrawNumbersRowText(LoggingWindow& window, int k, const std::string& text);
// The speed bar with offset pixels unfilled at its right end, in the warning
// colour while the window's SpeedTooFast is set. The offset is kept, so that
// a change of the colour draws the bar again as it was.
void DrawSpeedPane(LoggingWindow& window, int32_t offset);

// Repaints: the numbers pane's header, the speed bar empty.
void PaintNumbersHeader(LoggingWindow& window, Canvas& canvas);
void PaintEmptySpeedBar(LoggingWindow& window, Canvas& canvas);

}  // namespace tesselog::win32
