// The logic of the display-option dialogs, apart from the controls: what the
// controls show when a dialog opens, the choices applied to the settings while
// it is open, what OK stores and Cancel puts back, the redraw bits for the
// logging screen, and the map preview and colour-button faces as plain data.
// The Win32 layer reads the controls, calls these and draws what they return.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings/settings.h"
#include "core/settings/setup_dialogs.h"
#include "resources/display_dialog_ids.h"

namespace tesselog {

// Bits of DisplayOptionsChanged: what the logging screen must redraw after an
// option dialog closed with OK.
constexpr int32_t DisplayChangedPositionSize = 2;
constexpr int32_t DisplayChangedPositionColor = 4;
constexpr int32_t DisplayChangedMapDisplayType = 8;
constexpr int32_t DisplayChangedReadingsScale = 16;
constexpr int32_t DisplayChangedGridType = 32;
constexpr int32_t DisplayChangedGridInterval = 64;
constexpr int32_t DisplayChangedGridAngle = 128;
constexpr int32_t DisplayChangedMapSize = 256;

// Combo lists, index = stored value.
extern const char* const MapDisplayTypeCaptions[2];
extern const char* const ProfileThicknessCaptions[4];  // index = thickness - 1

// Unit words by DisplayUnits (out-of-range values read as metres).
const char* MapSizeUnitLabel(int32_t displayUnits);       // "metres", "feet", "US feet"
const char* GridIntervalUnitLabel(int32_t displayUnits);  // "m", "feet", "USft"
// "Grid Interval:" for the basic grid, "Lines Interval:" for parallel lines.
const char* GridIntervalLabel(int32_t mapGridType);

// A lines angle folded into -90..90: above 90 up to 180 loses 180, from -180
// up to -90 gains 180, beyond +-180 becomes 0.
double FoldGridAngle(double degrees);
// Map Display Options keeps the grid interval at 0.5 or more: the grid is
// drawn line by line at this interval.
double GridIntervalFromEntry(double typed);
// Pixels per map unit: the map's side in pixels over MapSize.
double MapScaleFor(const Settings& settings);

// Where a self-placing dialog opens: centred horizontally over its owner (the
// desktop when there is none), its top edge 1/divisor of the free height below
// the owner's top, never above it. Screen pixels. Survey Setup and Array
// Geometry Setup use one tenth, Map Display Options one seventh, Map Size and
// Readings Scale one eighth.
struct ScreenRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};
struct ScreenPoint {
    int32_t X = 0, Y = 0;
};
ScreenPoint PlaceDialogOverOwner(const ScreenRect& owner, int32_t dialogWidth, int32_t dialogHeight,
                                 int32_t divisor);
constexpr int32_t MapDisplayOptionsPlacementDivisor = 7;
constexpr int32_t SetupDialogPlacementDivisor = 10;

// ---------------------------------------------------------------- Map Display Options

// What the controls show.
struct MapDisplayOptionsView {
    std::string MapSizeText;      // "%d"
    const char* MapSizeUnit;
    int32_t GridType;             // which of the two radios is on
    const char* IntervalLabel;
    std::string IntervalText;     // "%.2f"
    const char* IntervalUnit;
    std::string AngleText;        // "%.2f"
    bool AngleEnabled;            // parallel lines only
    int32_t CursorSize;           // radio index 0..5
    int32_t PositionSize;         // radio index 0..5
    int32_t MapDisplayType;       // combo selection
};

// The texts and selection read from the controls at OK.
struct MapDisplayOptionsEntries {
    std::string MapSizeText;
    std::string IntervalText;
    std::string AngleText;
    int32_t MapDisplayType = 0;
};

// What OK of Map Display Options gives back: the typed map size (truncated,
// at least 1), grid interval (at least 0.5) and lines angle (folded into
// -90..90), and the display type chosen. The choices applied while the
// dialog was open (sizes, colours, grid type, angle) are in the settings.
struct MapDisplayChoice {
    int32_t MapSize = 1;
    double GridLinesInterval = 0.5;
    double GridLinesAngle = 0.0;
    int32_t MapDisplayType = 0;
};

