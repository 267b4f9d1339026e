// The display scale of a window: its dots per inch against the 96 of a
// screen at 100%. The program lays out and paints in 96-DPI units; the
// Win32 layer puts each place on the device through this scale, so that at
// 96 DPI every value is the one it has always been and at 144 or 192 DPI
// every part keeps its proportions, drawn sharp at the device's own pixels.
#pragma once

#include <cstdint>

#include "core/platform/canvas.h"

namespace tesselog {

struct DisplayScale {
    int32_t Dpi = 96;

    bool IsUnscaled() const { return Dpi == 96; }
    // A 96-DPI length or coordinate in device pixels, to the nearest pixel
    // (a half rounds up), so that edges that touch in 96-DPI units touch on
    // the device too.
    int32_t ToDevice(int32_t value) const;
    // A device coordinate in 96-DPI units, to the nearest unit.
    int32_t FromDevice(int32_t value) const;
    // A device length that must be covered (a text's width): rounded up, so
    // that a box made that wide in 96-DPI units holds it on the device.
    int32_t ExtentFromDevice(int32_t value) const;
    // Each edge on its own, so that neighbouring places share their edges.
    Rect ToDevice(const Rect& box) const;
    // A pen of width w stays as thick to the eye: at least one pixel.
    int32_t PenWidth(int32_t width) const;
};

// The scale of a DPI as the system reports it; 0 or less (not known) is 96.
DisplayScale ScaleOfDpi(int32_t dpi);

}  // namespace tesselog
