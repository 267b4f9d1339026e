#include "core/qc/gap_finder.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tesselog {
namespace {

// A box over more cells than this is a jump of the position, not ground walked.
constexpr int64_t MostCellsPerBox = 4096;

double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

double Distance(GapPoint a, GapPoint b) { return std::hypot(b.X - a.X, b.Y - a.Y); }

// Crossing-number test: true when p lies inside the polygon of four corners.
bool Inside(const GapPoint q[4], GapPoint p) {
    bool inside = false;
    for (int i = 0, j = 3; i < 4; j = i++) {
        if ((q[i].Y > p.Y) != (q[j].Y > p.Y) &&
            p.X < (q[j].X - q[i].X) * (p.Y - q[i].Y) / (q[j].Y - q[i].Y) + q[i].X) {
            inside = !inside;
        }
    }
    return inside;
}

// Where the ray from o along the unit (dx, dy) meets the segment pq within
// `length`; -1 when it does not.
double Meet(GapPoint o, double dx, double dy, double length, GapPoint p, GapPoint q) {
    const double ex = q.X - p.X, ey = q.Y - p.Y;
    const double denominator = Cross(dx, dy, ex, ey);
    if (std::fabs(denominator) < 1e-12) return -1.0;
    const double wx = p.X - o.X, wy = p.Y - o.Y;
    const double t = Cross(wx, wy, ex, ey) / denominator;
    const double s = Cross(wx, wy, dx, dy) / denominator;
    return t >= 0.0 && t <= length && s >= 0.0 && s <= 1.0 ? t : -1.0;
}

void QuadOf(const GapEdge& earlier, const GapEdge& later, GapPoint q[4]) {
    q[0] = earlier.Left;
    q[1] = earlier.Right;
    q[2] = later.Right;
    q[3] = later.Left;
}

}  // namespace

void GapFinder::StartLine() {
    ++line_;
    lineHasEdge_ = false;
    path_ = 0.0;
    sides_[0] = Side();
    sides_[1] = Side();
}

int GapFinder::OpenGaps() const {
    return static_cast<int>(std::count_if(gapOpenPieces_.begin(), gapOpenPieces_.end(), [](int n) { return n > 0; }));
}

GapFinder::Cells GapFinder::CellsOf(const GapPoint* points, size_t count) const {
    double x0 = points[0].X, x1 = x0, y0 = points[0].Y, y1 = y0;
    for (size_t i = 1; i < count; ++i) {
        x0 = std::min(x0, points[i].X), x1 = std::max(x1, points[i].X);
        y0 = std::min(y0, points[i].Y), y1 = std::max(y1, points[i].Y);
    }
    auto cell = [this](double v) { return static_cast<int64_t>(std::floor(v / cell_)); };
    Cells c{cell(x0), cell(x1), cell(y0), cell(y1)};
    if ((c.X1 - c.X0 + 1) * (c.Y1 - c.Y0 + 1) > MostCellsPerBox) c.X1 = c.X0 - 1;  // none
    return c;
}

void GapFinder::Index(CellMap& cells, const GapPoint* points, size_t count, uint32_t id) {
    const Cells c = CellsOf(points, count);
    for (int64_t cx = c.X0; cx <= c.X1; ++cx) {
        for (int64_t cy = c.Y0; cy <= c.Y1; ++cy) cells[Key(cx, cy)].push_back(id);
    }
}

double GapFinder::Reach(GapPoint o, double dx, double dy, const GapLimits& limits) {
    const double length = limits.SearchWidth;
    const GapPoint ray[2] = {o, {o.X + dx * length, o.Y + dy * length}};
    const Cells c = CellsOf(ray, 2);
    ++stamp_;
    double best = -1.0;
    for (int64_t cx = c.X0; cx <= c.X1; ++cx) {
        for (int64_t cy = c.Y0; cy <= c.Y1; ++cy) {
            auto found = coverage_.find(Key(cx, cy));
            if (found == coverage_.end()) continue;
            for (uint32_t id : found->second) {
                if (seen_[id] == stamp_) continue;
                seen_[id] = stamp_;
                const Stored& later = edges_[id];
                if (later.Line == line_ && path_ - later.Path < limits.SelfPathLength) continue;
                GapPoint q[4];
                QuadOf(edges_[id - 1].Edge, later.Edge, q);
                if (Inside(q, o)) return 0.0;
                // Only the swath's sides along the track face another line:
                // its edges across the track are its start, its end or inside it.
                for (const auto& side : {std::make_pair(q[1], q[2]), std::make_pair(q[3], q[0])}) {
                    const double t = Meet(o, dx, dy, length, side.first, side.second);
                    if (t >= 0.0 && (best < 0.0 || t < best)) best = t;
                }
            }
        }
    }
    return best;
}

