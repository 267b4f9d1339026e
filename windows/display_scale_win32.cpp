#include "windows/display_scale_win32.h"

namespace tesselog::win32 {

HFONT CreateShellFont(int height, int weight);  // shell_window.cpp

namespace {

using DpiOfWindow = UINT(WINAPI*)(HWND);
using DpiOfSystem = UINT(WINAPI*)();

template <typename Function>
Function User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int32_t ScreenLogPixels() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

DisplayScale SystemScale() {
    static const DpiOfSystem ofSystem = User32Function<DpiOfSystem>("GetDpiForSystem");
    return ScaleOfDpi(ofSystem ? static_cast<int32_t>(ofSystem()) : ScreenLogPixels());
}

DisplayScale WindowScale(HWND window) {
    static const DpiOfWindow ofWindow = User32Function<DpiOfWindow>("GetDpiForWindow");
    const UINT dpi = ofWindow && window ? ofWindow(window) : 0;
    return dpi > 0 ? ScaleOfDpi(static_cast<int32_t>(dpi)) : SystemScale();
}

void MakeShellFonts(ShellFonts& fonts, DisplayScale scale) {
    for (HFONT old : {fonts.Caption, fonts.Title, fonts.Text, fonts.Bold}) {
        if (old) DeleteObject(old);
    }
    fonts.Scale = scale;
    fonts.Caption = CreateShellFont(scale.ToDevice(20), 200);
    fonts.Title = CreateShellFont(scale.ToDevice(30), 600);
    fonts.Text = CreateShellFont(scale.ToDevice(14), 400);
    fonts.Bold = CreateShellFont(scale.ToDevice(14), 700);
}

SIZE ClientSizeIn96(HWND window, DisplayScale scale) {
    RECT client{};
    if (window) GetClientRect(window, &client);
    return SIZE{scale.FromDevice(client.right - client.left), scale.FromDevice(client.bottom - client.top)};
}

void MoveToPlace(HWND window, const Rect& place, DisplayScale scale) {
    if (!window) return;
    const Rect d = scale.ToDevice(place);
    MoveWindow(window, d.Left, d.Top, d.Width(), d.Height(), TRUE);
}

}  // namespace tesselog::win32
