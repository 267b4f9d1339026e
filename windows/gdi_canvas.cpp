#include "windows/gdi_canvas.h"

#include <atomic>
#include <vector>

#include "core/common/sunlight_palette.h"

#include "windows/gdi_objects.h"
#include "windows/platform_services.h"

namespace tesselog::win32 {

namespace {

// Read by every canvas, also the GPS reader's; switched on the
// user-interface thread.
std::atomic<bool> SunlightOn{false};

}  // namespace

void UseSunlightInk(bool on) { SunlightOn.store(on); }
bool SunlightInkInUse() { return SunlightOn.load(); }

RECT GdiCanvas::Box(const Rect& r) const {
    const Rect d = place_.ToDevice(r);
    return RECT{d.Left, d.Top, d.Right, d.Bottom};
}

GdiCanvas::GdiCanvas(HDC dc, const ShellFonts& fonts, CanvasUnits units)
    : dc_(dc),
      fonts_(fonts),
      place_(units == CanvasUnits::Layout ? fonts.Scale : DisplayScale{}),
      pens_(fonts.Scale),
      originalPen_(GetCurrentObject(dc, OBJ_PEN)),
      originalBrush_(GetCurrentObject(dc, OBJ_BRUSH)),
      originalFont_(GetCurrentObject(dc, OBJ_FONT)),
      savedState_(SaveDC(dc)) {
    ::SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    SetBkMode(dc_, TRANSPARENT);
    if (fonts_.Text) SelectObject(dc_, fonts_.Text);
}

GdiCanvas::~GdiCanvas() {
    SelectObject(dc_, originalPen_);
    SelectObject(dc_, originalBrush_);
    SelectObject(dc_, originalFont_);
    if (ownedPen_) DeleteObject(ownedPen_);
    if (ownedBrush_) DeleteObject(ownedBrush_);
    RestoreDC(dc_, savedState_);
}

void GdiCanvas::UsePen(HPEN pen, bool owned) {
    SelectObject(dc_, pen);
    if (ownedPen_) DeleteObject(ownedPen_);
    ownedPen_ = owned ? pen : nullptr;
}

void GdiCanvas::UseBrush(HBRUSH brush, bool owned) {
    SelectObject(dc_, brush);
    if (ownedBrush_) DeleteObject(ownedBrush_);
    ownedBrush_ = owned ? brush : nullptr;
}

// A shared object when the cache has one of that colour and width; one of
// the canvas's own, deleted when replaced, for anything else.
void GdiCanvas::SetPen(Color color, int width) {
    if (SunlightOn.load()) {
        width = SunlightPenWidth(width, color);
        color = tesselog::SunlightInk(color);
    }
    width = pens_.PenWidth(width);
    const GdiObjectCache* shared = InstalledGdiObjects();
    if (HPEN pen = shared ? shared->FindPen(color, width) : nullptr) {
        UsePen(pen, false);
        return;
    }
    UsePen(CreatePen(PS_SOLID, width, color), true);
}

void GdiCanvas::SetNullPen() { UsePen(static_cast<HPEN>(GetStockObject(NULL_PEN)), false); }

void GdiCanvas::SetBrush(Color color) {
    if (SunlightOn.load()) color = SunlightFill(color);
    const GdiObjectCache* shared = InstalledGdiObjects();
    if (HBRUSH brush = shared ? shared->FindBrush(color) : nullptr) {
        UseBrush(brush, false);
        return;
    }
    UseBrush(CreateSolidBrush(color), true);
}

void GdiCanvas::SetHollowBrush() { UseBrush(static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)), false); }

void GdiCanvas::Line(Point from, Point to) {
    const POINT a = At(from), b = At(to);
    MoveToEx(dc_, a.x, a.y, nullptr);
    LineTo(dc_, b.x, b.y);
}

// One PolyPolyline of two-point polylines: each is drawn as its own line,
// with no join to the next, as MoveToEx and LineTo would draw it.
void GdiCanvas::Lines(const Point* ends, size_t lineCount) {
    if (lineCount == 0) return;
    points_.resize(2 * lineCount);
    counts_.assign(lineCount, 2);
    for (size_t i = 0; i < 2 * lineCount; ++i) points_[i] = At(ends[i]);
    PolyPolyline(dc_, points_.data(), counts_.data(), static_cast<DWORD>(lineCount));
}

