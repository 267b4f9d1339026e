// The background tracks of the logging screen: loading with its messages,
// the drawing into the tiles' base layer, the redraw at another scale, the
// removal and the copies left in the temporary folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <cstdio>

#include "core/datafile/data_file_writers.h"
#include "support/background_fixture.h"

namespace tesselog {
namespace {

using test::BackgroundFixture;
using test::UtmLines;
using Fixture = BackgroundFixture;

// A data file of this program whose receiver gave grid positions (LLK, in
// metres) at these offsets from the map's origin.
std::string GridDataFile(const std::vector<std::pair<double, double>>& points) {
    Settings s;
    s.NmeaMode = 3;
    std::string file = FormatFileHeader(0, s, HeaderContext{}) + FormatLineHeader(s, LocalTime{});
    for (const auto& [e, n] : points) {
        char sentence[96];
        std::snprintf(sentence, sizeof sentence, "$GPLLK,173524,120226,%.3f,M,%.3f,M,3,08,0.9,45.0,M*00",
                      500000.0 + e, 5700000.0 + n);
        file += FormatGpsRecords(sentence, TypeGpsPosition, TypeGpsPositionNext, 0, 1000);
    }
    return file;
}

// The track's extent as map units and tiles, to see that nothing was added.
std::vector<double> Extent(Fixture& f) {
    const MapState& m = f.map.State();
    return {m.TrackMinX, m.TrackMaxX, m.TrackMinY, m.TrackMaxY, double(m.Tiles.MinColumn), double(m.Tiles.MaxColumn),
            double(m.Tiles.MinRow), double(m.Tiles.MaxRow)};
}

// Each refusal shows one message (their texts are in the operator texts
// test) and leaves no copy, no stroke and nothing in the track's extent.
// A copy that cannot be read to its end is refused wherever the error comes.
TEST(BackgroundLayer, RefusedFilesLeaveNothing) {
    struct Case {
        const char* name;
        std::string contents;
        int32_t fileType;
        int32_t latColumn;
        size_t copyReadLimit;
    };
    const Case cases[] = {
        {"no points", "/ header only\nx y\n", BackgroundAsciiType, 1, SIZE_MAX},
        {"all outside", UtmLines({{5.0e6, 0}, {5.0e6, 10}}), BackgroundAsciiType, 1, SIZE_MAX},
        {"data file all outside", GridDataFile({{5.0e6, 0}, {0, -5.0e6}}), 0, 1, SIZE_MAX},
        {"foreign binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\n", 11), 0, 1, SIZE_MAX},
        {"same columns", UtmLines({{0, 0}}), BackgroundAsciiType, 0, SIZE_MAX},
        {"read error before a point on the map", UtmLines({{5.0e6, 0}, {0, 0}, {1, 1}}), BackgroundAsciiType, 1, 40},
        {"read error after points on the map", UtmLines({{0, 0}, {1, 1}, {2, 2}, {3, 3}}), BackgroundAsciiType, 1,
         3 * 30 + 7},
    };
    for (const Case& c : cases) {
        Fixture f;
        const std::vector<double> extent = Extent(f);
        f.settings.BackgroundFileType = c.fileType;
        f.settings.BackgroundLatColumn = c.latColumn;
        f.files.CopyReadLimit = c.copyReadLimit;
        f.Load("A.TXT", c.contents);
        EXPECT_EQ(f.layer.Count(), 0) << c.name;
        EXPECT_EQ(f.prompts.History.size(), 1u) << c.name;
        EXPECT_TRUE(f.Copies().empty()) << c.name;
        EXPECT_TRUE(f.BaseStrokes().empty()) << c.name;
        EXPECT_EQ(Extent(f), extent) << c.name;
    }

