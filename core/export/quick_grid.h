// The gridded quick-look: positioned readings averaged into square cells,
// the gaps between the sensors' tracks filled from the cells around them,
// written as an ESRI ASCII grid with a .prj naming WGS 84 / UTM.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tesselog {

class File;

struct GridPoint {
    double Easting = 0.0;
    double Northing = 0.0;
    float Value = 0.0f;
    uint8_t Console = 0;  // 1..9; 0 when not known (a site's levels by console use it)
};

// More cells than this are refused: the cell size is too small for the area.
constexpr int64_t MaxGridCells = 60000000;
// The fill looks at most this many cells away.
constexpr int32_t MaxFillCells = 20;

struct QuickGrid {
    double West = 0.0;   // lower-left corner of the lower-left cell
    double South = 0.0;
    double Cell = 0.0;
    int32_t Columns = 0;
    int32_t Rows = 0;
    std::vector<float> Values;  // row 0 is the northernmost; NaN where there is no data

    float At(int32_t column, int32_t row) const { return Values[size_t(row) * Columns + column]; }
    bool Empty() const { return Values.empty(); }
};

// Cells of `cell` units aligned on whole multiples of it. A cell holds the
// mean of the readings that fall in it; a cell without readings takes the
// inverse-square-distance mean of the filled cells within `fillRadius` (same
// unit, at most MaxFillCells cells; 0 fills nothing). The grid reaches half
// a cell and the fill's reach beyond the outermost readings, so that the
// fill of the edge cells is whole and the swath never touches the grid's
// edge. Empty result without points, or with more than MaxGridCells cells
// (`error` says why).
// The smallest box around the points (they must not be empty).
struct GridExtent {
    double MinEasting, MaxEasting, MinNorthing, MaxNorthing;
};
GridExtent ExtentOf(const std::vector<GridPoint>& points);

// Runs job(0) .. job(parts - 1), each once, in any order or at once; the
// grid's fill is cut into parts of rows that share nothing.
using PartsRunner = std::function<void(int32_t parts, const std::function<void(int32_t part)>& job)>;
void RunPartsInTurn(int32_t parts, const std::function<void(int32_t part)>& job);

QuickGrid BuildQuickGrid(const std::vector<GridPoint>& points, double cell, double fillRadius, std::string& error,
                         const PartsRunner& runner = RunPartsInTurn);

// The pieces of BuildQuickGrid, for grids made of cells summed elsewhere:
// the frame around a box of readings (its cells allocated, the values to be
// filled in; empty with `error` when too large), the fill's reach in cells,
// and the fill of the empty cells (NaN) from the cells with values.
QuickGrid GridFrameAround(const GridExtent& box, double cell, double fillRadius, std::string& error);
int32_t FillRadiusCells(double cell, double fillRadius);
void FillEmptyCells(QuickGrid& grid, int32_t radius, const PartsRunner& runner = RunPartsInTurn);

// The ESRI ASCII grid: ncols, nrows, xllcorner, yllcorner, cellsize,
// NODATA_value -9999, then the rows from north to south.
constexpr double GridNoData = -9999.0;
bool WriteEsriAsciiGrid(File& file, const QuickGrid& grid);

// The .prj of a UTM zone on WGS 84 (ESRI well-known text) in the display
// unit (0 metres, 1 feet, 2 US survey feet); empty for an unknown zone or
// hemisphere.
std::string UtmProjectionText(int32_t zone, int32_t hemisphere, int32_t displayUnits);

// The side file that gives a picture with a world file its coordinate
// system in GDAL and QGIS (PICTURE.png.aux.xml), which read no .prj beside a
// PNG: the projection text as the dataset's SRS.
std::string PictureAuxXml(const std::string& projection);

}  // namespace tesselog
