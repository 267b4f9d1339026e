#include "core/export/site_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace tesselog {

namespace {

int32_t CellIndex(double v, double cell) { return static_cast<int32_t>(std::floor(v / cell)); }

// floor(a / b) for b > 0.
int32_t FloorDiv(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

int64_t TileKey(int32_t tileColumn, int32_t tileRow) {
    return int64_t(tileRow) * (int64_t(1) << 32) + int64_t(uint32_t(tileColumn));
}

bool TileBefore(const CellTile& a, const CellTile& b) {
    return a.TileRow != b.TileRow ? a.TileRow < b.TileRow : a.TileColumn < b.TileColumn;
}

const CellTile* FindTile(const FileCells& f, int32_t tileColumn, int32_t tileRow) {
    CellTile key;
    key.TileColumn = tileColumn;
    key.TileRow = tileRow;
    const auto it = std::lower_bound(f.Tiles.begin(), f.Tiles.end(), key, TileBefore);
    return it != f.Tiles.end() && it->TileRow == tileRow && it->TileColumn == tileColumn ? &*it : nullptr;
}

double Median(std::vector<double>& values) {
    const size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + long(half), values.end());
    const double upper = values[half];
    if (values.size() % 2 == 1) return upper;
    return (*std::max_element(values.begin(), values.begin() + long(half)) + upper) / 2;
}

bool BoxesMeet(const FileCells& a, const FileCells& b) {
    const double reach = a.Cell * 1.5;
    return a.Box.MinEasting <= b.Box.MaxEasting + reach && b.Box.MinEasting <= a.Box.MaxEasting + reach &&
           a.Box.MinNorthing <= b.Box.MaxNorthing + reach && b.Box.MinNorthing <= a.Box.MaxNorthing + reach;
}

// Solves m x = v in place (Gaussian elimination with partial pivoting); m is
// n x n, row by row.
void Solve(std::vector<double>& m, std::vector<double>& v, size_t n) {
    for (size_t k = 0; k < n; ++k) {
        size_t pivot = k;
        for (size_t i = k + 1; i < n; ++i) {
            if (std::fabs(m[i * n + k]) > std::fabs(m[pivot * n + k])) pivot = i;
        }
        for (size_t j = 0; j < n; ++j) std::swap(m[k * n + j], m[pivot * n + j]);
        std::swap(v[k], v[pivot]);
        for (size_t i = k + 1; i < n; ++i) {
            const double f = m[i * n + k] / m[k * n + k];
            for (size_t j = k; j < n; ++j) m[i * n + j] -= f * m[k * n + j];
            v[i] -= f * v[k];
        }
    }
    for (size_t k = n; k-- > 0;) {
        double s = v[k];
        for (size_t j = k + 1; j < n; ++j) s -= m[k * n + j] * v[j];
        v[k] = s / m[k * n + k];
    }
}

// The offsets of one connected group, its first file fixed at 0: the least
// squares of sum w (o_a - o_b + d)² over its overlaps.
void SolveGroup(const std::vector<size_t>& group, const std::vector<LevelOverlap>& overlaps,
                std::vector<double>& offsets) {
    const size_t n = group.size() - 1;
    if (n == 0) return;
    std::vector<long> unknown(offsets.size(), -1);
    for (size_t i = 1; i < group.size(); ++i) unknown[group[i]] = long(i - 1);
    std::vector<double> m(n * n, 0.0), v(n, 0.0);
    for (const LevelOverlap& o : overlaps) {
        const long a = unknown[o.A], b = unknown[o.B];
        const bool inGroup = std::find(group.begin(), group.end(), o.A) != group.end();
        if (!inGroup) continue;
        const double w = double(o.Cells);
        // d/do_a: w (o_a - o_b + d); d/do_b: -w (o_a - o_b + d).
        if (a >= 0) {
            m[size_t(a) * n + size_t(a)] += w;
            if (b >= 0) m[size_t(a) * n + size_t(b)] -= w;
            v[size_t(a)] -= w * o.Difference;
        }
        if (b >= 0) {
            m[size_t(b) * n + size_t(b)] += w;
            if (a >= 0) m[size_t(b) * n + size_t(a)] -= w;
            v[size_t(b)] += w * o.Difference;
        }
    }
    Solve(m, v, n);
    for (size_t i = 1; i < group.size(); ++i) offsets[group[i]] = v[i - 1];
}

}  // namespace

