// The GDI tile store: tiles made through the map core, a pixel painted into
// an overlay, and the view composed into a memory bitmap and read back; tiles
// that leave GDI and come back; the GDI objects of a long walk.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "core/common/colour_palette.h"
#include "core/map/map_geometry.h"
#include "core/map/map_grid.h"
#include "platform/memory_surface.h"
#include "windows/map_tiles.h"
#include "windows/process_resources.h"

namespace tesselog::win32 {
namespace {

constexpr COLORREF White = RGB(255, 255, 255);

TEST(GdiMapTiles, ViewShowsBaseGridAndOverlay) {
    Surface pane(40, 40);
    PatBlt(pane.Dc, 0, 0, 40, 40, BLACKNESS);
    GdiMapTiles tiles(pane.Fonts);
    tiles.SetTarget(pane.Dc);
    // 40-pixel tiles, 5 pixels per unit, grid every 5 units: 25 pixels.
    Settings settings;
    settings.MapSize = 8;
    settings.GridLinesInterval = 5.0;
    settings.MapGridType = 0;
    MapState state;
    SetMapTileSize(state, settings, 40, 40);
    for (const TileIndex t : {TileIndex{1001, 1000}, TileIndex{1002, 1000}, TileIndex{1001, 999}})
        EnsureTile(state, tiles, t.Column, t.Row);
    ASSERT_EQ(tiles.TileCount(), 3u);
    tiles.PaintLayer(1001, 999, MapLayer::Overlay, [](Canvas& canvas) { canvas.FillRect({20, 3, 21, 4}, Rgb(0, 0, 0)); });

    // Tile (1001, 1000) lands at (-10, -10), (1002, 1000) at (30, -10),
    // (1001, 999) at (-10, 30); (1002, 999) is missing.
    tiles.ShowView(1001, 1000, 10, 10, 40, 40);
    const COLORREF grid = RGB(192, 192, 192);
    const struct { int x, y; COLORREF expected; const char* what; } probes[] = {
        {5, 5, White, "white base through white overlay"},
        {14, 5, grid, "vertical line at px 25 of column 1001"},
        {39, 20, grid, "vertical line at px 50 of column 1002"},
        {5, 4, grid, "horizontal line at py 25 of row 1000"},
        {10, 33, RGB(0, 0, 0), "black overlay pixel"},
        {11, 33, White, "next to it"},
        {35, 35, White, "missing tile"},
    };
    for (const auto& p : probes) EXPECT_EQ(pane.At(p.x, p.y), p.expected) << p.what;

    // Deleted tiles show white again; the overlay is gone with its tile.
    tiles.DeleteTile(1001, 999);
    EXPECT_FALSE(tiles.HasTile(1001, 999));
    tiles.ShowView(1001, 1000, 10, 10, 40, 40);
    EXPECT_EQ(pane.At(10, 33), White);
    tiles.DeleteAllTiles();
    EXPECT_EQ(tiles.TileCount(), 0u);
}

// The whole of a memory surface, without the high byte.
std::vector<uint32_t> Pixels(const Surface& s) {
    GdiFlush();
    DIBSECTION d{};
    GetObject(s.Bitmap, sizeof d, &d);
    const auto* bits = static_cast<const uint32_t*>(d.dsBm.bmBits);
    std::vector<uint32_t> pixels(bits, bits + static_cast<size_t>(d.dsBm.bmWidth) * d.dsBm.bmHeight);
    for (uint32_t& p : pixels) p &= 0xFFFFFFu;
    return pixels;
}

// The map core's square tiles with the logging screen's base painter, shown
// into a black pane of the same side.
struct TileStore {
    TileStore(const Settings& settings, int32_t side, size_t gdiTiles) : Pane(side, side), Tiles(Pane.Fonts, gdiTiles) {
        SetMapTileSize(State, settings, side, side);
        Tiles.SetBasePainter([this](int32_t c, int32_t r, int32_t w, int32_t h, Canvas& canvas) {
            DrawBaseTile(canvas, State.Grid, c, r, w, h);
        });
        PatBlt(Pane.Dc, 0, 0, side, side, BLACKNESS);
        Tiles.SetTarget(Pane.Dc);
    }
    void Show(const MapViewTile& v, int32_t side) { Tiles.ShowView(v.Column, v.Row, v.OffsetX, v.OffsetY, side, side); }
    Surface Pane;
    MapState State;
    GdiMapTiles Tiles;
};

// What the track paints: a thin line, and a strip of amplitude colours drawn as 2-pixel cross-lines.
void ThinLine(Canvas& canvas, int32_t side) {
    canvas.SetPen(Rgb(0, 0, 0), 1);
    canvas.Line({0, side / 5}, {side, side - side / 3});
}

void ColourStrip(Canvas& canvas, int32_t side) {
    for (int32_t y = 0; y < side; y += 2) {
        canvas.SetPen(ColourClassColor((y / 6) % ColourPaletteSize), 2);
        canvas.Line({side / 3, y}, {side / 3 + 90, y + 5});
    }
}

TEST(GdiMapTiles, TilesComeBackFromOutsideGdiPixelForPixel) {
    constexpr int32_t Side = 700;
    const struct { const char* What; bool Grid; void (*Overlay)(Canvas&, int32_t); } cases[] = {
        {"grid base, white overlay", true, nullptr},
        {"thin line on white", false, &ThinLine},
        {"colour strip on white", false, &ColourStrip},
        {"line and strip over the grid", true, [](Canvas& c, int32_t s) { ColourStrip(c, s); ThinLine(c, s); }},
    };
    for (const auto& c : cases) {
        Settings settings;
        settings.MapSize = 140;
        settings.MapGridType = 0;
        settings.GridLinesInterval = c.Grid ? 7.0 : 0.0;
        // The reference never lets a tile go; the tested store is made to.
        TileStore reference(settings, Side, 64), tested(settings, Side, 64);
        MapViewTile view{1000, 1000, Side / 3, Side / 4};
        auto step = [&](const char* when, const std::function<void(TileStore&)>& act) {
            for (TileStore* s : {&reference, &tested}) {
                act(*s);
                s->Show(view, Side);
            }
            EXPECT_TRUE(Pixels(reference.Pane) == Pixels(tested.Pane)) << c.What << ", " << when;
        };
        step("made", [&](TileStore& s) { EnsureViewTiles(s.State, s.Tiles, view); });
        step("painted", [&](TileStore& s) {
            for (const TileIndex t : {TileIndex{1000, 1000}, TileIndex{1001, 999}})
                if (c.Overlay) s.Tiles.PaintLayer(t.Column, t.Row, MapLayer::Overlay, [&](Canvas& k) { c.Overlay(k, Side); });
        });
        std::vector<TileIndex> all;
        tested.Tiles.ListTiles(all);
        for (const TileIndex& t : all) EXPECT_TRUE(tested.Tiles.MoveOutOfGdi(t.Column, t.Row)) << c.What;
        EXPECT_EQ(tested.Tiles.GdiTileCount(), 0u);
        EXPECT_EQ(tested.Tiles.TileCount(), 4u);
        step("shown after leaving GDI", [](TileStore&) {});
        // A drawing brings a tile back: what was there stays under it.
        tested.Tiles.MoveOutOfGdi(1000, 1000);
        step("painted again after leaving GDI", [&](TileStore& s) {
            s.Tiles.PaintLayer(1000, 1000, MapLayer::Overlay, [](Canvas& k) { k.FillRect({200, 300, 203, 303}, Rgb(255, 0, 255)); });
        });
        // The view moves off and back: the tiles left and return.
        view = {1010, 990, 0, 0};
        step("other view", [&](TileStore& s) { EnsureViewTiles(s.State, s.Tiles, view); });
        for (const TileIndex& t : all) tested.Tiles.MoveOutOfGdi(t.Column, t.Row);
        view = {1000, 1000, Side / 2, Side / 5};
        step("back", [](TileStore&) {});
    }
}

TEST(GdiMapTiles, LongWalkKeepsGdiObjectsFlat) {
    constexpr int32_t Side = 100;
    Settings settings;
    settings.MapSize = 20;
    settings.MapGridType = 0;
    settings.GridLinesInterval = 3.0;
    const size_t gdiBefore = LiveGdiObjects();
    auto store = std::make_unique<TileStore>(settings, Side, GdiMapTiles::DefaultGdiTiles);
    // A snake over 105 columns and 21 rows: every step a new tile of the
    // track, drawn into and shown in the view.
    size_t gdiStart = 0;
    constexpr int Steps = 2205;
    for (int i = 0; i < Steps; ++i) {
        const int32_t row = 1000 - i / 105;
        const int32_t column = (i / 105) % 2 == 0 ? 950 + i % 105 : 1054 - i % 105;
        const MapViewTile view{column, row, Side / 2, Side / 2};
        EnsureViewTiles(store->State, store->Tiles, view);
        store->Tiles.PaintLayer(column, row, MapLayer::Overlay, [](Canvas& c) { ThinLine(c, Side); });
        store->Show(view, Side);
        if (i == 100) gdiStart = LiveGdiObjects();
    }
    EXPECT_GT(gdiStart, 0u);
    EXPECT_LE(LiveGdiObjects(), gdiStart);
    EXPECT_LE(store->Tiles.GdiTileCount(), GdiMapTiles::DefaultGdiTiles);
    EXPECT_GE(store->Tiles.TileCount(), static_cast<size_t>(Steps));
    // The first tile of the walk still has its line: px 0 of its row 20 is black.
    store->Show({950, 1000, 0, 0}, Side);
    EXPECT_EQ(store->Pane.At(0, Side / 5), RGB(0, 0, 0));
    store.reset();
    EXPECT_LE(LiveGdiObjects(), gdiBefore) << "every tile's objects go with the store";
}

}  // namespace
}  // namespace tesselog::win32
