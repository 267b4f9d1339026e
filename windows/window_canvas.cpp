#include "windows/window_canvas.h"

namespace tesselog::win32 {

namespace {

CanvasWrapper TheWrapper = nullptr;

}  // namespace

void SetWindowCanvasWrapper(CanvasWrapper wrapper) { TheWrapper = wrapper; }

ContextCanvas::ContextCanvas(HDC dc, const ShellFonts& fonts, CanvasUnits units)
    : gdi_(std::make_unique<GdiCanvas>(dc, fonts, units)) {
    if (TheWrapper) wrapper_ = TheWrapper(*gdi_);
    canvas_ = wrapper_ ? wrapper_.get() : gdi_.get();
}

ContextCanvas::~ContextCanvas() { Finish(); }

void ContextCanvas::Finish() {
    wrapper_.reset();
    gdi_.reset();
}

// GetDC(nullptr) would be the whole screen: without a window the GDI calls
// get no device context and draw nothing.
WindowCanvas::WindowCanvas(HWND window, const ShellFonts& fonts, CanvasUnits units)
    : WindowCanvas(window, window ? GetDC(window) : nullptr, fonts, units) {}

WindowCanvas::WindowCanvas(HWND window, HDC dc, const ShellFonts& fonts, CanvasUnits units)
    : ContextCanvas(dc, fonts, units), window_(window), dc_(dc) {}

WindowCanvas::~WindowCanvas() {
    Finish();  // puts the context's objects back before it is released
    if (dc_) ReleaseDC(window_, dc_);
}

PaintCanvas::PaintCanvas(HWND window, const ShellFonts& fonts)
    : BegunPaint(window), ContextCanvas(PaintDc, fonts, CanvasUnits::Layout) {}

PaintCanvas::~PaintCanvas() {
    Finish();
    EndPaint(PaintWindow, &Paint);
}

}  // namespace tesselog::win32