// Whether some swath walked so far, of any line, covers the point.
bool GapFinder::Covers(GapPoint p) {
    const Cells c = CellsOf(&p, 1);
    auto found = coverage_.find(Key(c.X0, c.Y0));
    if (found == coverage_.end()) return false;
    for (uint32_t id : found->second) {
        GapPoint q[4];
        QuadOf(edges_[id - 1].Edge, edges_[id].Edge, q);
        if (Inside(q, p)) return true;
    }
    return false;
}

bool GapFinder::InFoundGap(GapPoint p, int ownGap) const {
    const Cells c = CellsOf(&p, 1);
    auto found = pieceCells_.find(Key(c.X0, c.Y0));
    if (found == pieceCells_.end()) return false;
    for (uint32_t id : found->second) {
        if (pieces_[id].Gap != ownGap && Inside(pieces_[id].Corner, p)) return true;
    }
    return false;
}

bool GapFinder::UncoveredStretch(GapPoint& near, GapPoint& far, int ownGap, const GapLimits& limits) {
    const double length = Distance(near, far);
    const double step = limits.GapWidth / 4.0;
    if (!(step > 0.0) || !(length > step)) return true;
    const double dx = (far.X - near.X) / length, dy = (far.Y - near.Y) / length;
    const int probes = static_cast<int>(std::min(std::ceil(length / step), 4096.0)) - 1;  // inside the span
    int runStart = -1;
    for (int i = 1; i <= probes + 1; ++i) {
        const GapPoint probe{near.X + dx * step * i, near.Y + dy * step * i};
        const bool open = i <= probes && !Covers(probe) && !InFoundGap(probe, ownGap);
        if (open && runStart < 0) runStart = i;
        if (open || runStart < 0) continue;
        // A run of open probes from runStart to i - 1: all of them, the whole
        // span; else as long as its probes reach.
        if (runStart == 1 && i == probes + 1) return true;
        if ((i - runStart) * step >= limits.GapWidth) {
            const GapPoint start = near;
            if (runStart > 1) near = {start.X + dx * step * (runStart - 1), start.Y + dy * step * (runStart - 1)};
            if (i <= probes) far = {start.X + dx * step * i, start.Y + dy * step * i};
            return true;
        }
        runStart = -1;
    }
    return false;
}

void GapFinder::Extend(Side& side, GapPoint origin, GapPoint far, bool gap, const GapLimits& limits) {
    // A ray that passed over swaths it could not count yet (the lines just
    // walked, when a walk goes on through its turns without "&Go") and met
    // the one beyond: only open ground between them is a gap, and only that
    // much of the ray is one. Ground of a gap found before is no new one.
    if (gap) gap = UncoveredStretch(origin, far, side.Gap, limits);
    if (!gap) {
        // A single ray that slips past a ragged edge does not end a gap; no
        // gap over one gap width of path does (and drops a gap shorter than
        // its least length).
        if (!side.InGap || path_ - side.LastPath >= limits.GapWidth) side = Side();
        return;
    }
    side.LastPath = path_;
    if (side.InGap) {
        GapQuad piece;
        piece.Corner[0] = side.Near;
        piece.Corner[1] = side.Far;
        piece.Corner[2] = far;
        piece.Corner[3] = origin;
        side.Pending.push_back(piece);
        const double least = limits.LeastLength > 0.0 ? limits.LeastLength : limits.GapWidth;
        if (side.Gap < 0 && path_ - side.StartPath >= least) {
            side.Gap = static_cast<int>(gapOpenPieces_.size());
            gapOpenPieces_.push_back(0);
        }
        if (side.Gap >= 0) {
            for (GapQuad& p : side.Pending) {
                p.Gap = side.Gap;
                Index(pieceCells_, p.Corner, 4, static_cast<uint32_t>(pieces_.size()));
                pieces_.push_back(p);
                covered_.push_back(false);
                ++gapOpenPieces_[static_cast<size_t>(p.Gap)];
                added_.push_back(p);
            }
            side.Pending.clear();
        }
    }
    if (!side.InGap) side.StartPath = path_;
    side.InGap = true;
    side.Near = origin;
    side.Far = far;
}

void GapFinder::CoverPieces(const GapPoint quad[4]) {
    const Cells c = CellsOf(quad, 4);
    for (int64_t cx = c.X0; cx <= c.X1; ++cx) {
        for (int64_t cy = c.Y0; cy <= c.Y1; ++cy) {
            auto found = pieceCells_.find(Key(cx, cy));
            if (found == pieceCells_.end()) continue;
            for (uint32_t id : found->second) {
                if (covered_[id]) continue;
                const GapQuad& p = pieces_[id];
                GapPoint centre{(p.Corner[0].X + p.Corner[1].X + p.Corner[2].X + p.Corner[3].X) / 4.0,
                                (p.Corner[0].Y + p.Corner[1].Y + p.Corner[2].Y + p.Corner[3].Y) / 4.0};
                if (!Inside(quad, centre)) continue;
                covered_[id] = true;
                --gapOpenPieces_[static_cast<size_t>(p.Gap)];
            }
        }
    }
}

