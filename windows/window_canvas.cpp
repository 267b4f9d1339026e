#include "windows/window_canvas.h"

namespace tesselog::win32 {

namespace {

CanvasWrapper TheWrapper = nullptr;

}  // namespace

void SetWindowCanvasWrapper(CanvasWrapper wrapper) { TheWrapper = wrapper; }

// GetDC(nullptr) would be the whole screen: without a window the GDI calls
// get no device context and draw nothing.
WindowCanvas::WindowCanvas(HWND window, const ShellFonts& fonts)
    : window_(window), dc_(window ? GetDC(window) : nullptr) {
    gdi_ = std::make_unique<GdiCanvas>(dc_, fonts);
    canvas_ = gdi_.get();
    if (TheWrapper) {
        wrapper_ = TheWrapper(*gdi_);
        if (wrapper_) canvas_ = wrapper_.get();
    }
}

WindowCanvas::~WindowCanvas() {
    wrapper_.reset();
    gdi_.reset();  // puts the context's objects back before it is released
    if (dc_) ReleaseDC(window_, dc_);
}

}  // namespace tesselog::win32
