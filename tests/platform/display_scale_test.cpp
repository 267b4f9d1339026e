// The GDI canvas at a display scale, and in sunlight: at 96 DPI every call
// draws the very pixels of the plain GDI call it stands for, so the screen
// of 100% is the one it has always been; at 192 DPI each place of the core
// lands on twice its coordinates with lines twice as thick; the map's
// device units are taken as they are; the sunlight ink is dark and thick on
// a white face.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/memory_surface.h"
#include "windows/shell_window.h"

namespace tesselog::win32 {
namespace {

constexpr int Side = 120;

std::vector<uint32_t> Pixels(const Surface& s) {
    std::vector<uint32_t> out;
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) out.push_back(s.At(x, y));
    return out;
}

void Fonts96(ShellFonts& fonts, int dpi) {
    const DisplayScale scale = ScaleOfDpi(dpi);
    fonts = ShellFonts{CreateShellFont(scale.ToDevice(20), 200), CreateShellFont(scale.ToDevice(30), 600),
                       CreateShellFont(scale.ToDevice(14), 400), CreateShellFont(scale.ToDevice(14), 700), scale};
}

TEST(DisplayScaleCanvas, At96EveryCallDrawsThePlainGdiPixels) {
    Surface viaCanvas(Side, Side), plain(Side, Side);
    Fonts96(viaCanvas.Fonts, 96);
    viaCanvas.Paint([](Canvas& c) {
        c.SetPen(Rgb(192, 192, 192), 1);
        c.Line({3, 5}, {110, 47});
        c.SetPen(Rgb(0, 0, 255), 3);
        const Point zig[] = {{10, 100}, {30, 60}, {50, 100}, {70, 61}};
        c.Polyline(zig, 4);
        c.SetBrush(Rgb(255, 0, 0));
        c.Rectangle({60, 60, 100, 90});
        c.Ellipse({5, 20, 35, 50});
        c.FillRect({80, 5, 117, 18}, Rgb(240, 240, 240));
        c.SetFont(FontChoice::Bold);
        c.SetTextColor(Rgb(0, 0, 0));
        c.SetTextBackground(true);
        c.Text(40, 20, "Stn 12.5");
        c.CopyBlock({0, 0, 40, 40}, {70, 95});
    });
    HDC dc = plain.Dc;
    HFONT bold = viaCanvas.Fonts.Bold;
    HPEN grey = CreatePen(PS_SOLID, 1, RGB(192, 192, 192)), blue = CreatePen(PS_SOLID, 3, RGB(0, 0, 255));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), face = CreateSolidBrush(RGB(240, 240, 240));
    HGDIOBJ oldPen = SelectObject(dc, grey), oldBrush = SelectObject(dc, red), oldFont = SelectObject(dc, bold);
    MoveToEx(dc, 3, 5, nullptr);
    LineTo(dc, 110, 47);
    SelectObject(dc, blue);
    const POINT zig[] = {{10, 100}, {30, 60}, {50, 100}, {70, 61}};
    Polyline(dc, zig, 4);
    Rectangle(dc, 60, 60, 100, 90);
    Ellipse(dc, 5, 20, 35, 50);
    const RECT box{80, 5, 117, 18};
    FillRect(dc, &box, face);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, 40, 20, L"Stn 12.5", 8);
    BitBlt(dc, 70, 95, 40, 40, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldFont);
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(grey), static_cast<HGDIOBJ>(blue), static_cast<HGDIOBJ>(red),
                      static_cast<HGDIOBJ>(face)})
        DeleteObject(o);
    EXPECT_TRUE(Pixels(viaCanvas) == Pixels(plain));
}

TEST(DisplayScaleCanvas, At192PlacesDoubleAndMapUnitsStay) {
    Surface layout(Side, Side), device(Side, Side);
    Fonts96(layout.Fonts, 192);
    Fonts96(device.Fonts, 192);
    int32_t textWidth = 0;
    layout.Paint([&](Canvas& c) {
        c.FillRect({10, 10, 20, 20}, Rgb(255, 0, 0));
        c.SetPen(Rgb(0, 0, 0), 1);
        c.Line({2, 30}, {50, 30});
        c.SetFont(FontChoice::Text);
        textWidth = c.TextExtent("Sensor L").Width;
    });
    EXPECT_EQ(layout.At(20, 20), RGB(255, 0, 0));
    EXPECT_EQ(layout.At(39, 39), RGB(255, 0, 0));
    EXPECT_EQ(layout.At(40, 40), RGB(255, 255, 255));
    EXPECT_EQ(layout.At(19, 25), RGB(255, 255, 255));
    int rows = 0;
    for (int y = 50; y < 70; ++y) rows += layout.At(30, y) == RGB(0, 0, 0);
    EXPECT_EQ(rows, 2);  // a line of one pixel at 100% is two at 200%
    // The text font is 28 pixels high on the device: its width comes back in
    // 96-DPI units, about what a 14-pixel font measures.
    HDC dc = GetDC(nullptr);
    HFONT small = CreateShellFont(14, 400);
    HGDIOBJ old = SelectObject(dc, small);
    SIZE at96{};
    GetTextExtentPoint32W(dc, L"Sensor L", 8, &at96);
    SelectObject(dc, old);
    DeleteObject(small);
    ReleaseDC(nullptr, dc);
    EXPECT_NEAR(textWidth, at96.cx, 3);

    {
        GdiCanvas map(device.Dc, device.Fonts, CanvasUnits::Device);
        map.FillRect({10, 10, 20, 20}, Rgb(0, 0, 255));
        map.SetPen(Rgb(0, 0, 0), 1);
        map.Line({2, 60}, {50, 60});
    }
    EXPECT_EQ(device.At(19, 19), RGB(0, 0, 255));
    EXPECT_EQ(device.At(20, 20), RGB(255, 255, 255));
    rows = 0;
    for (int y = 50; y < 70; ++y) rows += device.At(30, y) == RGB(0, 0, 0);
    EXPECT_EQ(rows, 2);
}

TEST(DisplayScaleCanvas, SunlightInkIsDarkAndThickOnWhite) {
    Surface s(Side, Side);
    Fonts96(s.Fonts, 96);
    UseSunlightInk(true);
    s.Paint([](Canvas& c) {
        c.FillRect({0, 0, Side, Side}, Rgb(240, 240, 240));  // the button face
        c.SetPen(Rgb(192, 192, 192), 1);                     // a pale grid line
        c.Line({0, 40}, {Side, 40});
    });
    UseSunlightInk(false);
    EXPECT_EQ(s.At(5, 5), RGB(255, 255, 255));
    int rows = 0;
    for (int y = 30; y < 50; ++y) rows += s.At(60, y) == RGB(0, 0, 0);
    EXPECT_EQ(rows, 2);
}

}  // namespace
}  // namespace tesselog::win32
