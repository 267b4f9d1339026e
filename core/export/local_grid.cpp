#include "core/export/local_grid.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace tesselog {

namespace {

// The compass direction of a line block's letter: 0 W, 1 S, 2 N, 3 E; north
// when the letter is missing.
SwathPoint Compass(int32_t direction) {
    switch (direction) {
    case 0: return {-1.0, 0.0};
    case 1: return {0.0, -1.0};
    case 3: return {1.0, 0.0};
    default: return {0.0, 1.0};
    }
}
SwathPoint RightOf(SwathPoint d) { return {d.Y, -d.X}; }
SwathPoint LeftOf(SwathPoint d) { return {-d.Y, d.X}; }

// The whole text (blanks around it aside) as a finite number.
bool NumberOf(const std::string& text, double& value) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    const std::string trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
    char* end = nullptr;
    errno = 0;
    value = std::strtod(trimmed.c_str(), &end);
    return errno == 0 && end != trimmed.c_str() && *end == 0 && std::isfinite(value);
}

}  // namespace

void LocalGridPlacer::SetArray(const LocalArray& array, double unitsPerMetre) {
    sensorCount_ = std::clamp(array.SensorCount, 0, MaxSensors);
    const double width = sensorCount_ > 0 ? array.Position[sensorCount_ - 1] : 0.0;
    for (int32_t k = 0; k < MaxSensors; ++k) {
        offset_[k] = k < sensorCount_ ? (array.Position[k] - width / 2) * unitsPerMetre : 0.0;
    }
    stripWidth_ = (width + array.MinSeparation) * unitsPerMetre;
    if (!(stripWidth_ > 0.0) || !std::isfinite(stripWidth_)) stripWidth_ = unitsPerMetre;
    halfWidth_ = stripWidth_ / 2;
}

double LocalGridPlacer::AcrossFraction(int32_t sensor) const {
    if (sensorCount_ <= 1 || sensor < 0 || sensor >= MaxSensors) return 0.5;
    return (offset_[sensor] + halfWidth_) / stripWidth_;
}

double LocalGridPlacer::LinePosition(const std::string& name) {
    const auto found = ranks_.emplace(name, static_cast<int32_t>(ranks_.size())).first;
    const double rank = found->second;
    double value = 0.0;
    if (options_.LineSpacing > 0.0) return rank * options_.LineSpacing;
    if (NumberOf(name, value)) return value;
    return rank * stripWidth_;
}

void LocalGridPlacer::StartLine(const std::string& name, int32_t direction, double increment) {
    items_.clear();
    lineX_ = LinePosition(name);
    increment_ = std::isfinite(increment) ? increment : 0.0;
    const SwathPoint walk = Compass(direction);
    axes_.Along = increment_ < 0.0 ? SwathPoint{-walk.X, -walk.Y} : walk;
    axes_.Across = options_.LinesToLeft ? LeftOf(axes_.Along) : RightOf(axes_.Along);
    axes_.Right = RightOf(walk);
}

SwathPoint LocalGridPlacer::At(double along, double across) const {
    return {lineX_ * axes_.Across.X + along * axes_.Along.X + across * axes_.Right.X,
            lineX_ * axes_.Across.Y + along * axes_.Along.Y + across * axes_.Right.Y};
}

double LocalGridPlacer::AlongAt(int64_t time, const std::vector<std::pair<int64_t, double>>& anchors) const {
    const size_t k = anchors.size();
    if (k == 1) {
        const double period = ticksPerStation_;
        return period > 0.0 ? anchors[0].second + double(time - anchors[0].first) / period * increment_
                            : anchors[0].second;
    }
    // The pair of console-1 readings around the time, the first or last
    // pair beyond them.
    const auto after = std::upper_bound(anchors.begin(), anchors.end(), time,
                                        [](int64_t t, const std::pair<int64_t, double>& a) { return t < a.first; });
    const size_t i = std::min<size_t>(after == anchors.begin() ? 0 : size_t(after - anchors.begin()) - 1, k - 2);
    const int64_t dt = anchors[i + 1].first - anchors[i].first;
    if (dt <= 0) return anchors[i].second;
    return anchors[i].second + double(time - anchors[i].first) / double(dt) * (anchors[i + 1].second - anchors[i].second);
}

void LocalGridPlacer::Place(std::vector<SwathPoint>& places, std::vector<LocalEdge>& edges) {
    places.clear();
    edges.clear();
    // Times in ticks from the stretch's first reading; a reading without a
    // tick keeps the time of the one before it.
    std::vector<int64_t> times(items_.size(), 0);
    bool haveBase = false;
    uint32_t base = 0;
    int64_t last = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].HasTick) {
            if (!haveBase) base = items_[i].Tick;
            haveBase = true;
            last = static_cast<int32_t>(items_[i].Tick - base);
        }
        times[i] = last;
    }
    std::vector<std::pair<int64_t, double>> anchors;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i].Anchor) continue;
        const double along = items_[i].Station + increment_ / 2;
        // Ticks go forward; one that does not keeps its place in the row.
        anchors.emplace_back(anchors.empty() ? times[i] : std::max(times[i], anchors.back().first), along);
        const SwathPoint centre = At(along, 0.0);
        const SwathPoint half{halfWidth_ * axes_.Right.X, halfWidth_ * axes_.Right.Y};
        edges.push_back({items_[i].Tick, {{centre.X - half.X, centre.Y - half.Y}, {centre.X + half.X, centre.Y + half.Y}}});
    }
    if (anchors.size() >= 2 && anchors.back().first > anchors.front().first) {
        ticksPerStation_ = double(anchors.back().first - anchors.front().first) / double(anchors.size() - 1);
    }
    for (size_t i = 0; i < items_.size(); ++i) {
        const LocalItem& item = items_[i];
        const double along = anchors.empty() ? item.Station + increment_ / 2 : AlongAt(times[i], anchors);
        const double across = item.Sensor >= 0 && item.Sensor < MaxSensors ? offset_[item.Sensor] : 0.0;
        places.push_back(At(along, across));
    }
    items_.clear();
}

}  // namespace tesselog
