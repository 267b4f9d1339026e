// The quick-look picture of a grid, drawn as a survey map: each cell in the
// colour of its class of the map's 50 colour classes, or in 50 greys from
// white (lowest) to black (highest) as field plots are usually read; north
// up. Around it: the corner coordinates of the north-west and south-east
// corners, a scale bar, a north arrow, the colour scale with its values and
// the readings' unit, and a caption (what was done to the values). A world
// file (.pgw) gives the picture's place: the map's pixels on the grid's
// cells, so that the picture opens in a GIS where the grid lies.
#pragma once

#include <cstdint>
#include <string>
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

// The 2nd and 98th percentile of the grid's finite values, so that a few
// extreme cells do not squeeze everything else into one or two colours.
// Max is always above Min.
ColourScale PercentileScale(const QuickGrid& grid);

// The class of a value: trunc((value - Min) / width) with width (Max - Min)
// / 50, limited to 0..49, as the map colours a reading.
int32_t ColourClassOf(double value, const ColourScale& scale);

// Palette entries beside the 50 classes.
constexpr uint8_t PictureWhite = 50;
constexpr uint8_t PictureBlack = 51;
constexpr uint8_t PictureNoData = 52;

enum class PictureColours { Map, Grey };

// The 50 classes in map colours or greys, then white, black and the colour
// of cells without data.
std::vector<Color> PicturePalette(PictureColours colours);

struct PictureText {
    PictureColours Colours = PictureColours::Map;
    std::string ValueUnit = "nT";   // over the colour scale
    std::string PlaceUnit = "m";    // of the scale bar and the corners
    std::string Caption;            // under the scale bar
};

// Where the grid lies in the picture: its top-left pixel and the pixels per cell.
struct PictureLayout {
    int32_t MapLeft = 0;
    int32_t MapTop = 0;
    int32_t CellPixels = 1;
};

// Each cell as a square of whole pixels (larger for a small grid, so that
// the picture is some 800 pixels across), a black frame round the grid.
IndexedImage DrawGridPicture(const QuickGrid& grid, const ColourScale& scale, const PictureText& text,
                             PictureLayout* layout = nullptr);

// The world file of the picture: pixel size, rotations 0, and the centre of
// the top-left pixel, one number a line.
std::string WorldFileText(const QuickGrid& grid, const PictureLayout& layout);

// Text in the picture's 5 x 7 dot font (digits, letters and some signs; other
// characters blank), at (x, y) top left, each dot `size` pixels square.
void DrawPictureText(IndexedImage& image, int32_t x, int32_t y, const std::string& text, int32_t size, uint8_t ink);
int32_t PictureTextWidth(const std::string& text, int32_t size);

}  // namespace tesselog
