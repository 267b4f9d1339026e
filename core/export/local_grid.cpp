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
    for (int32_t k = 0; k < MaxSensors; ++k) place_[k] = k < sensorCount_ ? array.SwathPlace[k] : 0.5;
    halfWidth_ = array.SwathWidth * unitsPerMetre / 2;
    if (!std::isfinite(halfWidth_) || halfWidth_ < 0.0) halfWidth_ = 0.0;
    stripWidth_ = array.StripWidth * unitsPerMetre;
    if (!(stripWidth_ > 0.0) || !std::isfinite(stripWidth_)) stripWidth_ = unitsPerMetre;
}

double LocalGridPlacer::LinePosition(const std::string& name) {
    const auto found = ranks_.emplace(name, static_cast<int32_t>(ranks_.size())).first;
    const double rank = found->second;
    double value = 0.0;
    if (options_.LineSpacing > 0.0) return rank * options_.LineSpacing;
    if (NumberOf(name, value)) return value;
    return rank * stripWidth_;
}

void LocalGridPlacer::StartLine(const std::string& name) {
    items_.clear();
    times_.clear();
    marks_.clear();
    lineX_ = LinePosition(name);
    // The line's recording time starts at its block; a run still going on
    // (a block written while recording) goes on from its latest tick.
    base_ = 0;
    runStart_ = lastTick_;
    SetDirection(-1, 0.0);
}

void LocalGridPlacer::SetDirection(int32_t direction, double increment) {
    direction_ = direction;
    increment_ = std::isfinite(increment) ? increment : 0.0;
    const SwathPoint walk = Compass(direction);
    axes_.Along = increment_ < 0.0 ? SwathPoint{-walk.X, -walk.Y} : walk;
    axes_.Across = options_.LinesToLeft ? LeftOf(axes_.Along) : RightOf(axes_.Along);
    axes_.Right = RightOf(walk);
}

int64_t LocalGridPlacer::Now() const {
    return running_ ? base_ + std::max(0, static_cast<int32_t>(lastTick_ - runStart_)) : base_;
}

void LocalGridPlacer::Mark(double station) {
    if (!std::isfinite(station)) return;
    const int64_t now = Now();
    // Stations set twice at one moment: the later one stands.
    if (!marks_.empty() && marks_.back().Time >= now) marks_.pop_back();
    marks_.push_back({now, station});
}

void LocalGridPlacer::Started(bool hasTick, uint32_t tick) {
    if (running_) Paused(false, 0);
    if (!hasTick) return;
    running_ = true;
    runStart_ = lastTick_ = tick;
}

void LocalGridPlacer::Paused(bool hasTick, uint32_t tick) {
    if (!running_) return;
    if (hasTick) lastTick_ = tick;
    base_ = Now();
    running_ = false;
}

void LocalGridPlacer::Add(const LocalItem& item) {
    if (item.HasTick) {
        // A reading with no "$STARTED" before it in the line starts the clock.
        if (!running_) Started(true, item.Tick);
        if (static_cast<int32_t>(item.Tick - lastTick_) > 0) lastTick_ = item.Tick;
        times_.push_back(base_ + std::max(0, static_cast<int32_t>(item.Tick - runStart_)));
    } else {
        times_.push_back(times_.empty() ? Now() : times_.back());
    }
    items_.push_back(item);
}

// One increment per console-1 reading: the median gap between console 1's
// readings of one run of the line, else that of an earlier line.
double LocalGridPlacer::CountedPace() {
    std::vector<int64_t> gaps;
    for (size_t i = 0, last = SIZE_MAX; i < items_.size(); ++i) {
        if (!items_[i].Anchor || !items_[i].HasTick) continue;
        if (last != SIZE_MAX && items_[last].Run == items_[i].Run && times_[i] > times_[last]) {
            gaps.push_back(times_[i] - times_[last]);
        }
        last = i;
    }
    if (!gaps.empty()) {
        std::nth_element(gaps.begin(), gaps.begin() + long(gaps.size() / 2), gaps.end());
        period_ = double(gaps[gaps.size() / 2]);
    }
    return period_ > 0.0 ? increment_ / period_ : 0.0;
}

double LocalGridPlacer::StationAt(int64_t time, double pace) const {
    const auto after = std::upper_bound(marks_.begin(), marks_.end(), time,
                                        [](int64_t t, const TimedMark& m) { return t < m.Time; });
    if (after == marks_.begin()) return marks_.front().Station + double(time - marks_.front().Time) * pace;
    const TimedMark& from = *(after - 1);
    if (after == marks_.end()) return from.Station + double(time - from.Time) * pace;
    return from.Station + double(time - from.Time) / double(after->Time - from.Time) * (after->Station - from.Station);
}

SwathEdge LocalGridPlacer::EdgeAt(double station) const {
    const SwathPoint centre{lineX_ * axes_.Across.X + station * axes_.Along.X,
                            lineX_ * axes_.Across.Y + station * axes_.Along.Y};
    const SwathPoint half{halfWidth_ * axes_.Right.X, halfWidth_ * axes_.Right.Y};
    return {{centre.X - half.X, centre.Y - half.Y}, {centre.X + half.X, centre.Y + half.Y}};
}

void LocalGridPlacer::Place(std::vector<SwathPoint>& places, std::vector<LocalEdge>& edges) {
    places.clear();
    edges.clear();
    if (marks_.empty()) marks_.push_back({0, 0.0});
    // Beyond the last mark: the pace the marks measured, else console 1's count.
    const double counted = CountedPace();
    const TimedMark& first = marks_.front();
    const TimedMark& last = marks_.back();
    const double pace =
        last.Time > first.Time ? (last.Station - first.Station) / double(last.Time - first.Time) : counted;
    for (size_t i = 0; i < items_.size(); ++i) {
        const LocalItem& item = items_[i];
        const SwathEdge edge = EdgeAt(StationAt(times_[i], pace));
        const int32_t sensor = std::clamp(item.Sensor, 0, MaxSensors - 1);
        places.push_back(PointAcross(edge, place_[sensor]));
        if (item.Anchor) edges.push_back({item.Run, item.Tick, edge});
    }
    items_.clear();
    times_.clear();
    marks_.clear();
}

}  // namespace tesselog
