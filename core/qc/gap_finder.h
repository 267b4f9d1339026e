// Gaps between survey lines. Every swath edge of the current line (the
// array's edge across the track at a fix, its left and right end in map
// units, first widened to the ground the outer sensors survey: half a
// traverse interval beyond their paths) is held against the swaths of
// earlier lines nearby: from each end a ray goes outwards along the edge,
// and the first earlier swath it meets is the facing edge. When that lies
// farther than the gap width (by default half a traverse interval) and
// within the search width, the ground between is a gap: a strip bounded by
// swaths on both sides, so the outer edge of the survey never is one.
// Consecutive gap edges on one side make one gap, painted as the
// quadrilaterals between them; a gap counts once it is LeastLength long, so
// the wedge a turn leaves between a line's end and the next line does not
// count as one, and ends after one gap width without a gap, so a ray
// slipping past a ragged edge does not cut it in two. Each edge is first straightened across the direction of travel
// over the last DirectionPath (see Straighten), which GPS jitter turns far
// less than a single step. Ground covered by a later line (an infill) closes
// the gap again.
//
// A line is what lies between two calls of StartLine (each "&Go"). Edges of
// the current line count as earlier ones once they lie SelfPathLength behind
// along the walked path, so a line recorded on through its turn still finds
// the line before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

namespace tesselog {

struct GapPoint {
    double X = 0.0;  // easting, map units
    double Y = 0.0;  // northing
};

struct GapEdge {
    GapPoint Left;
    GapPoint Right;
};

// One piece of a gap to paint: four corners in order around it.
struct GapQuad {
    GapPoint Corner[4];
    int Gap = 0;  // the gap it belongs to, 0, 1, 2 ... in order of finding
};

struct GapLimits {
    double GapWidth = 1.0;         // map units
    double SearchWidth = 12.0;     // map units beyond the swath's ends
    double SelfPathLength = 36.0;  // map units
    double DirectionPath = 2.0;    // map units of path that give the direction of travel
    double NearShare = 0.5;        // where the array's reference point lies on an edge, from its left end
    double MinStep = 0.25;         // map units between the edges taken
    // Map units added to each end of every edge: the ground the outer sensors
    // survey less the painted swath's margin (negative: the swath reaches
    // further than the sensors' ground).
    double EdgeWidening = 0.0;
    // Map units of a line's path along which a gap must run before it counts;
    // 0 takes the gap width.
    double LeastLength = 0.0;
};

class GapFinder {
public:
    void Reset() { *this = GapFinder(); }
    // The edges that follow belong to a new line.
    void StartLine();
    // A new edge of the current line; returns the gap pieces it confirms
    // (usually none, one or two; the first of a gap brings its whole start).
    const std::vector<GapQuad>& AddEdge(const GapEdge& edge, const GapLimits& limits);

    int GapsFound() const { return static_cast<int>(gapOpenPieces_.size()); }
    int OpenGaps() const;  // found and not yet covered by a later line
    // Every piece of every gap found, and whether a later line covered it.
    const std::vector<GapQuad>& Pieces() const { return pieces_; }
    bool Covered(size_t piece) const { return covered_[piece]; }

private:
    struct Stored {
        GapEdge Edge;
        int Line;
        double Path;  // along the line's walked path, map units
    };
    struct Side {
        bool InGap = false;
        GapPoint Near, Far;
        double StartPath = 0.0;       // the line's path at its first gap edge
        double LastPath = 0.0;        // and at its last
        int Gap = -1;                 // its number once counted
        std::vector<GapQuad> Pending; // pieces waiting until the gap is long enough
    };
    using CellMap = std::unordered_map<int64_t, std::vector<uint32_t>>;

    struct Middle {
        GapPoint P;
        double Path;
    };
    double Reach(GapPoint origin, double dx, double dy, const GapLimits& limits);
    GapEdge Straighten(const GapEdge& edge, GapPoint reference, double width, const GapLimits& limits);
    void Extend(Side& side, GapPoint origin, GapPoint far, bool gap, const GapLimits& limits);
    void AddCoverage(const GapLimits& limits);
    bool Covers(GapPoint p);
    // Whether p lies in a piece of a gap found before, other than ownGap.
    bool InFoundGap(GapPoint p, int ownGap) const;
    // Along the ray from near to far, the first stretch at least one gap width
    // long that neither a swath nor another gap covers, probed every quarter
    // of a gap width: near and far become its ends. False when there is none.
    bool UncoveredStretch(GapPoint& near, GapPoint& far, int ownGap, const GapLimits& limits);
    void CoverPieces(const GapPoint quad[4]);
    // The cells a box of points touches (none when there are too many: a jump).
    struct Cells {
        int64_t X0, X1, Y0, Y1;
    };
    Cells CellsOf(const GapPoint* points, size_t count) const;
    void Index(CellMap& cells, const GapPoint* points, size_t count, uint32_t id);
    int64_t Key(int64_t cx, int64_t cy) const { return cx * 4194304 + cy; }

    std::vector<Stored> edges_;
    CellMap coverage_;  // quads between consecutive edges of a line, by the index of their later edge
    CellMap pieceCells_;
    std::vector<uint32_t> seen_;
    uint32_t stamp_ = 0;
    double cell_ = 0.0;
    int line_ = 0;
    bool lineHasEdge_ = false;
    double path_ = 0.0;
    std::deque<Middle> middles_;  // the current line's reference points over the last DirectionPath
    Side sides_[2];  // 0 beyond the right end, 1 beyond the left end
    std::vector<GapQuad> pieces_;
    std::vector<bool> covered_;
    std::vector<int> gapOpenPieces_;  // per gap: pieces not yet covered
    std::vector<GapQuad> added_;
};

}  // namespace tesselog
