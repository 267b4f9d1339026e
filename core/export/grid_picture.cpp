#include "core/export/grid_picture.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/export/export_text.h"
#include "core/logscreen/colour_palette.h"

namespace tesselog {

namespace {

constexpr int32_t Margin = 10;
constexpr int32_t TargetSide = 800;    // pixels the grid should span at most
constexpr int32_t MaxCellPixels = 16;
constexpr int32_t BarWidth = 20;
constexpr int32_t LabelSize = 2;       // pixels per font dot
constexpr int32_t LabelCharacters = 10;
constexpr int32_t GlyphAdvance = 4;    // dots: three of the glyph, one blank
constexpr int32_t LabelEvery = 10;     // classes between two values of the scale

// 3 x 5 dots per glyph, one row per entry, the leftmost dot the highest bit.
struct Glyph {
    char Character;
    uint8_t Rows[5];
};
constexpr Glyph Glyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 1, 1}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'-', {0, 0, 7, 0, 0}}, {'.', {0, 0, 0, 0, 2}},
};

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

ColourScale PercentileScale(const QuickGrid& grid) {
    std::vector<float> values;
    values.reserve(grid.Values.size());
    for (float v : grid.Values) {
        if (!std::isnan(v)) values.push_back(v);
    }
    if (values.empty()) return {0.0, 1.0};
    const auto at = [&values](double share) {
        const size_t k = static_cast<size_t>(share * double(values.size() - 1));
        std::nth_element(values.begin(), values.begin() + k, values.end());
        return double(values[k]);
    };
    ColourScale scale{at(0.02), at(0.98)};
    if (!(scale.Max > scale.Min)) scale.Max = scale.Min + 1.0;
    return scale;
}

int32_t ColourClassOf(double value, const ColourScale& scale) {
    const double width = (scale.Max - scale.Min) / ColourPaletteSize;
    if (!(width > 0.0)) return 0;
    const double index = std::trunc((value - scale.Min) / width);
    return static_cast<int32_t>(std::clamp(index, 0.0, double(ColourPaletteSize - 1)));
}

void DrawPictureText(IndexedImage& image, int32_t x, int32_t y, const char* text, int32_t size, uint8_t ink) {
    for (; *text != 0; ++text, x += GlyphAdvance * size) {
        for (const Glyph& g : Glyphs) {
            if (g.Character != *text) continue;
            for (int32_t row = 0; row < 5; ++row) {
                for (int32_t dot = 0; dot < 3; ++dot) {
                    if (g.Rows[row] & (4 >> dot)) Fill(image, x + dot * size, y + row * size, size, size, ink);
                }
            }
        }
    }
}

IndexedImage DrawGridPicture(const QuickGrid& grid, const ColourScale& scale) {
    const int32_t longer = std::max(std::max(grid.Columns, grid.Rows), 1);
    const int32_t p = std::clamp(TargetSide / longer, 1, MaxCellPixels);
    const int32_t mapW = grid.Columns * p, mapH = grid.Rows * p;
    const int32_t barH = (mapH > 2 * 250 ? 10 : 5) * ColourPaletteSize;
    const int32_t barX = Margin + mapW + 2 * Margin;
    const int32_t labelX = barX + BarWidth + 10;

    IndexedImage image;
    image.Width = labelX + LabelCharacters * GlyphAdvance * LabelSize + Margin;
    image.Height = std::max(mapH, barH + 5 * LabelSize) + 2 * Margin;
    image.Pixels.assign(size_t(image.Width) * image.Height, PictureWhite);
    for (int i = 0; i < ColourPaletteSize; ++i) image.Palette.push_back(ColourClassColor(i));
    image.Palette.push_back(Rgb(255, 255, 255));
    image.Palette.push_back(Rgb(0, 0, 0));

    for (int32_t row = 0; row < grid.Rows; ++row) {
        for (int32_t column = 0; column < grid.Columns; ++column) {
            const float v = grid.At(column, row);
            if (std::isnan(v)) continue;
            const auto index = static_cast<uint8_t>(ColourClassOf(v, scale));
            Fill(image, Margin + column * p, Margin + row * p, p, p, index);
        }
    }
    Frame(image, Margin, Margin, mapW, mapH);

    // The scale: class 0 at the bottom, a value at every tenth boundary.
    const int32_t classH = barH / ColourPaletteSize;
    const int32_t barTop = Margin + LabelSize * 2;
    for (int i = 0; i < ColourPaletteSize; ++i) {
        Fill(image, barX, barTop + barH - (i + 1) * classH, BarWidth, classH, static_cast<uint8_t>(i));
    }
    Frame(image, barX, barTop, BarWidth, barH);
    const double width = (scale.Max - scale.Min) / ColourPaletteSize;
    for (int k = 0; k <= ColourPaletteSize; k += LabelEvery) {
        std::string text;
        AppendTrimmed(text, scale.Min + k * width, std::fabs(width * LabelEvery) >= 10 ? 0 : 2);
        const int32_t y = barTop + barH - k * classH;
        Fill(image, barX + BarWidth, y, 4, 1, PictureBlack);
        DrawPictureText(image, labelX, y - 5 * LabelSize / 2, text.c_str(), LabelSize, PictureBlack);
    }
    return image;
}

}  // namespace tesselog
