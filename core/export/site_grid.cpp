#include "core/export/site_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
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

// The offsets of one connected group of unknowns, its first fixed at 0: the
// least squares of sum w (o_a - o_b + d)² over its overlaps.
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

// Which unknown a file's cell belongs to, by the cell's console; NoUnknown
// for a cell of several consoles in a file whose consoles are levelled apart.
constexpr size_t NoUnknown = size_t(-1);
using UnknownSlots = std::array<size_t, MaxConsoles + 1>;

std::vector<UnknownSlots> SlotsOf(const std::vector<LevelUnknown>& unknowns, size_t files) {
    std::vector<UnknownSlots> slots(files);
    for (size_t u = 0; u < unknowns.size(); ++u) {
        const LevelUnknown& k = unknowns[u];
        if (k.Console == 0) {
            slots[k.File].fill(u);
        } else {
            slots[k.File][SeveralConsoles] = NoUnknown;
            slots[k.File][size_t(k.Console)] = u;
        }
    }
    return slots;
}

// The differences of every pair of unknowns of two files, cell by cell.
void CompareCells(const FileCells& a, const FileCells& b, const UnknownSlots& sa, const UnknownSlots& sb,
                  std::map<std::pair<size_t, size_t>, std::vector<double>>& differences, bool& neighbouring) {
    // The cells both have: tile against tile.
    bool shared = false;
    for (const CellTile& ta : a.Tiles) {
        const CellTile* tb = FindTile(b, ta.TileColumn, ta.TileRow);
        if (tb == nullptr) continue;
        for (size_t i = 0; i < ta.Count.size(); ++i) {
            if (ta.Count[i] == 0 || tb->Count[i] == 0) continue;
            shared = true;
            const size_t ua = sa[ta.Console[i]], ub = sb[tb->Console[i]];
            if (ua == NoUnknown || ub == NoUnknown) continue;
            differences[{ua, ub}].push_back(double(ta.Sum[i]) / ta.Count[i] - double(tb->Sum[i]) / tb->Count[i]);
        }
    }
    neighbouring = !shared;
    if (shared) return;
    // None shared: each of A's cells against the mean of B's next to it, for
    // each of B's unknowns among them.
    a.ForEach([&](int32_t column, int32_t row, float sum, uint32_t count, uint8_t console) {
        const size_t ua = sa[console];
        if (ua == NoUnknown) return;
        std::array<double, MaxConsoles + 1> near{};
        std::array<int, MaxConsoles + 1> n{};
        std::array<size_t, MaxConsoles + 1> which{};
        size_t kinds = 0;
        for (int32_t dr = -1; dr <= 1; ++dr) {
            for (int32_t dc = -1; dc <= 1; ++dc) {
                float bs = 0.0f;
                uint32_t bn = 0;
                uint8_t bc = SeveralConsoles;
                if (!b.At(column + dc, row + dr, bs, bn, bc) || sb[bc] == NoUnknown) continue;
                size_t k = 0;
                while (k < kinds && which[k] != sb[bc]) ++k;
                if (k == kinds) which[kinds++] = sb[bc];
                near[k] += double(bs) / bn;
                ++n[k];
            }
        }
        for (size_t k = 0; k < kinds; ++k) differences[{ua, which[k]}].push_back(double(sum) / count - near[k] / n[k]);
    });
}

// A console's level against its file's: the median of its cells' means less
// the median of all the file's cells' (NaN for a console with too few cells).
std::array<double, MaxConsoles + 1> ConsoleLevels(const FileCells& f, std::array<int64_t, MaxConsoles + 1>* cells = nullptr) {
    std::array<std::vector<double>, MaxConsoles + 1> byConsole;
    std::vector<double> all;
    f.ForEach([&](int32_t, int32_t, float sum, uint32_t count, uint8_t console) {
        const double mean = double(sum) / count;
        all.push_back(mean);
        if (console != SeveralConsoles) byConsole[console].push_back(mean);
    });
    std::array<double, MaxConsoles + 1> levels;
    levels.fill(std::numeric_limits<double>::quiet_NaN());
    if (all.empty()) return levels;
    const double whole = Median(all);
    for (int32_t c = 1; c <= MaxConsoles; ++c) {
        if (cells != nullptr) (*cells)[size_t(c)] = int64_t(byConsole[size_t(c)].size());
        if (int64_t(byConsole[size_t(c)].size()) >= ConsoleLevelCells) levels[size_t(c)] = Median(byConsole[size_t(c)]) - whole;
    }
    return levels;
}

}  // namespace

bool FileCells::At(int32_t column, int32_t row, float& sum, uint32_t& count) const {
    uint8_t console = SeveralConsoles;
    return At(column, row, sum, count, console);
}

