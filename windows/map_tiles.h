// The map's tile store in GDI: each tile is two bitmaps compatible with the
// map pane's device context, made only when the core asks for the tile. The
// core draws into them through a GdiCanvas on one memory device context; the
// view is composed on the pane with a copy of each base and an AND of each
// overlay.
#pragma once

#include <windows.h>

#include <cstdint>
#include <unordered_map>

#include "core/map/map_tiles.h"
#include "windows/gdi_canvas.h"

namespace tesselog::win32 {

class GdiMapTiles : public MapTileSurfaces {
public:
    explicit GdiMapTiles(const ShellFonts& fonts);
    ~GdiMapTiles() override;
    GdiMapTiles(const GdiMapTiles&) = delete;
    GdiMapTiles& operator=(const GdiMapTiles&) = delete;

    // The map pane: the view and the cursor go onto its client area, and new
    // bitmaps are made compatible with its device context.
    void SetPane(HWND pane) { pane_ = pane; }
    // Draws the view and the pane drawing into this device context instead
    // of the pane's (tests and off-screen composition); nullptr: the pane.
    void SetTarget(HDC target) { target_ = target; }

    void CreateTile(int32_t column, int32_t row, int32_t width, int32_t height) override;
    bool HasTile(int32_t column, int32_t row) const override;
    void DeleteTile(int32_t column, int32_t row) override;
    void DeleteAllTiles() override;
    void ListTiles(std::vector<TileIndex>& out) const override;
    void PaintLayer(int32_t column, int32_t row, MapLayer layer, const CanvasPainter& paint) override;
    void ShowView(int32_t column, int32_t row, int32_t offsetX, int32_t offsetY, int32_t width,
                  int32_t height) override;
    void PaintPane(const CanvasPainter& paint) override;

    size_t TileCount() const { return tiles_.size(); }

private:
    struct TileBitmaps {
        HBITMAP Overlay = nullptr;
        HBITMAP Base = nullptr;
    };
    static int32_t Key(int32_t column, int32_t row) { return column * 2048 + row; }
    const TileBitmaps* Find(int32_t column, int32_t row) const;
    void Blit(HDC target, int32_t column, int32_t row, int32_t x, int32_t y, int32_t width, int32_t height);

    const ShellFonts& fonts_;
    HWND pane_ = nullptr;
    HDC target_ = nullptr;
    HDC tileDc_;  // memory DC that holds one tile layer at a time
    HGDIOBJ tileDcBitmap_;
    std::unordered_map<int32_t, TileBitmaps> tiles_;
};

}  // namespace tesselog::win32
