#include "tools/sim/walker.h"

#include <algorithm>
#include <cmath>

namespace tesselog::sim {

Walker::Walker(const SurveyArea& area, double speed)
{
    double t = 0.0;
    auto add = [&](double u0, double v0, double u1, double v1, int line, bool on_line) {
        const double length = std::hypot(u1 - u0, v1 - v0);
        if (length <= 0.0) {
            return;
        }
        segments_.push_back({u0, v0, u1, v1, t, t + length / speed, line, on_line, (u1 - u0) / length,
                             (v1 - v0) / length});
        t += length / speed;
    };
    auto stand = [&](double seconds) {
        Segment still = segments_.back();
        still.U0 = still.U1;
        still.V0 = still.V1;
        still.Start = t;
        still.End = t += seconds;
        segments_.push_back(still);
    };
    const double length = area.LineLength;
    for (int line = 0; line < area.Lines; ++line) {
        const double v = line * area.LineSpacing + area.Extra(line);
        const bool backwards = area.Alternate && line % 2 == 1;
        const double from = backwards ? length : 0.0;
        const double to = backwards ? 0.0 : length;
        // Leg by leg from mark to mark, standing at each.
        const double way = backwards ? -1.0 : 1.0;
        double at = 0.0;
        while (area.MarkEvery > 0.0 && area.StandSeconds > 0.0 && at + area.MarkEvery <= length + 1e-9) {
            add(from + way * at, v, from + way * (at + area.MarkEvery), v, line, true);
            at += area.MarkEvery;
            stand(area.StandSeconds);
        }
        add(from + way * at, v, to, v, line, true);
        if (line + 1 < area.Lines) {
            const double next_start = area.Alternate ? to : 0.0;
            add(to, v, next_start, v + area.LineSpacing + (area.Extra(line + 1) - area.Extra(line)), line, false);
        }
    }
}

double Walker::TotalSeconds() const { return segments_.empty() ? 0.0 : segments_.back().End; }

WalkerState Walker::At(double seconds) const
{
    WalkerState state;
    if (segments_.empty()) {
        state.Finished = true;
        return state;
    }
    // First segment that ends after `seconds`.
    auto it = std::upper_bound(segments_.begin(), segments_.end(), seconds,
                               [](double s, const Segment& seg) { return s < seg.End; });
    const bool finished = it == segments_.end();
    const Segment& seg = finished ? segments_.back() : *it;
    state.DirU = seg.DirU;
    state.DirV = seg.DirV;
    state.Line = seg.Line;
    if (finished) {
        state.U = seg.U1;
        state.V = seg.V1;
        state.OnLine = false;
        state.Finished = true;
        return state;
    }
    const double f = std::clamp((seconds - seg.Start) / (seg.End - seg.Start), 0.0, 1.0);
    state.U = seg.U0 + f * (seg.U1 - seg.U0);
    state.V = seg.V0 + f * (seg.V1 - seg.V0);
    state.OnLine = seg.OnLine;
    return state;
}

}  // namespace tesselog::sim

namespace tesselog::sim {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180.0;
}  // namespace

void SurveyToGeodetic(const SurveyOrigin& origin, double u, double v, double& latitude, double& longitude)
{
    const double a = 6378137.0;
    const double e2 = 0.00669437999014;
    const double s = std::sin(origin.Latitude * kDegree);
    const double w = 1.0 - e2 * s * s;
    const double meridian = a * (1.0 - e2) / (w * std::sqrt(w));
    const double normal = a / std::sqrt(w);
    const double b = origin.Bearing * kDegree;
    // Along the lines (sin b, cos b) in (east, north); across, to their right, (cos b, -sin b).
    const double east = u * std::sin(b) + v * std::cos(b);
    const double north = u * std::cos(b) - v * std::sin(b);
    latitude = origin.Latitude + north / meridian / kDegree;
    longitude = origin.Longitude + east / (normal * std::cos(origin.Latitude * kDegree)) / kDegree;
}

void NorthInSurvey(const SurveyOrigin& origin, double& north_u, double& north_v)
{
    north_u = std::cos(origin.Bearing * kDegree);
    north_v = -std::sin(origin.Bearing * kDegree);
}

}  // namespace tesselog::sim
