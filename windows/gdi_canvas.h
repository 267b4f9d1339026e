// The core's Canvas on a GDI device context. Pens and brushes come from the
// installed shared cache (gdi_objects.h) when it has the colour and width;
// others are created on demand and deleted when replaced. The fonts belong
// to the shell and are only selected. The context's original objects are put back on destruction,
// so a canvas lives for one paint cycle (BeginPaint .. EndPaint).
#pragma once

#include <windows.h>

#include <vector>

#include "core/common/display_scale.h"
#include "core/platform/canvas.h"

namespace tesselog::win32 {

// The fonts are made for the display scale of the main window (their
// heights are in 96-DPI units times the scale), which every canvas on its
// windows draws at.
struct ShellFonts {
    HFONT Caption = nullptr;  // 20, weight 200
    HFONT Title = nullptr;    // 30, weight 600
    HFONT Text = nullptr;     // 14, weight 400
    HFONT Bold = nullptr;     // 14, weight 700
    DisplayScale Scale;
};

// What the core's coordinates are in: 96-DPI units, put on the device by
// the fonts' scale (every screen but the map), or the device's own pixels
// (the map, whose geometry is made from its pane's size on the device).
// Pen widths follow the scale either way.
enum class CanvasUnits { Layout, Device };

// The sunlight display's ink (core/common/sunlight_palette.h) for every
// canvas from now on: dark lines and texts, white faces, thick lines.
void UseSunlightInk(bool on);
bool SunlightInkInUse();

class GdiCanvas : public Canvas {
public:
    GdiCanvas(HDC dc, const ShellFonts& fonts, CanvasUnits units = CanvasUnits::Layout);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    void SetPen(Color color, int width) override;
    void SetNullPen() override;
    void SetBrush(Color color) override;
    void SetHollowBrush() override;
    void Line(Point from, Point to) override;
    void Polyline(const Point* points, size_t count) override;
    void Lines(const Point* ends, size_t lineCount) override;
    void Rectangle(const Rect& box) override;
    void Ellipse(const Rect& box) override;
    void FillRect(const Rect& box, Color color) override;
    void SetFont(FontChoice font) override;
    void SetTextColor(Color color) override;
    void SetTextAlign(TextAlign align) override;
    void SetTextBackground(bool transparent, Color color) override;
    void Text(int32_t x, int32_t y, const std::string& text) override;
    void TextInRect(const Rect& clip, int32_t x, int32_t y, const std::string& text) override;
    TextSize TextExtent(const std::string& text) override;
    void SetClip(const Rect& box) override;
    void ClearClip() override;
    void CopyBlock(const Rect& source, Point to) override;

private:
    void UsePen(HPEN pen, bool owned);
    void UseBrush(HBRUSH brush, bool owned);
    int32_t X(int32_t v) const { return place_.ToDevice(v); }
    POINT At(Point p) const { return POINT{X(p.X), X(p.Y)}; }
    RECT Box(const Rect& r) const;

    HDC dc_;
    const ShellFonts& fonts_;
    DisplayScale place_;  // 96 DPI for device units
    DisplayScale pens_;
    bool opaqueText_ = false;
    HPEN ownedPen_ = nullptr;
    HBRUSH ownedBrush_ = nullptr;
    HGDIOBJ originalPen_;
    HGDIOBJ originalBrush_;
    HGDIOBJ originalFont_;
    int savedState_;
    std::vector<POINT> points_;  // Lines' buffers, kept between calls
    std::vector<DWORD> counts_;
};

}  // namespace tesselog::win32
