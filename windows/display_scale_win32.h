// The display scale on Win32: what the system says a window's DPI is, the
// shared fonts made for it, and children put at their 96-DPI places on the
// device. GetDpiForWindow and GetDpiForSystem exist from Windows 10 1607
// on; before that (Windows 7, 8.1) the screen's LOGPIXELSY is the scale of
// every window.
#pragma once

#include <windows.h>

#include "core/common/display_scale.h"
#include "core/platform/canvas.h"
#include "windows/gdi_canvas.h"

namespace tesselog::win32 {

DisplayScale SystemScale();
DisplayScale WindowScale(HWND window);

// The four shared fonts at the scale (any made before are deleted), and the
// scale kept with them for every canvas.
void MakeShellFonts(ShellFonts& fonts, DisplayScale scale);

// A window's client size in 96-DPI units.
SIZE ClientSizeIn96(HWND window, DisplayScale scale);

// A child moved to its 96-DPI place on the device.
void MoveToPlace(HWND window, const Rect& place, DisplayScale scale);

}  // namespace tesselog::win32
