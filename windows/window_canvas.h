// A canvas on a window's device context for drawing outside WM_PAINT: the
// handlers that redraw single fields of the logging screen, and the GPS
// reader's connection break, which draws from the reader thread. The device
// context is taken for the canvas's lifetime, one handler call.
//
// The end-to-end tests' build of the program (tesselog-drawlog.exe) installs
// a wrapper at start-up that also writes every call into its draw log; the
// program that goes to the field installs none.
#pragma once

#include <windows.h>

#include <memory>

#include "core/platform/canvas.h"
#include "windows/gdi_canvas.h"

namespace tesselog::win32 {

class WindowCanvas {
public:
    WindowCanvas(HWND window, const ShellFonts& fonts);
    ~WindowCanvas();
    WindowCanvas(const WindowCanvas&) = delete;
    WindowCanvas& operator=(const WindowCanvas&) = delete;

    Canvas& Get() { return *canvas_; }

private:
    HWND window_;
    HDC dc_;
    std::unique_ptr<GdiCanvas> gdi_;
    std::unique_ptr<Canvas> wrapper_;
    Canvas* canvas_;
};

// The same for WM_PAINT: a canvas on the context of BeginPaint, ended with
// EndPaint, so that the draw log also shows what a repaint drew.
class PaintCanvas {
public:
    PaintCanvas(HWND window, const ShellFonts& fonts);
    ~PaintCanvas();
    PaintCanvas(const PaintCanvas&) = delete;
    PaintCanvas& operator=(const PaintCanvas&) = delete;

    Canvas& Get() { return *canvas_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    std::unique_ptr<GdiCanvas> gdi_;
    std::unique_ptr<Canvas> wrapper_;
    Canvas* canvas_;
};

// Wraps the GDI canvas of every later WindowCanvas and PaintCanvas. Set once, before any
// thread draws; nullptr (the default) draws on the window only.
using CanvasWrapper = std::unique_ptr<Canvas> (*)(Canvas& inner);
void SetWindowCanvasWrapper(CanvasWrapper wrapper);

}  // namespace tesselog::win32
