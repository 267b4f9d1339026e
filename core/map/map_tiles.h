// The map's tile store as the core sees it. Every tile is a pair of
// pane-sized surfaces: the overlay (track, positions and colour amplitude on
// white) and the base (white with the grid). The view on the map pane is
// composed from four neighbouring tiles: the base copied, then the overlay
// combined with a bitwise AND so that white overlay pixels let the base show.
//
// The Win32 layer keeps GDI bitmaps behind this interface; the core only
// names tiles by (column, row) and draws into them through a Canvas, so it
// never holds a GDI handle. MemoryMapTiles is the sparse in-memory store of
// the tests, benchmarks and headless runs.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "core/platform/canvas.h"

namespace tesselog {

enum class MapLayer { Overlay, Base };

struct TileIndex {
    int32_t Column = 0;
    int32_t Row = 0;
    friend bool operator==(const TileIndex& a, const TileIndex& b) {
        return a.Column == b.Column && a.Row == b.Row;
    }
};

using CanvasPainter = std::function<void(Canvas&)>;

class MapTileSurfaces {
public:
    virtual ~MapTileSurfaces() = default;

    // Makes both layers of a missing tile, width by height pixels, filled
    // white. The grid is drawn afterwards through PaintLayer(Base).
    virtual void CreateTile(int32_t column, int32_t row, int32_t width, int32_t height) = 0;
    virtual bool HasTile(int32_t column, int32_t row) const = 0;
    virtual void DeleteTile(int32_t column, int32_t row) = 0;
    virtual void DeleteAllTiles() = 0;
    // Every tile that exists, in any order.
    virtual void ListTiles(std::vector<TileIndex>& out) const = 0;

    // Draws into one layer of an existing tile in its own pixel coordinates
    // (0,0 top left = north-west). Does nothing when the tile is missing.
    virtual void PaintLayer(int32_t column, int32_t row, MapLayer layer, const CanvasPainter& paint) = 0;

    // Composes the view on the pane: tiles (c, r), (c + 1, r), (c, r - 1) and
    // (c + 1, r - 1) at pane positions (-ox, -oy), (w - ox, -oy), (-ox, h - oy)
    // and (w - ox, h - oy); base copied, overlay ANDed. A missing tile shows
    // white.
    virtual void ShowView(int32_t column, int32_t row, int32_t offsetX, int32_t offsetY, int32_t width,
                          int32_t height) = 0;

    // Draws directly on the map pane's drawable area (clearing, the cursor,
    // "Please Wait").
    virtual void PaintPane(const CanvasPainter& paint) = 0;
};

// Sparse store keyed by (column, row). Every layer is a RecordingCanvas, so
// tests can look at what was drawn where; KeepCalls = false keeps no calls
// and spends no time on them (benchmarks, replays, long headless runs).
class MemoryMapTiles : public MapTileSurfaces {
public:
    struct Tile {
        int32_t Width = 0;
        int32_t Height = 0;
        RecordingCanvas Overlay;
        RecordingCanvas Base;
    };
    struct ShownView {
        int32_t Column = 0;
        int32_t Row = 0;
        int32_t OffsetX = 0;
        int32_t OffsetY = 0;
    };

    std::map<std::pair<int32_t, int32_t>, Tile> Tiles;
    RecordingCanvas Pane;
    ShownView LastShown;
    int32_t ShowCount = 0;
    int32_t CreateCount = 0;
    bool KeepCalls = true;

    void CreateTile(int32_t column, int32_t row, int32_t width, int32_t height) override;
    bool HasTile(int32_t column, int32_t row) const override;
    void DeleteTile(int32_t column, int32_t row) override;
    void DeleteAllTiles() override;
    void ListTiles(std::vector<TileIndex>& out) const override;
    void PaintLayer(int32_t column, int32_t row, MapLayer layer, const CanvasPainter& paint) override;
    void ShowView(int32_t column, int32_t row, int32_t offsetX, int32_t offsetY, int32_t width,
                  int32_t height) override;
    void PaintPane(const CanvasPainter& paint) override;

    // The tile or nullptr.
    Tile* Find(int32_t column, int32_t row);
};

}  // namespace tesselog
