// The logging screen's children against the real window manager: places and
// visibility after creation and after the layout pass, and the status
// painting rendered into a memory bitmap.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/common/colour_palette.h"
#include "core/logscreen/numbers_painting.h"
#include "windows/logging_window.h"
#include "windows/shell_window.h"
#include "platform/memory_surface.h"

namespace tesselog::win32 {
namespace {

const ShellFonts& Fonts() {
    static ShellFonts fonts{CreateShellFont(20, 200), CreateShellFont(30, 600), CreateShellFont(14, 400),
                            CreateShellFont(14, 700), DisplayScale{}};
    return fonts;
}

// The face a font really draws with, from the selected face's own metrics
// (GetTextFaceW gives back the name asked for when Wine replaces a face).
std::wstring DrawnFace(HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<char> buffer(GetOutlineTextMetricsW(dc, 0, nullptr) + sizeof(OUTLINETEXTMETRICW));
    auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
    std::wstring face;
    if (GetOutlineTextMetricsW(dc, static_cast<UINT>(buffer.size()), metrics))
        face = reinterpret_cast<const wchar_t*>(buffer.data() + reinterpret_cast<uintptr_t>(metrics->otmpFaceName));
    SelectObject(dc, old);
    DeleteDC(dc);
    return face;
}

// Under Wine every screen has the faces of the prefix's font set-up
// (scripts/wine-fonts.reg), not a wider fallback that cuts the status texts.
TEST(LoggingWindow, WineDrawsTheFacesOfTheFontSetUp) {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "not under Wine: the system's own faces";
    auto dialogFont = [](const wchar_t* face) {
        return CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    };
    const struct {
        HFONT font;
        const wchar_t* face;
    } cases[] = {{Fonts().Text, L"Liberation Sans"},
                 {Fonts().Bold, L"Liberation Sans Bold"},
                 {dialogFont(L"MS Shell Dlg"), L"Tahoma"},
                 {dialogFont(L"MS Shell Dlg 2"), L"Tahoma"}};
    for (const auto& c : cases) {
        EXPECT_EQ(DrawnFace(c.font), c.face)
            << "no font set-up (scripts/wine-fonts.reg) in this Wine prefix, or the packages fonts-liberation2 "
               "and fonts-wine are missing";
    }
}

// The pane classes of the program, and a plain parent standing in for the
// logging screen so that only this file's code runs on it.
void RegisterOnce() {
    static const bool registered = [] {
        RegisterWindowClasses(GetModuleHandleW(nullptr));
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TesselogLoggingTestParent";
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

Rect PlaceOf(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

bool Visible(HWND child) { return (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0; }

TEST(LoggingWindow, CreationAndLayoutPass) {
    RegisterOnce();
    constexpr int32_t L = 18;
    const int32_t sizes[2][2] = {{800, 562}, {1024, 762}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s[0]);
        HWND top = CreateWindowExW(0, L"TesselogLoggingTestParent", L"test", WS_POPUP, 0, 0, s[0], s[1], nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        // Windows need a display (Xvfb); the bitmap test below does not.
        if (!top) GTEST_SKIP() << "no display to create windows on";
        LoggingWindow w;
        ASSERT_TRUE(CreateLoggingPanes(w, top, GetModuleHandleW(nullptr), Fonts(), s[0], s[1], L, 3));
        const LoggingLayout c = ComputeLoggingLayout(s[0], s[1], L, 3, CreationRightColumnWidth);
        EXPECT_EQ(PlaceOf(w.FirstCommands[0]), CommandButtonRect(c, 0));
        EXPECT_EQ(PlaceOf(w.SpeedPane), SpeedPaneRect(c));
        EXPECT_TRUE(Visible(w.FirstCommands[0]));
        EXPECT_FALSE(Visible(w.SecondCommands[0]) || Visible(w.PauseButton) || Visible(w.ProfilePanes[0]));

        LayoutLoggingPanes(w, s[0], s[1], 3, true);
        const LoggingLayout p = ComputeLoggingLayout(s[0], s[1], L, 3, PaneRightColumnWidth);
        EXPECT_EQ(PlaceOf(w.MapPane), MapPaneRect(p));
        EXPECT_EQ(PlaceOf(w.ProfilePanes[2]), ProfilePaneRect(p, 2, true));
        EXPECT_EQ(PlaceOf(w.SecondPlotPanes[1]), SecondPlotPaneRect(p, 1));
        EXPECT_EQ(PlaceOf(w.NumbersPane), NumbersPaneRect(p));
        EXPECT_TRUE(Visible(w.ProfilePanes[2]));
        EXPECT_FALSE(Visible(w.ProfilePanes[3]) || Visible(w.SecondPlotPanes[3]) || Visible(w.ZoomButtons[0]) ||
                     Visible(w.ExitReviewButton));
        EXPECT_FALSE(IsWindowEnabled(w.DirectionButtons[0]));

        LayoutLoggingPanes(w, s[0], s[1], 3, false);
        EXPECT_FALSE(Visible(w.MapPane));
        EXPECT_EQ(PlaceOf(w.ProfilePanes[0]), ProfilePaneRect(p, 0, false));

        ShowCommandSet(w, 2);
        EXPECT_TRUE(Visible(w.PauseButton));
        EXPECT_FALSE(Visible(w.FirstCommands[3]));
        DestroyWindow(top);
    }
}

// The colour scale in the client area its window really has (112 by 296 with
// a caption and frame, whatever they take here), in the program's fonts: the
// bar's top cell magenta and its bottom cell blue, and each of the five
// values inked in its own band of rows, all inside the window.
TEST(LoggingWindow, ColourScaleFitsItsWindow) {
    RegisterOnce();
    HWND top = CreateWindowExW(0, L"TesselogLoggingTestParent", L"test", WS_POPUP, 0, 0, 1024, 762, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!top) GTEST_SKIP() << "no display to create windows on";
    LoggingWindow w;
    ASSERT_TRUE(CreateLoggingPanes(w, top, GetModuleHandleW(nullptr), Fonts(), 1024, 762, 18, 3));
    RECT client{};
    GetClientRect(w.ColourScaleWindow, &client);
    DestroyWindow(top);
    const int width = client.right, height = client.bottom;
    ASSERT_GT(height, 200);

    Surface surface(width, height);
    surface.Fonts = Fonts();
    surface.Paint([&](Canvas& canvas) { PaintColourScale(canvas, width, height, 0.0, 500.0); });
    GdiFlush();
    HDC dc = surface.Dc;
    // The bar is the only colour: its first and last rows, down a column
    // through its middle.
    auto isClass = [](COLORREF c) {
        for (int k = 0; k < ColourPaletteSize; ++k)
            if (c == ColourClassColor(k)) return true;
        return false;
    };
    int x = width - 1;
    while (x > 0 && !isClass(GetPixel(dc, x, height / 2))) --x;
    x -= 5;  // inside the bar, clear of the frame
    ASSERT_TRUE(isClass(GetPixel(dc, x, height / 2))) << width << " x " << height;
    int first = -1, last = -1;
    for (int y = 0; y < height; ++y) {
        const COLORREF c = GetPixel(dc, x, y);
        if (c == ColourClassColor(49) && first < 0) first = y;
        if (c == ColourClassColor(0)) last = y;
    }
    ASSERT_GT(first, 0);
    EXPECT_EQ(last - first + 1, 250) << "50 cells of 5";
    EXPECT_LT(last, height - 1) << "the frame below the bar inside the window";
    // Black ink in six bands of rows left of the bar: the caption and one
    // per value. A cut lowest value would leave its band open at the bottom.
    std::vector<int> inked(height, 0);
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < x - 20 && !inked[y]; ++i) inked[y] = GetPixel(dc, i, y) == RGB(0, 0, 0);
    }
    int bands = 0;
    for (int y = 1; y < height; ++y) bands += inked[y] && !inked[y - 1];
    EXPECT_EQ(bands, 6);
    EXPECT_FALSE(inked[0] || inked[height - 1]);
}

// A child that cannot be made (here: its class taken away) fails the screen's
// creation and is named with the system's error code taken at that moment;
// the screen destroying itself afterwards would leave only an invalid
// handle's 1400.
TEST(LoggingWindow, AChildThatCannotBeMadeIsNamed) {
    RegisterOnce();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND top = CreateWindowExW(0, L"TesselogLoggingTestParent", L"test", WS_POPUP, 0, 0, 1024, 762, nullptr, nullptr,
                               instance, nullptr);
    if (!top) GTEST_SKIP() << "no display to create windows on";
    ASSERT_TRUE(UnregisterClassW(L"MapWnd", instance));
    LoggingWindow w;
    EXPECT_FALSE(CreateLoggingPanes(w, top, instance, Fonts(), 1024, 762, 18, 3));
    // Windows reports ERROR_CANNOT_FIND_WND_CLASS, Wine ERROR_CLASS_DOES_NOT_EXIST.
    EXPECT_TRUE(w.CreationFailure == "MapWnd 652, error 1407" || w.CreationFailure == "MapWnd 652, error 1411")
        << w.CreationFailure;
    EXPECT_NE(w.NumbersPane, nullptr) << "the others are made all the same";

    // The class back, for any test after this one.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"MapWnd";
    RegisterClassExW(&wc);
    LoggingWindow again;
    EXPECT_TRUE(CreateLoggingPanes(again, top, instance, Fonts(), 1024, 762, 18, 3));
    EXPECT_EQ(again.CreationFailure, "");
    DestroyWindow(top);
}

}  // namespace
}  // namespace tesselog::win32