void GdiCanvas::Polyline(const Point* points, size_t count) {
    if (count < 2) return;
    std::vector<POINT> list(count);
    for (size_t i = 0; i < count; ++i) list[i] = At(points[i]);
    ::Polyline(dc_, list.data(), static_cast<int>(count));
}

void GdiCanvas::Rectangle(const Rect& r) {
    const RECT d = Box(r);
    ::Rectangle(dc_, d.left, d.top, d.right, d.bottom);
}

void GdiCanvas::Ellipse(const Rect& r) {
    const RECT d = Box(r);
    ::Ellipse(dc_, d.left, d.top, d.right, d.bottom);
}

void GdiCanvas::FillRect(const Rect& r, Color color) {
    if (SunlightOn.load()) color = SunlightFill(color);
    const GdiObjectCache* shared = InstalledGdiObjects();
    HBRUSH brush = shared ? shared->FindBrush(color) : nullptr;
    const bool owned = brush == nullptr;
    if (owned) brush = CreateSolidBrush(color);
    RECT box = Box(r);
    ::FillRect(dc_, &box, brush);
    if (owned) DeleteObject(brush);
}

void GdiCanvas::SetFont(FontChoice font) {
    HFONT chosen = fonts_.Text;
    switch (font) {
    case FontChoice::Caption: chosen = fonts_.Caption; break;
    case FontChoice::Title: chosen = fonts_.Title; break;
    case FontChoice::Text: chosen = fonts_.Text; break;
    case FontChoice::Bold: chosen = fonts_.Bold; break;
    }
    if (chosen) SelectObject(dc_, chosen);
}

void GdiCanvas::SetTextColor(Color color) {
    ::SetTextColor(dc_, SunlightOn.load() ? tesselog::SunlightInk(color) : color);
}

void GdiCanvas::SetTextAlign(TextAlign align) {
    UINT horizontal = align == TextAlign::Left ? TA_LEFT : align == TextAlign::Center ? TA_CENTER : TA_RIGHT;
    ::SetTextAlign(dc_, horizontal | TA_TOP | TA_NOUPDATECP);
}

void GdiCanvas::SetTextBackground(bool transparent, Color color) {
    opaqueText_ = !transparent;
    SetBkMode(dc_, transparent ? TRANSPARENT : OPAQUE);
    SetBkColor(dc_, SunlightOn.load() ? SunlightFill(color) : color);
}

void GdiCanvas::Text(int32_t x, int32_t y, const std::string& text) {
    std::wstring wide = WidenBytes(text);
    TextOutW(dc_, X(x), X(y), wide.c_str(), static_cast<int>(wide.size()));
}

void GdiCanvas::TextInRect(const Rect& clip, int32_t x, int32_t y, const std::string& text) {
    std::wstring wide = WidenBytes(text);
    RECT box = Box(clip);
    ExtTextOutW(dc_, X(x), X(y), ETO_CLIPPED | (opaqueText_ ? ETO_OPAQUE : 0), &box, wide.c_str(),
                static_cast<UINT>(wide.size()), nullptr);
}

TextSize GdiCanvas::TextExtent(const std::string& text) {
    std::wstring wide = WidenBytes(text);
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
    return {place_.ExtentFromDevice(size.cx), place_.ExtentFromDevice(size.cy)};
}

void GdiCanvas::SetClip(const Rect& r) {
    const RECT d = Box(r);
    HRGN region = CreateRectRgn(d.left, d.top, d.right, d.bottom);
    SelectClipRgn(dc_, region);
    DeleteObject(region);
}

void GdiCanvas::ClearClip() { SelectClipRgn(dc_, nullptr); }

// BitBlt within one context handles overlapping source and destination.
void GdiCanvas::CopyBlock(const Rect& source, Point to) {
    const RECT from = Box(source);
    const POINT d = At(to);
    BitBlt(dc_, d.x, d.y, from.right - from.left, from.bottom - from.top, dc_, from.left, from.top, SRCCOPY);
}

}  // namespace tesselog::win32
