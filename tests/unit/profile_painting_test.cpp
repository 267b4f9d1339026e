#include "core/logscreen/profile_painting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/logging_session_fixture.h"

namespace tesselog {
namespace {

using Calls = std::vector<std::string>;

// The calls from the first one that starts with `from`.
Calls CallsFrom(const RecordingCanvas& c, const std::string& from) {
    for (size_t i = 0; i < c.Calls.size(); ++i)
        if (c.Calls[i].compare(0, from.size(), from) == 0) return {c.Calls.begin() + i, c.Calls.end()};
    return {};
}

Calls Rects(const RecordingCanvas& c) {
    Calls found;
    for (const std::string& call : c.Calls)
        if (call.compare(0, 5, "rect ") == 0) found.push_back(call);
    return found;
}

TEST(ProfileGrid, RowsFollowTheReadingsScale) {
    const struct { double Min, Max; int32_t Height; std::vector<int32_t> Rows; bool ZeroLine; int32_t Baseline; } cases[] = {
        {-50, 50, 100, {50, 37, 25, 12, 62, 75, 87}, true, 0},   // zero in the middle: k = 1, quarter steps
        {0, 500, 100, {79, 59, 39, 19}, false, 1},               // the default: 20..80 %, bars from the bottom
        {-500, 0, 100, {79, 59, 39, 19}, false, -1},             // bars from the top
        {-100, 400, 100, {80, 60, 40, 20}, true, 0},             // zero low: k = 4, quarters of the large side
        {-400, 100, 100, {20, 40, 60, 80}, true, 0},             // zero high: the large side below zero
        {-900, 100, 100, {10, 28, 46, 64, 82}, true, 0},         // k >= 5: fifths of the large side
        {-50, 50, 1, {0, 0, 0, 0}, false, -1},                   // one pixel: k = 0, even rows, bars from the top
    };
    for (const auto& c : cases) {
        const GridRows g = ComputeGridRows(c.Min, c.Max, c.Height, c.Height / (c.Max - c.Min));
        EXPECT_EQ(std::vector<int32_t>(g.Rows, g.Rows + g.Count), c.Rows) << c.Min << ".." << c.Max << " on " << c.Height;
        EXPECT_EQ(g.HasZeroLine, c.ZeroLine) << c.Min << ".." << c.Max;
        EXPECT_EQ(g.Baseline, c.Baseline) << c.Min << ".." << c.Max;
    }
}

// A 200 x 100 profile pane and a 40 x 100 second-plot pane.
ProfilePaneState Panes(double scaleMin, double scaleMax) {
    Settings settings;
    settings.ReadingsScaleMin = scaleMin;
    settings.ReadingsScaleMax = scaleMax;
    settings.ProfilePaneHeight = settings.DecayPaneHeight = 100;
    settings.RecomputePixelsPerUnit();
    ProfilePaneState state;
    SetProfilePaneWidths(state, 200, 40);
    ComputeProfileGrid(state, settings);
    ComputeBarGrid(state, settings);
    return state;
}

// Left blue 2 px, right green 3 px.
const ProfilePens& Pens() {
    static const ProfilePens pens = ProfilePensOf(Settings{});
    return pens;
}

TEST(ProfileStep, EachCurveJoinsItsPreviousRowUntilANewCurveStarts) {
    ProfilePaneState state = Panes(0, 500);
    const int32_t first[2] = {40, 70}, second[2] = {60, 20};
    RecordingCanvas one, next, both, fresh;
    // The copy, the erase and the grid are read back as pixels by the platform
    // test; here the curve: the first point alone, then a line from it.
    ScrollProfile(one, state, Pens(), 0, false, first);
    EXPECT_EQ(CallsFrom(one, "pen ff0000"), (Calls{"pen ff0000 2", "line 190,40 191,40"}));
    ScrollProfile(next, state, Pens(), 0, false, second);
    EXPECT_EQ(CallsFrom(next, "pen ff0000"), (Calls{"pen ff0000 2", "line 188,40 190,60"}));

    // A two-sensor console draws the right curve with its own pen and memory.
    ScrollProfile(both, state, Pens(), 1, true, first);
    ScrollProfile(both, state, Pens(), 1, true, second);
    EXPECT_EQ(both.Calls.back(), "line 188,70 190,20");

    // A new station starts a new curve: a point, not a line from the last row.
    StartNewCurves(state, 0);
    ScrollProfile(fresh, state, Pens(), 0, false, first);
    EXPECT_EQ(fresh.Calls.back(), "line 190,40 191,40");
}

TEST(ProfileStep, RepaintRedrawsTheKeptCurveOnePolylinePerCurve) {
    ProfilePaneState state = Panes(0, 500);
    RecordingCanvas steps, paint;
    auto step = [&](int32_t row) {
        const int32_t rows[2] = {row, 0};
        ScrollProfile(steps, state, Pens(), 2, false, rows);
    };
    step(10);
    step(20);
    StartNewCurves(state, 2);
    step(30);
    PaintProfilePane(paint, state, Pens(), 2, false);
    EXPECT_EQ(CallsFrom(paint, "pen ff0000"),
              (Calls{"pen ff0000 2", "polyline 186,10 188,20", "pen ff0000 2", "line 190,30 191,30"}));

    // At most half the pane's width of rows is kept.
    for (int i = 0; i < 150; ++i) step(50);
    EXPECT_EQ(state.History[2].Size, 100u);
}

TEST(SecondPlot, BarsChangeOnlyWhereTheyMoved) {
    // Successive readings' rows in a 40-pixel pane: one centred bar 14 wide from x 13.
    const struct { const char* What; double Min, Max; std::vector<int32_t> Rows; const char* LastRect; int32_t Shown; } cases[] = {
        {"grows from the bottom", 0, 500, {60, 40}, "rect 13,40 27,60", 40},
        {"shrinks with white one pixel wider", 0, 500, {40, 70}, "rect 12,40 28,70", 70},
        {"hangs from the top", -500, 0, {30, 50}, "rect 13,30 27,50", 50},
        {"crosses the zero line", -50, 50, {30, 70}, "rect 13,50 27,70", 70},
        {"beyond the top is clamped", 0, 500, {-20}, "rect 13,0 27,100", 0},
        {"beyond the bottom is clamped", -500, 0, {150}, "rect 13,0 27,100", 100},
    };
    for (const auto& c : cases) {
        ProfilePaneState state = Panes(c.Min, c.Max);
        RecordingCanvas canvas;
        for (int32_t row : c.Rows) {
            const int32_t rows[2] = {row, 0};
            canvas.Calls.clear();
            UpdateBars(canvas, state, Pens(), 4, false, rows);
        }
        const Calls rects = Rects(canvas);
        EXPECT_EQ(rects.empty() ? "" : rects.back(), c.LastRect) << c.What;
        EXPECT_EQ(state.BarShownY[4][0], c.Shown) << c.What;
        EXPECT_EQ(state.BarTopY[4][0], c.Rows.back()) << c.What;
        EXPECT_EQ(state.BarsDrawn[4], 1) << c.What;
    }

    // Two sensors across the zero line: the old bars are erased back to it first.
    ProfilePaneState state = Panes(-50, 50);
    RecordingCanvas canvas;
    const int32_t up[2] = {30, 80}, down[2] = {70, 20};
    UpdateBars(canvas, state, Pens(), 0, true, up);
    EXPECT_EQ(canvas.Calls.front(), "fill 1,1 39,100 ffffff");
    canvas.Calls.clear();
    UpdateBars(canvas, state, Pens(), 0, true, down);
    EXPECT_EQ(Rects(canvas), (Calls{"rect 3,30 19,50", "rect 4,50 18,70",       // left: x 4, 14 wide
                                    "rect 21,50 37,80", "rect 22,20 36,50"}));  // right: x 22
    EXPECT_EQ(canvas.Calls.back(), "line 0,87 40,87");  // the bar grid over the bars
}

TEST(ProfileFlags, DialogsAndLoggingStartAndStopResetThem) {
    test::SessionHarness h;
    h.settings.ConsoleCount = 2;
    h.settings.GpsInput = 0;
    h.session.StartLogging();
    ProfilePaneState& p = h.session.Recording.Profiles;
    auto setAll = [&p] {
        for (int k = 0; k < MaxConsoles; ++k) {
            p.ProfileHasPoint[k][0] = p.ProfileHasPoint[k][1] = p.BarsDrawn[k] = 1;
            p.BarShownY[k][0] = 5;
        }
    };

    // Readings Scale OK: new curves for the consoles in use, every bar pane cleared.
    setAll();
    h.dialogs.ReadingsScales.push_back({true, -50.0, 50.0});
    h.session.RunCode(CodeReadingsScale);
    EXPECT_EQ(p.ProfileHasPoint[1][1], 0);
    EXPECT_EQ(p.ProfileHasPoint[2][0], 1);
    for (int k = 0; k < MaxConsoles; ++k) EXPECT_EQ(p.BarsDrawn[k], 0) << k;
    EXPECT_EQ(p.BarBaseline, 0);  // the grids follow the new scale

    // New Station OK: new curves only.
    h.StartIn(-1);
    setAll();
    h.dialogs.Stations.push_back({true, 12.0});
    h.session.RunCode(CodeNewStation);
    EXPECT_EQ(p.ProfileHasPoint[0][0] + p.ProfileHasPoint[1][1], 0);
    EXPECT_EQ(p.ProfileHasPoint[2][0], 1);
    EXPECT_EQ(p.BarsDrawn[0], 1);

    // Stop: no bar shown and every pane cleared again.
    h.prompts.Answers.push_back(true);
    h.session.StopLogging(true);
    EXPECT_EQ(p.BarShownY[0][0], -1);
    EXPECT_EQ(p.BarsDrawn[1], 0);
}

}  // namespace
}  // namespace tesselog
