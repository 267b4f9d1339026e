#include "core/export/grid_picture.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/common/colour_palette.h"
#include "core/export/export_text.h"
#include "core/export/survey_walk.h"

namespace tesselog {

namespace {

constexpr int32_t Margin = 10;
constexpr int32_t TargetSide = 800;    // pixels the grid should span at most
constexpr int32_t MaxCellPixels = 16;
constexpr int32_t BarWidth = 20;
constexpr int32_t LabelSize = 2;       // pixels per font dot
constexpr int32_t GlyphDots = 5;       // dots across a glyph
constexpr int32_t GlyphRows = 7;
constexpr int32_t GlyphAdvance = 6;    // dots: the glyph and one blank
constexpr int32_t TextHeight = GlyphRows * LabelSize;
constexpr int32_t LabelEvery = 10;     // classes between two values of the scale
constexpr int32_t ScaleBarHeight = 8;
constexpr int32_t ArrowHeight = 36;
constexpr int32_t ArrowWidth = 16;
constexpr int32_t CornerDecimals = 2;

// 5 x 7 dots per glyph, one row per entry, the leftmost dot the highest of five bits.
struct Glyph {
    char Character;
    uint8_t Rows[GlyphRows];
};
constexpr Glyph Glyphs[] = {
    {'0', {14, 17, 19, 21, 25, 17, 14}}, {'1', {4, 12, 4, 4, 4, 4, 14}},    {'2', {14, 17, 1, 2, 4, 8, 31}},
    {'3', {31, 2, 4, 2, 1, 17, 14}},     {'4', {2, 6, 10, 18, 31, 2, 2}},   {'5', {31, 16, 30, 1, 1, 17, 14}},
    {'6', {6, 8, 16, 30, 17, 17, 14}},   {'7', {31, 1, 2, 4, 8, 8, 8}},     {'8', {14, 17, 17, 14, 17, 17, 14}},
    {'9', {14, 17, 17, 15, 1, 2, 12}},   {'A', {14, 17, 17, 17, 31, 17, 17}}, {'B', {30, 17, 17, 30, 17, 17, 30}},
    {'C', {14, 17, 16, 16, 16, 17, 14}}, {'D', {28, 18, 17, 17, 17, 18, 28}}, {'E', {31, 16, 16, 30, 16, 16, 31}},
    {'F', {31, 16, 16, 30, 16, 16, 16}}, {'G', {14, 17, 16, 23, 17, 17, 15}}, {'H', {17, 17, 17, 31, 17, 17, 17}},
    {'I', {14, 4, 4, 4, 4, 4, 14}},      {'J', {7, 2, 2, 2, 2, 18, 12}},      {'K', {17, 18, 20, 24, 20, 18, 17}},
    {'L', {16, 16, 16, 16, 16, 16, 31}}, {'M', {17, 27, 21, 21, 17, 17, 17}}, {'N', {17, 17, 25, 21, 19, 17, 17}},
    {'O', {14, 17, 17, 17, 17, 17, 14}}, {'P', {30, 17, 17, 30, 16, 16, 16}}, {'Q', {14, 17, 17, 17, 21, 18, 13}},
    {'R', {30, 17, 17, 30, 20, 18, 17}}, {'S', {15, 16, 16, 14, 1, 1, 30}},   {'T', {31, 4, 4, 4, 4, 4, 4}},
    {'U', {17, 17, 17, 17, 17, 17, 14}}, {'V', {17, 17, 17, 17, 17, 10, 4}},  {'W', {17, 17, 17, 21, 21, 21, 10}},
    {'X', {17, 17, 10, 4, 10, 17, 17}},  {'Y', {17, 17, 17, 10, 4, 4, 4}},    {'Z', {31, 1, 2, 4, 8, 16, 31}},
    {'a', {0, 0, 14, 1, 15, 17, 15}},    {'b', {16, 16, 22, 25, 17, 17, 30}}, {'c', {0, 0, 14, 16, 16, 17, 14}},
    {'d', {1, 1, 13, 19, 17, 17, 15}},   {'e', {0, 0, 14, 17, 31, 16, 14}},   {'f', {6, 9, 8, 28, 8, 8, 8}},
    {'g', {0, 0, 15, 17, 15, 1, 14}},   {'h', {16, 16, 22, 25, 17, 17, 17}}, {'i', {4, 0, 12, 4, 4, 4, 14}},
    {'j', {2, 0, 6, 2, 2, 18, 12}},      {'k', {16, 16, 18, 20, 24, 20, 18}}, {'l', {12, 4, 4, 4, 4, 4, 14}},
    {'m', {0, 0, 26, 21, 21, 17, 17}},   {'n', {0, 0, 22, 25, 17, 17, 17}},   {'o', {0, 0, 14, 17, 17, 17, 14}},
    {'p', {0, 0, 30, 17, 30, 16, 16}},   {'q', {0, 0, 13, 19, 15, 1, 1}},     {'r', {0, 0, 22, 25, 16, 16, 16}},
    {'s', {0, 0, 14, 16, 14, 1, 30}},    {'t', {8, 8, 28, 8, 8, 9, 6}},       {'u', {0, 0, 17, 17, 17, 19, 13}},
    {'v', {0, 0, 17, 17, 17, 10, 4}},    {'w', {0, 0, 17, 17, 21, 21, 10}},   {'x', {0, 0, 17, 10, 4, 10, 17}},
    {'y', {0, 0, 17, 17, 15, 1, 14}},    {'z', {0, 0, 31, 2, 4, 8, 31}},      {'-', {0, 0, 0, 31, 0, 0, 0}},
    {'.', {0, 0, 0, 0, 0, 12, 12}},      {',', {0, 0, 0, 0, 12, 4, 8}},       {':', {0, 12, 12, 0, 12, 12, 0}},
    {';', {0, 12, 12, 0, 12, 4, 8}},     {'(', {2, 4, 8, 8, 8, 4, 2}},        {')', {8, 4, 2, 2, 2, 4, 8}},
    {'/', {0, 1, 2, 4, 8, 16, 0}},       {'+', {0, 4, 4, 31, 4, 4, 0}},       {'%', {24, 25, 2, 4, 8, 19, 3}},
    {'=', {0, 0, 31, 0, 31, 0, 0}},      {'_', {0, 0, 0, 0, 0, 0, 31}},
};

const Glyph* GlyphOf(char c) {
    for (const Glyph& g : Glyphs) {
        if (g.Character == c) return &g;
    }
    return nullptr;
}

void Fill(IndexedImage& image, int32_t x0, int32_t y0, int32_t w, int32_t h, uint8_t index) {
    for (int32_t y = std::max(y0, 0); y < std::min(y0 + h, image.Height); ++y) {
        for (int32_t x = std::max(x0, 0); x < std::min(x0 + w, image.Width); ++x) {
            image.Pixels[size_t(y) * image.Width + x] = index;
        }
    }
}

void Frame(IndexedImage& image, int32_t x0, int32_t y0, int32_t w, int32_t h) {
    Fill(image, x0 - 1, y0 - 1, w + 2, 1, PictureBlack);
    Fill(image, x0 - 1, y0 + h, w + 2, 1, PictureBlack);
    Fill(image, x0 - 1, y0, 1, h, PictureBlack);
    Fill(image, x0 + w, y0, 1, h, PictureBlack);
}

}  // namespace

std::vector<Color> PicturePalette(PictureColours colours) {
    std::vector<Color> palette;
    for (int i = 0; i < ColourPaletteSize; ++i) {
        if (colours == PictureColours::Map) {
            palette.push_back(ColourClassColor(i));
        } else {
            // White for the lowest class, black for the highest.
            const auto grey = static_cast<uint8_t>(std::lround(255.0 * (ColourPaletteSize - 1 - i) / (ColourPaletteSize - 1)));
            palette.push_back(Rgb(grey, grey, grey));
        }
    }
    palette.push_back(Rgb(255, 255, 255));
    palette.push_back(Rgb(0, 0, 0));
    // Cells without data: white beside the colours, a pale blue beside the
    // greys, whose lowest class is white.
    palette.push_back(colours == PictureColours::Map ? Rgb(255, 255, 255) : Rgb(222, 232, 245));
    return palette;
}

namespace {

std::string CornerText(double easting, double northing) {
    std::string t;
    AppendFixed(t, easting, CornerDecimals);
    t += " E  ";
    AppendFixed(t, northing, CornerDecimals);
    t += " N";
    return t;
}

// The longest of 1, 2 or 5 times a power of ten that is at most `limit`.
double RoundLength(double limit) {
    if (!(limit > 0.0)) return 0.0;
    const double power = std::pow(10.0, std::floor(std::log10(limit)));
    for (double step : {5.0, 2.0, 1.0}) {
        if (step * power <= limit) return step * power;
    }
    return power;
}

// The scale bar at (x, y): four segments, black and white in turn, and its length.
int32_t DrawScaleBar(IndexedImage& image, int32_t x, int32_t y, double unitsPerPixel, int32_t mapWidth,
                     const std::string& unit) {
    const double length = RoundLength(std::max(mapWidth / 4, 40) * unitsPerPixel);
    const auto pixels = static_cast<int32_t>(std::lround(length / unitsPerPixel));
    if (pixels < 4) return 0;
    for (int32_t s = 0; s < 4; ++s) {
        const int32_t from = x + pixels * s / 4, to = x + pixels * (s + 1) / 4;
        Fill(image, from, y, to - from, ScaleBarHeight, s % 2 == 0 ? PictureBlack : PictureWhite);
    }
    Frame(image, x, y, pixels, ScaleBarHeight);
    std::string label;
    AppendTrimmed(label, length, 6);
    label += " " + unit;
    DrawPictureText(image, x + pixels + 8, y + ScaleBarHeight / 2 - TextHeight / 2, label, LabelSize, PictureBlack);
    return pixels + 8 + PictureTextWidth(label, LabelSize);
}

// "N" over an arrow pointing up, centred on x.
void DrawNorthArrow(IndexedImage& image, int32_t x, int32_t y) {
    DrawPictureText(image, x - PictureTextWidth("N", LabelSize) / 2, y, "N", LabelSize, PictureBlack);
    const int32_t top = y + TextHeight + 4;
    const int32_t head = ArrowHeight / 2;
    for (int32_t r = 0; r < head; ++r) {
        const int32_t half = r * ArrowWidth / 2 / head;
        Fill(image, x - half, top + r, 2 * half + 1, 1, PictureBlack);
    }
    Fill(image, x - 1, top + head, 3, ArrowHeight - head, PictureBlack);
}

}  // namespace

ColourScale PercentileScale(const QuickGrid& grid) {
    std::vector<float> values;
    values.reserve(grid.Values.size());
    // Infinite cells (readings that overflowed) would make the scale's ends
    // infinite and leave every other cell in one colour: they take the
    // scale's end colours, the scale comes from the cells with numbers.
    for (float v : grid.Values) {
        if (std::isfinite(v)) values.push_back(v);
    }
    if (values.empty()) return {0.0, 1.0};
    const auto at = [&values](double share) {
        const size_t k = static_cast<size_t>(share * double(values.size() - 1));
        std::nth_element(values.begin(), values.begin() + k, values.end());
        return double(values[k]);
    };
    ColourScale scale{at(0.02), at(0.98)};
    // One value all over: a scale one unit wide, or wider where one unit is
    // lost in the value's own rounding.
    if (!(scale.Max > scale.Min)) scale.Max = scale.Min + std::max(1.0, std::fabs(scale.Min) * 1e-6);
    return scale;
}

int32_t ColourClassOf(double value, const ColourScale& scale) {
    const double width = (scale.Max - scale.Min) / ColourPaletteSize;
    if (!(width > 0.0)) return 0;
    const double index = std::trunc((value - scale.Min) / width);
    // Below the scale, or no number at all (an infinite value against an
    // infinite end of the scale): the lowest class.
    if (!(index >= 0.0)) return 0;
    return static_cast<int32_t>(std::min(index, double(ColourPaletteSize - 1)));
}

int32_t PictureTextWidth(const std::string& text, int32_t size) {
    return text.empty() ? 0 : (int32_t(text.size()) * GlyphAdvance - 1) * size;
}

void DrawPictureText(IndexedImage& image, int32_t x, int32_t y, const std::string& text, int32_t size, uint8_t ink) {
    for (char c : text) {
        if (const Glyph* g = GlyphOf(c)) {
            for (int32_t row = 0; row < GlyphRows; ++row) {
                for (int32_t dot = 0; dot < GlyphDots; ++dot) {
                    if (g->Rows[row] & (16 >> dot)) Fill(image, x + dot * size, y + row * size, size, size, ink);
                }
            }
        }
        x += GlyphAdvance * size;
    }
}

IndexedImage DrawGridRaster(const QuickGrid& grid, const ColourScale& scale, PictureColours colours) {
    IndexedImage image;
    image.Width = grid.Columns;
    image.Height = grid.Rows;
    image.Palette = PicturePalette(colours);
    image.Pixels.resize(grid.Values.size());
    for (size_t i = 0; i < grid.Values.size(); ++i) {
        const float v = grid.Values[i];
        image.Pixels[i] = std::isnan(v) ? PictureNoData : static_cast<uint8_t>(ColourClassOf(v, scale));
    }
    return image;
}

std::string WorldFileText(const QuickGrid& grid) {
    const double north = grid.South + grid.Rows * grid.Cell;
    const double values[6] = {grid.Cell, 0.0, 0.0, -grid.Cell, grid.West + grid.Cell / 2, north - grid.Cell / 2};
    std::string text;
    for (double v : values) {
        AppendTrimmed(text, v, 9);
        text += '\n';
    }
    return text;
}

namespace {

constexpr int32_t SheetLongestSide = 1600;  // pixels a large grid is sampled down to
constexpr int32_t CaptionLeast = 300;       // pixels a caption may always take

// The caption cut at blanks into lines of at most `width` pixels.
std::vector<std::string> WrapText(const std::string& text, int32_t width) {
    const size_t most = std::max<size_t>(size_t(width / (GlyphAdvance * LabelSize)), 10);
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = std::min(text.size(), from + most);
        if (end < text.size()) {
            const size_t blank = text.rfind(' ', end);
            if (blank != std::string::npos && blank > from) end = blank;
        }
        lines.push_back(text.substr(from, end - from));
        from = end;
        while (from < text.size() && text[from] == ' ') ++from;
    }
    return lines;
}

// The cells on the sheet: each as a square of p pixels, or one pixel for k x k cells (the middle one).
void DrawSheetCells(IndexedImage& image, const QuickGrid& grid, const ColourScale& scale, const SheetLayout& l,
                    int32_t mapW, int32_t mapH) {
    const int32_t p = l.CellPixels, k = l.CellsPerPixel;
    std::vector<uint8_t> line(size_t(mapW), PictureNoData);
    for (int32_t y = 0; y < mapH / p; ++y) {
        const int32_t row = std::min(y * k + k / 2, grid.Rows - 1);
        for (int32_t x = 0; x < mapW / p; ++x) {
            const float v = grid.At(std::min(x * k + k / 2, grid.Columns - 1), row);
            const auto index = std::isnan(v) ? PictureNoData : static_cast<uint8_t>(ColourClassOf(v, scale));
            std::fill_n(line.begin() + x * p, p, index);
        }
        for (int32_t r = 0; r < p; ++r) {
            std::copy(line.begin(), line.end(), image.Pixels.begin() + (size_t(l.MapTop + y * p + r) * image.Width + l.MapLeft));
        }
    }
    Frame(image, l.MapLeft, l.MapTop, mapW, mapH);
}

// The colour scale at (x, top), class 0 at the bottom, a value at every tenth boundary.
void DrawColourScale(IndexedImage& image, int32_t x, int32_t top, int32_t height, const ColourScale& scale) {
    const int32_t classH = height / ColourPaletteSize;
    for (int i = 0; i < ColourPaletteSize; ++i) {
        Fill(image, x, top + height - (i + 1) * classH, BarWidth, classH, static_cast<uint8_t>(i));
    }
    Frame(image, x, top, BarWidth, height);
    const double width = (scale.Max - scale.Min) / ColourPaletteSize;
    for (int k = 0; k <= ColourPaletteSize; k += LabelEvery) {
        std::string label;
        AppendTrimmed(label, scale.Min + k * width, std::fabs(width * LabelEvery) >= 10 ? 0 : 2);
        const int32_t y = top + height - k * classH;
        Fill(image, x + BarWidth, y, 4, 1, PictureBlack);
        DrawPictureText(image, x + BarWidth + 10, y - TextHeight / 2, label, LabelSize, PictureBlack);
    }
}

}  // namespace

