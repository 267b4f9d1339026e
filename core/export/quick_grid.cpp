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

// Sum and count per cell, then the mean where there are readings (NaN
// elsewhere). Sums in float: a cell holds a few readings of a few hundred
// units, far within its 24 bits.
std::vector<float> CellMeans(const std::vector<GridPoint>& points, const QuickGrid& grid) {
    std::vector<float> means(grid.Values.size(), 0.0f);
    std::vector<uint32_t> count(grid.Values.size(), 0);
    for (const GridPoint& p : points) {
        const auto column = static_cast<int32_t>((p.Easting - grid.West) / grid.Cell);
        const auto fromSouth = static_cast<int32_t>((p.Northing - grid.South) / grid.Cell);
        if (column < 0 || column >= grid.Columns || fromSouth < 0 || fromSouth >= grid.Rows) continue;
        const size_t at = size_t(grid.Rows - 1 - fromSouth) * grid.Columns + column;
        means[at] += p.Value;
        ++count[at];
    }
    for (size_t i = 0; i < means.size(); ++i) means[i] = count[i] > 0 ? means[i] / float(count[i]) : NoValue;
    return means;
}

// The cells within the fill radius, nearest first, with their weights 1/d².
struct Neighbour {
    int32_t Row, Column;
    double Weight;
};
std::vector<Neighbour> NeighboursWithin(int32_t radius) {
    std::vector<Neighbour> near;
    for (int32_t dr = -radius; dr <= radius; ++dr) {
        for (int32_t dc = -radius; dc <= radius; ++dc) {
            const int32_t d2 = dr * dr + dc * dc;
            if (d2 > 0 && d2 <= radius * radius) near.push_back({dr, dc, 1.0 / d2});
        }
    }
    return near;
}

// An empty cell's value: the inverse-square-distance mean of the filled
// cells within the radius.
void FillRows(const std::vector<float>& means, QuickGrid& grid, const std::vector<Neighbour>& near, int32_t from,
              int32_t to) {
    for (int32_t row = from; row < to; ++row) {
        for (int32_t column = 0; column < grid.Columns; ++column) {
            const size_t at = size_t(row) * grid.Columns + column;
            if (!std::isnan(means[at])) continue;
            double weighted = 0.0, weights = 0.0;
            for (const Neighbour& n : near) {
                const int32_t y = row + n.Row, x = column + n.Column;
                if (y < 0 || y >= grid.Rows || x < 0 || x >= grid.Columns) continue;
                const float v = means[size_t(y) * grid.Columns + x];
                if (std::isnan(v)) continue;
                weighted += v * n.Weight;
                weights += n.Weight;
            }
            if (weights > 0.0) grid.Values[at] = static_cast<float>(weighted / weights);
        }
    }
}

// The whole multiple of `cell` at or below `v`. The quotient can round up
// to a whole number (-0.9 / 0.3 gives -2.9999999999999996, whose floor times
// 0.3 is just above -0.9): such a corner is stepped back a cell, or the
// readings on the grid's edge, or a grid of one row of them, would be lost.
double CornerAtOrBelow(double v, double cell) {
    const double corner = std::floor(v / cell) * cell;
    return corner > v ? corner - cell : corner;
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

void RunPartsInTurn(int32_t parts, const std::function<void(int32_t part)>& job) {
    for (int32_t part = 0; part < parts; ++part) job(part);
}

QuickGrid BuildQuickGrid(const std::vector<GridPoint>& points, double cell, double fillRadius, std::string& error,
                         const PartsRunner& runner) {
    QuickGrid grid;
    if (points.empty() || !(cell > 0.0)) {
        error = points.empty() ? "no positioned readings to grid" : "the cell size must be above 0";
        return grid;
    }
    const GridExtent box = ExtentOf(points);
    const double reach = fillRadius > 0.0 ? std::min(fillRadius / cell, double(MaxFillCells)) : 0.0;
    const auto radius = static_cast<int32_t>(std::floor(reach));
    const double margin = cell / 2 + radius * cell;
    grid.Cell = cell;
    grid.West = CornerAtOrBelow(box.MinEasting - margin, cell);
    grid.South = CornerAtOrBelow(box.MinNorthing - margin, cell);
    const double columns = std::floor((box.MaxEasting + margin - grid.West) / cell) + 1;
    const double rows = std::floor((box.MaxNorthing + margin - grid.South) / cell) + 1;
    if (columns * rows > double(MaxGridCells)) {
        char text[160];
        std::snprintf(text, sizeof text, "a grid of %.0f x %.0f cells is too large (at most %lld cells): "
                      "choose a larger cell size", columns, rows, static_cast<long long>(MaxGridCells));
        error = text;
        return grid;
    }
    grid.Columns = static_cast<int32_t>(columns);
    grid.Rows = static_cast<int32_t>(rows);
    grid.Values.resize(size_t(grid.Columns) * grid.Rows);
    const std::vector<float> means = CellMeans(points, grid);
    grid.Values = means;
    if (radius < 1) return grid;
    const std::vector<Neighbour> near = NeighboursWithin(radius);
    constexpr int32_t Parts = 8;
    runner(Parts, [&](int32_t part) {
        FillRows(means, grid, near, int32_t(int64_t(grid.Rows) * part / Parts),
                 int32_t(int64_t(grid.Rows) * (part + 1) / Parts));
    });
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

std::string PictureAuxXml(const std::string& projection) {
    std::string text = "<PAMDataset>\n  <SRS>";
    AppendXmlText(text, projection);
    text += "</SRS>\n</PAMDataset>\n";
    return text;
}

}  // namespace tesselog
