#include "core/common/display_scale.h"

namespace tesselog {

namespace {

constexpr int64_t UnscaledDpi = 96;

// Division that rounds towards minus infinity, for coordinates left of or
// above a window's origin.
int64_t FloorDivide(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

int32_t DisplayScale::ToDevice(int32_t value) const {
    if (IsUnscaled()) return value;
    return static_cast<int32_t>(FloorDivide(int64_t{value} * Dpi + UnscaledDpi / 2, UnscaledDpi));
}

int32_t DisplayScale::FromDevice(int32_t value) const {
    if (IsUnscaled()) return value;
    return static_cast<int32_t>(FloorDivide(int64_t{value} * UnscaledDpi + Dpi / 2, Dpi));
}

int32_t DisplayScale::ExtentFromDevice(int32_t value) const {
    if (IsUnscaled()) return value;
    return static_cast<int32_t>(-FloorDivide(-int64_t{value} * UnscaledDpi, Dpi));
}

Rect DisplayScale::ToDevice(const Rect& box) const {
    return {ToDevice(box.Left), ToDevice(box.Top), ToDevice(box.Right), ToDevice(box.Bottom)};
}

int32_t DisplayScale::PenWidth(int32_t width) const {
    if (width <= 0) return width;  // GDI's own one-pixel pen
    const int32_t device = ToDevice(width);
    return device < 1 ? 1 : device;
}

DisplayScale ScaleOfDpi(int32_t dpi) {
    DisplayScale scale;
    if (dpi > 0) scale.Dpi = dpi;
    return scale;
}

}  // namespace tesselog
