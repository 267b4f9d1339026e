// A site of several files: each file's cells, the levels solved over the
// overlaps, the grid over all files, places moved into the first file's zone
// and unit, and the Surfer 7 and GeoTIFF bytes read back field by field.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/export/grid_formats.h"
#include "core/export/site_grid.h"
#include "core/export/site_places.h"
#include "core/gps/coordinates.h"

namespace tesselog {
namespace {

// Readings on a square of `size` metres from (west, south), one every 0.1 m
// each way, reading `level` plus a ground that rises 0.5 nT a metre east.
std::vector<GridPoint> Block(double west, double south, double size, double level) {
    std::vector<GridPoint> points;
    for (double e = 0.05; e < size; e += 0.1) {
        for (double n = 0.05; n < size; n += 0.1) {
            points.push_back({west + e, south + n, float(level + 0.5 * (west + e - 600000.0))});
        }
    }
    return points;
}

TEST(SiteLevels, OffsetsOfOverlappingFilesSolvedTogether) {
    // Four files: A, B overlapping A by 2 m, C overlapping B, and D far off.
    // Levels +3, -1.5, +0.5 and +7: against A, B needs +4.5 and C +2.5.
    const FileCells a = SumIntoCells(Block(600000, 5700000, 10, 3.0), 0.5);
    const FileCells b = SumIntoCells(Block(600008, 5700000, 10, -1.5), 0.5);
    const FileCells c = SumIntoCells(Block(600016, 5700000, 10, 0.5), 0.5);
    const FileCells d = SumIntoCells(Block(600100, 5700000, 10, 7.0), 0.5);
    ASSERT_EQ(a.Filled, 400);
    float sum = 0.0f;
    uint32_t count = 0;
    ASSERT_TRUE(a.At(1200000, 11400000, sum, count));  // the south-west cell: 600000 / 0.5, 5700000 / 0.5
    EXPECT_EQ(count, 25u);                              // five readings a cell each way
    EXPECT_FLOAT_EQ(sum / float(count), 3.0f + 0.5f * 0.25f);
    EXPECT_FALSE(a.At(1200000 - 1, 11400000, sum, count));
    EXPECT_FALSE(a.At(1200000 + 20, 11400000, sum, count));
    const SiteLevels levels = LevelFiles({&a, &b, &c, &d});
    ASSERT_EQ(levels.Offsets.size(), 4u);
    EXPECT_NEAR(levels.Offsets[0], 0.0, 1e-9);
    EXPECT_NEAR(levels.Offsets[1], 4.5, 1e-4);
    EXPECT_NEAR(levels.Offsets[2], 2.5, 1e-4);
    EXPECT_NEAR(levels.Offsets[3], 0.0, 1e-9);
    EXPECT_EQ(levels.Alone, (std::vector<bool>{false, false, false, true}));
    ASSERT_EQ(levels.Overlaps.size(), 2u);
    EXPECT_EQ(levels.Overlaps[0].A, 0u);
    EXPECT_EQ(levels.Overlaps[0].B, 1u);
    EXPECT_EQ(levels.Overlaps[0].Cells, 4 * 20);  // 2 m by 10 m of 0.5 m cells
    EXPECT_NEAR(levels.Overlaps[0].Difference, 4.5, 1e-4);
    EXPECT_FALSE(levels.Overlaps[0].Neighbouring);
    EXPECT_EQ(levels.FixedBy, (std::vector<size_t>{0, 0, 0, 3}));
}

TEST(SiteLevels, ThreeFilesEachOverlappingBothOthers) {
    // A, B and C each overlapping both others, their levels 0, +1 and +2;
    // C reads 0.3 nT more west of B, over less than half of its overlap with
    // A, which the median of that overlap does not follow.
    const FileCells a = SumIntoCells(Block(600000, 5700000, 10, 0.0), 0.5);
    const FileCells b = SumIntoCells(Block(600005, 5700000, 10, 1.0), 0.5);
    std::vector<GridPoint> cPoints = Block(600002, 5700005, 10, 2.0);
    for (GridPoint& p : cPoints) {
        if (p.Easting < 600005) p.Value += 0.3f;
    }
    const FileCells c = SumIntoCells(cPoints, 0.5);
    const SiteLevels levels = LevelFiles({&a, &b, &c});
    ASSERT_EQ(levels.Overlaps.size(), 3u);
    const LevelOverlap& ab = levels.Overlaps[0];
    const LevelOverlap& ac = levels.Overlaps[1];
    const LevelOverlap& bc = levels.Overlaps[2];
    EXPECT_NEAR(ab.Difference, -1.0, 1e-4);
    EXPECT_NEAR(bc.Difference, -1.0, 1e-4);
    EXPECT_EQ(ac.Cells, 16 * 10);  // 8 m by 5 m
    EXPECT_NEAR(ac.Difference, -2.0, 1e-4);  // 6 of its 16 columns read 0.3 more: the median holds
    // The offsets make every overlap's weighted misfit sum to nothing for
    // each unknown (the normal equations): d/dB and d/dC of the squares.
    const double ob = levels.Offsets[1], oc = levels.Offsets[2];
    const double rab = -ob + ab.Difference, rac = -oc + ac.Difference, rbc = ob - oc + bc.Difference;
    EXPECT_NEAR(-double(ab.Cells) * rab + double(bc.Cells) * rbc, 0.0, 1e-6);
    EXPECT_NEAR(-double(ac.Cells) * rac - double(bc.Cells) * rbc, 0.0, 1e-6);
    EXPECT_NEAR(ob, -1.0, 1e-4);  // B read 1 nT high, C 2 nT
    EXPECT_NEAR(oc, -2.0, 1e-4);
}

TEST(SiteLevels, FilesThatOnlyTouchAreComparedWithTheNextCells) {
    // B begins 0.25 m east of A's last reading: no shared cell, neighbours.
    const FileCells a = SumIntoCells(Block(600000, 5700000, 10, 0.0), 0.5);
    const FileCells b = SumIntoCells(Block(600010.2, 5700000, 10, 2.0), 0.5);
    const LevelOverlap o = CompareLevels(a, b, 0, 1);
    EXPECT_TRUE(o.Neighbouring);
    EXPECT_EQ(o.Cells, 20);  // A's last column of 20 cells
    // A's cell mean at 9.75 m against B's next cells' (10.45 m and more, their
    // means at 10.45/10.7 over three rows): the ground's slope shows in it.
    EXPECT_LT(o.Difference, -2.0);
    EXPECT_GT(o.Difference, -2.6);
}

// The same square walked by two consoles in strips of 1 m (console 1 in the
// first metre from the west, console 2 in the next, and so on), each reading
// a level of its own.
std::vector<GridPoint> TwoConsoleBlock(double west, double south, double size, double level1, double level2) {
    std::vector<GridPoint> points = Block(west, south, size, 0.0);
    for (GridPoint& p : points) {
        p.Console = uint8_t(1 + int(std::floor(p.Easting - west)) % 2);
        p.Value += float(p.Console == 1 ? level1 : level2);
    }
    return points;
}

TEST(SiteLevels, ConsoleSetUpAnewLevelledOnItsOwn) {
    // A, B and C in a row, each overlapping the next by 2 m. A's consoles read
    // +3 and +3; B's console 2 was balanced again (+2) while console 1 kept
    // +3; C's both read 0. Against A: B's console 1 needs 0, its console 2
    // +1, C +3 (both its consoles alike: no console of its own).
    const FileCells a = SumIntoCells(TwoConsoleBlock(600000, 5700000, 10, 3.0, 3.0), 0.5);
    const FileCells b = SumIntoCells(TwoConsoleBlock(600008, 5700000, 10, 3.0, 2.0), 0.5);
    const FileCells c = SumIntoCells(TwoConsoleBlock(600016, 5700000, 10, 0.0, 0.0), 0.5);
    const SiteLevels levels = LevelFiles({&a, &b, &c});
    ASSERT_EQ(levels.Unknowns.size(), 4u);
    EXPECT_EQ(levels.Unknowns[3].File, 1u);
    EXPECT_EQ(levels.Unknowns[3].Console, 2);
    EXPECT_EQ(levels.Unknowns[1].Consoles, 1u << 1);  // B's own level: its console 1
    EXPECT_EQ(levels.Unknowns[2].Consoles, 0u);       // C's: all its consoles
    EXPECT_NEAR(levels.Offsets[1], 0.0, 1e-4);
    EXPECT_NEAR(levels.Offsets[3], 1.0, 1e-4);
    EXPECT_NEAR(levels.Offsets[2], 3.0, 1e-4);
    // B's console 2 rests on A and C apart from B's console 1 (2 m by 10 m
    // of A's and of C's, half of them console 2's), and on its tie to B: it
    // read 1 nT lower against B's console 1 than A's console 2 against A's
    // console 1, over its 200 cells.
    int64_t console2 = 0;
    for (const LevelOverlap& o : levels.Overlaps) {
        if ((o.A == 3 || o.B == 3) && !o.Tie) console2 += o.Cells;
    }
    EXPECT_EQ(console2, 2 * 20 + 2 * 20);
    ASSERT_TRUE(levels.Overlaps.back().Tie);
    EXPECT_EQ(levels.Overlaps.back().A, 1u);
    EXPECT_EQ(levels.Overlaps.back().B, 3u);
    EXPECT_EQ(levels.Overlaps.back().Cells, 200);
    EXPECT_NEAR(levels.Overlaps.back().Difference, 1.0, 1e-4);
    EXPECT_FALSE(levels.Alone[3]);
    // The levelled grid: B's console 2 raised by 1 (a cell of B alone at
    // 600012.25: console 2's strip), console 1 left.
    std::string error;
    const QuickGrid grid = GridOfFiles({&a, &b, &c}, levels.CellOffsets(), 0.5, 0.0, error);
    ASSERT_FALSE(grid.Empty()) << error;
    const auto cellAt = [&](double e, double n) {
        return grid.At(int32_t((e - grid.West) / 0.5), grid.Rows - 1 - int32_t((n - grid.South) / 0.5));
    };
    EXPECT_NEAR(cellAt(600013.2, 5700005.2), 3.0 + 0.5 * 13.25, 1e-3);  // console 2: 2 + 1
    EXPECT_NEAR(cellAt(600012.2, 5700005.2), 3.0 + 0.5 * 12.25, 1e-3);  // console 1: 3 + 0
}

TEST(SiteGrid, OneGridOverTheFilesWithTheirOffsets) {
    const FileCells a = SumIntoCells({{600000.1, 5700000.1, 1.0f}, {600000.2, 5700000.2, 3.0f}}, 0.5);
    const FileCells b = SumIntoCells({{600000.3, 5700000.4, 10.0f}, {600001.6, 5700000.1, 5.0f}}, 0.5);
    std::string error;
    const QuickGrid raw = GridOfFiles({&a, &b}, {}, 0.5, 0.0, error);
    ASSERT_FALSE(raw.Empty()) << error;
    EXPECT_DOUBLE_EQ(raw.West, 600000.0 - 0.5);  // half a cell beyond the readings, on whole cells
    EXPECT_DOUBLE_EQ(raw.South, 5700000.0 - 0.5);
    ASSERT_EQ(raw.Columns, 5);
    ASSERT_EQ(raw.Rows, 3);
    EXPECT_FLOAT_EQ(raw.At(1, 1), (1.0f + 3.0f + 10.0f) / 3);
    EXPECT_FLOAT_EQ(raw.At(4, 1), 5.0f);
    EXPECT_TRUE(std::isnan(raw.At(2, 1)));
    const QuickGrid levelled = GridOfFiles({&a, &b}, {SameOffset(0.0), SameOffset(-2.0)}, 0.5, 0.0, error);
    EXPECT_FLOAT_EQ(levelled.At(1, 1), (1.0f + 3.0f + 8.0f) / 3);
    EXPECT_FLOAT_EQ(levelled.At(4, 1), 3.0f);
    const FileCells none;
    EXPECT_TRUE(GridOfFiles({&none}, {}, 0.5, 0.0, error).Empty());
    EXPECT_EQ(error, "no positioned readings to grid");
}

TEST(SiteGrid, ATallGridFilledBandByBandAsByTheDefinition) {
    // 3 columns by 700 rows, every third row read: each empty cell takes the
    // 1/d² mean of the read cells within 2 cells, read cells as they were,
    // however many rows of the grid the fill has done before it.
    QuickGrid grid;
    grid.Cell = 1.0;
    grid.Columns = 3;
    grid.Rows = 700;
    for (int32_t r = 0; r < grid.Rows; ++r) {
        for (int32_t c = 0; c < grid.Columns; ++c) grid.Values.push_back(r % 3 == 0 ? float(r + 10 * c) : std::nanf(""));
    }
    const QuickGrid read = grid;
    FillEmptyCells(grid, 2);
    for (int32_t r = 0; r < grid.Rows; ++r) {
        for (int32_t c = 0; c < grid.Columns; ++c) {
            if (r % 3 == 0) continue;
            double sum = 0.0, weights = 0.0;
            for (int32_t dr = -2; dr <= 2; ++dr) {
                for (int32_t dc = -2; dc <= 2; ++dc) {
                    const int32_t y = r + dr, x = c + dc, d2 = dr * dr + dc * dc;
                    if (y < 0 || y >= grid.Rows || x < 0 || x >= grid.Columns || d2 > 4 || std::isnan(read.At(x, y))) {
                        continue;
                    }
                    sum += read.At(x, y) / d2;
                    weights += 1.0 / d2;
                }
            }
            ASSERT_NEAR(grid.At(c, r), sum / weights, 1e-3 * (1 + sum / weights)) << "row " << r << " column " << c;
        }
    }
}

TEST(SitePlaces, AnotherZoneAndUnitMovedIntoTheFirstFiles) {
    // A place 200 m east of the meridian between zones 30 and 31, at 51.75 N.
    int zone31 = 31, zone30 = 30;
    double n31 = 0, e31 = 0, n30 = 0, e30 = 0;
    GeodeticToUtm(51.75, 0.0029, zone31, n31, e31, 1);
    GeodeticToUtm(51.75, 0.0029, zone30, n30, e30, 1);
    double latitude = 0, longitude = 0;
    UtmToGeodetic(31, 1, n31, e31, latitude, longitude);
    EXPECT_NEAR(latitude, 51.75, 1e-9);
    EXPECT_NEAR(longitude, 0.0029, 1e-9);

    const SiteFrame site{PlaceKind::Utm, 30, 1, 0};
    const PlaceChange sameZone(SiteFrame{PlaceKind::Utm, 30, 1, 0}, site);
    EXPECT_TRUE(sameZone.Identity());
    EXPECT_EQ(sameZone.Describe(), "");
    const PlaceChange otherZoneInFeet(SiteFrame{PlaceKind::Utm, 31, 1, 1}, site);
    EXPECT_TRUE(otherZoneInFeet.Reprojects());
    EXPECT_TRUE(otherZoneInFeet.ConvertsUnit());
    EXPECT_EQ(otherZoneInFeet.Describe(), "UTM zone 31N placed in zone 30N of the first file, feet converted to metres");
    double e = e31 / 0.3048, n = n31 / 0.3048;
    otherZoneInFeet.Apply(e, n);
    EXPECT_NEAR(e, e30, 0.0005);
    EXPECT_NEAR(n, n30, 0.0005);

    // A site in US survey feet takes a file in metres.
    const PlaceChange toUsFeet(SiteFrame{PlaceKind::Utm, 30, 1, 0}, SiteFrame{PlaceKind::Utm, 30, 1, 2});
    double ue = 1200.0, un = 0.0;
    toUsFeet.Apply(ue, un);
    EXPECT_NEAR(ue, 3937.0, 1e-9);  // 1200 m are 3937 US survey feet exactly
    EXPECT_EQ(toUsFeet.Describe(), "metres converted to US survey feet");
    // A survey without GPS has no place on a UTM site.
    EXPECT_FALSE(PlaceChange(SiteFrame{PlaceKind::Local, 0, 0, 0}, site).Comparable());
}

// Little-endian readers of the grids' bytes.
uint32_t U32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t U16(const std::string& b, size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }
double F64(const std::string& b, size_t at) {
    const uint64_t bits = uint64_t(U32(b, at)) | uint64_t(U32(b, at + 4)) << 32;
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}
float F32(const std::string& b, size_t at) {
    const uint32_t bits = U32(b, at);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

QuickGrid TwoByThree() {
    QuickGrid g;
    g.West = 620000.0;
    g.South = 5730000.0;
    g.Cell = 0.5;
    g.Columns = 3;
    g.Rows = 2;
    const float nan = std::nanf("");
    g.Values = {1.5f, nan, -2.25f,  // north row
                4.0f, 5.0f, 6.0f};
    return g;
}

TEST(GridFormats, SurferSevenSectionsAndNodesFromTheSouth) {
    const std::string b = SurferGridBytes(TwoByThree());
    ASSERT_EQ(b.size(), 8u + 4 + 8 + 72 + 8 + 6 * 8);
    EXPECT_EQ(b.substr(0, 4), "DSRB");
    EXPECT_EQ(U32(b, 4), 4u);
    EXPECT_EQ(b.substr(12, 4), "GRID");
    EXPECT_EQ(U32(b, 16), 72u);
    EXPECT_EQ(U32(b, 20), 2u);  // rows
    EXPECT_EQ(U32(b, 24), 3u);  // columns
    EXPECT_DOUBLE_EQ(F64(b, 28), 620000.25);   // the first node, half a cell in
    EXPECT_DOUBLE_EQ(F64(b, 36), 5730000.25);
    EXPECT_DOUBLE_EQ(F64(b, 44), 0.5);
    EXPECT_DOUBLE_EQ(F64(b, 52), 0.5);
    EXPECT_DOUBLE_EQ(F64(b, 60), -2.25);       // lowest and highest value
    EXPECT_DOUBLE_EQ(F64(b, 68), 6.0);
    EXPECT_DOUBLE_EQ(F64(b, 76), 0.0);         // rotation
    EXPECT_DOUBLE_EQ(F64(b, 84), 1.70141e38);  // blank
    EXPECT_EQ(b.substr(92, 4), "DATA");
    EXPECT_EQ(U32(b, 96), 48u);
    const double want[6] = {4.0, 5.0, 6.0, 1.5, 1.70141e38, -2.25};  // south row first
    for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(F64(b, 100 + 8 * i), want[i]) << i;
}

// The entry of `tag` in the first directory: (type, count, value or offset).
struct Entry {
    uint16_t Type = 0;
    uint32_t Count = 0, Value = 0;
};
Entry FindTag(const std::string& b, uint16_t tag) {
    const uint32_t ifd = U32(b, 4);
    for (uint16_t i = 0; i < U16(b, ifd); ++i) {
        const size_t at = ifd + 2 + 12 * i;
        if (U16(b, at) == tag) return {U16(b, at + 2), U32(b, at + 4), U32(b, at + 8)};
    }
    return {};
}

TEST(GridFormats, GeoTiffTagsKeysAndFloats) {
    const std::string b = GeoTiffBytes(TwoByThree(), GeoTiffSystem{30, 1, 0});
    EXPECT_EQ(b.substr(0, 4), std::string("II*\0", 4));
    // Tags in ascending order, as TIFF requires.
    const uint32_t ifd = U32(b, 4);
    for (uint16_t i = 1; i < U16(b, ifd); ++i) EXPECT_LT(U16(b, ifd + 2 + 12 * (i - 1)), U16(b, ifd + 2 + 12 * i));
    EXPECT_EQ(FindTag(b, 256).Value, 3u);
    EXPECT_EQ(FindTag(b, 257).Value, 2u);
    EXPECT_EQ(FindTag(b, 258).Value, 32u);
    EXPECT_EQ(FindTag(b, 339).Value, 3u);  // IEEE float
    const Entry scale = FindTag(b, 33550);
    ASSERT_EQ(scale.Count, 3u);
    EXPECT_DOUBLE_EQ(F64(b, scale.Value), 0.5);
    const Entry tie = FindTag(b, 33922);
    ASSERT_EQ(tie.Count, 6u);
    EXPECT_DOUBLE_EQ(F64(b, tie.Value + 24), 620000.0);   // north-west corner
    EXPECT_DOUBLE_EQ(F64(b, tie.Value + 32), 5730001.0);
    const Entry keys = FindTag(b, 34735);
    ASSERT_EQ(keys.Count, 4u + 3 * 4);
    EXPECT_EQ(U16(b, keys.Value + 6), 3u);                 // three keys
    EXPECT_EQ(U16(b, keys.Value + 8 + 16), 3072u);         // ProjectedCSTypeGeoKey
    EXPECT_EQ(U16(b, keys.Value + 8 + 16 + 6), 32630u);
    const Entry nodata = FindTag(b, 42113);
    EXPECT_EQ(b.substr(nodata.Count > 4 ? nodata.Value : 0, 6), std::string("-9999\0", 6));
    const uint32_t strip = FindTag(b, 273).Value;
    EXPECT_EQ(FindTag(b, 279).Value, 24u);
    EXPECT_EQ(strip + 24, b.size());
    const float want[6] = {1.5f, -9999.0f, -2.25f, 4.0f, 5.0f, 6.0f};  // north row first
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(F32(b, strip + 4 * i), want[i]) << i;

    // In US survey feet, south: WGS 84, the projection 16156 and the unit 9003.
    const std::string f = GeoTiffBytes(TwoByThree(), GeoTiffSystem{56, -1, 2});
    const Entry fk = FindTag(f, 34735);
    std::vector<uint16_t> values;
    for (uint16_t k = 0; k < U16(f, fk.Value + 6); ++k) values.push_back(U16(f, fk.Value + 8 + 8 * k + 6));
    EXPECT_EQ(values, (std::vector<uint16_t>{1, 1, 4326, 32767, 16156, 9003}));
}

}  // namespace
}  // namespace tesselog
