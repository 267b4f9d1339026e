#include "windows/gdi_objects.h"

#include "core/common/colour_palette.h"
#include "core/map/map_grid.h"

namespace tesselog::win32 {

namespace {

// The shared pens of the logging screen, all solid.
struct PenEntry {
    Color Colour;
    int Width;
};
constexpr PenEntry FixedPens[] = {
    {Rgb(192, 192, 192), 2},  // thick grid: the zero line when the scale spans zero
    {Rgb(192, 192, 192), 1},  // thin grid, also the map's grid
    {Rgb(64, 64, 64), 1},     // colour scale frames and ticks
    {Rgb(160, 160, 160), 1},  // map drawing
    {Rgb(255, 255, 255), 1},  // erasing
    {Rgb(0, 255, 0), 1},      // status circle, mask passed
    {Rgb(255, 0, 0), 1},      // status circle, mask failed; connection break
    {Rgb(0, 0, 255), 1},      // filled part of the speed bar
    {Rgb(0, 0, 0), 1},        // black outlines
    {Rgb(255, 0, 0), 2},      // the map's red marks
    // Background files are drawn in dark grey at three widths; their colour
    // never follows the settings, so they are made once with the rest.
    {Rgb(32, 32, 32), 1},
    {Rgb(32, 32, 32), 2},
    {Rgb(32, 32, 32), 3},
};
constexpr Color FixedBrushes[] = {
    Rgb(192, 192, 192), Rgb(160, 160, 160), Rgb(255, 255, 255), Rgb(0, 255, 0), Rgb(255, 0, 0), Rgb(0, 0, 255),
};
constexpr int AmplitudePenWidth = 2;

Color SettingColour(int32_t value) { return static_cast<Color>(value) & 0xFFFFFFu; }

GdiObjectCache* Installed = nullptr;

}  // namespace

GdiObjectCache::GdiObjectCache() {
    for (const PenEntry& pen : FixedPens) AddPen(fixed_, pen.Colour, pen.Width);
    for (Color brush : FixedBrushes) AddBrush(fixed_, brush);
    AddBrush(fixed_, static_cast<Color>(GetSysColor(COLOR_BTNFACE)));  // blanking text fields
    for (int i = 0; i < ColourPaletteSize; ++i) {
        AddPen(fixed_, ColourClassColor(i), AmplitudePenWidth);
        AddBrush(fixed_, ColourClassColor(i));
    }
}

GdiObjectCache::~GdiObjectCache() {
    if (Installed == this) Installed = nullptr;
    DeleteAll(settings_);
    DeleteAll(fixed_);
}

uint64_t GdiObjectCache::PenKey(Color color, int width) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(width)) << 32) | (color & 0xFFFFFFu);
}

void GdiObjectCache::AddPen(Objects& target, Color color, int width) {
    const uint64_t key = PenKey(color, width);
    if (fixed_.Pens.count(key) || target.Pens.count(key)) return;
    if (HPEN pen = CreatePen(PS_SOLID, width, color & 0xFFFFFFu)) target.Pens[key] = pen;
}

void GdiObjectCache::AddBrush(Objects& target, Color color) {
    const uint32_t key = color & 0xFFFFFFu;
    if (fixed_.Brushes.count(key) || target.Brushes.count(key)) return;
    if (HBRUSH brush = CreateSolidBrush(key)) target.Brushes[key] = brush;
}

void GdiObjectCache::DeleteAll(Objects& objects) {
    for (auto& entry : objects.Pens) DeleteObject(entry.second);
    for (auto& entry : objects.Brushes) DeleteObject(entry.second);
    objects.Pens.clear();
    objects.Brushes.clear();
}

void GdiObjectCache::Remake(const Settings& settings) {
    std::lock_guard<std::mutex> hold(lock_);
    DeleteAll(settings_);
    // The map: grid (a fixed pen), cursor, position pen and brush, and the
    // 2-pixel position pen of the thick lines.
    AddPen(settings_, MapGridColor, 1);
    AddPen(settings_, SettingColour(settings.CursorColor), 1);
    const Color position = SettingColour(settings.PositionColor);
    AddPen(settings_, position, 1);
    AddPen(settings_, position, 2);
    AddBrush(settings_, position);
    // The profiles: per side the curve pen, the bar pen and the bar brush.
    for (int side = 0; side < 2; ++side) {
        const Color colour = SettingColour(settings.ProfileColor[side]);
        AddPen(settings_, colour, settings.ProfileThickness[side]);
        AddPen(settings_, colour, 1);
        AddBrush(settings_, colour);
    }
}

HPEN GdiObjectCache::FindPen(Color color, int width) const {
    const uint64_t key = PenKey(color, width);
    std::lock_guard<std::mutex> hold(lock_);
    auto found = fixed_.Pens.find(key);
    if (found != fixed_.Pens.end()) return found->second;
    found = settings_.Pens.find(key);
    return found != settings_.Pens.end() ? found->second : nullptr;
}

HBRUSH GdiObjectCache::FindBrush(Color color) const {
    const uint32_t key = color & 0xFFFFFFu;
    std::lock_guard<std::mutex> hold(lock_);
    auto found = fixed_.Brushes.find(key);
    if (found != fixed_.Brushes.end()) return found->second;
    found = settings_.Brushes.find(key);
    return found != settings_.Brushes.end() ? found->second : nullptr;
}

size_t GdiObjectCache::ObjectCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return fixed_.Pens.size() + fixed_.Brushes.size() + settings_.Pens.size() + settings_.Brushes.size();
}

void InstallGdiObjects(GdiObjectCache* cache) { Installed = cache; }

GdiObjectCache* InstalledGdiObjects() { return Installed; }

void RemakeGdiObjects(const Settings& settings) {
    if (Installed) Installed->Remake(settings);
}

}  // namespace tesselog::win32
