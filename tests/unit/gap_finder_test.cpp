#include <gtest/gtest.h>

#include <cmath>

#include "core/common/length_units.h"
#include "core/qc/gap_finder.h"
#include "core/qc/qc_settings.h"

using namespace tesselog;

namespace {

// Gaps wider than 1 unit, looked for 12 units beyond the swath.
const GapLimits Limits{1.0, 12.0, 36.0};

// A line walked north (y0 < y1) or south at easting `centre`, an edge every
// 0.5 units, the swath 3 units to either side. Walking north the left end is
// to the west, walking south to the east. Returns the gap pieces it added.
int Walk(GapFinder& finder, double centre, double y0, double y1, const GapLimits& limits = Limits) {
    const double step = y1 > y0 ? 0.5 : -0.5;
    const double side = y1 > y0 ? 3.0 : -3.0;
    int pieces = 0;
    for (double y = y0; step > 0 ? y <= y1 + 1e-9 : y >= y1 - 1e-9; y += step) {
        pieces += static_cast<int>(finder.AddEdge({{centre - side, y}, {centre + side, y}}, limits).size());
    }
    return pieces;
}

}  // namespace

TEST(GapFinder, FacingEdgesFartherApartThanOneSeparation) {
    // Line 1 north at easting 0 (swath -3..3), line 2 south at 6 + gap
    // (swath 3 + gap .. 9 + gap): their facing edges are `gap` apart.
    const struct {
        double Gap;
        int Gaps;
        int Pieces;
    } cases[] = {
        {-1.0, 0, 0},  // overlapping
        {0.0, 0, 0},   // touching
        {0.9, 0, 0},   // within one separation
        {1.5, 1, 60},  // 61 edges along 30 units: 60 pieces, one gap
        {13.0, 0, 0},  // nothing within 12 units: the edge of the survey
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Gap);
        GapFinder finder;
        Walk(finder, 0.0, 0.0, 30.0);
        finder.StartLine();
        EXPECT_EQ(Walk(finder, 6.0 + c.Gap, 30.0, 0.0), c.Pieces);
        EXPECT_EQ(finder.GapsFound(), c.Gaps);
        EXPECT_EQ(finder.OpenGaps(), c.Gaps);
    }

    // The first piece spans from line 2's edge at easting 4.5 to line 1's at 3.
    GapFinder finder;
    Walk(finder, 0.0, 0.0, 30.0);
    finder.StartLine();
    Walk(finder, 7.5, 30.0, 0.0);
    const GapQuad& first = finder.Pieces().front();
    EXPECT_DOUBLE_EQ(first.Corner[0].X, 4.5);
    EXPECT_DOUBLE_EQ(first.Corner[0].Y, 30.0);
    EXPECT_DOUBLE_EQ(first.Corner[1].X, 3.0);
    EXPECT_DOUBLE_EQ(first.Corner[2].X, 3.0);
    EXPECT_DOUBLE_EQ(first.Corner[2].Y, 29.5);
    EXPECT_DOUBLE_EQ(first.Corner[3].X, 4.5);
}

TEST(GapFinder, DistinctGapsAndTheInfillThatClosesThem) {
    // Line 1 recorded in two parts (0..10 and 20..30), line 2 1.5 units too
    // far: a gap beside each part, none between them (nothing faces there).
    GapFinder finder;
    Walk(finder, 0.0, 0.0, 10.0);
    finder.StartLine();
    Walk(finder, 0.0, 20.0, 30.0);
    finder.StartLine();
    EXPECT_EQ(Walk(finder, 7.5, 30.0, 0.0), 40);
    EXPECT_EQ(finder.GapsFound(), 2);
    EXPECT_EQ(finder.Pieces().front().Gap, 0);
    EXPECT_EQ(finder.Pieces().back().Gap, 1);

    // An infill line over the gap (swath 0.75..6.75) covers every piece.
    finder.StartLine();
    EXPECT_EQ(Walk(finder, 3.75, 0.0, 30.0), 0);
    EXPECT_EQ(finder.GapsFound(), 2);
    EXPECT_EQ(finder.OpenGaps(), 0);
    EXPECT_TRUE(finder.Covered(0));

    // A gap shorter than it is wide (one piece of 0.5) is no gap.
    GapFinder shortGap;
    Walk(shortGap, 0.0, 0.0, 0.5);
    shortGap.StartLine();
    EXPECT_EQ(Walk(shortGap, 7.5, 0.5, 0.0), 0);
    EXPECT_EQ(shortGap.GapsFound(), 0);
}

TEST(GapFinder, ALineRecordedOnThroughItsTurnStillFindsTheLineBefore) {
    // North at 0, east along the top to 7.5, south at 7.5, all one line:
    // the first line's edges count once they lie 36 units behind on the path.
    GapFinder finder;
    Walk(finder, 0.0, 0.0, 30.0);
    for (double x = 0.5; x <= 7.0; x += 0.5) finder.AddEdge({{x, 33.0}, {x, 27.0}}, Limits);
    Walk(finder, 7.5, 30.0, 0.0);
    EXPECT_EQ(finder.GapsFound(), 1);
}

