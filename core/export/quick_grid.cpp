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
    float Weight;
};
std::vector<Neighbour> NeighboursWithin(int32_t radius) {
    std::vector<Neighbour> near;
    for (int32_t dr = -radius; dr <= radius; ++dr) {
        for (int32_t dc = -radius; dc <= radius; ++dc) {
            const int32_t d2 = dr * dr + dc * dc;
            if (d2 > 0 && d2 <= radius * radius) near.push_back({dr, dc, 1.0f / float(d2)});
        }
    }
    return near;
}

// What the fill reads of the cell means, for the rows [First, First + rows)
// of the grid as they were before any fill: each value (0 where there is
// none) and whether there is one (1 or 0), so that the sums need no test.
struct FillSource {
    int32_t First = 0;
    std::vector<float> Values;
    std::vector<float> Present;
    size_t RowAt(int32_t row, int32_t columns) const { return size_t(row - First) * size_t(columns); }
};

// Moves the source on to the rows [from, to) of the grid: the rows it holds
// already are kept (the grid's own may have been filled since), the new ones
// read from the grid.
void SlideSource(FillSource& source, const QuickGrid& grid, int32_t from, int32_t to) {
    const size_t columns = size_t(grid.Columns);
    const int32_t held = source.First + int32_t(source.Values.size() / std::max<size_t>(columns, 1));
    const int32_t keepFrom = std::max(from, source.First), keepTo = std::min(to, held);
    std::vector<float> values(size_t(to - from) * columns), present(values.size());
    if (keepTo > keepFrom) {
        const size_t at = source.RowAt(keepFrom, grid.Columns), n = size_t(keepTo - keepFrom) * columns;
        const size_t into = size_t(keepFrom - from) * columns;
        std::copy_n(source.Values.begin() + long(at), n, values.begin() + long(into));
        std::copy_n(source.Present.begin() + long(at), n, present.begin() + long(into));
    }
    for (int32_t row = keepTo > keepFrom ? keepTo : from; row < to; ++row) {
        const size_t into = size_t(row - from) * columns, at = size_t(row) * columns;
        for (size_t c = 0; c < columns; ++c) {
            const float v = grid.Values[at + c];
            const bool here = !std::isnan(v);
            values[into + c] = here ? v : 0.0f;
            present[into + c] = here ? 1.0f : 0.0f;
        }
    }
    source.First = from;
    source.Values = std::move(values);
    source.Present = std::move(present);
}

// Adds weight x row[c + shift] to sums[c] along a row, for the columns
// whose neighbour lies in the row; a loop the compiler keeps in vector registers.
void AddShifted(float* __restrict sums, const float* __restrict row, int32_t columns, int32_t shift, float weight) {
    const int32_t from = std::max(0, -shift), to = std::min(columns, columns - shift);
    for (int32_t c = from; c < to; ++c) sums[c] += weight * row[c + shift];
}

// An empty cell's value: the inverse-square-distance mean of the filled
// cells within the radius. Row by row: every neighbour's weighted values and
// weights are summed along the whole row, then each empty cell takes the
// quotient of its sums.
void FillRows(const FillSource& source, QuickGrid& grid, const std::vector<Neighbour>& near, int32_t from,
              int32_t to) {
    const int32_t columns = grid.Columns;
    std::vector<float> weighted(static_cast<size_t>(columns)), weights(static_cast<size_t>(columns));
    for (int32_t row = from; row < to; ++row) {
        std::fill(weighted.begin(), weighted.end(), 0.0f);
        std::fill(weights.begin(), weights.end(), 0.0f);
        for (const Neighbour& n : near) {
            const int32_t y = row + n.Row;
            if (y < 0 || y >= grid.Rows) continue;
            const size_t at = source.RowAt(y, columns);
            AddShifted(weighted.data(), source.Values.data() + at, columns, n.Column, n.Weight);
            AddShifted(weights.data(), source.Present.data() + at, columns, n.Column, n.Weight);
        }
        for (int32_t column = 0; column < columns; ++column) {
            const size_t at = size_t(row) * columns + column;
            if (source.Present[source.RowAt(row, columns) + size_t(column)] == 0.0f && weights[size_t(column)] > 0.0f) {
                grid.Values[at] = weighted[size_t(column)] / weights[size_t(column)];
            }
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

QuickGrid GridFrameAround(const GridExtent& box, double cell, double fillRadius, std::string& error) {
    QuickGrid grid;
    if (!(cell > 0.0)) {
        error = "the cell size must be above 0";
        return grid;
    }
    const int32_t radius = FillRadiusCells(cell, fillRadius);
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
    return grid;
}

int32_t FillRadiusCells(double cell, double fillRadius) {
    const double reach = fillRadius > 0.0 ? std::min(fillRadius / cell, double(MaxFillCells)) : 0.0;
    return static_cast<int32_t>(std::floor(reach));
}

void FillEmptyCells(QuickGrid& grid, int32_t radius, const PartsRunner& runner) {
    if (radius < 1) return;
    const std::vector<Neighbour> near = NeighboursWithin(radius);
    // Band by band from the north, so that what the fill reads is a band and
    // the rows within its reach, never a copy of the whole grid: each band's
    // rows are filled in place from a source of the rows as they were.
    constexpr int32_t BandRows = 256;
    constexpr int32_t Parts = 8;
    FillSource source;
    for (int32_t from = 0; from < grid.Rows; from += BandRows) {
        const int32_t to = std::min(grid.Rows, from + BandRows);
        SlideSource(source, grid, std::max(0, from - radius), std::min(grid.Rows, to + radius));
        runner(Parts, [&](int32_t part) {
            FillRows(source, grid, near, from + int32_t(int64_t(to - from) * part / Parts),
                     from + int32_t(int64_t(to - from) * (part + 1) / Parts));
        });
    }
}

QuickGrid BuildQuickGrid(const std::vector<GridPoint>& points, double cell, double fillRadius, std::string& error,
                         const PartsRunner& runner) {
    if (points.empty()) {
        error = "no positioned readings to grid";
        return QuickGrid();
    }
    QuickGrid grid = GridFrameAround(ExtentOf(points), cell, fillRadius, error);
    if (grid.Empty()) return grid;
    grid.Values = CellMeans(points, grid);
    FillEmptyCells(grid, FillRadiusCells(cell, fillRadius), runner);
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
