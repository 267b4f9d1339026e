// The export's outputs: numbers and texts as the tables write them, the
// quick-look grid (cell means, the fill, the ESRI text, the .prj), the
// picture's colour classes and the PNG bytes, read back through zlib.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/common/colour_palette.h"
#include "core/export/export_text.h"
#include "core/export/grid_picture.h"
#include "core/export/png_writer.h"
#include "core/export/quick_grid.h"
#include "core/export/survey_walk.h"
#include "core/platform/memory_file_system.h"

namespace tesselog {
namespace {

// A grid of `columns` x `rows` cells from (west, south), every cell `value`.
QuickGrid GridOf(double west, double south, double cell, int32_t columns, int32_t rows, float value = 1.0f) {
    QuickGrid grid;
    grid.West = west;
    grid.South = south;
    grid.Cell = cell;
    grid.Columns = columns;
    grid.Rows = rows;
    grid.Values.assign(size_t(columns) * rows, value);
    return grid;
}

TEST(ExportText, NumbersAsPrintfWritesThem) {
    const struct {
        double value;
        int decimals;
    } cases[] = {{0.0, 3},          {-0.0006, 3},         {620799.5904, 3}, {-1.25, 8},   {51.750036001, 8},
                 {5734685.4996, 3}, {-123456789.123, 2},  {7.0, 0},         {0.1, 1},     {1e-9, 6},
                 {999.9996, 3},     {-0.9999996, 6},      {12.345678, 4}};
    for (const auto& c : cases) {
        std::string got;
        AppendFixed(got, c.value, c.decimals);
        char want[64];
        std::snprintf(want, sizeof want, "%.*f", c.decimals, c.value);
        EXPECT_EQ(got, want) << c.value;
    }
    const struct {
        double value;
        const char* text;
    } trimmed[] = {{60.0, "60"}, {60.5, "60.5"}, {-0.0001, "0"}, {-9999.0, "-9999"}, {0.125, "0.125"},
                   {-2.50, "-2.5"}};
    for (const auto& c : trimmed) {
        std::string got;
        AppendTrimmed(got, c.value, 3);
        EXPECT_EQ(got, c.text);
    }
    std::string nan;
    AppendFixed(nan, std::nan(""), 3);
    EXPECT_EQ(nan, "nan");
}

TEST(ExportText, TextsOfTheTables) {
    std::string t;
    AppendTimeOfDay(t, 36004124);
    AppendTimeOfDay(t, -1);
    EXPECT_EQ(t, "10:00:04.124");

    // Days since 1970-01-01: 2000 starts 30 x 365 + 7 leap days later;
    // 2026-12-04 is 56 x 365 + 14 + 334 + 3 days on.
    const struct {
        int32_t year, month, day, days;
        const char* text;
    } dates[] = {{1970, 1, 1, 0, "1970-01-01"},     {2000, 2, 29, 11016, "2000-02-29"},
                 {2026, 12, 4, 20791, "2026-12-04"}, {2025, 2, 29, -1, ""},
                 {2026, 13, 1, -1, ""},             {1899, 12, 31, -1, ""}};
    for (const auto& d : dates) {
        EXPECT_EQ(DaysFromCivil(d.year, d.month, d.day), d.days) << d.text;
        std::string text;
        AppendDate(text, d.days);
        EXPECT_EQ(text, d.text);
    }
    std::string xml;
    AppendXmlText(xml, "a<b & \"c\" 'd'>\x01\xB0");
    EXPECT_EQ(xml, "a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt; \xC2\xB0");

    const struct {
        const char* text;
        const char* csv;
        const char* json;
        const char* token;
    } cases[] = {
        {"LINE 1", "LINE 1", "\"LINE 1\"", "LINE_1"},
        {"a,b", "\"a,b\"", "\"a,b\"", "a,b"},
        {"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \\\"hi\\\"\"", "say_\"hi\""},
        {" pad", "\" pad\"", "\" pad\"", "_pad"},
        {"\xB0" "C\\", "\xC2\xB0" "C\\", "\"\xC2\xB0" "C\\\\\"", "\xC2\xB0" "C\\"},
        {"\x14\x7F", "\x14\x7F", "\"\\u0014\\u007f\"", "\x14\x7F"},
        {"", "", "\"\"", "-"},
    };
    for (const auto& c : cases) {
        std::string csv, json, token;
        AppendCsvField(csv, c.text);
        AppendJsonString(json, c.text);
        AppendToken(token, c.text);
        EXPECT_EQ(csv, c.csv) << c.text;
        EXPECT_EQ(json, c.json) << c.text;
        EXPECT_EQ(token, c.token) << c.text;
    }
}

TEST(ExportGrid, CellMeansAndTheFillBetweenTracks) {
    // Two tracks 1 m apart along the northing, cells of 0.25, a fill of two
    // cells: the columns between them are filled, nothing beyond the fill.
    // The grid reaches half a cell and the fill's two cells beyond the
    // readings (10.1 .. 11.1, 20.1 .. 21.85): from 9.475 and 19.475 at
    // least, so from 9.25 and 19.25, ten columns and thirteen rows.
    std::vector<GridPoint> points;
    for (int i = 0; i < 8; ++i) {
        points.push_back({10.1, 20.1 + i * 0.25, 4.0f});
        points.push_back({11.1, 20.1 + i * 0.25, 8.0f});
    }
    points.push_back({10.15, 20.15, 6.0f});  // shares the south-west cell with the first point
    std::string error;
    const QuickGrid grid = BuildQuickGrid(points, 0.25, 0.5, error);
    ASSERT_FALSE(grid.Empty()) << error;
    EXPECT_DOUBLE_EQ(grid.West, 9.25);
    EXPECT_DOUBLE_EQ(grid.South, 19.25);
    EXPECT_EQ(grid.Columns, 10);
    EXPECT_EQ(grid.Rows, 13);
    // The tracks in columns 3 and 7, rows 9 (the southernmost reading) to 2.
    EXPECT_FLOAT_EQ(grid.At(3, 9), 5.0f);  // the mean of 4 and 6
    EXPECT_FLOAT_EQ(grid.At(3, 2), 4.0f);
    EXPECT_FLOAT_EQ(grid.At(7, 2), 8.0f);
    // Between the tracks: inverse-square distance means, the middle halfway.
    EXPECT_FLOAT_EQ(grid.At(5, 2), 6.0f);
    // One cell from a track and three from the other: only the near one reaches.
    EXPECT_FLOAT_EQ(grid.At(4, 5), 4.0f);
    EXPECT_FLOAT_EQ(grid.At(6, 5), 8.0f);
    // Outside the tracks the fill reaches its two cells whole, inside the grid.
    EXPECT_FLOAT_EQ(grid.At(1, 5), 4.0f);
    EXPECT_FLOAT_EQ(grid.At(9, 5), 8.0f);
    EXPECT_TRUE(std::isnan(grid.At(0, 5)));
    EXPECT_FLOAT_EQ(grid.At(3, 11), 5.0f);  // two cells south of the first reading
    EXPECT_TRUE(std::isnan(grid.At(3, 12)));
    const QuickGrid bare = BuildQuickGrid(points, 0.25, 0.0, error);
    EXPECT_DOUBLE_EQ(bare.West, 9.75);  // half a cell beyond 10.1
    EXPECT_EQ(bare.Columns, 6);
    EXPECT_TRUE(std::isnan(bare.At(3, 0)));

    const std::vector<GridPoint> far = {{0, 0, 1}, {100000, 100000, 1}};
    EXPECT_TRUE(BuildQuickGrid(far, 0.01, 0, error).Empty());
    EXPECT_NE(error.find("too large"), std::string::npos);
    EXPECT_TRUE(BuildQuickGrid({}, 0.25, 0, error).Empty());
}

// A corner computed as floor(v / cell) x cell can land just above v. Found by
// fuzzing: one east-west line at northing -0.9 in cells of 0.3 gave a grid of
// no rows, and the export said "no grid" with no reason. With half a cell
// beyond the readings, a line at -0.75 puts the grid's edge at -0.9.
TEST(ExportGrid, ReadingsOnTheSouthAndWestEdgesStayInTheGrid) {
    std::string error;
    const auto filled = [](const QuickGrid& g) {
        int n = 0;
        for (float v : g.Values) n += std::isnan(v) ? 0 : 1;
        return n;
    };
    const std::vector<GridPoint> line = {{-2.35, -0.75, 60.0f}, {-1.35, -0.75, 60.0f}, {-0.35, -0.75, 63.0f},
                                         {0.65, -0.75, 56.0f}};
    const QuickGrid row = BuildQuickGrid(line, 0.3, 0.0, error);
    ASSERT_FALSE(row.Empty()) << error;
    EXPECT_LE(row.South, -0.9);
    EXPECT_LE(row.West, -2.5);
    EXPECT_EQ(filled(row), 4);

    // The same along a meridian, and both edges at once.
    const std::vector<GridPoint> column = {{-0.75, 1.0, 1.0f}, {-0.75, 2.0, 2.0f}};
    const QuickGrid north = BuildQuickGrid(column, 0.3, 0.0, error);
    ASSERT_FALSE(north.Empty()) << error;
    EXPECT_LE(north.West, -0.9);
    EXPECT_EQ(filled(north), 2);
    const QuickGrid corner = BuildQuickGrid({{-0.75, -0.75, 7.0f}}, 0.3, 0.0, error);
    ASSERT_FALSE(corner.Empty()) << error;
    EXPECT_LE(corner.West, -0.9);
    EXPECT_LE(corner.South, -0.9);
    EXPECT_EQ(filled(corner), 1);
}

TEST(ExportGrid, EsriTextAndProjection) {
    QuickGrid grid = GridOf(620800.0, 5734680.5, 0.5, 3, 2);
    grid.Values = {1.0f, 2.5f, NAN, -3.25f, 0.004f, 100.0f};
    MemoryFileSystem fs;
    auto file = fs.Open("/g.asc", OpenMode::CreateTruncate);
    ASSERT_TRUE(WriteEsriAsciiGrid(*file, grid));
    EXPECT_EQ(fs.Files["/g.asc"],
              "ncols 3\nnrows 2\nxllcorner 620800\nyllcorner 5734680.5\ncellsize 0.5\nNODATA_value -9999\n"
              "1 2.5 -9999\n-3.25 0 100\n");

    const struct {
        int32_t zone, hemisphere, units;
        const char* parts[4];
    } prj[] = {
        {31, 1, 0, {"UTM_Zone_31N", "False_Northing\",0]", "Central_Meridian\",3.0]", "UNIT[\"Meter\",1]]"}},
        {56, -1, 0, {"UTM_Zone_56S", "False_Northing\",10000000]", "Central_Meridian\",153.0]", "\"Meter\""}},
        {1, 1, 1, {"UTM_Zone_1N", "False_Easting\",1640419.948]", "Central_Meridian\",-177.0]", "\"Foot\",0.3048]"}},
        {30, 1, 2, {"UTM_Zone_30N", "False_Easting\",1640416.667]", "\"Foot_US\",0.304800609601219", "PROJCS"}},
    };
    for (const auto& p : prj) {
        const std::string text = UtmProjectionText(p.zone, p.hemisphere, p.units);
        for (const char* part : p.parts) EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    }
    EXPECT_EQ(UtmProjectionText(0, 1, 0), "");
    EXPECT_EQ(UtmProjectionText(31, 0, 0), "");
    // GDAL and QGIS take a PNG's coordinate system from its .aux.xml.
    EXPECT_EQ(PictureAuxXml("PROJCS[\"A&B\"]"), "<PAMDataset>\n  <SRS>PROJCS[&quot;A&amp;B&quot;]</SRS>\n</PAMDataset>\n");
}

TEST(ExportPicture, ColourClassesAsTheMapColoursReadings) {
    const ColourScale scale{0.0, 500.0};
    const struct {
        double value;
        int32_t index;
    } cases[] = {{-1, 0}, {0, 0}, {9.99, 0}, {10, 1}, {250, 25}, {499.9, 49}, {500, 49}, {1e9, 49}};
    for (const auto& c : cases) EXPECT_EQ(ColourClassOf(c.value, scale), c.index) << c.value;
    // A file whose readings overflow to infinity makes the scale's ends
    // infinite too: a class all the same, never an undefined conversion.
    const double inf = HUGE_VAL;
    EXPECT_EQ(ColourClassOf(inf, ColourScale{-inf, inf}), 0);
    EXPECT_EQ(ColourClassOf(inf, ColourScale{0.0, inf}), 0);
    EXPECT_EQ(ColourClassOf(-inf, ColourScale{0.0, 500.0}), 0);

    QuickGrid grid;
    grid.Cell = 1;
    grid.Columns = 2;
    grid.Rows = 2;
    grid.Values = {500.0f, NAN, 0.0f, 260.0f};
    // For a GIS: a pixel a cell, north row first.
    const IndexedImage raster = DrawGridRaster(grid, scale, PictureColours::Map);
    EXPECT_EQ(raster.Width, 2);
    EXPECT_EQ(raster.Height, 2);
    EXPECT_EQ(raster.Pixels, (std::vector<uint8_t>{49, PictureNoData, 0, 26}));
    // For people: the map sheet.
    SheetLayout layout;
    const IndexedImage image = DrawMapSheet(grid, scale, SheetText{}, &layout);
    ASSERT_EQ(image.Palette.size(), 53u);
    EXPECT_EQ(image.Palette[0], ColourClassColor(0));
    EXPECT_EQ(image.Palette[PictureWhite], Rgb(255, 255, 255));
    // Cells of 16 pixels (the largest) from (10, 30), under the corner's
    // text: north row first.
    EXPECT_EQ(layout.MapLeft, 10);
    EXPECT_EQ(layout.MapTop, 30);
    EXPECT_EQ(layout.CellPixels, 16);
    const auto at = [&image](int x, int y) { return image.Pixels[size_t(y) * image.Width + x]; };
    EXPECT_EQ(at(10, 30), 49);
    EXPECT_EQ(at(26, 30), PictureNoData);
    EXPECT_EQ(at(10, 46), 0);
    EXPECT_EQ(at(41, 61), 26);
    EXPECT_EQ(at(9, 29), PictureBlack);
    // The scale at x = 10 + 32 + 30: class 0 at the bottom.
    int lowest = -1, highest = -1;
    for (int y = 0; y < image.Height; ++y) {
        const uint8_t p = at(80, y);
        if (p < 50 && highest < 0) highest = p;
        if (p < 50) lowest = p;
    }
    EXPECT_EQ(highest, 49);
    EXPECT_EQ(lowest, 0);

    // Greys: white for the lowest class, black for the highest, a pale blue
    // where there is no data.
    const std::vector<Color> grey = PicturePalette(PictureColours::Grey);
    EXPECT_EQ(grey[0], Rgb(255, 255, 255));
    EXPECT_EQ(grey[49], Rgb(0, 0, 0));
    EXPECT_EQ(grey[PictureNoData], Rgb(222, 232, 245));
}

// The quick-look picture's colour scale: the 2nd and 98th percentile of the
// cells with numbers, and always some width.
TEST(ExportPicture, ScaleComesFromTheCellsWithNumbers) {
    const float inf = HUGE_VALF;
    const struct {
        std::vector<float> values;
        double min, max;
    } cases[] = {
        {{}, 0.0, 1.0},
        {{NAN, NAN}, 0.0, 1.0},
        {{60.0f, inf}, 60.0, 61.0},  // a cell holding an overflowed reading (found by fuzzing)
        {{inf, -inf}, 0.0, 1.0},
        {{7.5f, 7.5f, NAN}, 7.5, 8.5},
        {{3e38f, 3e38f}, 3e38, 3e38 + 3e32},  // one unit would be lost in the rounding there
    };
    for (const auto& c : cases) {
        QuickGrid grid;
        grid.Values = c.values;
        grid.Columns = int32_t(c.values.size());
        grid.Rows = 1;
        const ColourScale scale = PercentileScale(grid);
        EXPECT_NEAR(scale.Min, c.min, std::fabs(c.min) * 1e-6) << c.values.size() << " cells";
        EXPECT_NEAR(scale.Max, c.max, std::fabs(c.max) * 1e-7) << c.values.size() << " cells";
        EXPECT_GT(scale.Max, scale.Min) << c.values.size() << " cells";
    }
    // 0..100: the two lowest and two highest cells are left out.
    QuickGrid ramp;
    for (int i = 0; i <= 100; ++i) ramp.Values.push_back(float(i));
    ramp.Columns = 101;
    ramp.Rows = 1;
    EXPECT_EQ(PercentileScale(ramp).Min, 2.0);
    EXPECT_EQ(PercentileScale(ramp).Max, 98.0);
}

// The world file of a 3 x 2 grid of 0.5 m cells from (620800, 5734680.5),
// a pixel a cell: the top-left pixel's centre half a cell inside the
// grid's north-west corner (620800, 5734681.5).
TEST(ExportPicture, WorldFilePutsEachPixelOnItsCell) {
    EXPECT_EQ(WorldFileText(GridOf(620800.0, 5734680.5, 0.5, 3, 2)), "0.5\n0\n0\n-0.5\n620800.25\n5734681.25\n");
}

// The sheet for people: a long caption is wrapped, not widening the sheet
// beyond its map and legend; a large grid is sampled down; the corners are
// labelled by coordinates, or on a local grid by its lines and stations.
TEST(ExportPicture, MapSheetCaptionSizeAndCorners) {
    const QuickGrid grid = GridOf(2.0, 0.0, 0.25, 8, 80);
    SheetText text;
    const IndexedImage plain = DrawMapSheet(grid, {0.0, 1.0}, text);
    text.Caption = std::string(40, 'x') + "; lag corrected by 0.2 s; despiked beyond 20 nT from the median of 9 "
                   "readings; destriped to a zero median per traverse and sensor";
    const IndexedImage captioned = DrawMapSheet(grid, {0.0, 1.0}, text);
    EXPECT_EQ(captioned.Width, plain.Width);
    EXPECT_GT(captioned.Height, plain.Height);

    SheetLayout layout;
    const IndexedImage sheet = DrawMapSheet(GridOf(2.0, 0.0, 0.25, 3015, 2866), {0.0, 1.0}, SheetText{}, &layout);
    EXPECT_EQ(layout.CellsPerPixel, 2);  // 3015 cells in at most 1600 pixels
    EXPECT_LT(sheet.Width, 1800);

    std::string nw, se;
    CornerLabels(grid, nullptr, nw, se);
    EXPECT_EQ(nw + " / " + se, "2.00 E  20.00 N / 4.00 E  0.00 N");
    LocalFrame frame;
    frame.Known = true;
    frame.Along = {0, 1};   // stations growing north
    frame.Across = {1, 0};  // later lines east
    CornerLabels(grid, &frame, nw, se);
    EXPECT_EQ(nw + " / " + se, "line 2.00  station 20.00 / line 4.00  station 0.00");
    frame.Along = {1, 0};   // stations growing east
    frame.Across = {0, -1}; // later lines south
    CornerLabels(grid, &frame, nw, se);
    EXPECT_EQ(nw + " / " + se, "line -20.00  station 2.00 / line 0.00  station 4.00");
    frame.Mixed = true;
    CornerLabels(grid, &frame, nw, se);
    EXPECT_EQ(nw + " / " + se, "x 2.00  y 20.00 / x 4.00  y 0.00");
}

uint32_t BigEndian(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | p[2] << 8 | p[3]; }

TEST(ExportPicture, PngChunksCrcsAndPixels) {
    IndexedImage image;
    image.Width = 3;
    image.Height = 2;
    image.Pixels = {0, 1, 2, 2, 1, 0};
    image.Palette = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(1, 2, 3)};
    const std::vector<uint8_t> png = EncodePng(image, {{"Description", "destriped"}});
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin(), png.begin() + 8), "\x89PNG\r\n\x1A\n");

    std::vector<std::string> types;
    std::vector<uint8_t> idat, ihdr, plte, text;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = BigEndian(&png[at]);
        ASSERT_LE(at + 12 + length, png.size());
        const std::string type(png.begin() + at + 4, png.begin() + at + 8);
        types.push_back(type);
        EXPECT_EQ(BigEndian(&png[at + 8 + length]), crc32(0, &png[at + 4], 4 + length)) << type;
        std::vector<uint8_t>& data = type == "IDAT" ? idat : type == "IHDR" ? ihdr : type == "tEXt" ? text : plte;
        if (type != "IEND") data.assign(png.begin() + at + 8, png.begin() + at + 8 + length);
        at += 12 + length;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "PLTE", "tEXt", "IDAT", "IEND"}));
    EXPECT_EQ(std::string(text.begin(), text.end()), std::string("Description\0destriped", 21));
    EXPECT_EQ(ihdr, (std::vector<uint8_t>{0, 0, 0, 3, 0, 0, 0, 2, 8, 3, 0, 0, 0}));
    EXPECT_EQ(plte, (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 1, 2, 3}));
    std::vector<uint8_t> raw(8);
    uLongf size = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &size, idat.data(), idat.size()), Z_OK);
    EXPECT_EQ(raw, (std::vector<uint8_t>{0, 0, 1, 2, 0, 2, 1, 0}));

    // Entry 1 transparent: alpha for entries 0 and 1, after the palette.
    const std::vector<uint8_t> clear = AssemblePng(image, image.Palette, CompressPngPixels(image), {}, 1);
    std::vector<std::string> clearTypes;
    std::vector<uint8_t> alpha;
    for (size_t at = 8; at + 12 <= clear.size();) {
        const uint32_t length = BigEndian(&clear[at]);
        clearTypes.emplace_back(clear.begin() + at + 4, clear.begin() + at + 8);
        if (clearTypes.back() == "tRNS") alpha.assign(clear.begin() + at + 8, clear.begin() + at + 8 + length);
        at += 12 + length;
    }
    EXPECT_EQ(clearTypes, (std::vector<std::string>{"IHDR", "PLTE", "tRNS", "IDAT", "IEND"}));
    EXPECT_EQ(alpha, (std::vector<uint8_t>{255, 0}));

    image.Palette.resize(257);
    EXPECT_TRUE(EncodePng(image).empty());
}

}  // namespace
}  // namespace tesselog
