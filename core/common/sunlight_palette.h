// The sunlight display's colours: on a screen in full sun pale lines, grey
// text and thin traces wash out. Every line and text is drawn in dark ink
// (greys become black, light colours are darkened keeping their hue, so a
// warning keeps its colour and gains contrast on white), light grey faces
// become white, and lines are drawn twice as thick. White lines, which
// erase, and the fills of the readings' colour classes stay as they are.
#pragma once

#include <cstdint>

#include "core/platform/canvas.h"

namespace tesselog {

Color SunlightInk(Color colour);
Color SunlightFill(Color colour);
int32_t SunlightPenWidth(int32_t width, Color colour);

}  // namespace tesselog
