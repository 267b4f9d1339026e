#include "core/export/processing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "core/export/export_text.h"
#include "core/common/length_units.h"

namespace tesselog {

PointInfo InfoOf(const PositionedReading& r) {
    PointInfo p;
    p.Tick = r.Tick;
    p.HasTick = r.HasTick;
    p.Line = r.Line;
    p.Run = r.Run;
    p.Session = static_cast<int16_t>(std::clamp(r.Session, 0, 32767));
    p.Sensor = static_cast<uint8_t>(std::clamp(r.Sensor - 1, 0, MaxSensors - 1));
    return p;
}

namespace {

// Point indexes grouped by `group` (0..groups-1), each group in the points'
// order; offsets[g]..offsets[g + 1] is group g. A group below 0 is left out.
template <typename GroupOf>
std::vector<uint32_t> GroupIndexes(const std::vector<PointInfo>& points, size_t groups, GroupOf groupOf,
                                   std::vector<size_t>& offsets) {
    offsets.assign(groups + 1, 0);
    for (const PointInfo& p : points) {
        const int64_t g = groupOf(p);
        if (g >= 0) ++offsets[size_t(g) + 1];
    }
    for (size_t g = 0; g < groups; ++g) offsets[g + 1] += offsets[g];
    std::vector<uint32_t> indexes(offsets[groups]);
    std::vector<size_t> next(offsets.begin(), offsets.end() - 1);
    for (size_t i = 0; i < points.size(); ++i) {
        const int64_t g = groupOf(points[i]);
        if (g >= 0) indexes[next[size_t(g)]++] = static_cast<uint32_t>(i);
    }
    return indexes;
}

double Median(std::vector<float>& values) {
    const size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + half, values.end());
    const double upper = values[half];
    if (values.size() % 2 == 1) return upper;
    return (double(*std::max_element(values.begin(), values.begin() + half)) + upper) / 2;
}


// The median of a sorted window: its middle value, or the mean of its two middle ones.
double SortedMedian(const std::vector<float>& sorted) {
    const size_t half = sorted.size() / 2;
    return sorted.size() % 2 == 1 ? sorted[half] : (double(sorted[half - 1]) + sorted[half]) / 2;
}

// One sensor's sequence despiked in place; the window of 2 x half + 1
// readings keeps its length at the ends of the sequence and is kept sorted
// as it slides, one reading out and one in. Returns the readings replaced.
int64_t DespikeSequence(std::vector<float>& values, int32_t half, double threshold) {
    const int32_t n = static_cast<int32_t>(values.size());
    const int32_t width = std::min(n, 2 * half + 1);
    std::vector<float> window(values.begin(), values.begin() + width);
    std::sort(window.begin(), window.end());
    std::vector<float> replaced = values;
    int64_t spikes = 0;
    int32_t from = 0;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t want = std::clamp(i - half, 0, n - width);
        for (; from < want; ++from) {
            // Out goes values[from] (a value that is not a number is found
            // by its bits), in its place comes values[from + width], moved
            // along until the window is in order again.
            const float out = values[size_t(from)];
            size_t at = size_t(std::lower_bound(window.begin(), window.end(), out) - window.begin());
            if (at == window.size() || std::memcmp(&window[at], &out, sizeof out) != 0) {
                at = 0;
                while (at + 1 < window.size() && std::memcmp(&window[at], &out, sizeof out) != 0) ++at;
            }
            const float in = values[size_t(from + width)];
            window[at] = in;
            for (; at > 0 && window[at - 1] > in; --at) std::swap(window[at - 1], window[at]);
            for (; at + 1 < window.size() && window[at + 1] < in; ++at) std::swap(window[at + 1], window[at]);
        }
        const double median = SortedMedian(window);
        if (std::fabs(values[size_t(i)] - median) > threshold) {
            replaced[size_t(i)] = static_cast<float>(median);
            ++spikes;
        }
    }
    values.swap(replaced);
    return spikes;
}

}  // namespace

std::string ProcessingSteps::Describe(const std::string& unit) const {
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    std::string number;
    if (Lag) {
        AppendTrimmed(number, LagSeconds, 3);
        add("lag corrected by " + number + " s");
    }
    if (Despike) {
        number.clear();
        AppendTrimmed(number, DespikeThreshold, 3);
        add("despiked beyond " + number + " " + unit + " from the median of " + std::to_string(DespikeWindow) +
            " readings");
    }
    if (Destripe) add("destriped to a zero median per traverse and sensor");
    if (Clip) {
        number.clear();
        AppendTrimmed(number, ClipMin, 3);
        number += "..";
        AppendTrimmed(number, ClipMax, 3);
        add("clipped to " + number + " " + unit);
    }
    return text;
}