bool FileCells::At(int32_t column, int32_t row, float& sum, uint32_t& count, uint8_t& console) const {
    const int32_t tc = FloorDiv(column, CellTileSide), tr = FloorDiv(row, CellTileSide);
    const CellTile* t = FindTile(*this, tc, tr);
    if (t == nullptr) return false;
    const size_t i = size_t(row - tr * CellTileSide) * CellTileSide + size_t(column - tc * CellTileSide);
    sum = t->Sum[i];
    count = t->Count[i];
    console = t->Console[i];
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
                t.Console.assign(size_t(CellTileSide) * CellTileSide, SeveralConsoles);
                last = &t;
            } else {
                last = &out.Tiles[found->second];
            }
            lastKey = key;
        }
        const size_t i = size_t(row - tr * CellTileSide) * CellTileSide + size_t(column - tc * CellTileSide);
        uint16_t& count = last->Count[i];
        if (count == MaxCellCount) continue;
        if (count == 0) {
            ++out.Filled;
            last->Console[i] = p.Console;
        } else if (last->Console[i] != p.Console) {
            last->Console[i] = SeveralConsoles;
        }
        last->Sum[i] += p.Value;
        ++count;
    }
    std::sort(out.Tiles.begin(), out.Tiles.end(), TileBefore);
    return out;
}

ConsoleOffsets SameOffset(double offset) {
    ConsoleOffsets all;
    all.fill(offset);
    return all;
}

QuickGrid GridOfFiles(const std::vector<const FileCells*>& files, const std::vector<ConsoleOffsets>& offsets,
                      double cell, double fillRadius, std::string& error, const PartsRunner& runner) {
    QuickGrid grid = MeansOfFiles(files, offsets, cell, fillRadius, error);
    if (!grid.Empty()) FillEmptyCells(grid, FillRadiusCells(cell, fillRadius), runner);
    return grid;
}

QuickGrid MeansOfFiles(const std::vector<const FileCells*>& files, const std::vector<ConsoleOffsets>& offsets,
                       double cell, double fillRadius, std::string& error) {
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
    const auto west = static_cast<int64_t>(std::llround(grid.West / cell));
    const auto south = static_cast<int64_t>(std::llround(grid.South / cell));
    // A band of the grid's rows at a time, one row of tiles: the counts are
    // kept for the band only. Each file's tiles are in the order of their
    // rows, so each file is walked once along the bands.
    std::vector<uint32_t> counts(size_t(CellTileSide) * size_t(grid.Columns));
    std::vector<size_t> next(files.size(), 0);
    const int32_t firstTileRow = FloorDiv(int32_t(south), CellTileSide);
    const int32_t lastTileRow = FloorDiv(int32_t(south + grid.Rows - 1), CellTileSide);
    for (int32_t tileRow = firstTileRow; tileRow <= lastTileRow; ++tileRow) {
        const int64_t bandSouth = std::max<int64_t>(int64_t(tileRow) * CellTileSide, south);
        const int64_t bandNorth = std::min<int64_t>(int64_t(tileRow) * CellTileSide + CellTileSide, south + grid.Rows);
        for (int64_t r = bandSouth; r < bandNorth; ++r) {
            const size_t at = size_t(grid.Rows - 1 - (r - south)) * size_t(grid.Columns);
            std::fill_n(sums.begin() + long(at), grid.Columns, 0.0f);
        }
        std::fill(counts.begin(), counts.end(), 0u);
        for (size_t i = 0; i < files.size(); ++i) {
            const std::vector<CellTile>& tiles = files[i]->Tiles;
            while (next[i] < tiles.size() && tiles[next[i]].TileRow < tileRow) ++next[i];
            for (; next[i] < tiles.size() && tiles[next[i]].TileRow == tileRow; ++next[i]) {
                const CellTile& t = tiles[next[i]];
                for (int32_t k = 0; k < CellTileSide * CellTileSide; ++k) {
                    const uint32_t count = t.Count[size_t(k)];
                    if (count == 0) continue;
                    const int64_t column = int64_t(t.TileColumn) * CellTileSide + k % CellTileSide - west;
                    const int64_t r = int64_t(tileRow) * CellTileSide + k / CellTileSide;
                    if (column < 0 || column >= grid.Columns || r < bandSouth || r >= bandNorth) continue;
                    const float offset = offsets.empty() ? 0.0f : float(offsets[i][t.Console[size_t(k)]]);
                    const size_t at = size_t(grid.Rows - 1 - (r - south)) * size_t(grid.Columns) + size_t(column);
                    sums[at] += t.Sum[size_t(k)] + offset * float(count);
                    counts[size_t(r - bandSouth) * size_t(grid.Columns) + size_t(column)] += count;
                }
            }
        }
        for (int64_t r = bandSouth; r < bandNorth; ++r) {
            const size_t at = size_t(grid.Rows - 1 - (r - south)) * size_t(grid.Columns);
            const uint32_t* n = counts.data() + size_t(r - bandSouth) * size_t(grid.Columns);
            for (int32_t c = 0; c < grid.Columns; ++c) {
                float& v = sums[at + size_t(c)];
                v = n[c] > 0 ? v / float(n[c]) : std::numeric_limits<float>::quiet_NaN();
            }
        }
    }
    return grid;
}

