#include "core/export/traverses.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>

namespace tesselog {

namespace {

constexpr double ShortestTurnMetres = 1.0;
constexpr double TurnShareOfExtent = 0.1;

SwathPoint Centre(const SwathEdge& e) { return {(e.Left.X + e.Right.X) / 2, (e.Left.Y + e.Right.Y) / 2}; }

}  // namespace

LineKeys KeyLines(const std::vector<SurveyLine>& lines) {
    LineKeys keys;
    std::map<std::pair<int32_t, std::string>, int32_t> seen;
    for (const SurveyLine& line : lines) {
        keys.OfBlock.push_back(seen.emplace(std::make_pair(line.Session, line.Name), keys.Count).first->second);
        keys.Count = static_cast<int32_t>(seen.size());
    }
    return keys;
}

Traverses::Traverses(const std::vector<TimedEdge>& timeline, const std::vector<SurveyLine>& lines,
                     double unitsPerMetre)
    : keys_(KeyLines(lines)), counts_(size_t(keys_.Count), 0), traverse_(timeline.size(), 0),
      offset_(timeline.size(), 0) {
    std::vector<std::vector<size_t>> paths(size_t(keys_.Count));
    for (size_t i = 0; i < timeline.size(); ++i) {
        const TimedEdge& e = timeline[i];
        if (i == 0 || e.Run != timeline[i - 1].Run) {
            runs_.push_back(e.Run);
            runBegin_.push_back(i);
            runTick_.push_back(e.Tick);
        }
        // Ticks that go back keep their place in the row: the search needs an order.
        offset_[i] = static_cast<int32_t>(e.Tick - runTick_.back());
        if (i > runBegin_.back()) offset_[i] = std::max(offset_[i], offset_[i - 1]);
        if (e.Line >= 0 && size_t(e.Line) < keys_.OfBlock.size()) paths[size_t(keys_.OfBlock[size_t(e.Line)])].push_back(i);
    }
    runBegin_.push_back(timeline.size());
    for (int32_t key = 0; key < keys_.Count; ++key) {
        Split(paths[size_t(key)], timeline, unitsPerMetre);
        counts_[size_t(key)] = paths[size_t(key)].empty() ? 0 : traverse_[paths[size_t(key)].back()] + 1;
    }
}

namespace {

// The path's place along its axis: the mean of its steps' directions taken
// as axes (each angle doubled, weighted by the step's length). Empty for a
// path that does not move.
std::vector<double> AlongAxis(const std::vector<size_t>& path, const std::vector<TimedEdge>& timeline) {
    std::vector<SwathPoint> centres;
    centres.reserve(path.size());
    for (size_t i : path) centres.push_back(Centre(timeline[i].Edge));
    double a = 0.0, b = 0.0;
    for (size_t i = 1; i < centres.size(); ++i) {
        const double dx = centres[i].X - centres[i - 1].X, dy = centres[i].Y - centres[i - 1].Y;
        const double length = std::hypot(dx, dy);
        if (length > 0.0) {
            a += (dx * dx - dy * dy) / length;
            b += 2 * dx * dy / length;
        }
    }
    std::vector<double> along;
    if (a == 0.0 && b == 0.0) return along;
    const double angle = std::atan2(b, a) / 2;
    const double ux = std::cos(angle), uy = std::sin(angle);
    for (const SwathPoint& c : centres) along.push_back(c.X * ux + c.Y * uy);
    return along;
}

// Where the traverse that turns at `i` ends: back from i while the path came
// back on every step or was still more than half the turn from the far end,
// so that standing at the end belongs to the way it came.
size_t TraverseEnd(const std::vector<double>& along, size_t farthest, size_t i, int heading, double turn) {
    size_t end = i;
    while (end > farthest &&
           ((along[farthest] - along[end - 1]) * heading > turn / 2 || (along[end - 1] - along[end]) * heading > 0)) {
        --end;
    }
    return end;
}

}  // namespace

void Traverses::Split(const std::vector<size_t>& path, const std::vector<TimedEdge>& timeline,
                      double unitsPerMetre) {
    if (path.size() < 2) return;
    const std::vector<double> along = AlongAxis(path, timeline);
    if (along.empty()) return;
    const auto extent = std::minmax_element(along.begin(), along.end());
    const double turn = std::max(ShortestTurnMetres * unitsPerMetre, TurnShareOfExtent * (*extent.second - *extent.first));
    // Heading +1 or -1 once the path has gone `turn` one way; the farthest
    // point so far that way, from which the path comes back at a turn.
    int heading = 0;
    size_t farthest = 0, low = 0, high = 0, traverseStart = 0;
    int32_t traverse = 0;
    for (size_t i = 1; i < along.size(); ++i) {
        if (heading == 0) {
            if (along[i] > along[high]) high = i;
            if (along[i] < along[low]) low = i;
            if (along[high] - along[low] > turn) {
                heading = high > low ? 1 : -1;
                farthest = heading > 0 ? high : low;
            }
        } else if ((along[i] - along[farthest]) * heading > 0) {
            farthest = i;
        } else if ((along[farthest] - along[i]) * heading > turn) {
            const size_t end = TraverseEnd(along, farthest, i, heading, turn);
            for (size_t k = traverseStart; k <= end; ++k) traverse_[path[k]] = traverse;
            ++traverse;
            traverseStart = end + 1;
            heading = -heading;
            farthest = i;
            for (size_t k = traverseStart; k <= i; ++k) {
                if ((along[k] - along[farthest]) * heading > 0) farthest = k;
            }
        }
    }
    for (size_t k = traverseStart; k < along.size(); ++k) traverse_[path[k]] = traverse;
}

int32_t Traverses::At(int32_t run, uint32_t tick) const {
    if (runs_.empty()) return 0;
    if (runs_[lastRun_] != run) {
        const auto found = std::lower_bound(runs_.begin(), runs_.end(), run);
        if (found == runs_.end() || *found != run) return 0;
        lastRun_ = size_t(found - runs_.begin());
        lastEdge_ = runBegin_[lastRun_];
    }
    const size_t begin = runBegin_[lastRun_], end = runBegin_[lastRun_ + 1];
    const int32_t at = static_cast<int32_t>(tick - runTick_[lastRun_]);
    // Moments come mostly in order: on from the last edge found, else a search.
    size_t k = lastEdge_;
    if (k < begin || k >= end || offset_[k] > at) {
        const auto after = std::upper_bound(offset_.begin() + long(begin), offset_.begin() + long(end), at);
        k = after == offset_.begin() + long(begin) ? begin : size_t(after - offset_.begin()) - 1;
    }
    while (k + 1 < end && offset_[k + 1] <= at) ++k;
    lastEdge_ = k;
    return traverse_[k];
}

}  // namespace tesselog
