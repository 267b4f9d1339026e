// The swath as GDI paints it: the core's strokes drawn into GDI tiles, the
// view composed on a memory bitmap (base copied, overlay ANDed) and read back
// pixel by pixel. Tiles are 100 x 100 pixels at one pixel per map unit, with
// the map origin at 0, 0: tile (1001, 1000) holds px 1..100 and py 0..99, so
// global (px, py) is its pixel (px - 1, 99 - py).
#include <gtest/gtest.h>

#include <memory>

#include "core/acquisition/acquisition_state.h"
#include "core/gps/position_handler.h"
#include "core/logscreen/colour_palette.h"
#include "core/logscreen/logging_session.h"
#include "core/map/map_grid.h"
#include "core/map/swath.h"
#include "platform/memory_surface.h"
#include "windows/map_tiles.h"

namespace tesselog::win32 {
namespace {

constexpr int32_t Side = 100;
constexpr COLORREF White = RGB(255, 255, 255);

COLORREF Ref(Color c) { return RGB(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

struct Map {
    Map() : Tiles(Pane.Fonts) {
        Settings settings;
        settings.MapSize = Side;
        SetMapTileSize(State, settings, Side, Side);
        State.Grid = {};  // white bases: only the swath shows
        Tiles.SetBasePainter([this](int32_t c, int32_t r, int32_t w, int32_t h, Canvas& canvas) {
            DrawBaseTile(canvas, State.Grid, c, r, w, h);
        });
        Tiles.SetTarget(Pane.Dc);
    }
    void Show(int32_t column, int32_t row, int32_t offsetX, int32_t offsetY) {
        Tiles.ShowView(column, row, offsetX, offsetY, Side, Side);
    }

    Surface Pane{Side, Side};
    MapState State;
    GdiMapTiles Tiles;
};

// A position dot on the corner of four tiles is drawn into all four and comes
// back whole when the view is composed across the corner.
TEST(MapSwathPixels, DotOnATileCornerIsWholeAcrossFourTiles) {
    Map map;
    TileStrokeBatch batch;
    batch.AddDot({0, 0}, 2, 0xFF0000);  // px 0 is column 1000's east edge, py 0 row 1000's south edge
    batch.Paint(map.State, map.Tiles);
    for (const TileIndex t : {TileIndex{1000, 1000}, TileIndex{1001, 1000}, TileIndex{1000, 999}, TileIndex{1001, 999}})
        EXPECT_TRUE(map.Tiles.HasTile(t.Column, t.Row)) << t.Column << "," << t.Row;

    // The corner at the pane's middle: global (px, py) shows at (px + 49, 49 - py), so the dot's box
    // spans 46..51 and the tiles meet between 49 and 50; one pixel of it in each tile.
    map.Show(1000, 1000, 50, 50);
    const COLORREF blue = Ref(0xFF0000);
    for (const POINT p : {POINT{48, 48}, POINT{50, 48}, POINT{48, 50}, POINT{50, 50}, POINT{51, 49}})
        EXPECT_EQ(map.Pane.At(p.x, p.y), blue) << p.x << "," << p.y;
    for (const POINT p : {POINT{44, 49}, POINT{54, 49}, POINT{49, 44}, POINT{49, 54}})
        EXPECT_EQ(map.Pane.At(p.x, p.y), White) << p.x << "," << p.y;
}

// One two-sensor console walking 20 pixels north with six readings per sensor
// closed at the fix: each sensor's half of the swath shows its readings'
// colours in four-pixel runs, first reading first.
TEST(MapSwathPixels, ColourStripShowsEachSensorsReadingsInOrder) {
    Map map;
    Settings settings;
    settings.ConsoleCount = 1;
    settings.ConsoleType[0] = 1;
    settings.RecomputeAll();
    const SensorTables sensors = BuildSensorTables(settings);
    GpsPositionState epochs;
    auto readings = std::make_unique<ConsoleReadingState>();
    epochs.ClosedEpochHasReadings = 1;
    epochs.ClosedEpochBuffer = 0;
    const int classes[2][6] = {{0, 10, 20, 30, 40, 49}, {49, 40, 30, 20, 10, 0}};
    for (int k = 0; k < 2; ++k) {
        epochs.ClosedEpochLastIndex[k] = 5;
        for (int i = 0; i < 6; ++i) readings->AmplitudeQueue[k][0][i] = classes[k][i];
    }
    const SwathEdge previous{{10.0, 10.0}, {30.0, 10.0}};
    const SwathEdge current{{10.0, 30.0}, {30.0, 30.0}};
    TileStrokeBatch batch;
    AddColourStrips(batch, map.State, previous, current, sensors, epochs, *readings);
    batch.Paint(map.State, map.Tiles);
    map.Show(1001, 1000, 0, 0);

    // Cross-line s lies at py 10 + s and shows reading trunc(s * 5 / 20): rows
    // in the middle of each four-pixel run, left sensor at px 14, right at 26.
    for (int run = 0; run < 5; ++run) {
        const int py = 10 + 4 * run + 2;
        EXPECT_EQ(map.Pane.At(14 - 1, 99 - py), Ref(ColourClassColor(classes[0][run]))) << "left, run " << run;
        EXPECT_EQ(map.Pane.At(26 - 1, 99 - py), Ref(ColourClassColor(classes[1][run]))) << "right, run " << run;
    }
    EXPECT_EQ(map.Pane.At(5, 99 - 20), White);   // west of the swath
    EXPECT_EQ(map.Pane.At(40, 99 - 20), White);  // east of it
}

}  // namespace
}  // namespace tesselog::win32
