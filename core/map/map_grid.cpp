#include "core/map/map_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tesselog {

namespace {

constexpr double Pi = 3.14159265358979323846;

// The rounding of positions, so that a position on a grid value lands on its
// line: trunc(value + 0.5), held far inside the int32 range.
int32_t RoundPixel(double value) {
    value = std::min(std::max(value + 0.5, -1e9), 1e9);
    return static_cast<int32_t>(value);
}

int32_t WestPixel(int32_t column, int32_t width) { return (column - 1000) * width - (width - 1); }
int32_t SouthPixel(int32_t row, int32_t height) { return (row - 1000) * height; }

// Vertical lines at whole multiples of spacing in px.
void AddVerticalLines(std::vector<GridLine>& lines, double spacing, int32_t west, int32_t width, int32_t height) {
    double first = std::floor((west - 1.0) / spacing);
    for (int32_t n = 0; n < MaxGridLinesPerLoop; ++n) {
        double k = first + n;
        int32_t px = RoundPixel(k * spacing);
        if (px > west + width - 1) break;
        if (px < west) continue;
        int32_t u = px - west;
        lines.push_back({{u, -GridLineMargin}, {u, height + GridLineMargin}});
    }
}

void AddHorizontalLines(std::vector<GridLine>& lines, double spacing, int32_t south, int32_t width,
                        int32_t height) {
    double first = std::floor((south - 1.0) / spacing);
    for (int32_t n = 0; n < MaxGridLinesPerLoop; ++n) {
        double k = first + n;
        int32_t py = RoundPixel(k * spacing);
        if (py > south + height - 1) break;
        if (py < south) continue;
        int32_t v = (height - 1) - (py - south);
        lines.push_back({{-GridLineMargin, v}, {width + GridLineMargin, v}});
    }
}

// Lines py = slope * px + k * spacing across the tile, from GridLineMargin
// left of it to GridLineMargin right of it. Steep lines are cut to the same
// margin above and below the tile so that their ends stay small numbers.
void AddSlopedLines(std::vector<GridLine>& lines, const GridGeometry& grid, int32_t west, int32_t south,
                    int32_t width, int32_t height) {
    const double xa = west - GridLineMargin;
    const double xb = west + width - 1 + GridLineMargin + 1;
    const double ylo = south - GridLineMargin;
    const double yhi = south + height - 1 + GridLineMargin;
    const double ra = grid.Slope * xa;
    const double rb = grid.Slope * xb;
    // The lines that reach the tile's own rows somewhere between xa and xb.
    const double kmin = std::ceil((south - std::max(ra, rb)) / grid.Spacing);
    const double kmax = std::floor((south + height - 1 - std::min(ra, rb)) / grid.Spacing);
    if (!(kmin <= kmax)) return;
    for (int32_t n = 0; n < MaxGridLinesPerLoop && kmin + n <= kmax; ++n) {
        const double offset = (kmin + n) * grid.Spacing;
        const double ya = ra + offset;
        const double yb = rb + offset;
        double t0 = 0.0;
        double t1 = 1.0;
        if (yb != ya) {
            double ta = (ylo - ya) / (yb - ya);
            double tb = (yhi - ya) / (yb - ya);
            t0 = std::max(t0, std::min(ta, tb));
            t1 = std::min(t1, std::max(ta, tb));
            if (t0 > t1) continue;
        }
        auto toTile = [&](double t) {
            double x = xa + t * (xb - xa);
            double y = ya + t * (yb - ya);
            return Point{RoundPixel(x) - west, (height - 1) - (RoundPixel(y) - south)};
        };
        lines.push_back({toTile(t0), toTile(t1)});
    }
}

}  // namespace

int64_t GridThinning(double pixels) {
    if (!(pixels > 0.0) || !std::isfinite(pixels)) return 0;
    if (pixels >= MinGridSpacingPixels) return 1;
    for (int64_t decade = 1; decade <= 100000000000000; decade *= 10) {
        for (int64_t step : {2, 5, 10}) {
            if (pixels * double(step * decade) >= MinGridSpacingPixels) return step * decade;
        }
    }
    return 0;
}

