#include "windows/window_canvas.h"

namespace tesselog::win32 {

namespace {

CanvasWrapper TheWrapper = nullptr;

// The wrapper's canvas around gdi when one is set, else gdi itself.
Canvas* Wrap(GdiCanvas& gdi, std::unique_ptr<Canvas>& wrapper) {
    if (TheWrapper) wrapper = TheWrapper(gdi);
    return wrapper ? wrapper.get() : &gdi;
}

}  // namespace

void SetWindowCanvasWrapper(CanvasWrapper wrapper) { TheWrapper = wrapper; }

// GetDC(nullptr) would be the whole screen: without a window the GDI calls
// get no device context and draw nothing.
WindowCanvas::WindowCanvas(HWND window, const ShellFonts& fonts)
    : window_(window), dc_(window ? GetDC(window) : nullptr) {
    gdi_ = std::make_unique<GdiCanvas>(dc_, fonts);
    canvas_ = Wrap(*gdi_, wrapper_);
}

WindowCanvas::~WindowCanvas() {
    wrapper_.reset();
    gdi_.reset();  // puts the context's objects back before it is released
    if (dc_) ReleaseDC(window_, dc_);
}

PaintCanvas::PaintCanvas(HWND window, const ShellFonts& fonts) : window_(window) {
    HDC dc = BeginPaint(window_, &paint_);
    gdi_ = std::make_unique<GdiCanvas>(dc, fonts);
    canvas_ = Wrap(*gdi_, wrapper_);
}

PaintCanvas::~PaintCanvas() {
    wrapper_.reset();
    gdi_.reset();
    EndPaint(window_, &paint_);
}

}  // namespace tesselog::win32
