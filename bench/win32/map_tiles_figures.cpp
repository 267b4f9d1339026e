// Figures of the GDI tile store, printed for the performance notes (run
// under Wine by scripts/measure-map-tiles.sh; asserts nothing):
// - GDI objects and private bytes before and after a walk over 2,000 new
//   tiles, each crossed by the track, at a small and at a full pane;
// - the time to show the view (four copy and four AND blits) of a 700x700
//   pane with its tiles in GDI, and with all four coming back from their
//   compact overlays;
// - the compact bytes of a tile crossed by a thin line and by a colour
//   strip, and the time a tile takes to leave GDI.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "core/common/colour_palette.h"
#include "core/map/map_geometry.h"
#include "core/map/map_grid.h"
#include "windows/process_resources.h"
#include "windows/gdi_objects.h"
#include "windows/map_tiles.h"

using namespace tesselog;
using namespace tesselog::win32;

namespace {

double Seconds() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Store {
    explicit Store(int32_t side) : Side(side), Tiles(Fonts) {
        Settings settings;
        settings.MapSize = 100;
        settings.MapGridType = 0;
        settings.GridLinesInterval = 10.0;
        SetMapTileSize(State, settings, side, side);
        Tiles.SetBasePainter([this](int32_t c, int32_t r, int32_t w, int32_t h, Canvas& canvas) {
            DrawBaseTile(canvas, State.Grid, c, r, w, h);
        });
        HDC screen = GetDC(nullptr);
        Pane = CreateCompatibleDC(screen);
        PaneBitmap = CreateCompatibleBitmap(screen, side, side);
        ReleaseDC(nullptr, screen);
        Old = SelectObject(Pane, PaneBitmap);
        Tiles.SetTarget(Pane);
    }
    ~Store() {
        Tiles.DeleteAllTiles();
        SelectObject(Pane, Old);
        DeleteObject(PaneBitmap);
        DeleteDC(Pane);
    }
    void Show(const MapViewTile& v) { Tiles.ShowView(v.Column, v.Row, v.OffsetX, v.OffsetY, Side, Side); }

    int32_t Side;
    ShellFonts Fonts;
    MapState State;
    GdiMapTiles Tiles;
    HDC Pane;
    HBITMAP PaneBitmap;
    HGDIOBJ Old;
};

void ThinLine(Canvas& canvas, int32_t side) {
    canvas.SetPen(Rgb(255, 0, 0), 1);
    canvas.Line({0, side / 5}, {side, side - side / 3});
}

// Four sensors' strips going north, a class change every 4 rows.
void ColourStrip(Canvas& canvas, int32_t side) {
    for (int32_t y = 0; y < side; ++y) {
        for (int32_t k = 0; k < 4; ++k) {
            canvas.SetPen(ColourClassColor((y / 4 + 7 * k) % ColourPaletteSize), 2);
            canvas.Line({side / 3 + 30 * k, y}, {side / 3 + 30 * (k + 1), y});
        }
    }
}

void Walk(int32_t side, int steps) {
    auto store = std::make_unique<Store>(side);
    const size_t gdiStart = win32::LiveGdiObjects();
    const size_t memoryStart = win32::PrivateBytes();
    size_t gdiWarm = 0;
    const double start = Seconds();
    for (int i = 0; i < steps; ++i) {
        if (i == 100) gdiWarm = win32::LiveGdiObjects();
        const int32_t row = 1000 - i / 100;
        const int32_t column = (i / 100) % 2 == 0 ? 950 + i % 100 : 1049 - i % 100;
        const MapViewTile view{column, row, side / 2, side / 2};
        EnsureViewTiles(store->State, store->Tiles, view);
        store->Tiles.PaintLayer(column, row, MapLayer::Overlay, [side](Canvas& c) { ThinLine(c, side); });
        store->Show(view);
    }
    const double elapsed = Seconds() - start;
    std::printf("walk of %d new tiles, %dx%d pane: GDI objects %zu at the start, %zu after 100 tiles, %zu at the end; private bytes %.1f MB -> %.1f MB; "
                "%zu tiles, %zu in GDI; compact overlays %.0f KB (%.0f bytes a tile); %.2f ms a step\n",
                steps, side, side, gdiStart, gdiWarm, win32::LiveGdiObjects(), memoryStart / 1048576.0,
                win32::PrivateBytes() / 1048576.0, store->Tiles.TileCount(), store->Tiles.GdiTileCount(),
                store->Tiles.CompactBytes() / 1024.0,
                static_cast<double>(store->Tiles.CompactBytes()) / store->Tiles.TileCount(), elapsed * 1000.0 / steps);
}

void ShowTimes(int32_t side, int shows) {
    Store store(side);
    const MapViewTile view{1000, 1000, side / 3, side / 4};
    EnsureViewTiles(store.State, store.Tiles, view);
    const TileIndex four[4] = {{1000, 1000}, {1001, 1000}, {1000, 999}, {1001, 999}};
    for (const TileIndex& t : four) {
        store.Tiles.PaintLayer(t.Column, t.Row, MapLayer::Overlay, [side](Canvas& c) {
            ColourStrip(c, side);
            ThinLine(c, side);
        });
    }
    store.Show(view);
    double start = Seconds();
    for (int i = 0; i < shows; ++i) store.Show(view);
    const double inGdi = (Seconds() - start) * 1000.0 / shows;

    double leaving = 0.0;
    double back = 0.0;
    for (int i = 0; i < shows / 10; ++i) {
        // A dot painted on each makes the leaving read the overlay back.
        for (const TileIndex& t : four) {
            store.Tiles.PaintLayer(t.Column, t.Row, MapLayer::Overlay,
                                   [i](Canvas& c) { c.FillRect({i, 5, i + 1, 6}, Rgb(0, 0, 0)); });
        }
        start = Seconds();
        for (const TileIndex& t : four) store.Tiles.MoveOutOfGdi(t.Column, t.Row);
        leaving += Seconds() - start;
        start = Seconds();
        store.Show(view);
        back += Seconds() - start;
    }
    std::printf("show view %dx%d (4 copy + 4 AND blits): %.3f ms with the tiles in GDI; %.3f ms with all four "
                "coming back from compact overlays; a strip-and-line tile leaves GDI (read back and encoded) in %.3f ms\n",
                side, side, inGdi, back * 1000.0 / (shows / 10), leaving * 1000.0 / (shows / 10) / 4);
}

void CompactSizes(int32_t side) {
    Store store(side);
    struct Drawing {
        const char* What;
        void (*Draw)(Canvas&, int32_t);
    };
    const Drawing drawings[] = {{"a thin line", &ThinLine}, {"a colour strip (4 sensors)", &ColourStrip}};
    int32_t column = 1000;
    for (const Drawing& d : drawings) {
        EnsureTile(store.State, store.Tiles, column, 1000);
        store.Tiles.PaintLayer(column, 1000, MapLayer::Overlay, [&](Canvas& c) { d.Draw(c, side); });
        store.Tiles.MoveOutOfGdi(column, 1000);
        std::printf("compact overlay of a %dx%d tile crossed by %s: %zu bytes\n", side, side, d.What,
                    store.Tiles.CompactBytes(column, 1000));
        ++column;
    }
}

}  // namespace

int main() {
    GdiObjectCache objects;
    objects.Remake(Settings{});
    InstallGdiObjects(&objects);
    std::printf("tiles held in GDI at most: %zu\n", GdiMapTiles::DefaultGdiTiles);
    CompactSizes(700);
    ShowTimes(700, 200);
    Walk(200, 2000);
    Walk(700, 2000);
    return 0;
}
