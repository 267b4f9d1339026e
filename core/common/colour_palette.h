// The 50 colour classes of the readings, low readings blue, rising through
// cyan, green, yellow and red to magenta.
#pragma once

#include "core/platform/canvas.h"

namespace tesselog {

constexpr int ColourPaletteSize = 50;

// Colour of class index; indexes outside 0..49 take the nearest end.
Color ColourClassColor(int index);

}  // namespace tesselog
