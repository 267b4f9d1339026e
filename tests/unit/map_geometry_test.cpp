#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/map/map_geometry.h"
#include "core/map/map_view.h"

namespace tesselog {
namespace {

// A 200 by 200 pixel pane showing 20 map units, with a 30-pixel band.
struct MapFixture {
    Settings settings;
    MapState state;
    MemoryMapTiles tiles;
    MapOverflow overflow = MapOverflow::Inside;
    bool visible = true;
    int32_t overflowSent = 0;
    MapView view{state, tiles, settings, overflow, visible, [this] { ++overflowSent; }};

    explicit MapFixture(int32_t side = 200, int32_t mapSize = 20) {
        settings.MapSize = mapSize;
        settings.CursorBandPixels = 30;
        settings.CursorInnerPixels = 3;
        SetMapTileSize(state, settings, side, side);
        ResetMap(state, tiles, settings);
        view.SetReferencePosition(5000.0, 300.0);
    }
    void Drive(double east, double north) { view.Draw(1, 5000.0 + north, 300.0 + east, 1.0); }
};

// The shown tiles must put the last position where the cursor is drawn, with
// the live offsets inside one tile.
void ExpectCursorOnPosition(const MapFixture& f, const char* where) {
    const MapState& s = f.state;
    PixelPoint p = WorldToPixel(s, s.CurrentX, s.CurrentY);
    TilePlace t = PixelToTile(p.X, p.Y, s.TileWidth, s.TileHeight);
    EXPECT_EQ((t.Column - s.Live.Column) * s.TileWidth - s.Live.OffsetX + t.U, s.CursorX) << where;
    EXPECT_EQ((s.Live.Row - t.Row) * s.TileHeight - s.Live.OffsetY + t.V, s.CursorY) << where;
    EXPECT_TRUE(s.Live.OffsetX >= 0 && s.Live.OffsetX <= s.TileWidth) << where;
    EXPECT_TRUE(s.Live.OffsetY >= 0 && s.Live.OffsetY <= s.TileHeight) << where;
}

TEST(MapGeometry, PixelsTilesZoomAndFit) {
    EXPECT_EQ(MapUnitsToPixels(-0.006, 100.0), 0);  // -0.1 truncates toward zero
    EXPECT_EQ(MapUnitsToPixels(-0.016, 100.0), -1);
    EXPECT_EQ(MapUnitsToPixels(0.015, 100.0), 2);
    EXPECT_EQ(MapUnitsToPixels(1e300, 1.0), 1000000000);

    struct Case { int32_t px, py, column, row, u, v; };
    const Case cases[] = {
        {0, 0, 1000, 1000, 99, 99},   {1, -1, 1001, 999, 0, 0},      {100, 99, 1001, 1000, 99, 0},
        {101, 100, 1002, 1001, 0, 99}, {-99, -100, 1000, 999, 0, 99}, {-100, -101, 999, 998, 99, 0},
    };
    for (const Case& c : cases) {
        TilePlace t = PixelToTile(c.px, c.py, 100, 100);
        EXPECT_EQ(t.Column * 1000 + t.U, c.column * 1000 + c.u) << c.px;
        EXPECT_EQ(t.Row * 1000 + t.V, c.row * 1000 + c.v) << c.py;
    }
    // Every pixel lies in exactly one tile, at its place from the tile's
    // west and south edges, for an odd tile size too.
    for (int32_t p = -260; p <= 260; ++p) {
        TilePlace t = PixelToTile(p, p, 37, 23);
        ASSERT_EQ(TileWestPixel(t.Column, 37) + t.U, p);
        ASSERT_EQ(TileSouthPixel(t.Row, 23) + (23 - 1 - t.V), p);
        ASSERT_TRUE(t.U >= 0 && t.U < 37 && t.V >= 0 && t.V < 23) << p;
    }

    struct Zoom { int32_t size; bool in; int32_t expected; };
    const Zoom zooms[] = {{10, true, 9}, {10, false, 11}, {100, true, 95}, {100, false, 105},
                          {2, true, 1},  {1, true, 1},    {1, false, 2}};
    for (const Zoom& z : zooms) EXPECT_EQ(ZoomedMapSize(z.size, z.in), z.expected) << z.size << z.in;
    EXPECT_EQ(FitAllMapSize(0.0, 1), 10);
    EXPECT_EQ(FitAllMapSize(1000.0, 0), 1060);
}

// The first position centres the view. East: the cursor moves right until the
// band, then stays while the view scrolls. Back west: the view holds still
// until the band at the west edge. A hidden map shows nothing.
TEST(MapGeometry, FollowingWithTheCursorBand) {
    MapFixture f;
    std::vector<int32_t> cursor;
    for (int i = 0; i <= 40; ++i) {
        f.Drive(i * 1.0, i * 0.05);
        ExpectCursorOnPosition(f, "east");
        cursor.push_back(f.state.CursorX);
        if (i == 0) {
            EXPECT_EQ(f.state.Live.Column * 1000 + f.state.Live.OffsetX, 1000 * 1000 + 100);
            EXPECT_EQ(f.tiles.Tiles.size(), 4u);
        }
    }
    EXPECT_EQ(cursor[0], 99);
    EXPECT_EQ(cursor[7], 169);
    for (int i = 8; i <= 40; ++i) EXPECT_EQ(cursor[i], 169) << i;

    const int32_t x0 = f.state.ViewX0;
    int32_t previous = f.state.CursorX;
    for (int i = 1; i <= 30; ++i) {
        f.Drive(40.0 - i, 2.0);
        ExpectCursorOnPosition(f, "west");
        if (f.state.ViewX0 == x0) {
            EXPECT_EQ(f.state.CursorX, previous - 10) << i;
        } else {
            EXPECT_LT(f.state.CursorX - 10, f.settings.CursorBandPixels) << i;
        }
        previous = f.state.CursorX;
    }
    EXPECT_LT(f.state.ViewX0, x0);  // it did scroll in the end

    const int shown = f.tiles.ShowCount;
    f.visible = false;
    f.Drive(0.0, 0.0);
    EXPECT_EQ(f.tiles.ShowCount, shown);
}

// While the swath is painted the view keeps the array's edge in sight as well
// as the antenna. 200-pixel pane, 10 pixels per unit, a 30-pixel band: the
// pane shows columns 0..199, so an end is inside when it lies in 30..169.
TEST(MapGeometry, ViewKeepsTheSwathInSight) {
    const struct {
        const char* name;
        double left, right;  // the edge's ends, units east of the antenna
        int32_t cursorX;     // where the antenna is drawn after the walk north
    } cases[] = {
        // Ends at -2 and +8 units: px -20 and +80 from the antenna. The right
        // end comes to column 169, the antenna 80 left of it.
        {"swath right of the antenna", -2.0, 8.0, 169 - 80},
        // Mirrored: the left end at column 30; -8 units is px trunc(-79.5)
        // = -79, so the antenna is 79 right of it.
        {"swath left of the antenna", -8.0, 2.0, 30 + 79},
        // 17 units is 170 px: 29 pixels of room give margins of 14 instead
        // of 30, so the right end stops at 199 - 14 = 185 and the antenna
        // (the left end) at 15.
        {"swath wider than pane less two bands", 0.0, 17.0, 185 - 170},
        // 25 units is wider than the pane: the view follows the antenna
        // alone, which walks north and stays at the centre column.
        {"swath wider than the pane", -5.0, 20.0, 99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MapFixture f;
        for (int i = 0; i <= 60; ++i) {
            const double east = 300.0, north = 5000.0 + i * 0.5;
            SwathReach reach;
            reach.X[0] = east + c.left;
            reach.X[1] = east + c.right;
            reach.Y[0] = reach.Y[1] = north - 1.0;
            const PixelPoint pixel = MoveMapView(f.state, f.tiles, f.settings, east, north, i > 0 ? &reach : nullptr);
            FinishMapPosition(f.state, pixel);
            ExpectCursorOnPosition(f, c.name);
        }
        EXPECT_EQ(f.state.CursorX, c.cursorX);
        // North the antenna runs into the top band as without a swath: from
        // row 99 up 5 px a step while py <= 100 - 30, so it stops at
        // 100 - 70 - 1 = 29.
        EXPECT_EQ(f.state.CursorY, 29);
    }
}

// Long drives across many tiles in every direction, a jump, and re-anchors
// after a size change and after a reset: the view always shows the position
// where the cursor is.
TEST(MapGeometry, ViewStaysOnThePositionAcrossTiles) {
    MapFixture f;
    const double legs[][2] = {{3.0, 0.4}, {-0.5, 2.5}, {-3.0, -3.0}, {0.2, -1.7}};
    double east = 0.0;
    double north = 0.0;
    for (const auto& leg : legs) {
        for (int i = 0; i < 150; ++i) {
            east += leg[0];
            north += leg[1];
            f.Drive(east, north);
            ExpectCursorOnPosition(f, "leg");
        }
    }
    f.Drive(east + 500.0, north - 350.0);  // a jump of many tiles
    ExpectCursorOnPosition(f, "jump");
    f.Drive(east + 501.0, north - 350.0);
    ExpectCursorOnPosition(f, "after jump");

    const Point before{f.state.CursorX, f.state.CursorY};
    ASSERT_TRUE(CheckMapSize(f.state, 35, f.overflow));
    f.settings.MapSize = 35;
    RecomputeMapScale(f.state, 35);
    f.state.RedrawEverything = 1;
    f.Drive(east + 501.0, north - 350.0);
    EXPECT_EQ(f.state.CursorX, before.X);
    EXPECT_EQ(f.state.CursorY, before.Y);
    ExpectCursorOnPosition(f, "size change");

    ResetMap(f.state, f.tiles, f.settings);
    EXPECT_TRUE(f.tiles.Tiles.empty());
    f.Drive(east, north);
    EXPECT_EQ(f.tiles.Tiles.size(), 4u);
    ExpectCursorOnPosition(f, "restart");
}

// The map_overflow golden survey covers the pause and the map size check;
// here: one report however far the track goes, and no tile for a wild fix.
TEST(MapGeometry, OverflowIsReportedOnce) {
    MapFixture f(10, 10);  // one pixel per unit, ten-pixel tiles
    f.Drive(0.0, 0.0);
    f.Drive(5000.0, 0.0);
    EXPECT_EQ(f.overflowSent, 0);
    f.Drive(9965.0, 0.0);
    f.Drive(9990.0, 0.0);
    EXPECT_EQ(f.overflowSent, 1);
    EXPECT_EQ(f.overflow, MapOverflow::PauseAsked);
    f.overflow = MapOverflow::Reported;  // reported by the pause
    f.Drive(10100.0, 0.0);
    f.Drive(1e12, -1e12);
    f.Drive(std::nan(""), 0.0);
    EXPECT_EQ(f.overflowSent, 1);
    EXPECT_LE(f.state.Tiles.MaxColumn, MapTileTableSize - 1);
}

TEST(MapGeometry, PanStepsAndRefusals) {
    Settings settings;
    settings.CursorBandPixels = 100;  // step trunc(10.5 - 0.5) = 10
    ASSERT_EQ(MapPanStep(settings), 10);
    struct Case { MapPan pan; int32_t ox, oy; MapViewTile after; };
    const Case cases[] = {
        {MapPan::Left, 15, 50, {1000, 1000, 5, 50}},  {MapPan::Left, 5, 50, {999, 1000, 95, 50}},
        {MapPan::Right, 95, 50, {1001, 1000, 5, 50}}, {MapPan::Right, 80, 50, {1000, 1000, 90, 50}},
        {MapPan::Up, 50, 5, {1000, 1001, 50, 95}},    {MapPan::Down, 50, 95, {1000, 999, 50, 5}},
    };
    MapState state;
    state.TileWidth = state.TileHeight = 100;
    for (const Case& c : cases) {
        state.Tiles = {990, 1010, 990, 1010};
        state.Live = {1000, 1000, c.ox, c.oy};
        state.LastPx = 7;
        EXPECT_TRUE(PanMap(state, settings, c.pan));
        const MapViewTile& v = state.Live;
        EXPECT_EQ(std::vector<int32_t>({v.Column, v.Row, v.OffsetX, v.OffsetY}),
                  std::vector<int32_t>({c.after.Column, c.after.Row, c.after.OffsetX, c.after.OffsetY}));
        EXPECT_EQ(state.LastPx, 7 + (c.pan == MapPan::Left ? -10 : c.pan == MapPan::Right ? 10 : 0));
    }
    // At the track's tile extent every direction is refused and the review
    // view moves, not the live one.
    state.Live = {};
    state.Tiles = {1000, 1001, 999, 1000};
    state.MapReviewActive = 1;
    for (MapPan pan : {MapPan::Left, MapPan::Right, MapPan::Up, MapPan::Down}) {
        EXPECT_FALSE(PanMap(state, settings, pan));
    }
    state.Tiles = {990, 1010, 990, 1010};
    EXPECT_TRUE(PanMap(state, settings, MapPan::Left));
    EXPECT_EQ(state.Review.OffsetX, 90);
    EXPECT_EQ(state.Live.OffsetX, 0);
}

TEST(MapGeometry, FitAllCentresTheTrack) {
    MapFixture f;
    for (int i = 0; i <= 100; ++i) f.Drive(i * 1.0, i * 0.3);
    EnterMapReview(f.state, f.settings);
    FitAllMap(f.state, f.settings);
    EXPECT_EQ(f.settings.MapSize, 120);
    // The track (0..100 east) sits in the middle of the 200-pixel pane.
    const MapViewTile& r = f.state.Review;
    for (double east : {0.0, 100.0}) {
        PixelPoint p = WorldToPixel(f.state, 300.0 + east, 5000.0);
        TilePlace t = PixelToTile(p.X, p.Y, 200, 200);
        int32_t paneX = (t.Column - r.Column) * 200 - r.OffsetX + t.U;
        EXPECT_NEAR(paneX, east == 0.0 ? 16 : 183, 1);
    }
}

TEST(MapGrid, LinesOfATile) {
    Settings settings;
    settings.GridLinesInterval = 5.0;  // 50 pixels at 10 pixels per unit
    settings.MapGridType = 0;
    auto ends = [&settings](int32_t column, int32_t row) {
        std::vector<int32_t> out;
        for (const GridLine& l : GridLinesForTile(MakeGridGeometry(settings, 10.0), column, row, 100, 100)) {
            out.insert(out.end(), {l.From.X, l.From.Y, l.To.X, l.To.Y});
        }
        return out;
    };
    // Lines lie where positions on whole intervals land: -5 units is
    // px trunc(-49.5) = -49.
    using Ends = std::vector<int32_t>;
    EXPECT_EQ(ends(1000, 1000),
              (Ends{0, -5, 0, 105, 50, -5, 50, 105, 99, -5, 99, 105, -5, 99, 105, 99, -5, 49, 105, 49}));
    EXPECT_EQ(ends(1001, 999), (Ends{49, -5, 49, 105, 99, -5, 99, 105, -5, 98, 105, 98, -5, 48, 105, 48}));
    // Sloped lines cross the tile and lie the interval apart.
    settings.MapGridType = 1;
    for (double angle : {-60.0, 30.0, 89.0, 1.0}) {
        settings.GridLinesAngle = angle;
        GridGeometry grid = MakeGridGeometry(settings, 10.0);
        std::vector<GridLine> lines = GridLinesForTile(grid, 1003, 997, 100, 100);
        ASSERT_GE(lines.size(), 2u) << angle;
        std::vector<double> distances;
        for (const GridLine& l : lines) {
            const double x = l.From.X, y = 99 - l.From.Y;  // tile pixels, y north
            distances.push_back((y - grid.Slope * x) / std::sqrt(1 + grid.Slope * grid.Slope));
            EXPECT_TRUE(std::max(l.From.Y, l.To.Y) >= 0 && std::min(l.From.Y, l.To.Y) <= 99) << angle;
        }
        for (size_t i = 1; i < distances.size(); ++i) {
            EXPECT_NEAR(std::fabs(distances[i] - distances[i - 1]), 50.0, 1.5) << angle;
        }
    }
}

// A grid finer than 4 pixels is thinned to 2, 5, 10, 20, 50, ... intervals,
// and the screen says so in the map's unit.
TEST(MapGrid, AFineGridIsThinned) {
    const struct {
        double pixels;  // one interval on the screen
        int64_t every;
    } thinning[] = {{10.0, 1}, {4.0, 1}, {3.99, 2}, {2.0, 2}, {1.5, 5}, {0.5, 10},
                    {0.1, 50}, {0.001, 5000}, {0.0, 0}, {1e-20, 0}};
    for (const auto& t : thinning) EXPECT_EQ(GridThinning(t.pixels), t.every) << t.pixels;

    // A 698-pixel map 5000 m wide: 0.1396 px/m, so a 5 m interval spans
    // 0.698 px; five intervals are 3.49 px, ten 6.98 px.
    Settings settings;
    settings.GridLinesInterval = 5.0;
    settings.MapGridType = 0;
    const double scale = 698.0 / 5000.0;
    GridGeometry grid = MakeGridGeometry(settings, scale);
    EXPECT_EQ(grid.Every, 10);
    EXPECT_NEAR(grid.Spacing, 6.98, 1e-9);
    EXPECT_EQ(GridThinningText(grid, 0), "Grid thinned to 50 m");
    EXPECT_EQ(GridThinningText(grid, 2), "Grid thinned to 50 US-ft");
    // The lines of a tile 698 wide: about 100 a direction, not a line every
    // pixel.
    EXPECT_NEAR(GridLinesForTile(grid, 1000, 1000, 698, 698).size(), 200u, 2);
    // Sloped lines at 30 degrees: 50 m apart across them, so 100 m along a
    // meridian, 13.96 px.
    settings.MapGridType = 1;
    settings.GridLinesAngle = 30.0;
    EXPECT_NEAR(MakeGridGeometry(settings, scale).Spacing, 13.96, 1e-9);
    // At 40 m the same interval spans 87 px: every line, and nothing said.
    settings.MapGridType = 0;
    grid = MakeGridGeometry(settings, 698.0 / 40.0);
    EXPECT_EQ(grid.Every, 1);
    EXPECT_EQ(GridThinningText(grid, 0), "");
    settings.GridLinesInterval = 0.5;
    EXPECT_EQ(GridThinningText(MakeGridGeometry(settings, 1.0), 1), "Grid thinned to 5 ft");
}

}  // namespace
}  // namespace tesselog
