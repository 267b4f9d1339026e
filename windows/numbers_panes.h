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

// Console k's readings in its row of the numbers pane.
void DrawConsoleNumbers(LoggingWindow& window, int k, double left, double right);
// A text ("No connection") over console k's row; empty clears the row.
void DrawNumbersRowText(LoggingWindow& window, int k, const std::string& text);
// The speed bar with offset pixels unfilled at its right end.
void DrawSpeedPane(LoggingWindow& window, int32_t offset);

// Repaints: the numbers pane's header, the speed bar empty.
void PaintNumbersHeader(LoggingWindow& window, Canvas& canvas);
void PaintEmptySpeedBar(LoggingWindow& window, Canvas& canvas);

}  // namespace tesselog::win32
