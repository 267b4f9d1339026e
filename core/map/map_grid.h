// What the map draws that is not the track: the grid of the base tiles, the
// cursor cross and the "Please Wait" notice. The grid is plain data (line
// ends in a tile's own pixels) so that it can be checked without a device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/canvas.h"
#include "core/settings/settings.h"

namespace tesselog {

constexpr Color MapGridColor = Rgb(192, 192, 192);
constexpr Color MapBackgroundColor = Rgb(255, 255, 255);
constexpr Color PleaseWaitColor = Rgb(160, 160, 160);
constexpr int32_t GridLineMargin = 5;       // lines reach this far beyond a tile's edges
constexpr int32_t MaxGridLinesPerLoop = 10000;

enum class GridKind { None, Basic, Vertical, Sloped };

// Lines closer than this many pixels are thinned: the base is combined with
// the swath's overlay by AND, and a base that is mostly grey lines merges
// the colour classes.
constexpr double MinGridSpacingPixels = 4.0;

// Rebuilt from the settings and the scale whenever the grid type, interval,
// angle, the map size or the tile width change.
struct GridGeometry {
    GridKind Kind = GridKind::None;
    double Spacing = 0.0;  // pixels: between vertical lines, horizontal lines, or sloped lines' y intercepts
    double Slope = 0.0;    // sloped lines: global py per px (py grows north)
    // Only every Every-th line of the set interval is drawn (1, 2, 5, 10,
    // 20, 50, ...), so that neighbouring lines stay MinGridSpacingPixels
    // apart or more; ShownInterval is the distance they stand for (map units).
    int64_t Every = 1;
    double ShownInterval = 0.0;
};

struct GridLine {
    Point From;
    Point To;
};

// scale = pixels per map unit. "Basic Grid" gives vertical and horizontal
// lines GridLinesInterval apart; "Parallel Lines" lines at GridLinesAngle
// (degrees clockwise from grid north) GridLinesInterval apart, vertical ones
// when the angle makes them vertical (0, 180, ...). A non-positive interval
// or scale gives no grid. Lines that would fall closer than
// MinGridSpacingPixels are thinned to a multiple of the interval.
GridGeometry MakeGridGeometry(const Settings& settings, double scale);

// The smallest of 1, 2, 5, 10, 20, 50, ... lines that span at least
// MinGridSpacingPixels when one interval spans `pixels`; 0 when none does
// below 10^15 (no grid).
int64_t GridThinning(double pixels);

// What the screen says about a thinned grid, in the map's unit ("m", "ft",
// "US-ft" by DisplayUnits): "Grid thinned to 50 m"; empty when every line of
// the interval is drawn or there is no grid.
std::string GridThinningText(const GridGeometry& grid, int32_t displayUnits);

// The grid lines that cross tile (column, row) of width by height pixels,
// in the tile's pixels. At most MaxGridLinesPerLoop lines per direction.
std::vector<GridLine> GridLinesForTile(const GridGeometry& grid, int32_t column, int32_t row, int32_t width,
                                       int32_t height);

// A base tile: white, then the grid in the grid pen.
void DrawBaseTile(Canvas& canvas, const GridGeometry& grid, int32_t column, int32_t row, int32_t width,
                  int32_t height);

// An overlay tile or the pane cleared to white.
void ClearSurface(Canvas& canvas, int32_t width, int32_t height);

// The cursor cross at pane place (x, y): a horizontal line from x - inner to
// x + inner + 1 and a vertical one from y - inner to y + inner + 1.
void DrawMapCursor(Canvas& canvas, int32_t x, int32_t y, int32_t inner, Color color);

// The pane cleared and "Please Wait" in the caption font at
// (width / 2 - 50, height / 2).
void DrawPleaseWait(Canvas& canvas, int32_t width, int32_t height);

// One step of the busy indicator below "Please Wait" during long redraws:
// its box cleared white and a grey filled circle at place phase (0..4) of
// five in a row, with m = (width - 1) / 2 and n = (height - 1) / 2 the
// boxes span x = m - 30 + 17 * phase .. m - 18 + 17 * phase and
// y = n + 41 .. n + 53.
constexpr int BusyIndicatorPhases = 5;
void DrawBusyIndicator(Canvas& canvas, int32_t width, int32_t height, int phase);

}  // namespace tesselog