// Stores a choice with the swath edges brought into the display unit again.
// The logging screen first decides whether the map size holds the track.
void StoreMapDisplayChoice(const MapDisplayChoice& choice, Settings& settings);
// The DisplayOptionsChanged bits of Map Display Options: what differs
// between the settings before the dialog opened and after its choice.
int32_t MapDisplayChanges(const Settings& before, const Settings& after);

// One open Map Display Options dialog. It remembers the fields on creation
// and applies the immediate choices to the settings; OK gives back the
// choice, Cancel puts back what it applied. The map pens and the map scale
// belong to the logging screen, which remakes them from the settings
// afterwards.
class MapDisplayOptionsEditor {
public:
    explicit MapDisplayOptionsEditor(Settings& settings);

    MapDisplayOptionsView View() const;
    // The view as the dialog's form (the preview is drawn, not filled).
    DialogForm Form() const;

    void ChooseCursorSize(int32_t index);  // with the cursor pixel sizes
    void ChoosePositionSize(int32_t index);
    void ChooseCursorColor(int32_t colour);
    void ChoosePositionColor(int32_t colour);
    void ChooseGridType(int32_t type);
    void TypeAngle(const std::string& text);

    // The entries as a choice; nothing is stored.
    MapDisplayChoice Ok(const MapDisplayOptionsEntries& entries) const;
    MapDisplayChoice Ok(const DialogForm& form) const;
    // Puts back what the open dialog changed; returns 0.
    int32_t Cancel();

private:
    Settings& settings_;
    Settings remembered_;
};

// The preview as drawing orders in the preview's own pixels (0,0 top left).
struct PreviewLine {
    int32_t X0, Y0, X1, Y1;
};
struct PreviewBox {  // ellipse bounds, right and bottom exclusive
    int32_t Left, Top, Right, Bottom;
};
struct MapPreview {
    int32_t Width = 0, Height = 0;        // white background of this size
    std::vector<PreviewLine> GridLines;   // grey, 1 pixel, clipped by the drawer
    int32_t PositionColor = 0;
    std::vector<PreviewBox> PositionDots; // pen and brush of PositionColor
    std::vector<PreviewLine> PositionLines;
    int32_t PositionLineWidth = 1;
    int32_t CursorColor = 0;
    PreviewLine CursorLines[2] = {};      // 1-pixel cross
};
constexpr int32_t PreviewGridSpacing = 16;  // pixels between grid lines
constexpr int32_t PreviewGridColor = 0xC0C0C0;

// A short sample track drawn the way the map draws it: three positions with
// three sensors each, over the chosen grid or lines, and the cursor ahead.
MapPreview BuildMapPreview(const Settings& settings, int32_t width, int32_t height);

// ---------------------------------------------------------------- Setup Profile Options

struct ProfileOptionsView {
    bool Visible[2];
    int32_t ThicknessIndex[2];  // combo selection, thickness - 1
    int32_t Color[2];
};

// One open Setup Profile Options dialog; side 0 is the left sensor.
class ProfileOptionsEditor {
public:
    explicit ProfileOptionsEditor(Settings& settings);

    ProfileOptionsView View() const;
    // The check boxes and thickness lists (the colour buttons are drawn).
    DialogForm Form() const;
    void ChooseProfileThickness(int32_t side, int32_t index);
    void ChooseProfileColor(int32_t side, int32_t colour);
    void Cancel();

private:
    Settings& settings_;
    int32_t rememberedThickness_[2];
    int32_t rememberedColor_[2];
};

// What OK gives back: the two check boxes. The thickness and colours chosen
// while the dialog was open are in the settings already; the caller stores
// the checks, saves and remakes the profile pens.
struct ProfileOptionsChoice {
    bool Visible[2] = {true, true};
};
ProfileOptionsChoice ProfileOptionsOf(const DialogForm& form);
void StoreProfileOptions(const ProfileOptionsChoice& choice, Settings& settings);

// The face of a profile colour button of the given size: white, a raised
// border (drawn by the system) and a horizontal sample line in the side's
// colour and thickness, inset from the border.
struct ColourButtonFace {
    PreviewLine Sample;
    int32_t Thickness;
    int32_t Color;
};
ColourButtonFace ProfileColourButtonFace(const Settings& settings, int32_t side, int32_t width, int32_t height);

}  // namespace tesselog
