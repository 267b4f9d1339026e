// The GDI tile store of the program on a memory bitmap of a pane, for the
// measurement programs that run under Wine; its tiles are freed with it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "windows/map_tiles.h"

namespace tesselog::win32 {

class PaneTiles : public GdiMapTiles {
public:
    PaneTiles(const ShellFonts& fonts, int32_t width, int32_t height) : GdiMapTiles(fonts) {
        HDC screen = GetDC(nullptr);
        pane_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(pane_, bitmap_);
        SetTarget(pane_);
    }
    ~PaneTiles() override {
        DeleteAllTiles();
        SelectObject(pane_, old_);
        DeleteObject(bitmap_);
        DeleteDC(pane_);
    }
    PaneTiles(const PaneTiles&) = delete;
    PaneTiles& operator=(const PaneTiles&) = delete;

private:
    HDC pane_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

}  // namespace tesselog::win32
