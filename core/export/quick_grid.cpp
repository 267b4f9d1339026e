#include "core/export/quick_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/export/export_text.h"
#include "core/gps/coordinates.h"
#include "core/platform/file_system.h"

namespace tesselog {

namespace {

constexpr float NoValue = std::numeric_limits<float>::quiet_NaN();

// Sum and count per cell, then the mean where there are readings.
std::vector<float> CellMeans(const std::vector<GridPoint>& points, const QuickGrid& grid) {
    std::vector<double> sum(grid.Values.size(), 0.0);
    std::vector<uint32_t> count(grid.Values.size(), 0);
    for (const GridPoint& p : points) {
        const auto column = static_cast<int32_t>((p.Easting - grid.West) / grid.Cell);
        const auto fromSouth = static_cast<int32_t>((p.Northing - grid.South) / grid.Cell);
        if (column < 0 || column >= grid.Columns || fromSouth < 0 || fromSouth >= grid.Rows) continue;
        const size_t at = size_t(grid.Rows - 1 - fromSouth) * grid.Columns + column;
        sum[at] += p.Value;
        ++count[at];
    }
    std::vector<float> means(grid.Values.size(), NoValue);
    for (size_t i = 0; i < means.size(); ++i) {
        if (count[i] > 0) means[i] = static_cast<float>(sum[i] / count[i]);
    }
    return means;
}

// An empty cell's value from the filled cells within `radius` cells.
float FilledValue(const std::vector<float>& means, const QuickGrid& grid, int32_t column, int32_t row,
                  int32_t radius) {
    double weighted = 0.0, weights = 0.0;
    const int32_t r2 = radius * radius;
    for (int32_t dr = -radius; dr <= radius; ++dr) {
        const int32_t y = row + dr;
        if (y < 0 || y >= grid.Rows) continue;
        for (int32_t dc = -radius; dc <= radius; ++dc) {
            const int32_t x = column + dc;
            const int32_t d2 = dr * dr + dc * dc;
            if (x < 0 || x >= grid.Columns || d2 > r2) continue;
            const float v = means[size_t(y) * grid.Columns + x];
            if (std::isnan(v)) continue;
            weighted += v / d2;
            weights += 1.0 / d2;
        }
    }
    return weights > 0.0 ? static_cast<float>(weighted / weights) : NoValue;
}

}  // namespace

GridExtent ExtentOf(const std::vector<GridPoint>& points) {
    GridExtent box{points[0].Easting, points[0].Easting, points[0].Northing, points[0].Northing};
    for (const GridPoint& p : points) {
        box.MinEasting = std::min(box.MinEasting, p.Easting);
        box.MaxEasting = std::max(box.MaxEasting, p.Easting);
        box.MinNorthing = std::min(box.MinNorthing, p.Northing);
        box.MaxNorthing = std::max(box.MaxNorthing, p.Northing);
    }
    return box;
}

QuickGrid BuildQuickGrid(const std::vector<GridPoint>& points, double cell, double fillRadius, std::string& error) {
    QuickGrid grid;
    if (points.empty() || !(cell > 0.0)) {
        error = points.empty() ? "no positioned readings to grid" : "the cell size must be above 0";
        return grid;
    }
    const GridExtent box = ExtentOf(points);
    const double minE = box.MinEasting, maxE = box.MaxEasting, minN = box.MinNorthing, maxN = box.MaxNorthing;
    grid.Cell = cell;
    grid.West = std::floor(minE / cell) * cell;
    grid.South = std::floor(minN / cell) * cell;
    const double columns = std::floor((maxE - grid.West) / cell) + 1;
    const double rows = std::floor((maxN - grid.South) / cell) + 1;
    if (columns * rows > double(MaxGridCells)) {
        char text[160];
        std::snprintf(text, sizeof text, "a grid of %.0f x %.0f cells is too large (at most %lld cells): "
                      "choose a larger cell size", columns, rows, static_cast<long long>(MaxGridCells));
        error = text;
        return grid;
    }
    grid.Columns = static_cast<int32_t>(columns);
    grid.Rows = static_cast<int32_t>(rows);
    grid.Values.assign(size_t(grid.Columns) * grid.Rows, NoValue);
    const std::vector<float> means = CellMeans(points, grid);
    const int32_t radius = std::min(static_cast<int32_t>(std::floor(fillRadius / cell)), MaxFillCells);
    for (int32_t row = 0; row < grid.Rows; ++row) {
        for (int32_t column = 0; column < grid.Columns; ++column) {
            const size_t at = size_t(row) * grid.Columns + column;
            grid.Values[at] = !std::isnan(means[at]) || radius < 1 ? means[at]
                                                                   : FilledValue(means, grid, column, row, radius);
        }
    }
    return grid;
}

bool WriteEsriAsciiGrid(File& file, const QuickGrid& grid) {
    TextBuffer out(file);
    std::string& t = out.Text();
    t += "ncols " + std::to_string(grid.Columns) + "\nnrows " + std::to_string(grid.Rows) + "\nxllcorner ";
    AppendTrimmed(t, grid.West, 4);
    t += "\nyllcorner ";
    AppendTrimmed(t, grid.South, 4);
    t += "\ncellsize ";
    AppendTrimmed(t, grid.Cell, 6);
    t += "\nNODATA_value ";
    AppendTrimmed(t, GridNoData, 0);
    t += '\n';
    for (int32_t row = 0; row < grid.Rows; ++row) {
        for (int32_t column = 0; column < grid.Columns; ++column) {
            if (column > 0) t += ' ';
            const float v = grid.At(column, row);
            AppendTrimmed(t, std::isnan(v) ? GridNoData : double(v), 2);
        }
        t += '\n';
        out.Row();
    }
    return out.Flush();
}

std::string UtmProjectionText(int32_t zone, int32_t hemisphere, int32_t displayUnits) {
    if (zone < 1 || zone > 60 || hemisphere == 0) return {};
    const double metres = DisplayUnitFactor(displayUnits);
    const char* unit = displayUnits == 1 ? "Foot" : displayUnits == 2 ? "Foot_US" : "Meter";
    char text[700];
    std::snprintf(text, sizeof text,
                  "PROJCS[\"WGS_1984_UTM_Zone_%d%c\",GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\","
                  "SPHEROID[\"WGS_1984\",6378137.0,298.257223563]],PRIMEM[\"Greenwich\",0.0],"
                  "UNIT[\"Degree\",0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],"
                  "PARAMETER[\"False_Easting\",%.10g],PARAMETER[\"False_Northing\",%.10g],"
                  "PARAMETER[\"Central_Meridian\",%d.0],PARAMETER[\"Scale_Factor\",0.9996],"
                  "PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"%s\",%.16g]]",
                  zone, hemisphere > 0 ? 'N' : 'S', 500000.0 / metres, hemisphere > 0 ? 0.0 : 10000000.0 / metres,
                  6 * zone - 183, unit, metres);
    return text;
}

}  // namespace tesselog
