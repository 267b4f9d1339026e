#include "windows/map_tiles.h"

#include <algorithm>

#include "core/common/pixel_runs.h"
#include "windows/window_canvas.h"

namespace tesselog::win32 {

namespace {

bool InKeyRange(int32_t column, int32_t row) { return column >= 0 && column < 2048 && row >= 0 && row < 2048; }

// 32-bit rows from the top: each pixel 0x00RRGGBB.
BITMAPINFO TopDownRows(int32_t width, int32_t height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

GdiMapTiles::GdiMapTiles(const ShellFonts& fonts, size_t gdiTiles)
    : fonts_(fonts), gdiLimit_(std::max(gdiTiles, MinimumGdiTiles)), tileDc_(CreateCompatibleDC(nullptr)) {
    tileDcBitmap_ = GetCurrentObject(tileDc_, OBJ_BITMAP);
}

GdiMapTiles::~GdiMapTiles() {
    DeleteAllTiles();
    DeleteDC(tileDc_);
    if (composeDc_ != nullptr) {
        SelectObject(composeDc_, composeDcBitmap_);
        DeleteObject(composeBitmap_);
        DeleteDC(composeDc_);
    }
}

GdiMapTiles::Tile* GdiMapTiles::Find(int32_t column, int32_t row) {
    if (!InKeyRange(column, row)) return nullptr;
    auto found = tiles_.find(Key(column, row));
    return found == tiles_.end() ? nullptr : &found->second;
}

const GdiMapTiles::Tile* GdiMapTiles::Find(int32_t column, int32_t row) const {
    return const_cast<GdiMapTiles*>(this)->Find(column, row);
}

// A new tile is white in both layers, which its compact form already says:
// it takes bitmaps only when it is painted or shown.
void GdiMapTiles::CreateTile(int32_t column, int32_t row, int32_t width, int32_t height) {
    if (!InKeyRange(column, row) || Find(column, row) != nullptr || width <= 0 || height <= 0) return;
    Tile& tile = tiles_[Key(column, row)];
    tile.Width = width;
    tile.Height = height;
}

bool GdiMapTiles::HasTile(int32_t column, int32_t row) const { return Find(column, row) != nullptr; }

void GdiMapTiles::DeleteTile(int32_t column, int32_t row) {
    Tile* tile = Find(column, row);
    if (tile == nullptr) return;
    const int32_t key = Key(column, row);
    if (tile->Overlay != nullptr) {
        DeleteObject(tile->Overlay);
        DeleteObject(tile->Base);
        inGdi_.erase(std::find(inGdi_.begin(), inGdi_.end(), key));
    }
    tiles_.erase(key);
}

void GdiMapTiles::DeleteAllTiles() {
    for (auto& entry : tiles_) {
        if (entry.second.Overlay == nullptr) continue;
        DeleteObject(entry.second.Overlay);
        DeleteObject(entry.second.Base);
    }
    tiles_.clear();
    inGdi_.clear();
    DeleteSpares();
}

void GdiMapTiles::DeleteSpares() {
    for (const Bitmaps& spare : spares_) {
        DeleteObject(spare.Overlay);
        DeleteObject(spare.Base);
    }
    spares_.clear();
}

void GdiMapTiles::ListTiles(std::vector<TileIndex>& out) const {
    out.clear();
    for (const auto& entry : tiles_) out.push_back({entry.first / 2048, entry.first % 2048});
}

// The least recently used tile outside the view leaves, unless a spare pair
// is waiting, so that one more fits.
void GdiMapTiles::MakeRoom(int32_t keep) {
    while (spares_.empty() && inGdi_.size() >= gdiLimit_) {
        auto victim = std::find_if(inGdi_.begin(), inGdi_.end(), [&](int32_t key) {
            return key != keep && std::find(std::begin(viewKeys_), std::end(viewKeys_), key) == std::end(viewKeys_);
        });
        if (victim == inGdi_.end()) return;
        LeaveGdi(*victim, tiles_[*victim]);
    }
}

void GdiMapTiles::LeaveGdi(int32_t key, Tile& tile) {
    if (!tile.CompactCurrent) ReadOverlay(tile);
    inGdi_.erase(std::find(inGdi_.begin(), inGdi_.end(), key));
    if (inGdi_.size() + spares_.size() < gdiLimit_) {
        spares_.push_back({tile.Width, tile.Height, tile.Overlay, tile.Base});
    } else {
        DeleteObject(tile.Overlay);
        DeleteObject(tile.Base);
    }
    tile.Overlay = nullptr;
    tile.Base = nullptr;
}

bool GdiMapTiles::TakeBitmaps(int32_t width, int32_t height, Bitmaps& out) {
    while (!spares_.empty()) {
        out = spares_.back();
        spares_.pop_back();
        if (out.Width == width && out.Height == height) return true;
        DeleteObject(out.Overlay);  // made for another pane size
        DeleteObject(out.Base);
    }
    // Compatible with the pane (or the screen), never with the memory DC,
    // whose own bitmap is monochrome.
    HDC reference = GetDC(pane_);
    out = {width, height, CreateCompatibleBitmap(reference, width, height),
           CreateCompatibleBitmap(reference, width, height)};
    ReleaseDC(pane_, reference);
    if (out.Overlay != nullptr && out.Base != nullptr) return true;
    if (out.Overlay) DeleteObject(out.Overlay);
    if (out.Base) DeleteObject(out.Base);
    return false;
}

bool GdiMapTiles::BringIntoGdi(int32_t key, Tile& tile) {
    if (tile.Overlay != nullptr) {
        inGdi_.erase(std::find(inGdi_.begin(), inGdi_.end(), key));
        inGdi_.push_back(key);
        return true;
    }
    MakeRoom(key);
    Bitmaps bitmaps;
    // Out of bitmap memory: the tile shows white and takes no painting.
    if (!TakeBitmaps(tile.Width, tile.Height, bitmaps)) return false;
    tile.Overlay = bitmaps.Overlay;
    tile.Base = bitmaps.Base;
    inGdi_.push_back(key);
    PaintBase(key / 2048, key % 2048, tile);
    WriteOverlay(tile);
    return true;
}

void GdiMapTiles::PaintBase(int32_t column, int32_t row, Tile& tile) {
    SelectObject(tileDc_, tile.Base);
    PatBlt(tileDc_, 0, 0, tile.Width, tile.Height, WHITENESS);
    if (basePainter_) {
        GdiCanvas canvas(tileDc_, fonts_, CanvasUnits::Device);
        basePainter_(column, row, tile.Width, tile.Height, canvas);
    }
    SelectObject(tileDc_, tileDcBitmap_);
}

// The bitmap is selected into no context while its rows are read or written.
// A read that fails leaves the overlay white: the tile has to leave anyway.
void GdiMapTiles::ReadOverlay(Tile& tile) {
    pixels_.resize(static_cast<size_t>(tile.Width) * static_cast<size_t>(tile.Height));
    BITMAPINFO info = TopDownRows(tile.Width, tile.Height);
    if (GetDIBits(tileDc_, tile.Overlay, 0, tile.Height, pixels_.data(), &info, DIB_RGB_COLORS) == tile.Height) {
        tile.Compact = EncodePixelRuns(pixels_.data(), tile.Width, tile.Height);
    }
    tile.Compact.shrink_to_fit();
    tile.CompactCurrent = true;
}

void GdiMapTiles::WriteOverlay(Tile& tile) {
    if (tile.Compact.empty()) {
        SelectObject(tileDc_, tile.Overlay);
        PatBlt(tileDc_, 0, 0, tile.Width, tile.Height, WHITENESS);
        SelectObject(tileDc_, tileDcBitmap_);
        return;
    }
    pixels_.resize(static_cast<size_t>(tile.Width) * static_cast<size_t>(tile.Height));
    DecodePixelRuns(tile.Compact, tile.Width, tile.Height, pixels_.data());
    BITMAPINFO info = TopDownRows(tile.Width, tile.Height);
    SetDIBits(tileDc_, tile.Overlay, 0, tile.Height, pixels_.data(), &info, DIB_RGB_COLORS);
}

bool GdiMapTiles::MoveOutOfGdi(int32_t column, int32_t row) {
    Tile* tile = Find(column, row);
    if (tile == nullptr || tile->Overlay == nullptr) return false;
    LeaveGdi(Key(column, row), *tile);
    return true;
}

size_t GdiMapTiles::CompactBytes() const {
    size_t total = 0;
    for (const auto& entry : tiles_) total += entry.second.Compact.size();
    return total;
}

size_t GdiMapTiles::CompactBytes(int32_t column, int32_t row) const {
    const Tile* tile = Find(column, row);
    return tile != nullptr ? tile->Compact.size() : 0;
}

// A base out of GDI is drawn again by the base painter when the tile comes
// back, from the grid in force then, which is what this painting draws.
void GdiMapTiles::PaintLayer(int32_t column, int32_t row, MapLayer layer, const CanvasPainter& paint) {
    Tile* tile = Find(column, row);
    if (tile == nullptr) return;
    if (layer == MapLayer::Base && tile->Overlay == nullptr && basePainter_) return;
    if (!BringIntoGdi(Key(column, row), *tile)) return;
    if (layer == MapLayer::Overlay) {
        tile->CompactCurrent = false;
        tile->Compact.clear();
        tile->Compact.shrink_to_fit();
    }
    SelectObject(tileDc_, layer == MapLayer::Overlay ? tile->Overlay : tile->Base);
    {
        GdiCanvas canvas(tileDc_, fonts_, CanvasUnits::Device);
        paint(canvas);
    }
    SelectObject(tileDc_, tileDcBitmap_);
}

// Only the part of the tile that falls on the pane is copied: the four parts
// of a view add up to one pane, not four.
void GdiMapTiles::Blit(HDC target, int32_t column, int32_t row, int32_t x, int32_t y, int32_t width,
                       int32_t height) {
    const int32_t left = x > 0 ? x : 0;
    const int32_t top = y > 0 ? y : 0;
    const int32_t right = x + width < width ? x + width : width;
    const int32_t bottom = y + height < height ? y + height : height;
    if (right <= left || bottom <= top) return;
    Tile* tile = Find(column, row);
    if (tile == nullptr || !BringIntoGdi(Key(column, row), *tile)) {
        PatBlt(target, left, top, right - left, bottom - top, WHITENESS);
        return;
    }
    SelectObject(tileDc_, tile->Base);
    BitBlt(target, left, top, right - left, bottom - top, tileDc_, left - x, top - y, SRCCOPY);
    SelectObject(tileDc_, tile->Overlay);
    BitBlt(target, left, top, right - left, bottom - top, tileDc_, left - x, top - y, SRCAND);
    SelectObject(tileDc_, tileDcBitmap_);
}

HDC GdiMapTiles::ComposeSurface(int32_t width, int32_t height) {
    if (composeDc_ != nullptr && composeWidth_ == width && composeHeight_ == height) return composeDc_;
    if (composeDc_ == nullptr) {
        composeDc_ = CreateCompatibleDC(nullptr);
        if (composeDc_ == nullptr) return nullptr;
        composeDcBitmap_ = GetCurrentObject(composeDc_, OBJ_BITMAP);
    }
    SelectObject(composeDc_, composeDcBitmap_);
    if (composeBitmap_ != nullptr) DeleteObject(composeBitmap_);
    HDC reference = GetDC(pane_);
    composeBitmap_ = CreateCompatibleBitmap(reference, width, height);
    ReleaseDC(pane_, reference);
    composeWidth_ = composeBitmap_ != nullptr ? width : 0;
    composeHeight_ = composeBitmap_ != nullptr ? height : 0;
    if (composeBitmap_ == nullptr) return nullptr;
    SelectObject(composeDc_, composeBitmap_);
    return composeDc_;
}

// On the pane the four parts are composed off the screen first and copied
// at once: copied one by one, a pane caught between two copies (a slow
// machine, a screenshot) shows parts of two different views side by side.
void GdiMapTiles::ShowView(int32_t column, int32_t row, int32_t offsetX, int32_t offsetY, int32_t width,
                           int32_t height) {
    // The new view's tiles are kept in GDI before any of them is brought in.
    const TileIndex view[4] = {{column, row}, {column + 1, row}, {column, row - 1}, {column + 1, row - 1}};
    for (int i = 0; i < 4; ++i)
        viewKeys_[i] = InKeyRange(view[i].Column, view[i].Row) ? Key(view[i].Column, view[i].Row) : -1;
    HDC pane = target_ != nullptr ? nullptr : GetDC(pane_);
    if (target_ == nullptr && pane == nullptr) return;
    HDC composed = target_ != nullptr ? nullptr : ComposeSurface(width, height);
    HDC target = target_ != nullptr ? target_ : composed != nullptr ? composed : pane;
    Blit(target, column, row, -offsetX, -offsetY, width, height);
    Blit(target, column + 1, row, width - offsetX, -offsetY, width, height);
    Blit(target, column, row - 1, -offsetX, height - offsetY, width, height);
    Blit(target, column + 1, row - 1, width - offsetX, height - offsetY, width, height);
    if (composed != nullptr) BitBlt(pane, 0, 0, width, height, composed, 0, 0, SRCCOPY);
    if (pane != nullptr) ReleaseDC(pane_, pane);
}

void GdiMapTiles::PaintPane(const CanvasPainter& paint) {
    if (target_ != nullptr) {
        GdiCanvas canvas(target_, fonts_, CanvasUnits::Device);
        paint(canvas);
        return;
    }
    if (pane_ == nullptr) return;
    WindowCanvas canvas(pane_, fonts_, CanvasUnits::Device);
    paint(canvas.Get());
}

}  // namespace tesselog::win32
