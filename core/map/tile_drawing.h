// Drawing on the map plane in global pixels. A swath step is collected as a
// list of strokes (lines and position dots) and then painted tile by tile:
// every tile a stroke touches gets one PaintLayer call on its overlay, in
// which each of its strokes is drawn shifted into the tile's own pixels.
//
// Rasterisation across tile borders: a line is drawn whole into every tile
// it passes through (within its pen's width), with that tile's offset, and
// the surface clips it. A line's pixels do not change when both ends move
// by the same whole number of pixels, so the pieces meet at the borders
// exactly as one line drawn on one large surface would. A dot's ellipse box
// is handled the same way, so a dot near a border or a corner is completed
// in the neighbouring tiles.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/map/map_geometry.h"

namespace tesselog {

struct TileStroke {
    bool Dot = false;
    PixelPoint From;    // global pixels, py north; a dot's centre
    PixelPoint To;      // a line's other end
    int32_t Size = 0;   // a dot's PositionSize: box from centre - 1 - size to centre + size + 1
    int32_t Width = 1;  // a line's pen width
    Color Ink = 0;      // pen colour (and brush colour of a dot)
};

// A tile's top-left corner in global screen pixels (x east, y south, that
// is -py), so that a tile place is (x - Left, y - Top).
struct TileOrigin {
    int32_t Left = 0;
    int32_t Top = 0;
};
TileOrigin TileOriginOf(int32_t column, int32_t row, int32_t tileWidth, int32_t tileHeight);

// The strokes of one swath step; the buffers are kept between steps.
class TileStrokeBatch {
public:
    void Clear() { strokes_.clear(); }
    bool Empty() const { return strokes_.empty(); }
    void AddLine(PixelPoint from, PixelPoint to, Color ink, int32_t width);
    void AddDot(PixelPoint centre, int32_t size, Color ink);
    // Takes over the strokes of another batch after its own.
    void Append(const TileStrokeBatch& other);
    const std::vector<TileStroke>& Strokes() const { return strokes_; }

    // Paints the strokes into one layer (the overlay unless said) of every
    // tile they touch, making missing tiles (and widening the tile extent)
    // as the map does for any drawing. The strokes keep their order within
    // each tile.
    void Paint(MapState& state, MapTileSurfaces& tiles, MapLayer layer = MapLayer::Overlay);
    // Works out which tiles the strokes touch, as Paint does, without
    // painting: for PaintTile.
    void Index(int32_t tileWidth, int32_t tileHeight);
    // After Paint or Index: the strokes that touch tile (column, row), painted again
    // into a canvas of that tile, as when a tile's base is drawn anew.
    void PaintTile(Canvas& canvas, int32_t column, int32_t row, int32_t tileWidth, int32_t tileHeight);

private:
    std::vector<TileStroke> strokes_;
    std::vector<std::pair<int64_t, uint32_t>> touches_;  // (tile key, stroke index)
    std::vector<Point> run_;  // ends of the lines painted together
    std::vector<int64_t> keys_;                         // the tiles touched
};

// The tiles one stroke touches, as (column, row), appended to out.
void TilesTouchedBy(const TileStroke& stroke, int32_t tileWidth, int32_t tileHeight,
                    std::vector<TileIndex>& out);

}  // namespace tesselog