void GapFinder::AddCoverage(const GapLimits& limits) {
    const uint32_t id = static_cast<uint32_t>(edges_.size() - 1);
    const GapEdge& earlier = edges_[id - 1].Edge;
    const GapEdge& later = edges_[id].Edge;
    GapPoint q[4];
    QuadOf(earlier, later, q);
    const double step = std::max(Distance(earlier.Left, later.Left), Distance(earlier.Right, later.Right));
    if (!(step <= 4.0 * limits.SearchWidth)) return;  // a jump of the position: nothing walked
    Index(coverage_, q, 4, id);
    CoverPieces(q);
}

// The edge straightened: an edge follows the last step between two fixes,
// and a centimetre of GPS jitter in a 10 cm step turns it far enough to swing
// its ends a metre along the track and pull them inwards. The array's
// reference point on the edge (NearShare of the way from its left end) only
// jitters as the antenna does, so the line's path is measured there, and the
// edge is laid out again across the direction of travel over the last
// DirectionPath, at its own width.
GapEdge GapFinder::Straighten(const GapEdge& edge, GapPoint reference, double width, const GapLimits& limits) {
    const double share = limits.NearShare;
    if (!lineHasEdge_) middles_.clear();
    if (lineHasEdge_) path_ += Distance(middles_.back().P, reference);
    middles_.push_back({reference, path_});
    while (middles_.size() > 2 && path_ - middles_[1].Path >= limits.DirectionPath) middles_.pop_front();

    double ux = (edge.Right.X - edge.Left.X) / width, uy = (edge.Right.Y - edge.Left.Y) / width;
    const GapPoint& back = middles_.front().P;
    const double travelled = Distance(back, reference);
    if (travelled >= limits.DirectionPath / 4.0) {  // else too little of the line yet: the edge's own
        // Across = the direction of travel turned by a right angle, towards the edge's right end.
        double ax = (reference.Y - back.Y) / travelled, ay = -(reference.X - back.X) / travelled;
        if (ax * ux + ay * uy < 0.0) ax = -ax, ay = -ay;
        ux = ax;
        uy = ay;
    }
    return {{reference.X - share * width * ux, reference.Y - share * width * uy},
            {reference.X + (1.0 - share) * width * ux, reference.Y + (1.0 - share) * width * uy}};
}

const std::vector<GapQuad>& GapFinder::AddEdge(const GapEdge& painted, const GapLimits& limits) {
    added_.clear();
    const double paintedWidth = Distance(painted.Left, painted.Right);
    if (!(paintedWidth > 0.0) || !std::isfinite(paintedWidth) || !(limits.SearchWidth > 0.0)) return added_;
    // Each end moved along the edge to the ground its outer sensor surveys.
    const double grow = limits.EdgeWidening / paintedWidth;
    const double ex = (painted.Right.X - painted.Left.X) * grow, ey = (painted.Right.Y - painted.Left.Y) * grow;
    const GapEdge given{{painted.Left.X - ex, painted.Left.Y - ey}, {painted.Right.X + ex, painted.Right.Y + ey}};
    const double width = Distance(given.Left, given.Right);
    if (!(width > 0.0) || !std::isfinite(width)) return added_;
    // Cells an eighth of the search wide: a ray crosses about nine of them
    // and meets only the swath near it.
    if (cell_ == 0.0) cell_ = limits.SearchWidth / 8.0;
    const GapPoint reference{given.Left.X + limits.NearShare * (given.Right.X - given.Left.X),
                             given.Left.Y + limits.NearShare * (given.Right.Y - given.Left.Y)};
    // An edge closer than MinStep to the last one taken adds nothing a gap
    // could be seen in; leaving it out keeps a day of 20 Hz fixes in a few
    // megabytes.
    if (lineHasEdge_ && Distance(middles_.back().P, reference) < limits.MinStep) return added_;
    const GapEdge edge = Straighten(given, reference, width, limits);
    const double ux = (edge.Right.X - edge.Left.X) / width, uy = (edge.Right.Y - edge.Left.Y) / width;
    const double right = Reach(edge.Right, ux, uy, limits);
    const double left = Reach(edge.Left, -ux, -uy, limits);
    Extend(sides_[0], edge.Right, {edge.Right.X + ux * right, edge.Right.Y + uy * right},
           right > limits.GapWidth, limits);
    Extend(sides_[1], edge.Left, {edge.Left.X - ux * left, edge.Left.Y - uy * left}, left > limits.GapWidth,
           limits);

    edges_.push_back({edge, line_, path_});
    seen_.push_back(0);
    if (lineHasEdge_) AddCoverage(limits);
    lineHasEdge_ = true;
    return added_;
}

}  // namespace tesselog