GridGeometry MakeGridGeometry(const Settings& settings, double scale) {
    GridGeometry grid;
    const double setInterval = settings.GridLinesInterval;
    if (!(setInterval > 0.0) || !(scale > 0.0) || !std::isfinite(setInterval * scale)) return grid;
    // Lines of every kind stand the interval apart across their direction.
    grid.Every = GridThinning(setInterval * scale);
    if (grid.Every == 0) return GridGeometry();
    const double interval = setInterval * double(grid.Every);
    grid.ShownInterval = interval;
    grid.Spacing = interval * scale;
    if (settings.MapGridType != 1) {
        grid.Kind = GridKind::Basic;
        return grid;
    }
    const double angle = settings.GridLinesAngle * Pi / 180.0;
    const double sine = std::sin(angle);
    // A bearing of 0 or 180 degrees: the lines run north-south.
    if (settings.GridLinesAngle == 0.0 || std::fabs(sine) < 1e-9 || !std::isfinite(sine)) {
        grid.Kind = GridKind::Vertical;
        return grid;
    }
    grid.Kind = GridKind::Sloped;
    grid.Slope = std::cos(angle) / sine;  // tan(90 degrees - angle)
    grid.Spacing = std::fabs(interval / sine) * scale;
    return grid;
}

std::string GridThinningText(const GridGeometry& grid, int32_t displayUnits) {
    if (grid.Kind == GridKind::None || grid.Every <= 1) return std::string();
    const char* unit = displayUnits == 1 ? "ft" : displayUnits == 2 ? "US-ft" : "m";
    char text[64];
    std::snprintf(text, sizeof text, "Grid thinned to %.10g %s", grid.ShownInterval, unit);
    return text;
}

std::vector<GridLine> GridLinesForTile(const GridGeometry& grid, int32_t column, int32_t row, int32_t width,
                                       int32_t height) {
    std::vector<GridLine> lines;
    if (grid.Kind == GridKind::None || !(grid.Spacing > 0.0) || width <= 0 || height <= 0) return lines;
    const int32_t west = WestPixel(column, width);
    const int32_t south = SouthPixel(row, height);
    switch (grid.Kind) {
    case GridKind::Basic:
        AddVerticalLines(lines, grid.Spacing, west, width, height);
        AddHorizontalLines(lines, grid.Spacing, south, width, height);
        break;
    case GridKind::Vertical:
        AddVerticalLines(lines, grid.Spacing, west, width, height);
        break;
    case GridKind::Sloped:
        AddSlopedLines(lines, grid, west, south, width, height);
        break;
    case GridKind::None:
        break;
    }
    return lines;
}

void ClearSurface(Canvas& canvas, int32_t width, int32_t height) {
    canvas.FillRect({0, 0, width, height}, MapBackgroundColor);
}

void DrawBaseTile(Canvas& canvas, const GridGeometry& grid, int32_t column, int32_t row, int32_t width,
                  int32_t height) {
    ClearSurface(canvas, width, height);
    std::vector<GridLine> lines = GridLinesForTile(grid, column, row, width, height);
    if (lines.empty()) return;
    canvas.SetPen(MapGridColor, 1);
    for (const GridLine& line : lines) canvas.Line(line.From, line.To);
}

void DrawMapCursor(Canvas& canvas, int32_t x, int32_t y, int32_t inner, Color color) {
    canvas.SetPen(color, 1);
    canvas.Line({x - inner, y}, {x + inner + 1, y});
    canvas.Line({x, y - inner}, {x, y + inner + 1});
}

void DrawPleaseWait(Canvas& canvas, int32_t width, int32_t height) {
    ClearSurface(canvas, width, height);
    canvas.SetFont(FontChoice::Caption);
    canvas.SetTextColor(PleaseWaitColor);
    canvas.SetTextBackground(true);
    canvas.SetTextAlign(TextAlign::Left);
    canvas.Text(width / 2 - 50, height / 2, "Please Wait");
}

void DrawBusyIndicator(Canvas& canvas, int32_t width, int32_t height, int phase) {
    const int32_t m = (width - 1) / 2;
    const int32_t n = (height - 1) / 2;
    const int32_t place = ((phase % BusyIndicatorPhases) + BusyIndicatorPhases) % BusyIndicatorPhases;
    const int32_t left = m - 30 + 17 * place;
    canvas.FillRect({m - 30, n + 41, m + 51, n + 54}, MapBackgroundColor);
    canvas.SetPen(PleaseWaitColor, 1);
    canvas.SetBrush(PleaseWaitColor);
    canvas.Ellipse({left, n + 41, left + 12, n + 53});
}

}  // namespace tesselog
