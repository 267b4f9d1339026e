// The operator walking the survey: lines of `LineLength` metres along u,
// `LineSpacing` metres apart across v, line 1 at v = 0. Alternate (zig-zag)
// surveys walk every other line backwards and step across at the line end;
// one-way surveys walk every line from u = 0 and return diagonally to the
// next line's start. After the last line the walker stands still at its end.
// With marks, the walker stands a while at every mark along a line.
// Every position lies inside [0, LineLength] x [0, (Lines-1) x LineSpacing],
// widened by WideGap when one pair of lines lies further apart (the lines
// from line WideGapAfter + 1 on move over by it).
#pragma once

#include <algorithm>
#include <vector>

namespace tesselog::sim {

struct SurveyArea {
    double LineLength = 30.0;
    double LineSpacing = 1.0;
    int Lines = 20;
    bool Alternate = true;
    int WideGapAfter = 0;  // 1-based line after which the spacing is wider; 0: none
    double WideGap = 0.0;  // metres added to that one spacing
    // The operator stands StandSeconds at every MarkEvery metres along a
    // line (its end included): the tape marks where the station is set.
    double MarkEvery = 0.0;
    double StandSeconds = 0.0;
    // A site walked in several files: this file walks the site's lines from
    // FirstLine (1-based) on; the buried features lie over all SiteLines
    // (0: this file's lines only).
    int FirstLine = 1;
    int SiteLines = 0;

    // The planned area, without a wide gap (the field's features lie in it).
    double Width() const { return (Lines - 1) * LineSpacing; }
    // The features' area across: the site's when the file walks part of one.
    double SiteWidth() const { return (std::max(SiteLines, Lines) - 1) * LineSpacing; }
    // How far across the site this file's line 1 lies.
    double FirstLineAcross() const { return (FirstLine - 1) * LineSpacing; }
    // What the wide gap adds to line `line` (0-based): WideGap from the line after it.
    double Extra(int line) const { return WideGapAfter > 0 && line >= WideGapAfter ? WideGap : 0.0; }
};

struct WalkerState {
    double U = 0.0;
    double V = 0.0;
    double DirU = 1.0;  // unit direction of travel (the last one once finished)
    double DirV = 0.0;
    int Line = 0;         // 0-based line being walked or, between lines, the one just finished
    bool OnLine = true;   // false while turning or returning, and after the end
    bool Finished = false;
};

class Walker {
public:
    Walker(const SurveyArea& area, double speed);

    WalkerState At(double seconds) const;
    double TotalSeconds() const;

private:
    struct Segment {
        double U0, V0, U1, V1;
        double Start, End;  // seconds
        int Line;
        bool OnLine;
        double DirU, DirV;  // the way the walker faces (standing: the way it came)
    };
    std::vector<Segment> segments_;
};

}  // namespace tesselog::sim

namespace tesselog::sim {

// Where the survey lies on the earth: line 1 starts at the origin, the lines
// run on `Bearing` degrees clockwise from north and the next lines lie to
// their right.
struct SurveyOrigin {
    double Latitude = 51.75;
    double Longitude = -1.25;
    double Bearing = 0.0;
};

// Survey metres to WGS84 degrees, with the ellipsoid's radii of curvature at
// the origin: within a few millimetres over a field of a few hundred metres.
void SurveyToGeodetic(const SurveyOrigin& origin, double u, double v, double& latitude, double& longitude);

// Unit vector of north in survey coordinates (for dipole lobes).
void NorthInSurvey(const SurveyOrigin& origin, double& north_u, double& north_v);

}  // namespace tesselog::sim
