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
//
// A console whose set-up changed against the first file's (re-balanced, so
// that its level against the file's other consoles is not what it was in the
// first file) is an unknown of its own: its cells are compared apart from
// the rest of its file's, and it is tied to its file's own unknown by how far
// it moved (weighted by its cells in the file), so that it is solved with
// its file even where it overlaps little or nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/export/quick_grid.h"
#include "core/settings/settings.h"

namespace tesselog {

// A file's cells in tiles of 64 x 64, only the tiles it has readings in:
// 7 bytes a cell where it walked, nothing elsewhere. A cell counts at most
// MaxCellCount readings (an hour's standing on one spot); later ones in it
// are left out of its mean.
constexpr int32_t CellTileSide = 64;
constexpr uint16_t MaxCellCount = 65535;
constexpr uint8_t SeveralConsoles = 0;  // a cell's console when more than one (or none known) read in it
struct CellTile {
    int32_t TileColumn = 0;        // floor(column / CellTileSide)
    int32_t TileRow = 0;
    std::vector<float> Sum;        // CellTileSide² cells, rows from the south
    std::vector<uint16_t> Count;
    std::vector<uint8_t> Console;  // 1..9, or SeveralConsoles
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
    bool At(int32_t column, int32_t row, float& sum, uint32_t& count, uint8_t& console) const;
    // Calls f(column, row, sum, count, console) for each cell with readings.
    template <typename F>
    void ForEach(F f) const {
        for (const CellTile& t : Tiles) {
            for (int32_t i = 0; i < CellTileSide * CellTileSide; ++i) {
                if (t.Count[size_t(i)] == 0) continue;
                f(t.TileColumn * CellTileSide + i % CellTileSide, t.TileRow * CellTileSide + i / CellTileSide,
                  t.Sum[size_t(i)], uint32_t(t.Count[size_t(i)]), t.Console[size_t(i)]);
            }
        }
    }
};

FileCells SumIntoCells(const std::vector<GridPoint>& points, double cell);

// What a file's cells are raised by, by the console they were read by
// ([SeveralConsoles] for cells of more than one).
using ConsoleOffsets = std::array<double, MaxConsoles + 1>;
ConsoleOffsets SameOffset(double offset);

// The grid over every file's cells, each file's values raised by its offsets
// (`offsets` empty: none), filled as the quick grid fills. Empty (with
// `error`) without cells or when too large.
QuickGrid GridOfFiles(const std::vector<const FileCells*>& files, const std::vector<ConsoleOffsets>& offsets,
                      double cell, double fillRadius, std::string& error, const PartsRunner& runner = RunPartsInTurn);

// What is levelled: a file's cells, or one console's of a file whose
// console's set-up changed (the file's own unknown then holds its other
// consoles).
struct LevelUnknown {
    size_t File = 0;
    int32_t Console = 0;         // 1..9 for a console levelled on its own, 0 for the file's own
    uint16_t Consoles = 0;       // the file's own: bit c for each console it holds, 0 when it holds them all
    double Moved = 0.0;          // a console's: how far its level moved against its file's own since the first file
    int64_t Cells = 0;           // a console's: its cells in its file
};

// The difference of level between two unknowns where they meet: the median
// of A's cell means less B's over the cells they share (or, when their files
// share none, over A's cells that have one of B's next to them).
struct LevelOverlap {
    size_t A = 0;
    size_t B = 0;
    int64_t Cells = 0;
    double Difference = 0.0;
    bool Neighbouring = false;   // compared with the next cells, no cell shared
    bool Tie = false;            // a file's own unknown (A) and one of its consoles set up anew (B): -Moved over its cells
};

// Overlaps of fewer cells than this are not used.
constexpr int64_t MinOverlapCells = 4;
// A console is levelled on its own when its level against its file's other
// consoles differs from the first file's by more than this (reading units),
// judged over at least ConsoleLevelCells cells of its own.
constexpr double ConsoleLevelTolerance = 0.5;
constexpr int64_t ConsoleLevelCells = 100;

struct SiteLevels {
    std::vector<LevelUnknown> Unknowns; // each file's own in file order (unknown i is file i), then the consoles
    std::vector<double> Offsets;        // per unknown, added to its values
    std::vector<LevelOverlap> Overlaps; // every one used, between unknowns
    std::vector<size_t> FixedBy;        // per unknown: the one its group is fixed to (itself for a group's first)
    std::vector<bool> Alone;            // per unknown: meets no other file (its tie aside)
    // Per file, its cells' offsets by console.
    std::vector<ConsoleOffsets> CellOffsets() const;
};

// The same without the fill: the cell means alone (NaN where no file has a
// reading), so that the files' cells can be let go before the fill.
QuickGrid MeansOfFiles(const std::vector<const FileCells*>& files, const std::vector<ConsoleOffsets>& offsets,
                       double cell, double fillRadius, std::string& error);

// Two files' difference, all their cells (A and B: ia and ib).
LevelOverlap CompareLevels(const FileCells& a, const FileCells& b, size_t ia, size_t ib);
// The files' own unknowns, and one for each console whose set-up changed.
std::vector<LevelUnknown> LevelUnknowns(const std::vector<const FileCells*>& files);
SiteLevels LevelFiles(const std::vector<const FileCells*>& files);

}  // namespace tesselog