IndexedImage DrawMapSheet(const QuickGrid& grid, const ColourScale& scale, const SheetText& text,
                          SheetLayout* layout) {
    const int32_t longer = std::max(std::max(grid.Columns, grid.Rows), 1);
    SheetLayout l;
    l.CellsPerPixel = (longer + SheetLongestSide - 1) / SheetLongestSide;
    l.CellPixels = l.CellsPerPixel > 1 ? 1 : std::clamp(TargetSide / longer, 1, MaxCellPixels);
    const int32_t k = l.CellsPerPixel, p = l.CellPixels;
    const int32_t mapW = (grid.Columns + k - 1) / k * p, mapH = (grid.Rows + k - 1) / k * p;
    l.MapLeft = Margin;
    l.MapTop = Margin + TextHeight + 6;
    // Right of the map: the north arrow, the unit, the colour scale.
    const int32_t legendX = l.MapLeft + mapW + 3 * Margin;
    const int32_t unitY = text.NorthArrow ? l.MapTop + TextHeight + 4 + ArrowHeight + 12 : l.MapTop;
    const int32_t barH = (mapH > 2 * 250 ? 10 : 5) * ColourPaletteSize;
    const int32_t barTop = unitY + TextHeight + 10;
    const int32_t legendRight = legendX + BarWidth + 10 + 10 * GlyphAdvance * LabelSize;
    const int32_t textsW = std::max({PictureTextWidth(text.NorthWest, LabelSize),
                                     PictureTextWidth(text.SouthEast, LabelSize), mapW / 4 + 160});
    const int32_t width = std::max(legendRight, l.MapLeft + textsW) + Margin;
    // Under the map: the south-east corner, the scale bar, the caption.
    const std::vector<std::string> caption = WrapText(text.Caption, std::max(width - 2 * Margin, CaptionLeast));
    const int32_t seY = l.MapTop + mapH + 6;
    const int32_t barY = seY + TextHeight + 10;
    const int32_t captionY = barY + ScaleBarHeight + 10;
    const int32_t bottom = captionY + int32_t(caption.size()) * (TextHeight + 4);

    IndexedImage image;
    image.Width = std::max(width, l.MapLeft + CaptionLeast + Margin);
    image.Height = std::max(bottom, barTop + barH + TextHeight) + Margin;
    image.Pixels.assign(size_t(image.Width) * image.Height, PictureWhite);
    image.Palette = PicturePalette(text.Colours);
    DrawSheetCells(image, grid, scale, l, mapW, mapH);
    DrawPictureText(image, l.MapLeft, Margin, text.NorthWest, LabelSize, PictureBlack);
    DrawPictureText(image, std::max(l.MapLeft, l.MapLeft + mapW - PictureTextWidth(text.SouthEast, LabelSize)), seY,
                    text.SouthEast, LabelSize, PictureBlack);
    const double unitsPerPixel = grid.Cell * k / p;
    DrawScaleBar(image, l.MapLeft, barY, unitsPerPixel, mapW, text.PlaceUnit);
    for (size_t i = 0; i < caption.size(); ++i) {
        DrawPictureText(image, l.MapLeft, captionY + int32_t(i) * (TextHeight + 4), caption[i], LabelSize, PictureBlack);
    }
    if (text.NorthArrow) DrawNorthArrow(image, legendX + BarWidth / 2, l.MapTop);
    DrawPictureText(image, legendX, unitY, text.ValueUnit, LabelSize, PictureBlack);
    DrawColourScale(image, legendX, barTop, barH, scale);
    if (layout != nullptr) *layout = l;
    return image;
}

void CornerLabels(const QuickGrid& grid, const LocalFrame* local, std::string& northWest, std::string& southEast) {
    const double east = grid.West + grid.Columns * grid.Cell, north = grid.South + grid.Rows * grid.Cell;
    const auto label = [local](double e, double n) {
        if (local == nullptr || !local->Known) return CornerText(e, n);
        std::string t;
        if (local->Mixed) {
            t = "x ";
            AppendFixed(t, e, CornerDecimals);
            t += "  y ";
            AppendFixed(t, n, CornerDecimals);
            return t;
        }
        t = "line ";
        AppendFixed(t, e * local->Across.X + n * local->Across.Y, CornerDecimals);
        t += "  station ";
        AppendFixed(t, e * local->Along.X + n * local->Along.Y, CornerDecimals);
        return t;
    };
    northWest = label(grid.West, north);
    southEast = label(east, grid.South);
}

}  // namespace tesselog