int64_t CorrectLag(std::vector<GridPoint>& points, const std::vector<PointInfo>& infos, double seconds,
                   const std::vector<TimedEdge>& timeline, const std::vector<std::vector<double>>& across) {
    // Each run's edges and their times in ms from the run's first edge.
    std::map<int32_t, std::pair<size_t, size_t>> runs;
    std::vector<double> times(timeline.size(), 0.0);
    for (size_t i = 0; i < timeline.size(); ++i) {
        const bool first = i == 0 || timeline[i].Run != timeline[i - 1].Run;
        times[i] = first ? 0.0 : times[i - 1] + static_cast<int32_t>(timeline[i].Tick - timeline[i - 1].Tick);
        if (first) runs[timeline[i].Run] = {i, i};
        runs[timeline[i].Run].second = i + 1;
    }
    const double lagMs = seconds * 1000.0;
    int64_t moved = 0;
    // The points come in the file's order: the run and the edge of the point
    // before are most often this one's too.
    auto run = runs.end();
    size_t k = 0;
    for (size_t i = 0; i < points.size() && i < infos.size(); ++i) {
        GridPoint& p = points[i];
        const PointInfo& info = infos[i];
        if (run == runs.end() || run->first != info.Run) {
            run = runs.find(info.Run);
            k = run == runs.end() ? 0 : run->second.first;
        }
        if (!info.HasTick || run == runs.end() || run->second.second - run->second.first < 2) continue;
        const size_t begin = run->second.first, end = run->second.second;
        const double t = static_cast<int32_t>(info.Tick - timeline[begin].Tick) - lagMs;
        if (!(times[k] <= t && (k + 2 >= end || t < times[k + 1]))) {
            const auto after = std::upper_bound(times.begin() + long(begin), times.begin() + long(end), t);
            k = after == times.begin() + long(begin) ? begin : size_t(after - times.begin()) - 1;
            k = std::min(k, end - 2);
        }
        // Edges at the same time (ticks that did not move) give no direction.
        const double dt = times[k + 1] - times[k];
        const double u = dt > 0.0 ? (t - times[k]) / dt : 0.0;
        const SwathEdge& a = timeline[k].Edge;
        const SwathEdge& b = timeline[k + 1].Edge;
        const SwathEdge at{PointAcross({a.Left, b.Left}, u), PointAcross({a.Right, b.Right}, u)};
        const size_t session = info.Session >= 1 ? size_t(info.Session) - 1 : 0;
        const double f =
            session < across.size() && info.Sensor < across[session].size() ? across[session][info.Sensor] : 0.5;
        const SwathPoint place = PointAcross(at, f);
        p.Easting = place.X;
        p.Northing = place.Y;
        ++moved;
    }
    return moved;
}

int64_t Despike(std::vector<GridPoint>& points, const std::vector<PointInfo>& infos, double threshold,
                int32_t window) {
    std::vector<size_t> offsets;
    const std::vector<uint32_t> order =
        GroupIndexes(infos, MaxSensors, [](const PointInfo& p) { return int64_t(p.Sensor); }, offsets);
    const int32_t half = std::max(window, 3) / 2;
    std::vector<float> values;
    int64_t spikes = 0;
    for (size_t begin = 0; begin < order.size();) {
        // One sensor's readings of one run on one line.
        const PointInfo& first = infos[order[begin]];
        size_t end = begin + 1;
        while (end < order.size() && infos[order[end]].Sensor == first.Sensor && infos[order[end]].Run == first.Run &&
               infos[order[end]].Line == first.Line) {
            ++end;
        }
        values.clear();
        for (size_t i = begin; i < end; ++i) values.push_back(points[order[i]].Value);
        spikes += DespikeSequence(values, half, threshold);
        for (size_t i = begin; i < end; ++i) points[order[i]].Value = values[i - begin];
        begin = end;
    }
    return spikes;
}

void Destripe(std::vector<GridPoint>& points, const std::vector<PointInfo>& infos, const Traverses& traverses) {
    // A group per traverse of each line and sensor: the line's traverses
    // numbered on from those of the lines before it.
    const LineKeys& keys = traverses.Keys();
    std::vector<int64_t> first(size_t(keys.Count) + 1, 0);
    for (int32_t key = 0; key < keys.Count; ++key) first[size_t(key) + 1] = first[size_t(key)] + std::max(1, traverses.CountOf(key));
    std::vector<size_t> offsets;
    const std::vector<uint32_t> order = GroupIndexes(
        infos, size_t(first.back()) * MaxSensors,
        [&](const PointInfo& p) {
            if (p.Line < 0 || size_t(p.Line) >= keys.OfBlock.size()) return int64_t(-1);
            const int32_t key = keys.OfBlock[size_t(p.Line)];
            const int32_t traverse = std::min(traverses.At(p.Run, p.Tick), std::max(1, traverses.CountOf(key)) - 1);
            return (first[size_t(key)] + traverse) * MaxSensors + p.Sensor;
        },
        offsets);
    std::vector<float> values;
    for (size_t g = 0; g + 1 < offsets.size(); ++g) {
        if (offsets[g] == offsets[g + 1]) continue;
        values.clear();
        for (size_t i = offsets[g]; i < offsets[g + 1]; ++i) values.push_back(points[order[i]].Value);
        const double median = Median(values);
        for (size_t i = offsets[g]; i < offsets[g + 1]; ++i) {
            GridPoint& p = points[order[i]];
            p.Value = static_cast<float>(p.Value - median);
        }
    }
}

int64_t Clip(std::vector<GridPoint>& points, double low, double high) {
    int64_t clipped = 0;
    for (GridPoint& p : points) {
        const float v = static_cast<float>(std::clamp<double>(p.Value, low, high));
        if (v != p.Value) ++clipped;
        p.Value = v;
    }
    return clipped;
}

ProcessingCounts ApplyProcessing(std::vector<GridPoint>& points, const std::vector<PointInfo>& infos,
                                 const ProcessingSteps& steps, const SurveyWalk& walk) {
    ProcessingCounts counts;
    if (steps.Lag) counts.Moved = CorrectLag(points, infos, steps.LagSeconds, walk.Timeline(), walk.SensorAcross());
    if (steps.Despike) counts.Spikes = Despike(points, infos, steps.DespikeThreshold, steps.DespikeWindow);
    if (steps.Destripe) {
        Destripe(points, infos,
                 Traverses(walk.Timeline(), walk.Lines(), MetresToDisplayUnits(1.0, walk.Header().DisplayUnits)));
    }
    if (steps.Clip) counts.Clipped = Clip(points, steps.ClipMin, steps.ClipMax);
    return counts;
}

}  // namespace tesselog