TEST(GapFinder, LinesWalkedOnThroughTheirTurnsSideBySideHaveNoGap) {
    // Lines of 12 units, 6 apart as the swath is wide, all one line: north at
    // 0, south at 6, north at 12, turning along the ends. The line just
    // walked is still too near on the path to count, and the ray from the
    // third line passes over it to the first: covered ground, not a gap.
    GapFinder finder;
    Walk(finder, 0.0, 0.0, 12.0);
    for (double x = 0.5; x <= 5.5; x += 0.5) finder.AddEdge({{x, 15.0}, {x, 9.0}}, Limits);
    Walk(finder, 6.0, 12.0, 0.0);
    for (double x = 6.5; x <= 11.5; x += 0.5) finder.AddEdge({{x, -3.0}, {x, 3.0}}, Limits);
    Walk(finder, 12.0, 0.0, 12.0);
    EXPECT_EQ(finder.GapsFound(), 0);
}

TEST(GapFinder, ARayOverLinesJustWalkedCountsOnlyOpenGround) {
    // Four lines north and south in turn, all one line, turning along the
    // ends; the last 40 units of path cannot count yet.
    const GapLimits limits{1.0, 18.0, 40.0};
    auto walkFour = [&](GapFinder& finder, const double centres[4], double length) {
        for (int i = 0; i < 4; ++i) {
            const bool north = i % 2 == 0;
            Walk(finder, centres[i], north ? 0.0 : length, north ? length : 0.0, limits);
            if (i == 3) break;
            const double y = north ? length : 0.0, along = north ? 3.0 : -3.0;
            for (double x = centres[i] + 0.5; x < centres[i + 1] - 0.25; x += 0.5) {
                finder.AddEdge({{x, y + along}, {x, y - along}}, limits);
            }
        }
    };

    // Lines of 12 side by side with 0.02 between the swaths, as GPS jitter
    // leaves them: the fourth line's rays pass over the two lines before it
    // to the first, and the middle of that span falls on the seam between
    // them, which is no gap.
    GapFinder seams;
    const double touching[4] = {0.0, 6.02, 12.04, 18.06};
    walkFour(seams, touching, 12.0);
    EXPECT_EQ(seams.GapsFound(), 0);

    // Lines of 24, the third 1.5 units too far from the second. The third
    // line's rays pass over the second to the first: one gap, hatched between
    // the second line's swath (to 9) and the third's (from 10.5), to within
    // two of the probes a quarter of a gap width apart, and not counted again
    // from the fourth line, whose rays pass over the third.
    GapFinder wide;
    const double apart[4] = {0.0, 6.0, 13.5, 19.5};
    walkFour(wide, apart, 24.0);
    EXPECT_EQ(wide.GapsFound(), 1);
    int alongTheLines = 0;
    for (const GapQuad& piece : wide.Pieces()) {
        for (const GapPoint& corner : piece.Corner) {
            if (corner.Y < 0.0 || corner.Y > 24.0) continue;  // the turn's rays cut across
            ++alongTheLines;
            EXPECT_GE(corner.X, 8.5);
            EXPECT_LE(corner.X, 10.5);
        }
    }
    EXPECT_GT(alongTheLines, 100);
}

namespace {

// Lines of 30 m walked north one after another, each with its own "&Go", by
// an array of `consoles` two-sensor consoles (1 m between all sensors) with
// the antenna on the first sensor: the swath painted as the map paints it,
// an edge every 10 cm. The second line lies the array's width and one
// interval, plus `extra` metres, to the right of the first.
GapFinder WalkTwoLines(int consoles, int32_t units, double extra) {
    Settings s;
    s.ConsoleCount = consoles;
    for (int32_t& type : s.ConsoleType) type = 1;
    s.UnitSensorSeparation = s.ConsoleSeparation = 1.0;
    s.DisplayUnits = units;
    s.GpsOffsetX = 0.0;
    s.RecomputeAll();
    const GapLimits limits = GapLimitsOf(QcSettings(), s);
    const double perMetre = 1.0 / DisplayUnitFactor(units);
    GapFinder finder;
    for (double antenna : {0.0, 2.0 * consoles + extra}) {
        finder.StartLine();
        for (int i = 0; i <= 300; ++i) {
            const double x = antenna * perMetre, y = i * 0.1 * perMetre;
            finder.AddEdge({{x - s.SwathEdgeNear, y}, {x + s.SwathEdgeFar, y}}, limits);
        }
    }
    return finder;
}

double PieceWidth(const GapQuad& q) { return std::hypot(q.Corner[1].X - q.Corner[0].X, q.Corner[1].Y - q.Corner[0].Y); }

}  // namespace

TEST(GapFinder, HalfAnIntervalOfOpenGroundIsAGapForAnyArrayInAnyUnit) {
    // Sensor paths 1.5 intervals apart across the seam leave half an
    // interval unsurveyed: no gap up to it, a gap beyond it; a missed
    // traverse (two intervals) leaves a whole interval, 1 m or 3.2808 ft.
    const struct {
        double Extra;
        int Gaps;
    } seams[] = {{-0.2, 0}, {0.0, 0}, {0.4, 0}, {0.6, 1}, {1.0, 1}};
    for (int consoles : {1, 3, 9}) {
        for (int32_t units : {0, 1}) {
            for (const auto& seam : seams) {
                SCOPED_TRACE(testing::Message() << consoles << " consoles, units " << units << ", " << seam.Extra);
                const GapFinder finder = WalkTwoLines(consoles, units, seam.Extra);
                EXPECT_EQ(finder.GapsFound(), seam.Gaps);
                if (seam.Extra != 1.0 || finder.Pieces().empty()) continue;
                EXPECT_NEAR(PieceWidth(finder.Pieces()[finder.Pieces().size() / 2]), units == 0 ? 1.0 : 3.2808, 1e-3);
            }
        }
    }
}
