// The profile panes (a strip chart per console, scrolling left one step per
// reading) and the second-plot panes (the latest reading of each sensor as a
// vertical bar), with the horizontal grid both derive from the readings
// scale. The console handler draws one step at a time on a pane's own device
// context; the shared pane paint handler redraws grids, bars and the kept
// part of each curve.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/acquisition/acquisition_state.h"
#include "core/acquisition/profile_steps.h"
#include "core/platform/canvas.h"
#include "core/settings/settings.h"

namespace tesselog {

constexpr int ProfileSlotCount = 10;      // the second-plot last-point table has one row per pane slot
constexpr int MaxGridRows = 9;
constexpr Color GridGrey = Rgb(192, 192, 192);
constexpr Color PaneWhite = Rgb(255, 255, 255);

// Grid rows of a pane: Rows[0] is the zero line (or, without one, the lowest
// of four even rows); Rows[1..Count-1] the further lines.
struct GridRows {
    int32_t Count = 0;
    int32_t Rows[MaxGridRows] = {};
    bool HasZeroLine = false;  // the scale spans zero: Rows[0] is drawn 2 pixels wide
    int32_t Baseline = 1;      // 0 the zero line, 1 the bottom, -1 the top
};

// Rows of the grid for a pane of the given height and pixels per reading unit.
GridRows ComputeGridRows(double scaleMin, double scaleMax, int32_t height, double pixelsPerUnit);

// Pens of the two sensor sides, from ProfileColor and ProfileThickness.
struct ProfilePens {
    Color CurveColor[2] = {};
    int CurveWidth[2] = {1, 1};
};
ProfilePens ProfilePensOf(const Settings& settings);

// The last plotted rows of one console's curves, newest last, at most
// Capacity of them, so that a repaint can give a covered pane its curve
// back. A point that began a new curve is not joined to the one before it.
struct CurveHistory {
    struct Entry {
        int32_t Row[2];
        bool NewCurve;
    };
    std::vector<Entry> Ring;
    size_t Capacity = 0;
    size_t Next = 0;   // where the next entry goes once the ring is full
    size_t Size = 0;

    void Reset(size_t capacity);
    void Add(const int32_t rows[2], bool newCurve);
    const Entry& FromNewest(size_t age) const;  // 0 = newest
};

struct ProfilePaneState {
    // Pane sizes of the last layout pass.
    int32_t ProfileWidth = 0;
    int32_t ProfileHeight = 0;
    int32_t BarPaneWidth = 0;
    int32_t BarPaneHeight = 0;
    // Bars of a two-sensor console side by side; one-sensor consoles get one
    // bar of the same width, centred.
    int32_t BarLeft[2] = {};
    int32_t BarWidth = 0;
    int32_t SingleBarLeft = 0;

    GridRows ProfileGridY;
    GridRows BarGridY;
    int32_t BarBaseline = 1;

    int32_t ProfilePrevY[MaxConsoles][2] = {};
    int32_t ProfileHasPoint[MaxConsoles][2] = {};
    int32_t BarTopY[MaxConsoles][2] = {};
    int32_t BarShownY[ProfileSlotCount][2] = {};  // -1: no bar
    int32_t BarsDrawn[MaxConsoles] = {};          // the pane has been cleared once

    CurveHistory History[MaxConsoles];
    double CurveScaleMax = 0.0;       // the scale the kept rows were drawn in
    double CurvePixelsPerUnit = 0.0;

    ProfilePaneState();
};

// The layout pass: pane widths (heights come with the grids), the bar
// places and the curve history's length (half the profile pane's width).
// A shorter history keeps its newest rows.
void SetProfilePaneWidths(ProfilePaneState& state, int32_t profileWidth, int32_t barPaneWidth);

// Grid rows from the readings scale, the pane heights and pixels per unit of
// the settings (ProfilePaneHeight, ReadingsPixelsPerUnit; DecayPaneHeight,
// DecayPixelsPerUnit). The bar grid also sets BarBaseline. The curve
// history is emptied when the pixel scale of the profile rows changed.
void ComputeProfileGrid(ProfilePaneState& state, const Settings& settings);
void ComputeBarGrid(ProfilePaneState& state, const Settings& settings);
// After a layout pass or a new readings scale: the settings' pixels per
// reading unit, then both grids.
void RecomputeProfileScale(ProfilePaneState& state, Settings& settings);

// Stop of logging: no bar is shown and every second-plot pane is cleared
// again before its first bar.
void ClearBarFlags(ProfilePaneState& state);
// Start of logging: the same, and every curve starts afresh with no history.
void ResetProfilePanes(ProfilePaneState& state);
// The next reading of console k starts a new curve on both sides (New
// Station, Readings Scale).
void StartNewCurves(ProfilePaneState& state, int k);

// One strip-chart step of console k on its profile pane.
void ScrollProfile(Canvas& canvas, ProfilePaneState& state, const ProfilePens& pens, int k, bool twoSensors,
                   const int32_t profileY[2]);

// Console k's bars moved to the new rows, drawing only what changed.
void UpdateBars(Canvas& canvas, ProfilePaneState& state, const ProfilePens& pens, int k, bool twoSensors,
                const int32_t barY[2]);

// The grid lines of a pane width wide, over columns [fromX, toX).
void DrawGridLines(Canvas& canvas, const GridRows& grid, int32_t fromX, int32_t toX);

// Whole curves as polylines with the curve pens, the right one only for a
// two-sensor console. One point alone is drawn as a dot.
void DrawProfileCurves(Canvas& canvas, const ProfilePens& pens, bool twoSensors, const Point* leftPoints,
                       const Point* rightPoints, size_t count);

// Repaint of console k's profile pane (grid, then the curve) and of its
// second-plot pane (the bars once drawn, then the bar grid). The curve is
// the one read back from the data file when a file is open (`fromFile`),
// else the kept curve of the readings shown.
void PaintProfilePane(Canvas& canvas, const ProfilePaneState& state, const ProfilePens& pens, int k,
                      bool twoSensors, const std::vector<ProfileCurvePiece>* fromFile = nullptr);
void PaintBarPane(Canvas& canvas, const ProfilePaneState& state, const ProfilePens& pens, int k, bool twoSensors);

}  // namespace tesselog
