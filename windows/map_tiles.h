// The map's tile store in GDI. A tile exists from CreateTile to its deletion,
// but only a bounded set of tiles is held as GDI bitmaps at a time (two
// bitmaps each, compatible with the map pane's device context): the four of
// the view last shown and the most recently used. A long track at a small
// map size would otherwise reach the process's limit of GDI objects.
//
// A tile that leaves GDI keeps its overlay in a compact run form
// (core/common/pixel_runs.h) and drops its base, which is only white and
// the grid: the base painter draws it again when the tile is shown or
// painted. The core draws into the bitmaps through a GdiCanvas on one
// memory device context; the view is composed on the pane with a copy of
// each base and an AND of each overlay.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/map/map_tiles.h"
#include "windows/gdi_canvas.h"

namespace tesselog::win32 {

class GdiMapTiles : public MapTileSurfaces {
public:
    // 16 tiles are 32 bitmaps, about 63 MB of pixels at a 700-pixel pane;
    // enough for the view, the tiles a swath crosses beside it, and a pan
    // back and forth without a round trip through the compact form.
    static constexpr size_t DefaultGdiTiles = 16;
    // The view's four and the tile being painted must fit.
    static constexpr size_t MinimumGdiTiles = 6;

    // Draws a base tile of the map as it is now: white and the grid.
    using BasePainter =
        std::function<void(int32_t column, int32_t row, int32_t width, int32_t height, Canvas& canvas)>;

    explicit GdiMapTiles(const ShellFonts& fonts, size_t gdiTiles = DefaultGdiTiles);
    ~GdiMapTiles() override;
    GdiMapTiles(const GdiMapTiles&) = delete;
    GdiMapTiles& operator=(const GdiMapTiles&) = delete;

    // The map pane: the view and the cursor go onto its client area, and new
    // bitmaps are made compatible with its device context.
    void SetPane(HWND pane) { pane_ = pane; }
    // Draws the view and the pane drawing into this device context instead
    // of the pane's (tests and off-screen composition); nullptr: the pane.
    void SetTarget(HDC target) { target_ = target; }
    // Without a painter a base painted while its tile is out of GDI brings
    // the tile back to be painted, and a base coming back is white.
    void SetBasePainter(BasePainter painter) { basePainter_ = std::move(painter); }

    void CreateTile(int32_t column, int32_t row, int32_t width, int32_t height) override;
    bool HasTile(int32_t column, int32_t row) const override;
    void DeleteTile(int32_t column, int32_t row) override;
    void DeleteAllTiles() override;
    void ListTiles(std::vector<TileIndex>& out) const override;
    void PaintLayer(int32_t column, int32_t row, MapLayer layer, const CanvasPainter& paint) override;
    void ShowView(int32_t column, int32_t row, int32_t offsetX, int32_t offsetY, int32_t width,
                  int32_t height) override;
    void PaintPane(const CanvasPainter& paint) override;

    // Moves a tile out of GDI at once (tests and measurements); false when
    // it is missing or already out.
    bool MoveOutOfGdi(int32_t column, int32_t row);

    size_t TileCount() const { return tiles_.size(); }
    size_t GdiTileCount() const { return inGdi_.size(); }
    // Bytes of the compact overlays of all tiles, or of one.
    size_t CompactBytes() const;
    size_t CompactBytes(int32_t column, int32_t row) const;

private:
    struct Bitmaps {
        int32_t Width = 0;
        int32_t Height = 0;
        HBITMAP Overlay = nullptr;
        HBITMAP Base = nullptr;
    };
    struct Tile {
        int32_t Width = 0;
        int32_t Height = 0;
        HBITMAP Overlay = nullptr;  // both bitmaps or neither
        HBITMAP Base = nullptr;
        // The overlay out of GDI; while in GDI, kept as long as it still
        // matches the bitmap (nothing painted since), so that leaving again
        // costs no read-back. Empty = white.
        std::vector<uint8_t> Compact;
        bool CompactCurrent = true;
    };
    static int32_t Key(int32_t column, int32_t row) { return column * 2048 + row; }
    Tile* Find(int32_t column, int32_t row);
    const Tile* Find(int32_t column, int32_t row) const;
    // Brings the tile into GDI as the most recently used; false when its
    // bitmaps cannot be made.
    bool BringIntoGdi(int32_t key, Tile& tile);
    void MakeRoom(int32_t keep);
    void LeaveGdi(int32_t key, Tile& tile);
    // A spare pair of the size, or a new one; false when none can be made.
    bool TakeBitmaps(int32_t width, int32_t height, Bitmaps& out);
    void DeleteSpares();
    void PaintBase(int32_t column, int32_t row, Tile& tile);
    void ReadOverlay(Tile& tile);
    void WriteOverlay(Tile& tile);
    void Blit(HDC target, int32_t column, int32_t row, int32_t x, int32_t y, int32_t width, int32_t height);
    // The pane-sized bitmap the view is composed in before it goes onto the
    // pane in one copy; nullptr when it cannot be made.
    HDC ComposeSurface(int32_t width, int32_t height);

    const ShellFonts& fonts_;
    const size_t gdiLimit_;
    HWND pane_ = nullptr;
    HDC target_ = nullptr;
    HDC tileDc_;  // memory DC that holds one tile layer at a time
    HGDIOBJ tileDcBitmap_;
    HDC composeDc_ = nullptr;  // the view composed off the screen
    HBITMAP composeBitmap_ = nullptr;
    HGDIOBJ composeDcBitmap_ = nullptr;
    int32_t composeWidth_ = 0;
    int32_t composeHeight_ = 0;
    BasePainter basePainter_;
    std::unordered_map<int32_t, Tile> tiles_;
    std::vector<int32_t> inGdi_;          // keys of the tiles in GDI, least recently used first
    int32_t viewKeys_[4] = {-1, -1, -1, -1};  // the view last shown stays in GDI
    std::vector<uint32_t> pixels_;        // one overlay's pixels on their way in or out
    // Bitmaps of tiles that left GDI, for the next tiles to come in: a new
    // bitmap's memory is slow to touch the first time. Together with the
    // tiles in GDI they stay within the bound.
    std::vector<Bitmaps> spares_;
};

}  // namespace tesselog::win32
