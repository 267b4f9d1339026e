// Drawing as the core sees it: a device with a current pen, brush, font,
// text colour and alignment, much like a GDI device context, so that the
// Win32 layer maps each call onto one API call. Colours are 0x00BBGGRR, the
// layout of the settings' colour fields. The core paints through this
// interface; tests paint into a RecordingCanvas and look at the calls.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tesselog {

using Color = uint32_t;  // 0x00BBGGRR

constexpr Color Rgb(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

struct Point {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const Point& a, const Point& b) { return a.X == b.X && a.Y == b.Y; }
};

// Right and bottom edges are outside the rectangle, as in GDI.
struct Rect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    friend bool operator==(const Rect& a, const Rect& b) {
        return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
    }
};

struct TextSize {
    int32_t Width = 0;
    int32_t Height = 0;
};

// The four fonts created at start-up and shared by every screen.
enum class FontChoice { Caption, Title, Text, Bold };

// Horizontal place of the reference point of a text; it is always the top.
enum class TextAlign { Left, Center, Right };

class Canvas {
public:
    virtual ~Canvas() = default;

    // Solid pen for lines and outlines.
    virtual void SetPen(Color color, int width) = 0;
    // Outlines are not drawn.
    virtual void SetNullPen() = 0;
    // Solid brush for the inside of rectangles and ellipses.
    virtual void SetBrush(Color color) = 0;
    // Insides are not filled.
    virtual void SetHollowBrush() = 0;

    virtual void Line(Point from, Point to) = 0;
    virtual void Polyline(const Point* points, size_t count) = 0;
    // Separate lines in the current pen, from ends[2i] to ends[2i + 1]: the
    // same pixels as one Line each, in one call where the platform has one.
    virtual void Lines(const Point* ends, size_t lineCount) {
        for (size_t i = 0; i < lineCount; ++i) Line(ends[2 * i], ends[2 * i + 1]);
    }
    // Outline with the pen, inside with the brush.
    virtual void Rectangle(const Rect& box) = 0;
    virtual void Ellipse(const Rect& box) = 0;
    // Fills without an outline, whatever the current brush.
    virtual void FillRect(const Rect& box, Color color) = 0;

    virtual void SetFont(FontChoice font) = 0;
    virtual void SetTextColor(Color color) = 0;
    virtual void SetTextAlign(TextAlign align) = 0;
    // Transparent: the text is drawn over what is there. Otherwise its cell
    // is first filled with the background colour.
    virtual void SetTextBackground(bool transparent, Color color = 0xFFFFFF) = 0;
    virtual void Text(int32_t x, int32_t y, const std::string& text) = 0;
    // The text drawn only inside clip; with an opaque background the whole of
    // clip is filled first (a field that is redrawn in place).
    virtual void TextInRect(const Rect& clip, int32_t x, int32_t y, const std::string& text) = 0;
    // Size of the text in the current font.
    virtual TextSize TextExtent(const std::string& text) = 0;

    // Later drawing is limited to the rectangle until ClearClip.
    virtual void SetClip(const Rect& box) = 0;
    virtual void ClearClip() = 0;

    // Copies the pixels of source to the same-sized place whose top left is
    // to, on this surface (the strip chart's scroll step). Overlapping places
    // are copied as if through a buffer.
    virtual void CopyBlock(const Rect& source, Point to) = 0;

    void Circle(Point centre, int32_t radius) {
        Ellipse({centre.X - radius, centre.Y - radius, centre.X + radius + 1, centre.Y + radius + 1});
    }
};

// Remembers every call as one line of text ("line 10,14 10,552") and
// measures text with a fixed cell, so tests can compare drawings and find
// their parts. Each font has its own cell so that tests notice which one a
// measurement used.
class RecordingCanvas : public Canvas {
public:
    std::vector<std::string> Calls;
    // False: the calls are neither formatted nor kept (a long headless run
    // whose drawing nobody looks at); text is still measured.
    bool Keep = true;
    int32_t CharWidth[4] = {9, 15, 7, 8};    // caption, title, text, bold
    int32_t CharHeight[4] = {20, 30, 14, 14};

    void SetPen(Color color, int width) override { Add("pen %06x %d", color, width); }
    void SetNullPen() override { Add("pen none"); }
    void SetBrush(Color color) override { Add("brush %06x", color); }
    void SetHollowBrush() override { Add("brush none"); }
    void Line(Point a, Point b) override { Add("line %d,%d %d,%d", a.X, a.Y, b.X, b.Y); }
    void Polyline(const Point* points, size_t count) override {
        if (!Keep) return;
        std::string call = "polyline";
        for (size_t i = 0; i < count; ++i) {
            call += " " + std::to_string(points[i].X) + "," + std::to_string(points[i].Y);
        }
        Calls.push_back(call);
    }
    void Rectangle(const Rect& r) override { Add("rect %d,%d %d,%d", r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(const Rect& r) override { Add("ellipse %d,%d %d,%d", r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const Rect& r, Color c) override {
        Add("fill %d,%d %d,%d %06x", r.Left, r.Top, r.Right, r.Bottom, c);
    }
    void SetFont(FontChoice font) override {
        Font = static_cast<int>(font);
        static const char* const names[] = {"caption", "title", "text", "bold"};
        Add("font %s", names[Font]);
    }
    void SetTextColor(Color color) override { Add("textcolor %06x", color); }
    void SetTextAlign(TextAlign align) override {
        Add("align %s", align == TextAlign::Left ? "left" : align == TextAlign::Center ? "center" : "right");
    }
    void SetTextBackground(bool transparent, Color color) override {
        if (transparent) Add("background transparent");
        else Add("background %06x", color);
    }
    void Text(int32_t x, int32_t y, const std::string& text) override {
        if (!Keep) return;
        Add("text %d,%d ", x, y);
        Calls.back() += text;
    }
    void TextInRect(const Rect& r, int32_t x, int32_t y, const std::string& text) override {
        if (!Keep) return;
        Add("textin %d,%d %d,%d %d,%d ", r.Left, r.Top, r.Right, r.Bottom, x, y);
        Calls.back() += text;
    }
    TextSize TextExtent(const std::string& text) override {
        return {static_cast<int32_t>(text.size()) * CharWidth[Font], CharHeight[Font]};
    }
    void SetClip(const Rect& r) override { Add("clip %d,%d %d,%d", r.Left, r.Top, r.Right, r.Bottom); }
    void ClearClip() override { Add("clip none"); }
    void CopyBlock(const Rect& r, Point to) override {
        Add("copy %d,%d %d,%d to %d,%d", r.Left, r.Top, r.Right, r.Bottom, to.X, to.Y);
    }

private:
    int Font = 2;

    void Add(const char* format, ...) {
        if (!Keep) return;
        char line[160];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        Calls.push_back(line);
    }
};

}  // namespace tesselog
