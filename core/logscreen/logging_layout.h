// Where the logging screen's panes and buttons go. One set of values is
// computed from the main window's client size W x H, the line height L (text
// height of the window's default font + 2), the console count N and the right
// column width R. The buttons and the speed bar are placed once, at creation,
// with R = 220; every later layout pass moves only the panes, with R = 140.
// Everything is in 96-DPI units; the display scale puts each place on the
// device (Device), and the map, which is drawn in device pixels, takes its
// size from its place there.
#pragma once

#include <cstdint>

#include "core/common/display_scale.h"
#include "core/platform/canvas.h"
#include "core/settings/settings.h"

namespace tesselog {

constexpr int32_t CreationRightColumnWidth = 220;
constexpr int32_t PaneRightColumnWidth = 140;
constexpr int32_t LoggingMargin = 20;  // left and top
constexpr int32_t PaneGap = 2;
constexpr int LoggingPaneSlots = 10;   // profile and second-plot panes made, one per possible console

// Control ids of the logging screen's children.
constexpr int ProfilePaneFirstId = 600;     // 600..609
constexpr int SecondPlotPaneFirstId = 630;  // 630..639
constexpr int NumbersPaneId = 650;
constexpr int SpeedPaneId = 651;
constexpr int MapPaneId = 652;
constexpr int ColourScaleWindowId = 653;
constexpr int CommandButtonFirstId = 460;   // 460..463, both button sets and the pause
constexpr int PauseButtonId = 460;
constexpr int CommandButtonCount = 4;
constexpr int NavigateLeftId = 470;
constexpr int NavigateRightId = 471;
constexpr int NavigateUpId = 472;
constexpr int NavigateDownId = 473;
constexpr int ZoomInId = 474;
constexpr int ZoomOutId = 475;
constexpr int FitAllId = 476;
constexpr int EnterReviewId = 477;
constexpr int ExitReviewId = 478;
constexpr int DirectionButtonCount = 4;
constexpr int ZoomButtonCount = 3;

// Button labels by command index (the grid order is in CommandButtonRect).
extern const char* const FirstCommandLabels[CommandButtonCount];   // "&File", "&Readings Scale", "E&xit", "&Menu"
extern const char* const SecondCommandLabels[CommandButtonCount];  // "&Go", "&QLine", "E&xit", "&Menu"
constexpr char PauseButtonLabel[] = "P A U S E";
extern const char* const DirectionLabels[DirectionButtonCount];    // "&Left", "&Right", "U&p", "&Down"
extern const char* const ZoomLabels[ZoomButtonCount];              // "Zoom&+", "Zoom&-", "&Fit All"
// The keys of the nine navigation buttons (ids 470..478), in their tooltips:
// the buttons' own underlined letters belong to other commands.
extern const char* const NavigationKeyHints[9];
constexpr char EnterReviewLabel[] = "Enter Rev&iew";
constexpr char ExitReviewLabel[] = "&Exit Review";
constexpr char ColourScaleCaption[] = "Colour Scale Bar";

struct LoggingLayout {
    // Inputs.
    int32_t ClientWidth = 0;   // W
    int32_t ClientHeight = 0;  // H
    int32_t LineHeight = 0;    // L
    int32_t ConsoleCount = 0;  // N as given; 0 = no console
    int32_t RightColumnWidth = 0;  // R
    DisplayScale Scale;            // of the window the layout is for

    // A place of this layout on the device.
    Rect Device(const Rect& place) const { return Scale.ToDevice(place); }

    int32_t UpperHeight = 0;       // A = H - 8L
    int32_t RightColumnX = 0;      // W - R - 20
    int32_t LeftAreaWidth = 0;     // W - R - 60
    // Pane sizes. With no console they are those of one console, so the map
    // of a GPS-only survey keeps its full-height square.
    int32_t ProfileHeight = 0;     // P
    int32_t NumbersHeight = 0;
    int32_t NumbersY = 0;
    int32_t SecondPlotWidth = 0;
    int32_t SecondPlotHeight = 0;
    int32_t MapSide = 0;           // S, the height of the profile stack
    // Buttons and speed bar (used from the R = 220 values only).
    int32_t ButtonRowY = 0;
    int32_t ButtonHeight = 0;
    int32_t ButtonWidth = 0;
    int32_t ButtonX = 0;
    Rect SpeedBar;
    int32_t NavigationY = 0;
    int32_t NavigationHeight = 32;
    int32_t NavigationWidth = 0;   // w
    int32_t ReviewWidth = 0;
};

// The client size and the line height in 96-DPI units.
LoggingLayout ComputeLoggingLayout(int32_t clientWidth, int32_t clientHeight, int32_t lineHeight,
                                   int32_t consoleCount, int32_t rightColumnWidth, DisplayScale scale = {});

// --- Places at creation (from the R = 220 layout) ---

// Index 2 top left, 3 top right, 1 bottom left, 0 bottom right.
Rect CommandButtonRect(const LoggingLayout& creation, int index);
Rect PauseButtonRect(const LoggingLayout& creation);
Rect DirectionButtonRect(const LoggingLayout& creation, int index);  // 0..3
Rect ZoomButtonRect(const LoggingLayout& creation, int index);       // 0..2, stacked
Rect ReviewButtonRect(const LoggingLayout& creation);                // both review buttons
Rect SpeedPaneRect(const LoggingLayout& creation);
Rect ColourScaleWindowRect();

// --- Places of the panes (at creation and after each layout pass) ---

// Profile pane i: in the map view right of the map, otherwise over the
// whole left area (the place at creation is the profile view's).
Rect ProfilePaneRect(const LoggingLayout& layout, int index, bool mapVisible);
Rect SecondPlotPaneRect(const LoggingLayout& layout, int index);
Rect NumbersPaneRect(const LoggingLayout& layout);
Rect MapPaneRect(const LoggingLayout& layout);
// Between the profile panes' right edge + 3 and the right column x - 3,
// over the height of the second-plot panes.
Rect ColourScaleStripRect(const LoggingLayout& layout);

// The pane sizes that the settings' derived values are made from: the map's
// drawable side (its side on the device less the border, which also sizes
// the cursor band), the profile and second-plot pane heights. Recomputes the cursor band; the pixel factors
// of the readings follow with RecomputePixelsPerUnit.
void TakePaneSizes(Settings& settings, const LoggingLayout& panes);

}  // namespace tesselog
