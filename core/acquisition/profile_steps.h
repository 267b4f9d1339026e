// Where a console's readings stand on its profile pane: the newest point
// near the right edge, each reading one step further left. The live strip
// chart and the profile read back from the data file share these columns.
#pragma once

#include <cstdint>
#include <vector>

#include "core/platform/canvas.h"

namespace tesselog {

constexpr int32_t ProfileStepX = 10;      // the newest point sits this far left of the pane's right edge
constexpr int32_t ProfileStepWidth = 2;   // pixels the chart moves per reading

// One piece of a profile read back from the data file: the left and
// (two-sensor consoles) right points in pane pixels, newest first.
struct ProfileCurvePiece {
    std::vector<Point> Left;
    std::vector<Point> Right;
};

}  // namespace tesselog