LevelOverlap CompareLevels(const FileCells& a, const FileCells& b, size_t ia, size_t ib) {
    UnknownSlots sa, sb;
    sa.fill(ia);
    sb.fill(ib);
    std::map<std::pair<size_t, size_t>, std::vector<double>> differences;
    LevelOverlap o;
    o.A = ia;
    o.B = ib;
    CompareCells(a, b, sa, sb, differences, o.Neighbouring);
    std::vector<double>& d = differences[{ia, ib}];
    o.Cells = int64_t(d.size());
    if (!d.empty()) o.Difference = Median(d);
    return o;
}

std::vector<LevelUnknown> LevelUnknowns(const std::vector<const FileCells*>& files) {
    std::vector<LevelUnknown> unknowns(files.size());
    for (size_t f = 0; f < files.size(); ++f) unknowns[f].File = f;
    // Each console's level against its file's, against the same in the first
    // file with cells: how far the console's set-up moved since. The file's
    // own level follows the most consoles that moved alike (the lowest
    // console's among as many); a console more than the tolerance from them
    // was set up anew.
    size_t reference = 0;
    while (reference < files.size() && files[reference]->Empty()) ++reference;
    if (reference == files.size()) return unknowns;
    const auto first = ConsoleLevels(*files[reference]);
    for (size_t f = reference + 1; f < files.size(); ++f) {
        if (files[f]->Empty()) continue;
        std::array<int64_t, MaxConsoles + 1> cells{};
        const auto own = ConsoleLevels(*files[f], &cells);
        std::array<double, MaxConsoles + 1> moved{};
        for (size_t c = 1; c <= size_t(MaxConsoles); ++c) moved[c] = own[c] - first[c];
        double common = std::numeric_limits<double>::quiet_NaN();
        int most = 0;
        for (size_t c = 1; c <= size_t(MaxConsoles); ++c) {
            if (std::isnan(moved[c])) continue;
            int alike = 0;
            for (size_t d = 1; d <= size_t(MaxConsoles); ++d) {
                alike += !std::isnan(moved[d]) && std::fabs(moved[d] - moved[c]) <= ConsoleLevelTolerance ? 1 : 0;
            }
            if (alike > most) {
                most = alike;
                common = moved[c];
            }
        }
        if (std::isnan(common)) continue;
        uint16_t kept = 0, split = 0;
        for (size_t c = 1; c <= size_t(MaxConsoles); ++c) {
            if (std::isnan(moved[c]) || std::fabs(moved[c] - common) <= ConsoleLevelTolerance) continue;
            split = uint16_t(split | 1u << c);
            unknowns.push_back({f, int32_t(c), 0, moved[c] - common, cells[c]});
        }
        if (split == 0) continue;
        for (size_t c = 1; c <= size_t(MaxConsoles); ++c) {
            if (!(split & 1u << c) && !std::isnan(own[c])) kept = uint16_t(kept | 1u << c);
        }
        unknowns[f].Consoles = kept;
    }
    return unknowns;
}

std::vector<ConsoleOffsets> SiteLevels::CellOffsets() const {
    std::vector<ConsoleOffsets> cells;
    for (size_t u = 0; u < Unknowns.size(); ++u) {
        const LevelUnknown& k = Unknowns[u];
        if (k.Console == 0) {
            cells.push_back(SameOffset(Offsets[u]));
        } else {
            cells[k.File][size_t(k.Console)] = Offsets[u];
        }
    }
    return cells;
}

SiteLevels LevelFiles(const std::vector<const FileCells*>& files) {
    SiteLevels levels;
    levels.Unknowns = LevelUnknowns(files);
    const size_t n = levels.Unknowns.size();
    const std::vector<UnknownSlots> slots = SlotsOf(levels.Unknowns, files.size());
    levels.Offsets.assign(n, 0.0);
    levels.FixedBy.resize(n);
    levels.Alone.assign(n, true);
    for (size_t a = 0; a < files.size(); ++a) {
        for (size_t b = a + 1; b < files.size(); ++b) {
            if (files[a]->Empty() || files[b]->Empty() || !BoxesMeet(*files[a], *files[b])) continue;
            std::map<std::pair<size_t, size_t>, std::vector<double>> differences;
            bool neighbouring = false;
            CompareCells(*files[a], *files[b], slots[a], slots[b], differences, neighbouring);
            for (auto& [pair, d] : differences) {
                if (int64_t(d.size()) < MinOverlapCells) continue;
                levels.Overlaps.push_back({pair.first, pair.second, int64_t(d.size()), Median(d), neighbouring});
                levels.Alone[pair.first] = levels.Alone[pair.second] = false;
            }
        }
    }
    // Each console set up anew tied to its file's own unknown.
    for (size_t u = files.size(); u < n; ++u) {
        const LevelUnknown& k = levels.Unknowns[u];
        LevelOverlap tie;
        tie.A = k.File;
        tie.B = u;
        tie.Cells = k.Cells;
        tie.Difference = -k.Moved;
        tie.Tie = true;
        levels.Overlaps.push_back(tie);
    }
    // The groups of unknowns joined by overlaps, each fixed at its first.
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
        for (size_t u : group) levels.FixedBy[u] = first;
        SolveGroup(group, levels.Overlaps, levels.Offsets);
    }
    return levels;
}

}  // namespace tesselog