bool FileCells::At(int32_t column, int32_t row, float& sum, uint32_t& count) const {
    const int32_t tc = FloorDiv(column, CellTileSide), tr = FloorDiv(row, CellTileSide);
    const CellTile* t = FindTile(*this, tc, tr);
    if (t == nullptr) return false;
    const size_t i = size_t(row - tr * CellTileSide) * CellTileSide + size_t(column - tc * CellTileSide);
    sum = t->Sum[i];
    count = t->Count[i];
    return count > 0;
}

FileCells SumIntoCells(const std::vector<GridPoint>& points, double cell) {
    FileCells out;
    out.Cell = cell;
    if (points.empty() || !(cell > 0.0)) return out;
    out.Box = ExtentOf(points);
    std::unordered_map<int64_t, size_t> index;
    int64_t lastKey = std::numeric_limits<int64_t>::min();
    CellTile* last = nullptr;
    for (const GridPoint& p : points) {
        const int32_t column = CellIndex(p.Easting, cell), row = CellIndex(p.Northing, cell);
        const int32_t tc = FloorDiv(column, CellTileSide), tr = FloorDiv(row, CellTileSide);
        const int64_t key = TileKey(tc, tr);
        if (key != lastKey) {
            // Readings come along the walk: most fall in the tile of the one before.
            const auto found = index.find(key);
            if (found == index.end()) {
                index.emplace(key, out.Tiles.size());
                out.Tiles.emplace_back();
                CellTile& t = out.Tiles.back();
                t.TileColumn = tc;
                t.TileRow = tr;
                t.Sum.assign(size_t(CellTileSide) * CellTileSide, 0.0f);
                t.Count.assign(size_t(CellTileSide) * CellTileSide, 0);
                last = &t;
            } else {
                last = &out.Tiles[found->second];
            }
            lastKey = key;
        }
        const size_t i = size_t(row - tr * CellTileSide) * CellTileSide + size_t(column - tc * CellTileSide);
        out.Filled += last->Count[i] == 0 ? 1 : 0;
        last->Sum[i] += p.Value;
        ++last->Count[i];
    }
    std::sort(out.Tiles.begin(), out.Tiles.end(), TileBefore);
    return out;
}

QuickGrid GridOfFiles(const std::vector<const FileCells*>& files, const std::vector<double>& offsets, double cell,
                      double fillRadius, std::string& error, const PartsRunner& runner) {
    QuickGrid grid = MeansOfFiles(files, offsets, cell, fillRadius, error);
    if (!grid.Empty()) FillEmptyCells(grid, FillRadiusCells(cell, fillRadius), runner);
    return grid;
}

QuickGrid MeansOfFiles(const std::vector<const FileCells*>& files, const std::vector<double>& offsets, double cell,
                       double fillRadius, std::string& error) {
    bool any = false;
    GridExtent box{0, 0, 0, 0};
    for (const FileCells* f : files) {
        if (f->Empty()) continue;
        if (!any) box = f->Box;
        box.MinEasting = std::min(box.MinEasting, f->Box.MinEasting);
        box.MaxEasting = std::max(box.MaxEasting, f->Box.MaxEasting);
        box.MinNorthing = std::min(box.MinNorthing, f->Box.MinNorthing);
        box.MaxNorthing = std::max(box.MaxNorthing, f->Box.MaxNorthing);
        any = true;
    }
    if (!any) {
        error = "no positioned readings to grid";
        return QuickGrid();
    }
    QuickGrid grid = GridFrameAround(box, cell, fillRadius, error);
    if (grid.Empty()) return grid;
    std::vector<float>& sums = grid.Values;
    std::fill(sums.begin(), sums.end(), 0.0f);
    std::vector<uint32_t> counts(sums.size(), 0);
    const auto west = static_cast<int64_t>(std::llround(grid.West / cell));
    const auto south = static_cast<int64_t>(std::llround(grid.South / cell));
    for (size_t i = 0; i < files.size(); ++i) {
        const float offset = offsets.empty() ? 0.0f : float(offsets[i]);
        files[i]->ForEach([&](int32_t c, int32_t r, float sum, uint32_t count) {
            const int64_t column = c - west, fromSouth = r - south;
            if (column < 0 || column >= grid.Columns || fromSouth < 0 || fromSouth >= grid.Rows) return;
            const size_t at = size_t(grid.Rows - 1 - fromSouth) * size_t(grid.Columns) + size_t(column);
            sums[at] += sum + offset * float(count);
            counts[at] += count;
        });
    }
    for (size_t i = 0; i < sums.size(); ++i) {
        sums[i] = counts[i] > 0 ? sums[i] / float(counts[i]) : std::numeric_limits<float>::quiet_NaN();
    }
    return grid;
}

