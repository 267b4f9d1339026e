#include "windows/map_tiles.h"

#include "windows/window_canvas.h"

namespace tesselog::win32 {

GdiMapTiles::GdiMapTiles(const ShellFonts& fonts) : fonts_(fonts), tileDc_(CreateCompatibleDC(nullptr)) {
    tileDcBitmap_ = GetCurrentObject(tileDc_, OBJ_BITMAP);
}

GdiMapTiles::~GdiMapTiles() {
    DeleteAllTiles();
    DeleteDC(tileDc_);
}

const GdiMapTiles::TileBitmaps* GdiMapTiles::Find(int32_t column, int32_t row) const {
    auto found = tiles_.find(Key(column, row));
    return found == tiles_.end() ? nullptr : &found->second;
}

void GdiMapTiles::CreateTile(int32_t column, int32_t row, int32_t width, int32_t height) {
    if (column < 0 || column >= 2048 || row < 0 || row >= 2048) return;  // outside the key's range
    if (Find(column, row) != nullptr || width <= 0 || height <= 0) return;
    // Compatible with the pane (or the screen), never with the memory DC,
    // whose own bitmap is monochrome.
    HDC reference = GetDC(pane_);
    TileBitmaps made;
    made.Overlay = CreateCompatibleBitmap(reference, width, height);
    made.Base = CreateCompatibleBitmap(reference, width, height);
    ReleaseDC(pane_, reference);
    if (made.Overlay == nullptr || made.Base == nullptr) {
        // Out of bitmap memory: the tile stays missing and shows white.
        if (made.Overlay) DeleteObject(made.Overlay);
        if (made.Base) DeleteObject(made.Base);
        return;
    }
    for (HBITMAP bitmap : {made.Overlay, made.Base}) {
        SelectObject(tileDc_, bitmap);
        PatBlt(tileDc_, 0, 0, width, height, WHITENESS);
    }
    SelectObject(tileDc_, tileDcBitmap_);
    tiles_[Key(column, row)] = made;
}

bool GdiMapTiles::HasTile(int32_t column, int32_t row) const { return Find(column, row) != nullptr; }

void GdiMapTiles::DeleteTile(int32_t column, int32_t row) {
    auto found = tiles_.find(Key(column, row));
    if (found == tiles_.end()) return;
    DeleteObject(found->second.Overlay);
    DeleteObject(found->second.Base);
    tiles_.erase(found);
}

void GdiMapTiles::DeleteAllTiles() {
    for (auto& entry : tiles_) {
        DeleteObject(entry.second.Overlay);
        DeleteObject(entry.second.Base);
    }
    tiles_.clear();
}

void GdiMapTiles::ListTiles(std::vector<TileIndex>& out) const {
    out.clear();
    for (const auto& entry : tiles_) out.push_back({entry.first / 2048, entry.first % 2048});
}

void GdiMapTiles::PaintLayer(int32_t column, int32_t row, MapLayer layer, const CanvasPainter& paint) {
    const TileBitmaps* tile = Find(column, row);
    if (tile == nullptr) return;
    SelectObject(tileDc_, layer == MapLayer::Overlay ? tile->Overlay : tile->Base);
    {
        GdiCanvas canvas(tileDc_, fonts_);
        paint(canvas);
    }
    SelectObject(tileDc_, tileDcBitmap_);
}

void GdiMapTiles::Blit(HDC target, int32_t column, int32_t row, int32_t x, int32_t y, int32_t width,
                       int32_t height) {
    const TileBitmaps* tile = Find(column, row);
    if (tile == nullptr) {
        PatBlt(target, x, y, width, height, WHITENESS);
        return;
    }
    SelectObject(tileDc_, tile->Base);
    BitBlt(target, x, y, width, height, tileDc_, 0, 0, SRCCOPY);
    SelectObject(tileDc_, tile->Overlay);
    BitBlt(target, x, y, width, height, tileDc_, 0, 0, SRCAND);
    SelectObject(tileDc_, tileDcBitmap_);
}

void GdiMapTiles::ShowView(int32_t column, int32_t row, int32_t offsetX, int32_t offsetY, int32_t width,
                           int32_t height) {
    HDC target = target_ != nullptr ? target_ : GetDC(pane_);
    if (target == nullptr) return;
    Blit(target, column, row, -offsetX, -offsetY, width, height);
    Blit(target, column + 1, row, width - offsetX, -offsetY, width, height);
    Blit(target, column, row - 1, -offsetX, height - offsetY, width, height);
    Blit(target, column + 1, row - 1, width - offsetX, height - offsetY, width, height);
    if (target_ == nullptr) ReleaseDC(pane_, target);
}

void GdiMapTiles::PaintPane(const CanvasPainter& paint) {
    if (target_ != nullptr) {
        GdiCanvas canvas(target_, fonts_);
        paint(canvas);
        return;
    }
    if (pane_ == nullptr) return;
    WindowCanvas canvas(pane_, fonts_);
    paint(canvas.Get());
}

}  // namespace tesselog::win32
