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

// The GDI canvas on a device context, with the draw log's wrapper around it
// when one is set. The derived classes take and give back the context.
class ContextCanvas {
public:
    ContextCanvas(const ContextCanvas&) = delete;
    ContextCanvas& operator=(const ContextCanvas&) = delete;

    Canvas& Get() { return *canvas_; }

protected:
    ContextCanvas(HDC dc, const ShellFonts& fonts, CanvasUnits units);
    ~ContextCanvas();
    // Puts the context's objects back; call before the context is given back.
    void Finish();

private:
    std::unique_ptr<GdiCanvas> gdi_;
    std::unique_ptr<Canvas> wrapper_;
    Canvas* canvas_ = nullptr;
};

class WindowCanvas : public ContextCanvas {
public:
    WindowCanvas(HWND window, const ShellFonts& fonts, CanvasUnits units = CanvasUnits::Layout);
    ~WindowCanvas();

private:
    WindowCanvas(HWND window, HDC dc, const ShellFonts& fonts, CanvasUnits units);
    HWND window_;
    HDC dc_;
};

// The context of a WM_PAINT, begun before the canvas is made on it.
struct BegunPaint {
    explicit BegunPaint(HWND window) : PaintWindow(window), PaintDc(BeginPaint(window, &Paint)) {}
    HWND PaintWindow;
    PAINTSTRUCT Paint{};
    HDC PaintDc;
};

// The same for WM_PAINT: a canvas on the context of BeginPaint, ended with
// EndPaint, so that the draw log also shows what a repaint drew.
class PaintCanvas : private BegunPaint, public ContextCanvas {
public:
    PaintCanvas(HWND window, const ShellFonts& fonts);
    ~PaintCanvas();
};

// Wraps the GDI canvas of every later WindowCanvas and PaintCanvas. Set once, before any
// thread draws; nullptr (the default) draws on the window only.
using CanvasWrapper = std::unique_ptr<Canvas> (*)(Canvas& inner);
void SetWindowCanvasWrapper(CanvasWrapper wrapper);

}  // namespace tesselog::win32
