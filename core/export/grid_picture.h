// The quick-look picture of a grid: each cell in the colour of its class of
// the map's 50 colour classes (white where there is no data), north up, and
// beside it the colour scale with the values of its class boundaries.
#pragma once

#include <cstdint>
#include <vector>

#include "core/export/quick_grid.h"
#include "core/platform/canvas.h"

namespace tesselog {

// A picture whose pixels are palette indexes.
struct IndexedImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Pixels;  // rows from the top
    std::vector<Color> Palette;
};

// The values that the lowest class starts at and the highest ends at.
struct ColourScale {
    double Min = 0.0;
    double Max = 0.0;
};

// The 2nd and 98th percentile of the grid's values, so that a few extreme
// cells do not squeeze everything else into one or two colours.
ColourScale PercentileScale(const QuickGrid& grid);

// The class of a value: trunc((value - Min) / width) with width (Max - Min)
// / 50, limited to 0..49, as the map colours a reading.
int32_t ColourClassOf(double value, const ColourScale& scale);

// Palette entries beside the 50 classes.
constexpr uint8_t PictureWhite = 50;
constexpr uint8_t PictureBlack = 51;

// Each cell as a square of whole pixels (larger for a small grid, so that
// the picture is some 800 pixels across), a black frame round the grid, the
// scale at its right with six values.
IndexedImage DrawGridPicture(const QuickGrid& grid, const ColourScale& scale);

// Text in the picture's small digit font ("0123456789-." and blank), at
// (x, y) top left, each glyph `size` pixels per dot.
void DrawPictureText(IndexedImage& image, int32_t x, int32_t y, const char* text, int32_t size, uint8_t ink);

}  // namespace tesselog
