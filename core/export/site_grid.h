// A site walked in several data files: one grid over all of them, and the
// levels of the files against each other.
//
// Each file's placed readings are summed into the cells of the site's grid
// (cells aligned on whole multiples of the cell size, as the quick grid's
// are) and kept in tiles of the cells around its readings only, so that what
// a file leaves behind grows with the ground it covers, not with its
// readings.
//
// Levelling: where two files have readings in the same cells, the median of
// the differences of their cell means is the difference of their levels
// there; two files whose swaths do not share a cell but lie within one cell
// of each other are compared cell against neighbouring cell. One offset per
// file is solved over all these differences at once by least squares (each
// weighted by the number of cells it rests on), the first file of each
// connected group fixed at 0; a file that meets no other keeps its level.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/export/quick_grid.h"

namespace tesselog {

// A file's cells in tiles of 64 x 64, only the tiles it has readings in:
// 8 bytes a cell where it walked, nothing elsewhere.
constexpr int32_t CellTileSide = 64;
struct CellTile {
    int32_t TileColumn = 0;        // floor(column / CellTileSide)
    int32_t TileRow = 0;
    std::vector<float> Sum;        // CellTileSide² cells, rows from the south
    std::vector<uint32_t> Count;
};

// One file's cells (column = floor(easting / cell), row = floor(northing /
// cell)) and the box of its readings.
struct FileCells {
    std::vector<CellTile> Tiles;   // in the order of (TileRow, TileColumn)
    GridExtent Box{0, 0, 0, 0};
    double Cell = 0.0;
    int64_t Filled = 0;            // cells with readings
    bool Empty() const { return Filled == 0; }
    // The cell's sum and count; false when the file has no reading in it.
    bool At(int32_t column, int32_t row, float& sum, uint32_t& count) const;
    // Calls f(column, row, sum, count) for each cell with readings.
    template <typename F>
    void ForEach(F f) const {
        for (const CellTile& t : Tiles) {
            for (int32_t i = 0; i < CellTileSide * CellTileSide; ++i) {
                if (t.Count[size_t(i)] == 0) continue;
                f(t.TileColumn * CellTileSide + i % CellTileSide, t.TileRow * CellTileSide + i / CellTileSide,
                  t.Sum[size_t(i)], t.Count[size_t(i)]);
            }
        }
    }
};

FileCells SumIntoCells(const std::vector<GridPoint>& points, double cell);

// The grid over every file's cells, each file's values raised by its offset
// (`offsets` empty: none), filled as the quick grid fills. Empty (with
// `error`) without cells or when too large.
QuickGrid GridOfFiles(const std::vector<const FileCells*>& files, const std::vector<double>& offsets, double cell,
                      double fillRadius, std::string& error, const PartsRunner& runner = RunPartsInTurn);

// The difference of level between two files where they meet: the median of
// file A's cell means less file B's over the cells they share (or, when they
// share none, over A's cells that have one of B's next to them).
struct LevelOverlap {
    size_t A = 0;
    size_t B = 0;
    int64_t Cells = 0;
    double Difference = 0.0;
    bool Neighbouring = false;   // compared with the next cells, no cell shared
};

// Overlaps of fewer cells than this are not used.
constexpr int64_t MinOverlapCells = 4;

struct SiteLevels {
    std::vector<double> Offsets;        // per file, added to its values
    std::vector<LevelOverlap> Overlaps; // every one used
    std::vector<size_t> FixedBy;        // per file: the file its group is fixed to (itself for a group's first)
    std::vector<bool> Alone;            // per file: meets no other file
};

// The same without the fill: the cell means alone (NaN where no file has a
// reading), so that the files' cells can be let go before the fill.
QuickGrid MeansOfFiles(const std::vector<const FileCells*>& files, const std::vector<double>& offsets, double cell,
                       double fillRadius, std::string& error);

LevelOverlap CompareLevels(const FileCells& a, const FileCells& b, size_t ia, size_t ib);
SiteLevels LevelFiles(const std::vector<const FileCells*>& files);

}  // namespace tesselog