LevelOverlap CompareLevels(const FileCells& a, const FileCells& b, size_t ia, size_t ib) {
    LevelOverlap o;
    o.A = ia;
    o.B = ib;
    std::vector<double> differences;
    // The cells both have: tile against tile.
    for (const CellTile& ta : a.Tiles) {
        const CellTile* tb = FindTile(b, ta.TileColumn, ta.TileRow);
        if (tb == nullptr) continue;
        for (size_t i = 0; i < ta.Count.size(); ++i) {
            if (ta.Count[i] == 0 || tb->Count[i] == 0) continue;
            differences.push_back(double(ta.Sum[i]) / ta.Count[i] - double(tb->Sum[i]) / tb->Count[i]);
        }
    }
    if (differences.empty()) {
        o.Neighbouring = true;
        a.ForEach([&](int32_t column, int32_t row, float sum, uint32_t count) {
            double near = 0.0;
            int n = 0;
            for (int32_t dr = -1; dr <= 1; ++dr) {
                for (int32_t dc = -1; dc <= 1; ++dc) {
                    float bs = 0.0f;
                    uint32_t bn = 0;
                    if (b.At(column + dc, row + dr, bs, bn)) {
                        near += double(bs) / bn;
                        ++n;
                    }
                }
            }
            if (n > 0) differences.push_back(double(sum) / count - near / n);
        });
    }
    o.Cells = int64_t(differences.size());
    if (!differences.empty()) o.Difference = Median(differences);
    return o;
}

SiteLevels LevelFiles(const std::vector<const FileCells*>& files) {
    SiteLevels levels;
    const size_t n = files.size();
    levels.Offsets.assign(n, 0.0);
    levels.FixedBy.resize(n);
    levels.Alone.assign(n, true);
    for (size_t a = 0; a < n; ++a) {
        for (size_t b = a + 1; b < n; ++b) {
            if (files[a]->Empty() || files[b]->Empty() || !BoxesMeet(*files[a], *files[b])) continue;
            const LevelOverlap o = CompareLevels(*files[a], *files[b], a, b);
            if (o.Cells < MinOverlapCells) continue;
            levels.Overlaps.push_back(o);
            levels.Alone[a] = levels.Alone[b] = false;
        }
    }
    // The groups of files joined by overlaps, each fixed at its first file.
    std::vector<bool> seen(n, false);
    for (size_t first = 0; first < n; ++first) {
        if (seen[first]) continue;
        std::vector<size_t> group{first};
        seen[first] = true;
        for (size_t k = 0; k < group.size(); ++k) {
            for (const LevelOverlap& o : levels.Overlaps) {
                const size_t other = o.A == group[k] ? o.B : o.B == group[k] ? o.A : n;
                if (other < n && !seen[other]) {
                    seen[other] = true;
                    group.push_back(other);
                }
            }
        }
        std::sort(group.begin(), group.end());
        for (size_t f : group) levels.FixedBy[f] = first;
        SolveGroup(group, levels.Overlaps, levels.Offsets);
    }
    return levels;
}

}  // namespace tesselog
