// A canvas that draws nothing, for figures of the program's own work: the
// drawing calls are made and cost their virtual call, no more. Text is
// measured as 7 x 14 pixels a character.
#pragma once

#include <string>

#include "core/platform/canvas.h"

namespace tesselog {

class NullCanvas : public Canvas {
public:
    void SetPen(Color, int) override {}
    void SetNullPen() override {}
    void SetBrush(Color) override {}
    void SetHollowBrush() override {}
    void Line(Point, Point) override {}
    void Polyline(const Point*, size_t) override {}
    void Lines(const Point*, size_t) override {}
    void Rectangle(const Rect&) override {}
    void Ellipse(const Rect&) override {}
    void FillRect(const Rect&, Color) override {}
    void SetFont(FontChoice) override {}
    void SetTextColor(Color) override {}
    void SetTextAlign(TextAlign) override {}
    void SetTextBackground(bool, Color) override {}
    void Text(int32_t, int32_t, const std::string&) override {}
    void TextInRect(const Rect&, int32_t, int32_t, const std::string&) override {}
    TextSize TextExtent(const std::string& text) override { return {static_cast<int32_t>(text.size()) * 7, 14}; }
    void SetClip(const Rect&) override {}
    void ClearClip() override {}
    void CopyBlock(const Rect&, Point) override {}
};

}  // namespace tesselog