    // A file that cannot be opened, and a cancelled dialog.
    Fixture f;
    f.fileDialogs.Answers.push_back(From8Bit("C:\\survey\\GONE.TXT"));
    f.layer.Load();
    EXPECT_EQ(f.LastMessage(), "Format not supported");
    f.dialogs.LoadAnswer = false;
    f.layer.Load();
    EXPECT_EQ(f.fileDialogs.Requests.size(), 1u);
    EXPECT_EQ(f.layer.Count(), 0);
}

// A point off the map is counted and left out; only the points on the map
// join the track's extent, so "Map &Size" and "&Fit All" still see the
// track as it was.
TEST(BackgroundLayer, PointsOffTheMapAreLeftOutOfTheTrack) {
    const std::vector<std::pair<double, double>> points = {{0, 0}, {5.0e6, 0}, {10, -3}, {12, 0}};
    for (const std::string& contents : {UtmLines(points), GridDataFile(points)}) {
        Fixture f;
        f.settings.BackgroundFileType = contents[0] == 'T' ? 0 : BackgroundAsciiType;
        f.Load("PART.TXT", contents);
        EXPECT_EQ(f.layer.Count(), 1);
        EXPECT_EQ(f.LastMessage(), "Number of points in background file: 4\r\nNumber of invalid points: 1\r\n");
        const MapState& m = f.map.State();
        EXPECT_EQ(std::vector<double>({m.TrackMinX, m.TrackMaxX, m.TrackMinY, m.TrackMaxY}),
                  std::vector<double>({500000, 500012, 5699997, 5700000}));
        EXPECT_TRUE(f.map.TrackFits());
    }
}

// Once the run's zone is fixed, a plan in latitude and longitude is drawn
// in it: the two points either side of the border of zones 30 and 31 at
// 0 degrees (1389 m apart in zone 30) both lie on the map, one line apart.
TEST(BackgroundLayer, GeodeticPlansAreDrawnInTheRunsZone) {
    Fixture f;
    f.recording.Zone.UtmZone = 30;
    SetMapOrigin(f.map.State(), 5709700.0, 707500.0);  // about 51.5 N, 0.01 W in zone 30
    f.settings.BackgroundCoordType = 0;
    f.settings.BackgroundDisplayType = 1;
    f.settings.BackgroundDelimiter = 1;
    f.Load("PLAN.TXT", "-0.01,51.5\n0.01,51.5\n");
    EXPECT_EQ(f.layer.Count(), 1);
    EXPECT_TRUE(f.prompts.History.empty()) << f.LastMessage();
}

// A tile whose base is drawn anew from the grid gets the same background
// strokes as the redraw gave it; a redraw at a larger map follows the scale.
TEST(BackgroundLayer, RedrawAndBaseTilesAgree) {
    Fixture f;
    f.settings.BackgroundDisplayType = 3;
    f.Load("A.TXT", UtmLines({{-5, -5}, {5, 5}, {15, -5}}));
    ASSERT_EQ(f.layer.Count(), 1);
    for (auto& [key, tile] : f.tiles.Tiles) tile.Base.Calls.clear();
    f.layer.Redraw();
    for (const auto& [key, tile] : f.tiles.Tiles) {
        RecordingCanvas again;
        f.layer.PaintBaseTile(again, key.first, key.second, f.map.State().TileWidth, f.map.State().TileHeight);
        EXPECT_EQ(again.Calls, tile.Base.Calls) << key.first << "," << key.second;
    }
    const std::vector<std::string> at40 = f.BaseStrokes();
    f.settings.MapSize = 80;
    f.map.RecomputeScale();
    f.tiles.DeleteAllTiles();
    f.layer.Redraw();
    EXPECT_EQ(f.BaseStrokes().size(), at40.size());
    EXPECT_NE(f.BaseStrokes(), at40);
}

TEST(BackgroundLayer, RemovalAndExitDeleteTheCopies) {
    Fixture f;
    f.Load("A.TXT", UtmLines({{0, 0}, {1, 1}}));
    f.Load("A.TXT", UtmLines({{2, 2}, {3, 3}}));
    ASSERT_EQ(f.Copies(), (std::vector<std::string>{"ATXT.$00", "ATXT.$01"}));

    f.dialogs.Marks = {true, false};
    EXPECT_TRUE(f.layer.Remove());
    EXPECT_EQ(f.Copies(), std::vector<std::string>{"ATXT.$01"});
    const std::string kept = f.files.Files[std::string(BackgroundTempFolder) + "ATXT.$01"];

    // The next load would be numbered 1, which the kept copy holds.
    f.Load("A.TXT", UtmLines({{4, 4}}));
    EXPECT_EQ(f.Copies(), (std::vector<std::string>{"ATXT.$01", "ATXT.$02"}));
    EXPECT_EQ(f.files.Files[std::string(BackgroundTempFolder) + "ATXT.$01"], kept);

    f.dialogs.Marks = {};
    EXPECT_FALSE(f.layer.Remove());
    EXPECT_EQ(f.layer.Count(), 2);

    f.layer.DeleteCopies();
    EXPECT_EQ(f.layer.Count(), 0);
    EXPECT_TRUE(f.Copies().empty());
}

TEST(BackgroundLoadDialog, TextFileControlsFollowTheType) {
    Settings s;
    s.BackgroundFileType = 0;
    DialogForm form = BackgroundLoadForm(s, 3);
    EXPECT_EQ(form.Label(IDC_BGLOAD_COUNT).Text, "3");
    EXPECT_FALSE(form.Combo(IDC_BGLOAD_DELIMITER).Enabled);
    EXPECT_EQ(form.Combo(IDC_BGLOAD_LON_COLUMN).Items.back(), "Column 24");
    form.Combo(IDC_BGLOAD_FILE_TYPE).Selection = 1;
    EXPECT_TRUE(BackgroundLoadTypeChanged(form));
    EXPECT_TRUE(form.Combo(IDC_BGLOAD_COORD_TYPE).Enabled);
    EXPECT_EQ(form.Label(IDC_BGLOAD_TYPE_LIST).Text, "(files ASC, TXT, DAT, and XYZ)");
    form.Combo(IDC_BGLOAD_DELIMITER).Selection = 3;
    StoreBackgroundLoad(form, s);
    EXPECT_EQ(s.BackgroundFileType * 10 + s.BackgroundDelimiter, 13);
    EXPECT_EQ(BackgroundRemoveMarkCaption(0), "  1.");
    EXPECT_EQ(BackgroundRemoveMarkCaption(9), " 10.");
}

}  // namespace
}  // namespace tesselog
