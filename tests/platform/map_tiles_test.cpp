// The GDI tile store: tiles made through the map core, a pixel painted into
// an overlay, and the view composed into a memory bitmap and read back.
#include <gtest/gtest.h>

#include "core/map/map_geometry.h"
#include "windows/map_tiles.h"

namespace tesselog::win32 {
namespace {

TEST(GdiMapTiles, ViewShowsBaseGridAndOverlay) {
    ShellFonts fonts;
    GdiMapTiles tiles(fonts);
    HDC screen = GetDC(nullptr);
    HDC pane = CreateCompatibleDC(screen);
    HBITMAP paneBitmap = CreateCompatibleBitmap(screen, 40, 40);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(pane, paneBitmap);
    PatBlt(pane, 0, 0, 40, 40, BLACKNESS);
    tiles.SetTarget(pane);

    // 40-pixel tiles, 5 pixels per unit, grid every 5 units: 25 pixels.
    Settings settings;
    settings.MapSize = 8;
    settings.GridLinesInterval = 5.0;
    settings.MapGridType = 0;
    MapState state;
    SetMapTileSize(state, settings, 40, 40);
    EnsureTile(state, tiles, 1001, 1000);
    EnsureTile(state, tiles, 1002, 1000);
    EnsureTile(state, tiles, 1001, 999);
    ASSERT_EQ(tiles.TileCount(), 3u);
    tiles.PaintLayer(1001, 999, MapLayer::Overlay,
                     [](Canvas& canvas) { canvas.FillRect({20, 3, 21, 4}, Rgb(0, 0, 0)); });

    // Tile (1001, 1000) lands at (-10, -10), (1002, 1000) at (30, -10),
    // (1001, 999) at (-10, 30); (1002, 999) is missing.
    tiles.ShowView(1001, 1000, 10, 10, 40, 40);
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF grid = RGB(192, 192, 192);
    struct Probe { int x, y; COLORREF expected; const char* what; };
    const Probe probes[] = {
        {5, 5, white, "white base through white overlay"},
        {14, 5, grid, "vertical line at px 25 of column 1001"},
        {39, 20, grid, "vertical line at px 50 of column 1002"},
        {5, 4, grid, "horizontal line at py 25 of row 1000"},
        {10, 33, RGB(0, 0, 0), "black overlay pixel"},
        {11, 33, white, "next to it"},
        {35, 35, white, "missing tile"},
    };
    for (const Probe& p : probes) EXPECT_EQ(GetPixel(pane, p.x, p.y), p.expected) << p.what;

    // Deleted tiles show white again; the overlay is gone with its tile.
    tiles.DeleteTile(1001, 999);
    EXPECT_FALSE(tiles.HasTile(1001, 999));
    tiles.ShowView(1001, 1000, 10, 10, 40, 40);
    EXPECT_EQ(GetPixel(pane, 10, 33), white);
    tiles.DeleteAllTiles();
    EXPECT_EQ(tiles.TileCount(), 0u);

    SelectObject(pane, old);
    DeleteObject(paneBitmap);
    DeleteDC(pane);
}

}  // namespace
}  // namespace tesselog::win32
