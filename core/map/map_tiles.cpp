#include "core/map/map_tiles.h"

namespace tesselog {

void MemoryMapTiles::CreateTile(int32_t column, int32_t row, int32_t width, int32_t height) {
    auto key = std::make_pair(column, row);
    if (Tiles.count(key) != 0) return;
    Tile& tile = Tiles[key];
    tile.Width = width;
    tile.Height = height;
    ++CreateCount;
}

bool MemoryMapTiles::HasTile(int32_t column, int32_t row) const {
    return Tiles.count(std::make_pair(column, row)) != 0;
}

void MemoryMapTiles::DeleteTile(int32_t column, int32_t row) { Tiles.erase(std::make_pair(column, row)); }

void MemoryMapTiles::DeleteAllTiles() { Tiles.clear(); }

void MemoryMapTiles::ListTiles(std::vector<TileIndex>& out) const {
    out.clear();
    for (const auto& entry : Tiles) out.push_back({entry.first.first, entry.first.second});
}

MemoryMapTiles::Tile* MemoryMapTiles::Find(int32_t column, int32_t row) {
    auto found = Tiles.find(std::make_pair(column, row));
    return found == Tiles.end() ? nullptr : &found->second;
}

void MemoryMapTiles::PaintLayer(int32_t column, int32_t row, MapLayer layer, const CanvasPainter& paint) {
    Tile* tile = Find(column, row);
    if (tile == nullptr) return;
    RecordingCanvas& canvas = layer == MapLayer::Overlay ? tile->Overlay : tile->Base;
    canvas.Keep = KeepCalls;
    paint(canvas);
}

void MemoryMapTiles::ShowView(int32_t column, int32_t row, int32_t offsetX, int32_t offsetY, int32_t /*width*/,
                              int32_t /*height*/) {
    LastShown = {column, row, offsetX, offsetY};
    ++ShowCount;
}

void MemoryMapTiles::PaintPane(const CanvasPainter& paint) {
    Pane.Keep = KeepCalls;
    paint(Pane);
}

}  // namespace tesselog
