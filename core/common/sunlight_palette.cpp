#include "core/common/sunlight_palette.h"

#include <algorithm>

namespace tesselog {

namespace {

constexpr Color White = Rgb(255, 255, 255);
// The darkest a line or text may be lit (of 255) to read on white in sun.
constexpr int InkMaxLuma = 100;

int Red(Color c) { return static_cast<int>(c & 0xFF); }
int Green(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(Color c) { return static_cast<int>((c >> 16) & 0xFF); }
int Luma(Color c) { return (299 * Red(c) + 587 * Green(c) + 114 * Blue(c)) / 1000; }
bool IsGrey(Color c) { return Red(c) == Green(c) && Green(c) == Blue(c); }

}  // namespace

Color SunlightInk(Color c) {
    if (c == White) return c;
    if (IsGrey(c)) return Rgb(0, 0, 0);
    const int luma = Luma(c);
    if (luma <= InkMaxLuma) return c;
    auto dark = [luma](int channel) { return channel * InkMaxLuma / luma; };
    return Rgb(dark(Red(c)), dark(Green(c)), dark(Blue(c)));
}

Color SunlightFill(Color c) {
    // The button face and the pale greys of panels.
    if (IsGrey(c) && Red(c) >= 192) return White;
    return c;
}

int32_t SunlightPenWidth(int32_t width, Color colour) {
    if (colour == White) return width;
    return std::max<int32_t>(2, 2 * width);
}

}  // namespace tesselog
