// Where the main window and its parts go: the window on the screen, the
// column of nine buttons, and the two columns of the settings summary.
#pragma once

#include <cstdint>

#include "core/common/display_scale.h"
#include "core/platform/canvas.h"

namespace tesselog {

constexpr int MainButtonCount = 9;
constexpr int MainButtonFirstId = 420;

struct WindowPlacement {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The whole window (frame included) from the screen size: the screen less a
// taskbar of 38 pixels, 1024 x 762 on large screens, at least 800 x 562,
// centred and lifted by the taskbar height, never off the top left. The
// screen and the result are in device pixels; the rule holds in 96-DPI
// units, so that at 150% a 1920 x 1080 screen is treated as 1280 x 720.
WindowPlacement MainWindowPlacement(int32_t screenWidth, int32_t screenHeight, DisplayScale scale = {});

// Button i of the column at the right of the client area (96-DPI units).
Rect MainButtonRect(int32_t clientWidth, int32_t clientHeight, int index);

// The settings summary's two columns, between x = 20 and clientWidth - 220.
struct SummaryColumns {
    int32_t Left = 0;        // left edge of the summary area
    int32_t Right = 0;       // right edge
    int32_t LeftLabel = 0;   // x of the left column's labels
    int32_t LeftValue = 0;   // x of its values
    int32_t RightLabel = 0;
    int32_t RightValue = 0;
};

// autoWidth and pseudoGgaWidth are the text widths of "AUTO" and
// "Pseudo GGA" in the summary's text font.
SummaryColumns SummaryColumnPlaces(int32_t clientWidth, int32_t autoWidth, int32_t pseudoGgaWidth);

}  // namespace tesselog
