// A white 32-bit memory bitmap for the pixel tests of the GDI drawing: each
// drawing is made on a GDI canvas of its own, and pixels are read back.
#pragma once

#include <windows.h>

#include "windows/gdi_canvas.h"

namespace tesselog::win32 {

struct Surface {
    Surface(int width, int height) : Dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        Bitmap = CreateDIBSection(Dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        Old = SelectObject(Dc, Bitmap);
        PatBlt(Dc, 0, 0, width, height, WHITENESS);
    }
    ~Surface() {
        SelectObject(Dc, Old);
        DeleteObject(Bitmap);
        DeleteDC(Dc);
    }
    template <typename Draw>
    void Paint(Draw draw) {
        GdiCanvas canvas(Dc, Fonts);
        draw(static_cast<Canvas&>(canvas));
    }
    COLORREF At(int x, int y) const { return GetPixel(Dc, x, y); }

    HDC Dc;
    HBITMAP Bitmap = nullptr;
    HGDIOBJ Old = nullptr;
    ShellFonts Fonts;
};

}  // namespace tesselog::win32
