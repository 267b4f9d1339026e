#include "core/logscreen/profile_painting.h"

#include <algorithm>
#include <cmath>

namespace tesselog {

namespace {

// Pixel rows of readings are bounded by the console handler; this only
// keeps the grid arithmetic of a degenerate scale finite.
int32_t TruncRow(double row) {
    if (!(row > -1e6)) return -1000000;
    if (row > 1e6) return 1000000;
    return static_cast<int32_t>(row);
}

// Four even rows at 20, 40, 60 and 80 per cent of the height from the
// bottom; bars start at the bottom unless the scale lies below zero.
GridRows EvenGrid(double scaleMin, int32_t height) {
    GridRows g;
    g.Baseline = scaleMin >= 0.0 ? 1 : -1;
    g.Count = 4;
    for (int i = 0; i < 4; ++i) g.Rows[i] = TruncRow(height - 0.2 * (i + 1) * (height + 1.0));
    return g;
}

// Rows of the values step, 2 step, ... above zero while inside the pane,
// then below zero, up to MaxGridRows rows with the zero line.
void AddStepRows(GridRows& g, double scaleMax, double step, int32_t height, double pixelsPerUnit) {
    for (int i = 1; g.Count < MaxGridRows; ++i) {
        const int32_t row = TruncRow((scaleMax - i * step) * pixelsPerUnit);
        if (row < 1) break;
        g.Rows[g.Count++] = row;
    }
    for (int i = 1; g.Count < MaxGridRows; ++i) {
        const int32_t row = TruncRow((scaleMax + i * step) * pixelsPerUnit);
        if (row >= height) break;
        g.Rows[g.Count++] = row;
    }
}

int32_t BaselineRow(const ProfilePaneState& s) {
    if (s.BarBaseline == 1) return s.BarPaneHeight;
    if (s.BarBaseline == -1) return 0;
    return s.BarGridY.Rows[0];
}

int32_t BarLeftOf(const ProfilePaneState& s, bool twoSensors, int side) {
    return twoSensors ? s.BarLeft[side] : s.SingleBarLeft;
}

bool ValidConsole(int k) { return k >= 0 && k < MaxConsoles; }

}  // namespace

GridRows ComputeGridRows(double scaleMin, double scaleMax, int32_t height, double pixelsPerUnit) {
    if (!(scaleMin < 0.0 && scaleMax > 0.0)) return EvenGrid(scaleMin, height);
    const int32_t z = TruncRow(scaleMax * pixelsPerUnit);
    // k: how many times the larger side of the scale holds the smaller one.
    double k = 0.0, smallSide = 0.0, largeSide = 0.0;
    if (z < height / 2) {
        k = z > 0 ? std::trunc((height - z) / static_cast<double>(z) + 0.5) : 5.0;
        smallSide = std::fabs(scaleMax);
        largeSide = std::fabs(scaleMin);
    } else {
        k = height - z > 0 ? std::trunc(z / static_cast<double>(height - z) + 0.5) : 5.0;
        smallSide = std::fabs(scaleMin);
        largeSide = std::fabs(scaleMax);
    }
    if (!(k >= 1.0)) return EvenGrid(scaleMin, height);
    const double step = k == 1.0 ? smallSide / 4.0 : k < 5.0 ? largeSide / k : largeSide / 5.0;
    GridRows g;
    g.HasZeroLine = true;
    g.Baseline = 0;
    g.Rows[0] = z;
    g.Count = 1;
    if (step > 0.0) AddStepRows(g, scaleMax, step, height, pixelsPerUnit);
    return g;
}

ProfilePens ProfilePensOf(const Settings& settings) {
    ProfilePens pens;
    for (int side = 0; side < 2; ++side) {
        pens.CurveColor[side] = static_cast<Color>(settings.ProfileColor[side]) & 0xFFFFFFu;
        pens.CurveWidth[side] = std::clamp<int>(settings.ProfileThickness[side], 1, 4);
    }
    return pens;
}

// ---------------------------------------------------------------- curve history

void CurveHistory::Reset(size_t capacity) {
    Ring.assign(capacity, Entry{{0, 0}, true});
    Capacity = capacity;
    Next = 0;
    Size = 0;
}

void CurveHistory::Add(const int32_t rows[2], bool newCurve) {
    if (Capacity == 0) return;
    Ring[Next] = Entry{{rows[0], rows[1]}, newCurve};
    Next = (Next + 1) % Capacity;
    Size = std::min(Size + 1, Capacity);
}

const CurveHistory::Entry& CurveHistory::FromNewest(size_t age) const {
    return Ring[(Next + Capacity - 1 - age % Capacity) % Capacity];
}

namespace {

// A new length keeps the newest rows that fit.
void ResizeHistory(CurveHistory& h, size_t capacity) {
    if (capacity == h.Capacity) return;
    const size_t kept = std::min(h.Size, capacity);
    std::vector<CurveHistory::Entry> newest;
    for (size_t age = kept; age-- > 0;) newest.push_back(h.FromNewest(age));
    h.Reset(capacity);
    for (const auto& e : newest) h.Add(e.Row, e.NewCurve);
}

}  // namespace

// ---------------------------------------------------------------- state

ProfilePaneState::ProfilePaneState() { ResetProfilePanes(*this); }

void SetProfilePaneWidths(ProfilePaneState& s, int32_t profileWidth, int32_t barPaneWidth) {
    s.ProfileWidth = profileWidth;
    s.BarPaneWidth = barPaneWidth;
    const int32_t margin = std::max(1, barPaneWidth / 10);
    s.BarWidth = std::max(1, (barPaneWidth - 3 * margin) / 2);
    s.BarLeft[0] = margin;
    s.BarLeft[1] = 2 * margin + s.BarWidth;
    s.SingleBarLeft = (barPaneWidth - s.BarWidth) / 2;
    const size_t length = profileWidth > 0 ? static_cast<size_t>(profileWidth / ProfileStepWidth) : 0;
    for (CurveHistory& h : s.History) ResizeHistory(h, length);
}

void ComputeProfileGrid(ProfilePaneState& s, const Settings& settings) {
    // Kept rows belong to the pixel scale they were drawn in.
    if (settings.ReadingsScaleMax != s.CurveScaleMax || settings.ReadingsPixelsPerUnit != s.CurvePixelsPerUnit) {
        for (CurveHistory& h : s.History) h.Reset(h.Capacity);
        s.CurveScaleMax = settings.ReadingsScaleMax;
        s.CurvePixelsPerUnit = settings.ReadingsPixelsPerUnit;
    }
    s.ProfileHeight = settings.ProfilePaneHeight;
    s.ProfileGridY = ComputeGridRows(settings.ReadingsScaleMin, settings.ReadingsScaleMax, s.ProfileHeight,
                                     settings.ReadingsPixelsPerUnit);
}

void ComputeBarGrid(ProfilePaneState& s, const Settings& settings) {
    s.BarPaneHeight = settings.DecayPaneHeight;
    s.BarGridY = ComputeGridRows(settings.ReadingsScaleMin, settings.ReadingsScaleMax, s.BarPaneHeight,
                                 settings.DecayPixelsPerUnit);
    s.BarBaseline = s.BarGridY.Baseline;
}

void RecomputeProfileScale(ProfilePaneState& state, Settings& settings) {
    settings.RecomputePixelsPerUnit();
    ComputeProfileGrid(state, settings);
    ComputeBarGrid(state, settings);
}

void ClearBarFlags(ProfilePaneState& s) {
    for (auto& row : s.BarShownY) row[0] = row[1] = -1;
    for (int32_t& drawn : s.BarsDrawn) drawn = 0;
}

void ResetProfilePanes(ProfilePaneState& s) {
    ClearBarFlags(s);
    for (int k = 0; k < MaxConsoles; ++k) {
        s.ProfileHasPoint[k][0] = s.ProfileHasPoint[k][1] = 0;
        s.History[k].Reset(s.History[k].Capacity);
    }
}

void StartNewCurves(ProfilePaneState& s, int k) {
    if (ValidConsole(k)) s.ProfileHasPoint[k][0] = s.ProfileHasPoint[k][1] = 0;
}

// ---------------------------------------------------------------- drawing

void DrawGridLines(Canvas& c, const GridRows& grid, int32_t fromX, int32_t toX) {
    for (int i = 0; i < grid.Count; ++i) {
        if (i == 0) c.SetPen(GridGrey, grid.HasZeroLine ? 2 : 1);
        if (i == 1 && grid.HasZeroLine) c.SetPen(GridGrey, 1);
        c.Line({fromX, grid.Rows[i]}, {toX, grid.Rows[i]});
    }
}

void ScrollProfile(Canvas& c, ProfilePaneState& s, const ProfilePens& pens, int k, bool twoSensors,
                   const int32_t profileY[2]) {
    if (!ValidConsole(k)) return;
    const int32_t h = s.ProfileHeight;
    const int32_t x = s.ProfileWidth - ProfileStepX;
    if (x > 1) {
        c.CopyBlock({ProfileStepWidth, 0, ProfileStepWidth + x - 1, h}, {0, 0});
        c.SetPen(PaneWhite, 1);
        for (int32_t column = x - 1; column <= x + 1; ++column) c.Line({column, 0}, {column, h});
        DrawGridLines(c, s.ProfileGridY, x - 1, x + 2);
    }
    const bool newCurve = !s.ProfileHasPoint[k][0];
    const int sides = twoSensors ? 2 : 1;
    for (int side = 0; side < sides; ++side) {
        const int32_t y = profileY[side];
        c.SetPen(pens.CurveColor[side], pens.CurveWidth[side]);
        if (s.ProfileHasPoint[k][side])
            c.Line({x - ProfileStepWidth, s.ProfilePrevY[k][side]}, {x, y});
        else
            c.Line({x, y}, {x + 1, y});  // the first point of a curve
        s.ProfilePrevY[k][side] = y;
        s.ProfileHasPoint[k][side] = 1;
    }
    const int32_t rows[2] = {profileY[0], twoSensors ? profileY[1] : 0};
    s.History[k].Add(rows, newCurve);
}

void UpdateBars(Canvas& c, ProfilePaneState& s, const ProfilePens& pens, int k, bool twoSensors,
                const int32_t barY[2]) {
    if (!ValidConsole(k)) return;
    const int32_t h = s.BarPaneHeight;
    const int32_t base = BaselineRow(s);
    if (!s.BarsDrawn[k]) {
        c.FillRect({1, 1, s.BarPaneWidth - 1, h}, PaneWhite);
        s.BarsDrawn[k] = 1;
        s.BarTopY[k][0] = s.BarTopY[k][1] = base;
    }
    const int sides = twoSensors ? 2 : 1;
    for (int side = 0; side < sides; ++side) {
        const int32_t left = BarLeftOf(s, twoSensors, side), right = left + s.BarWidth;
        // The bar covers the rows between its end and the baseline, inside the pane.
        const int32_t oldEnd = std::clamp(s.BarTopY[k][side], 0, std::max(0, h));
        const int32_t newEnd = std::clamp(barY[side], 0, std::max(0, h));
        const int32_t oldTop = std::min(oldEnd, base), oldBottom = std::max(oldEnd, base);
        const int32_t newTop = std::min(newEnd, base), newBottom = std::max(newEnd, base);
        // Erase what the old bar covers and the new one does not (across the
        // zero line that is the whole old bar), then draw what is new.
        const int32_t eraseAbove = std::min(oldBottom, newTop), eraseBelow = std::max(oldTop, newBottom);
        const int32_t drawAbove = std::min(newBottom, oldTop), drawBelow = std::max(newTop, oldBottom);
        c.SetPen(PaneWhite, 1);
        c.SetBrush(PaneWhite);
        if (oldTop < eraseAbove) c.Rectangle({left - 1, oldTop, right + 1, eraseAbove});
        if (eraseBelow < oldBottom) c.Rectangle({left - 1, eraseBelow, right + 1, oldBottom});
        c.SetPen(pens.CurveColor[side], 1);
        c.SetBrush(pens.CurveColor[side]);
        if (newTop < drawAbove) c.Rectangle({left, newTop, right, drawAbove});
        if (drawBelow < newBottom) c.Rectangle({left, drawBelow, right, newBottom});
        s.BarTopY[k][side] = barY[side];
        s.BarShownY[k][side] = std::clamp(barY[side], 0, std::max(0, h));
    }
    DrawGridLines(c, s.BarGridY, 0, s.BarPaneWidth);
}

void DrawProfileCurves(Canvas& c, const ProfilePens& pens, bool twoSensors, const Point* leftPoints,
                       const Point* rightPoints, size_t count) {
    if (count == 0) return;
    const Point* curves[2] = {leftPoints, rightPoints};
    const int sides = twoSensors ? 2 : 1;
    for (int side = 0; side < sides; ++side) {
        const Point* points = curves[side];
        if (!points) continue;
        c.SetPen(pens.CurveColor[side], pens.CurveWidth[side]);
        if (count == 1)
            c.Line(points[0], {points[0].X + 1, points[0].Y});
        else
            c.Polyline(points, count);
    }
}

// The kept rows are redrawn where the strip chart put them: the newest at
// the step column, each older one a step further left, one polyline per
// unbroken curve.
void PaintProfilePane(Canvas& c, const ProfilePaneState& s, const ProfilePens& pens, int k, bool twoSensors,
                      const std::vector<ProfileCurvePiece>* fromFile) {
    DrawGridLines(c, s.ProfileGridY, 0, s.ProfileWidth);
    if (!ValidConsole(k)) return;
    if (fromFile != nullptr) {
        for (const ProfileCurvePiece& piece : *fromFile) {
            const size_t count = twoSensors ? std::min(piece.Left.size(), piece.Right.size()) : piece.Left.size();
            DrawProfileCurves(c, pens, twoSensors, piece.Left.data(), piece.Right.data(), count);
        }
        return;
    }
    const CurveHistory& history = s.History[k];
    std::vector<Point> left, right;
    const int32_t newestX = s.ProfileWidth - ProfileStepX;
    for (size_t age = history.Size; age-- > 0;) {
        const CurveHistory::Entry& e = history.FromNewest(age);
        if (e.NewCurve && !left.empty()) {
            DrawProfileCurves(c, pens, twoSensors, left.data(), right.data(), left.size());
            left.clear();
            right.clear();
        }
        const int32_t x = newestX - static_cast<int32_t>(age) * ProfileStepWidth;
        left.push_back({x, e.Row[0]});
        right.push_back({x, e.Row[1]});
    }
    DrawProfileCurves(c, pens, twoSensors, left.data(), right.data(), left.size());
}

void PaintBarPane(Canvas& c, const ProfilePaneState& s, const ProfilePens& pens, int k, bool twoSensors) {
    if (ValidConsole(k) && s.BarsDrawn[k]) {
        const int32_t base = BaselineRow(s);
        const int sides = twoSensors ? 2 : 1;
        for (int side = 0; side < sides; ++side) {
            const int32_t shown = s.BarShownY[k][side];
            if (shown < 0) continue;
            const int32_t left = BarLeftOf(s, twoSensors, side);
            c.SetPen(pens.CurveColor[side], 1);
            c.SetBrush(pens.CurveColor[side]);
            c.Rectangle({left, std::min(shown, base), left + s.BarWidth, std::max(shown, base)});
        }
    }
    DrawGridLines(c, s.BarGridY, 0, s.BarPaneWidth);
}

}  // namespace tesselog
