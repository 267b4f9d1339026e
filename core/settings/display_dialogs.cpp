#include "core/settings/display_dialogs.h"

#include <algorithm>

#include <cmath>
#include <cstdio>

#include "core/common/text_format.h"

namespace tesselog {

const char* const MapDisplayTypeCaptions[2] = {"Sensors Positions, No Color Amplitude",
                                               "Color Map View of Amplitude"};
const char* const ProfileThicknessCaptions[4] = {"1 pixel", "2 pixels", "3 pixels", "4 pixels"};

namespace {

int32_t UnitIndex(int32_t displayUnits) { return displayUnits >= 0 && displayUnits <= 2 ? displayUnits : 0; }

bool IsSide(int32_t side) { return side == 0 || side == 1; }

int32_t ToPixel(double value) { return static_cast<int32_t>(std::lround(value)); }

}  // namespace

const char* MapSizeUnitLabel(int32_t displayUnits) {
    static const char* const labels[] = {"metres", "feet", "US feet"};
    return labels[UnitIndex(displayUnits)];
}

const char* GridIntervalUnitLabel(int32_t displayUnits) {
    static const char* const labels[] = {"m", "feet", "USft"};
    return labels[UnitIndex(displayUnits)];
}

const char* GridIntervalLabel(int32_t mapGridType) {
    return mapGridType == 1 ? "Lines Interval:" : "Grid Interval:";
}

double FoldGridAngle(double degrees) {
    if (degrees > 180.0 || degrees < -180.0) return 0.0;
    if (degrees > 90.0) return degrees - 180.0;
    if (degrees <= -90.0) return degrees + 180.0;
    return degrees;
}

double GridIntervalFromEntry(double typed) { return typed >= 0.5 ? typed : 0.5; }

double MapScaleFor(const Settings& settings) {
    return settings.MapSize >= 1 ? static_cast<double>(settings.MapSizePixels) / settings.MapSize : 0.0;
}

ScreenPoint PlaceDialogOverOwner(const ScreenRect& owner, int32_t dialogWidth, int32_t dialogHeight,
                                 int32_t divisor) {
    int32_t freeWidth = (owner.Right - owner.Left) - dialogWidth;
    // A dialog taller than its owner starts at the owner's top rather than
    // above it, where its caption could leave the screen.
    int32_t freeHeight = std::max<int32_t>((owner.Bottom - owner.Top) - dialogHeight, 0);
    ScreenPoint at;
    at.X = owner.Left + freeWidth / 2;
    at.Y = owner.Top + (divisor > 0 ? freeHeight / divisor : 0);
    return at;
}

// ---------------------------------------------------------------- Map Display Options

MapDisplayOptionsEditor::MapDisplayOptionsEditor(Settings& settings) : settings_(settings), remembered_(settings) {}

MapDisplayOptionsView MapDisplayOptionsEditor::View() const {
    const Settings& s = settings_;
    MapDisplayOptionsView view;
    view.MapSizeText = std::to_string(s.MapSize);
    view.MapSizeUnit = MapSizeUnitLabel(s.DisplayUnits);
    view.GridType = s.MapGridType == 1 ? 1 : 0;
    view.IntervalLabel = GridIntervalLabel(s.MapGridType);
    view.IntervalText = FormatNumber("%.2f", s.GridLinesInterval);
    view.IntervalUnit = GridIntervalUnitLabel(s.DisplayUnits);
    view.AngleText = FormatNumber("%.2f", s.GridLinesAngle);
    view.AngleEnabled = s.MapGridType == 1;
    view.CursorSize = s.CursorSize;
    view.PositionSize = s.PositionSize;
    view.MapDisplayType = s.MapDisplayType;
    return view;
}

DialogForm MapDisplayOptionsEditor::Form() const {
    const MapDisplayOptionsView view = View();
    DialogForm form;
    form.Edits = {{IDC_MAP_SIZE, view.MapSizeText},
                  {IDC_GRID_INTERVAL, view.IntervalText},
                  {IDC_GRID_ANGLE, view.AngleText, 0, nullptr, view.AngleEnabled}};
    form.Labels = {{IDC_MAP_SIZE_UNIT, view.MapSizeUnit},
                   {IDC_GRID_INTERVAL_LABEL, view.IntervalLabel},
                   {IDC_GRID_INTERVAL_UNIT, view.IntervalUnit}};
    form.Radios = {{IDC_GRID_BASIC, 2, view.GridType},
                   {IDC_CURSOR_SIZE_FIRST, 6, view.CursorSize},
                   {IDC_POSITION_SIZE_FIRST, 6, view.PositionSize}};
    form.Combos = {{IDC_MAP_DISPLAY_TYPE, {MapDisplayTypeCaptions[0], MapDisplayTypeCaptions[1]},
                    view.MapDisplayType}};
    return form;
}

void MapDisplayOptionsEditor::ChooseCursorSize(int32_t index) {
    if (index < 0 || index > 5) return;
    settings_.CursorSize = index;
    settings_.RecomputeCursorPixels();
}

void MapDisplayOptionsEditor::ChoosePositionSize(int32_t index) {
    if (index >= 0 && index <= 5) settings_.PositionSize = index;
}

void MapDisplayOptionsEditor::ChooseCursorColor(int32_t colour) { settings_.CursorColor = colour & 0xFFFFFF; }

void MapDisplayOptionsEditor::ChoosePositionColor(int32_t colour) { settings_.PositionColor = colour & 0xFFFFFF; }

void MapDisplayOptionsEditor::ChooseGridType(int32_t type) {
    if (type == 0 || type == 1) settings_.MapGridType = type;
}

void MapDisplayOptionsEditor::TypeAngle(const std::string& text) { settings_.GridLinesAngle = TextToDouble(text); }

MapDisplayChoice MapDisplayOptionsEditor::Ok(const MapDisplayOptionsEntries& entries) const {
    MapDisplayChoice choice;
    const bool typeChosen = entries.MapDisplayType == 0 || entries.MapDisplayType == 1;
    choice.MapDisplayType = typeChosen ? entries.MapDisplayType : settings_.MapDisplayType;
    choice.MapSize = Settings::MapSizeFromEntry(TextToDouble(entries.MapSizeText));
    choice.GridLinesInterval = GridIntervalFromEntry(TextToDouble(entries.IntervalText));
    choice.GridLinesAngle = FoldGridAngle(TextToDouble(entries.AngleText));
    return choice;
}

MapDisplayChoice MapDisplayOptionsEditor::Ok(const DialogForm& form) const {
    MapDisplayOptionsEntries entries;
    entries.MapSizeText = form.Edit(IDC_MAP_SIZE).Text;
    entries.IntervalText = form.Edit(IDC_GRID_INTERVAL).Text;
    entries.AngleText = form.Edit(IDC_GRID_ANGLE).Text;
    entries.MapDisplayType = form.Combo(IDC_MAP_DISPLAY_TYPE).Selection;
    return Ok(entries);
}

void StoreMapDisplayChoice(const MapDisplayChoice& choice, Settings& s) {
    s.MapDisplayType = choice.MapDisplayType;
    s.MapSize = choice.MapSize;
    s.GridLinesInterval = choice.GridLinesInterval;
    s.GridLinesAngle = choice.GridLinesAngle;
    s.RecomputeArrayGeometry();
}

int32_t MapDisplayChanges(const Settings& r, const Settings& s) {
    int32_t changed = 0;
    if (s.PositionSize != r.PositionSize) changed |= DisplayChangedPositionSize;
    if (s.PositionColor != r.PositionColor) changed |= DisplayChangedPositionColor;
    if (s.MapDisplayType != r.MapDisplayType) changed |= DisplayChangedMapDisplayType;
    if (s.MapGridType != r.MapGridType) changed |= DisplayChangedGridType;
    if (s.GridLinesInterval != r.GridLinesInterval) changed |= DisplayChangedGridInterval;
    if (s.GridLinesAngle != r.GridLinesAngle) changed |= DisplayChangedGridAngle;
    if (s.MapSize != r.MapSize) changed |= DisplayChangedMapSize;
    return changed;
}

int32_t MapDisplayOptionsEditor::Cancel() {
    Settings& s = settings_;
    const Settings& r = remembered_;
    s.GridLinesAngle = r.GridLinesAngle;
    s.MapGridType = r.MapGridType;
    s.CursorColor = r.CursorColor;
    s.PositionColor = r.PositionColor;
    s.CursorSize = r.CursorSize;
    s.RecomputeCursorPixels();
    s.PositionSize = r.PositionSize;
    s.MapDisplayType = r.MapDisplayType;
    return 0;
}

MapPreview BuildMapPreview(const Settings& settings, int32_t width, int32_t height) {
    MapPreview preview;
    preview.Width = width;
    preview.Height = height;
    if (width <= 0 || height <= 0) return preview;
    const double cx = width / 2.0, cy = height / 2.0;
    const double spacing = PreviewGridSpacing;

    // Grid: lines through the centre and at every spacing from it.
    if (settings.MapGridType == 1) {
        // Bearing clockwise from north; screen y grows downwards.
        const double a = settings.GridLinesAngle * 3.14159265358979323846 / 180.0;
        const double dx = std::sin(a), dy = -std::cos(a);  // along the lines
        const double nx = -dy, ny = dx;                    // across them
        const double reach = std::hypot(width, height) / 2.0;
        const int kmax = static_cast<int>(reach / spacing);
        for (int k = -kmax; k <= kmax; ++k) {
            double px = cx + k * spacing * nx, py = cy + k * spacing * ny;
            preview.GridLines.push_back({ToPixel(px - reach * dx), ToPixel(py - reach * dy),
                                         ToPixel(px + reach * dx), ToPixel(py + reach * dy)});
        }
    } else {
        for (int k = -static_cast<int>(cx / spacing); cx + k * spacing < width; ++k) {
            int32_t x = ToPixel(cx + k * spacing);
            preview.GridLines.push_back({x, 0, x, height});
        }
        for (int k = -static_cast<int>(cy / spacing); cy + k * spacing < height; ++k) {
            int32_t y = ToPixel(cy + k * spacing);
            preview.GridLines.push_back({0, y, width, y});
        }
    }

    // Three positions of a track running to the right, its swath across it,
    // three sensors in it; marks as the map makes them for PositionSize.
    preview.PositionColor = settings.PositionColor;
    const int32_t top = ToPixel(cy - height / 5.0), bottom = ToPixel(cy + height / 5.0);
    const int32_t size = settings.PositionSize;
    for (int i = 1; i <= 3; ++i) {
        int32_t u = ToPixel(width * i / 5.0);
        if (size >= 4) {
            preview.PositionLines.push_back({u, top, u, bottom});
            continue;
        }
        for (double fraction : {1.0 / 6.0, 0.5, 5.0 / 6.0}) {
            int32_t v = ToPixel(top + fraction * (bottom - top));
            preview.PositionDots.push_back({u - 1 - size, v - 1 - size, u + size + 1, v + size + 1});
        }
    }
    preview.PositionLineWidth = size == 5 ? 2 : 1;

    // The cursor ahead of the last position, as the map pane draws it.
    preview.CursorColor = settings.CursorColor;
    const int32_t x = ToPixel(width * 4 / 5.0), y = ToPixel(cy), c = settings.CursorInnerPixels;
    preview.CursorLines[0] = {x - c, y, x + c + 1, y};
    preview.CursorLines[1] = {x, y - c, x, y + c + 1};
    return preview;
}

// ---------------------------------------------------------------- Setup Profile Options

ProfileOptionsEditor::ProfileOptionsEditor(Settings& settings) : settings_(settings) {
    for (int side = 0; side < 2; ++side) {
        rememberedThickness_[side] = settings.ProfileThickness[side];
        rememberedColor_[side] = settings.ProfileColor[side];
    }
}

ProfileOptionsView ProfileOptionsEditor::View() const {
    ProfileOptionsView view;
    for (int side = 0; side < 2; ++side) {
        view.Visible[side] = settings_.ProfileVisible[side] != 0;
        int32_t index = settings_.ProfileThickness[side] - 1;
        view.ThicknessIndex[side] = index >= 0 && index <= 3 ? index : 0;
        view.Color[side] = settings_.ProfileColor[side];
    }
    return view;
}

DialogForm ProfileOptionsEditor::Form() const {
    const ProfileOptionsView view = View();
    const std::vector<std::string> thickness(ProfileThicknessCaptions, ProfileThicknessCaptions + 4);
    DialogForm form;
    form.Checks = {{IDC_PROFILE_VISIBLE_LEFT, view.Visible[0]}, {IDC_PROFILE_VISIBLE_RIGHT, view.Visible[1]}};
    form.Combos = {{IDC_PROFILE_THICKNESS_LEFT, thickness, view.ThicknessIndex[0]},
                   {IDC_PROFILE_THICKNESS_RIGHT, thickness, view.ThicknessIndex[1]}};
    return form;
}

void ProfileOptionsEditor::ChooseProfileThickness(int32_t side, int32_t index) {
    if (IsSide(side) && index >= 0 && index <= 3) settings_.ProfileThickness[side] = index + 1;
}

void ProfileOptionsEditor::ChooseProfileColor(int32_t side, int32_t colour) {
    if (IsSide(side)) settings_.ProfileColor[side] = colour & 0xFFFFFF;
}

ProfileOptionsChoice ProfileOptionsOf(const DialogForm& form) {
    ProfileOptionsChoice choice;
    choice.Visible[0] = form.Check(IDC_PROFILE_VISIBLE_LEFT).Checked;
    choice.Visible[1] = form.Check(IDC_PROFILE_VISIBLE_RIGHT).Checked;
    return choice;
}

void StoreProfileOptions(const ProfileOptionsChoice& choice, Settings& s) {
    for (int side = 0; side < 2; ++side) s.ProfileVisible[side] = choice.Visible[side] ? 1 : 0;
}

void ProfileOptionsEditor::Cancel() {
    for (int side = 0; side < 2; ++side) {
        settings_.ProfileThickness[side] = rememberedThickness_[side];
        settings_.ProfileColor[side] = rememberedColor_[side];
    }
}

ColourButtonFace ProfileColourButtonFace(const Settings& settings, int32_t side, int32_t width, int32_t height) {
    ColourButtonFace face{};
    if (!IsSide(side)) return face;
    // Clear of the 2-pixel raised border and of the focus rectangle inside it.
    const int32_t inset = 8, y = height / 2;
    face.Sample = {inset, y, width > 2 * inset ? width - inset : inset, y};
    face.Thickness = settings.ProfileThickness[side];
    face.Color = settings.ProfileColor[side];
    return face;
}

}  // namespace tesselog
