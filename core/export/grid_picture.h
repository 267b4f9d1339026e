// The pictures of a grid: each cell in the colour of its class of the map's
// 50 colour classes, or in 50 greys from white (lowest) to black (highest)
// as field plots are usually read; north up. One picture for a GIS, the
// grid alone with its world file, and one for people, a map sheet.
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

// The picture for a GIS: the grid alone, one pixel per cell, north up, the
// cells without data transparent (PictureNoData). Its world file puts each
// pixel on its cell.
IndexedImage DrawGridRaster(const QuickGrid& grid, const ColourScale& scale, PictureColours colours);
// The world file: pixel size, rotations 0, and the centre of the top-left
// pixel, one number a line.
std::string WorldFileText(const QuickGrid& grid);

// The map sheet for people: the cells as squares of whole pixels (some 800
// pixels across for a small grid; a large one sampled down to at most 1,600),
// a black frame round them, the corners' labels, a scale bar, the colour
// scale with its values and the readings' unit, a north arrow where north is
// known, and a caption (what was done to the values) wrapped to the sheet's
// width. It has no world file: its margins and legend are no ground.
struct SheetText {
    PictureColours Colours = PictureColours::Map;
    std::string ValueUnit = "nT";   // over the colour scale
    std::string PlaceUnit = "m";    // of the scale bar
    std::string Caption;            // under the scale bar
    std::string NorthWest;          // over the map's north-west corner
    std::string SouthEast;          // under its south-east corner
    bool NorthArrow = true;
};

// Where the grid lies on the sheet: its top-left pixel, the pixels a cell
// takes and the cells a pixel takes (one of them is 1).
struct SheetLayout {
    int32_t MapLeft = 0;
    int32_t MapTop = 0;
    int32_t CellPixels = 1;
    int32_t CellsPerPixel = 1;
};
IndexedImage DrawMapSheet(const QuickGrid& grid, const ColourScale& scale, const SheetText& text,
                          SheetLayout* layout = nullptr);

// The labels of the grid's north-west and south-east corners: "620799.50 E
// 5734685.25 N"; on a local grid ("local" not null) by the lines and
// stations there, "line 4.00 station 20.00" (by "x" and "y" when its lines
// do not all lie one way).
struct LocalFrame;
void CornerLabels(const QuickGrid& grid, const LocalFrame* local, std::string& northWest, std::string& southEast);

// Text in the picture's 5 x 7 dot font (digits, letters and some signs; other
// characters blank), at (x, y) top left, each dot `size` pixels square.
void DrawPictureText(IndexedImage& image, int32_t x, int32_t y, const std::string& text, int32_t size, uint8_t ink);
int32_t PictureTextWidth(const std::string& text, int32_t size);

}  // namespace tesselog
