// The swath as GDI paints it, read back pixel by pixel. Tiles are 100 x 100
// at one pixel per map unit with the origin at 0, 0: tile (1001, 1000) holds
// px 1..100 and py 0..99, so global (px, py) is its pixel (px - 1, 99 - py).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/acquisition/acquisition_state.h"
#include "core/common/colour_palette.h"
#include "core/gps/position_handler.h"
#include "core/logscreen/logging_session.h"
#include "core/map/map_grid.h"
#include "core/map/swath.h"
#include "core/settings/sensor_tables.h"
#include "platform/memory_surface.h"
#include "windows/map_tiles.h"

namespace tesselog::win32 {
namespace {

constexpr int32_t Side = 100;
constexpr COLORREF White = RGB(255, 255, 255);

COLORREF Ref(Color c) { return RGB(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

struct Map {
    explicit Map(int32_t mapSize = Side) : Tiles(Pane.Fonts) {
        Settings settings;
        settings.MapSize = mapSize;
        SetMapTileSize(State, settings, Side, Side);
        State.Grid = {};  // white bases: only the swath shows
        Tiles.SetBasePainter([this](int32_t c, int32_t r, int32_t w, int32_t h, Canvas& canvas) {
            DrawBaseTile(canvas, State.Grid, c, r, w, h);
        });
        Tiles.SetTarget(Pane.Dc);
    }
    void Show(int32_t column, int32_t row, int32_t x, int32_t y) { Tiles.ShowView(column, row, x, y, Side, Side); }
    Surface Pane{Side, Side};
    MapState State;
    GdiMapTiles Tiles;
};

TEST(MapSwathPixels, DotOnATileCornerIsWholeAcrossFourTiles) {
    Map map;
    TileStrokeBatch batch;
    batch.AddDot({0, 0}, 2, 0xFF0000);  // px 0 is column 1000's east edge, py 0 row 1000's south edge
    batch.Paint(map.State, map.Tiles);
    for (const TileIndex t : {TileIndex{1000, 1000}, TileIndex{1001, 1000}, TileIndex{1000, 999}, TileIndex{1001, 999}})
        EXPECT_TRUE(map.Tiles.HasTile(t.Column, t.Row)) << t.Column << "," << t.Row;

    // Global (px, py) shows at (px + 49, 49 - py): the dot's box spans 46..51, the tiles meet between 49 and 50.
    map.Show(1000, 1000, 50, 50);
    const COLORREF blue = Ref(0xFF0000);
    for (const POINT p : {POINT{48, 48}, POINT{50, 48}, POINT{48, 50}, POINT{50, 50}, POINT{51, 49}})
        EXPECT_EQ(map.Pane.At(p.x, p.y), blue) << p.x << "," << p.y;
    for (const POINT p : {POINT{44, 49}, POINT{54, 49}, POINT{49, 44}, POINT{49, 54}})
        EXPECT_EQ(map.Pane.At(p.x, p.y), White) << p.x << "," << p.y;
}

// On a map of 15,000 units a 2-unit swath and a 0.05-unit step lie inside
// the pixel of global (10, 10): the colour strip still paints it and, in
// its 2-pixel pen, the one south of it; the edge as a 1-pixel line paints
// it alone. Global (px, py) shows at (px + 49, 49 - py).
TEST(MapSwathPixels, StripAndEdgeUnderAPixelStillShow) {
    SensorTables sensors;
    sensors.SensorCount = 1;
    const int32_t classes[] = {42};  // (255, 0, 0)
    StripReadings readings;
    readings.Classes[0] = classes;
    readings.LastIndex[0] = 0;
    Settings marks;
    marks.PositionSize = 4;
    marks.PositionColor = 0x00FF00;
    const SwathEdge from{{1500.0, 1501.0}, {1500.0, 1499.0}}, to{{1500.05, 1501.0}, {1500.05, 1499.0}};
    for (bool strip : {true, false}) {
        SCOPED_TRACE(strip ? "strip" : "edge");
        Map map(15000);
        TileStrokeBatch batch;
        if (strip) {
            AddColourStrips(batch, map.State, from, to, sensors, readings);
        } else {
            AddPositionMarks(batch, map.State, to, marks, sensors);
        }
        batch.Paint(map.State, map.Tiles);
        map.Show(1000, 1000, 50, 50);
        std::vector<POINT> painted;
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x)
                if (map.Pane.At(x, y) != White) painted.push_back({x, y});
        ASSERT_EQ(painted.size(), strip ? 2u : 1u);
        EXPECT_EQ(painted[0].x, 59);
        EXPECT_EQ(painted[0].y, 39);
        EXPECT_EQ(map.Pane.At(59, 39), strip ? RGB(255, 0, 0) : RGB(0, 255, 0));
        if (strip) {
            EXPECT_EQ(map.Pane.At(59, 40), RGB(255, 0, 0));
        }
    }
}

// The swath's lines of one pen go to GDI as one PolyPolyline: every pixel
// must be what one MoveToEx and LineTo per line gives, for both pen widths,
// in every direction, for lines of one pixel and lines that cross.
TEST(MapSwath, LinesInOneCallDrawWhatOneLineEachDraws) {
    std::vector<Point> ends;
    for (int i = 0; i < 40; ++i) {
        const int x = (i * 37) % 60, y = (i * 53) % 60;
        ends.push_back({x, y});
        ends.push_back({x + (i % 7) - 3, y + (i % 5) * 9 - 18});
    }
    ends.push_back({30, 30});
    ends.push_back({30, 30});
    for (int width : {1, 2}) {
        Surface one(64, 64), together(64, 64);
        one.Paint([&](Canvas& c) {
            c.SetPen(Rgb(200, 30, 40), width);
            for (size_t i = 0; i + 1 < ends.size(); i += 2) c.Line(ends[i], ends[i + 1]);
        });
        together.Paint([&](Canvas& c) {
            c.SetPen(Rgb(200, 30, 40), width);
            c.Lines(ends.data(), ends.size() / 2);
        });
        int differing = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) differing += one.At(x, y) != together.At(x, y);
        EXPECT_EQ(differing, 0) << "pen width " << width;
    }
}

}  // namespace
}  // namespace tesselog::win32
