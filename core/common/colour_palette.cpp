#include "core/common/colour_palette.h"

namespace tesselog {

namespace {

const Color Palette[ColourPaletteSize] = {
    Rgb(32, 0, 255),   Rgb(24, 0, 255),   Rgb(16, 0, 255),   Rgb(8, 0, 255),    Rgb(0, 0, 255),
    Rgb(0, 16, 255),   Rgb(0, 64, 255),   Rgb(0, 96, 255),   Rgb(0, 111, 255),  Rgb(0, 136, 255),
    Rgb(0, 160, 255),  Rgb(0, 192, 255),  Rgb(0, 224, 255),  Rgb(0, 255, 255),  Rgb(0, 255, 224),
    Rgb(0, 255, 192),  Rgb(0, 255, 160),  Rgb(0, 255, 128),  Rgb(0, 255, 96),   Rgb(0, 255, 32),
    Rgb(0, 255, 16),   Rgb(0, 255, 8),    Rgb(0, 255, 0),    Rgb(16, 255, 0),   Rgb(32, 255, 0),
    Rgb(64, 255, 0),   Rgb(96, 255, 0),   Rgb(128, 255, 0),  Rgb(160, 255, 0),  Rgb(224, 255, 0),
    Rgb(240, 255, 0),  Rgb(255, 255, 0),  Rgb(255, 242, 0),  Rgb(255, 224, 0),  Rgb(255, 196, 0),
    Rgb(255, 160, 0),  Rgb(255, 136, 0),  Rgb(255, 110, 0),  Rgb(255, 96, 0),   Rgb(255, 80, 0),
    Rgb(255, 64, 0),   Rgb(255, 32, 0),   Rgb(255, 0, 0),    Rgb(255, 0, 8),    Rgb(255, 0, 16),
    Rgb(255, 0, 32),   Rgb(255, 0, 64),   Rgb(255, 0, 96),   Rgb(255, 0, 128),  Rgb(255, 0, 255),
};

}  // namespace

Color ColourClassColor(int index) {
    if (index < 0) index = 0;
    if (index >= ColourPaletteSize) index = ColourPaletteSize - 1;
    return Palette[index];
}

}  // namespace tesselog
