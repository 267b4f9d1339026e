#include "core/qc/speed_rule.h"

#include <cmath>

namespace tesselog {
namespace {

constexpr uint32_t BaselineMs = 900;  // the least time between the two fixes of a speed
constexpr uint32_t HeldMs = 2000;      // above the limit, to warn
constexpr double ClearShare = 0.9;     // of the limit, held below for ClearHeldMs to clear
constexpr uint32_t ClearHeldMs = 1500;
constexpr uint32_t SettleMs = 5000;    // after the first fix since a start

}  // namespace

void SpeedRule::AddFix(uint32_t tick, double eastMetres, double northMetres, double limitMetresPerSecond) {
    if (!std::isfinite(eastMetres) || !std::isfinite(northMetres)) return;
    if (size_ == Fixes) first_ = (first_ + 1) % Fixes, --size_;
    fixes_[(first_ + size_) % Fixes] = {tick, eastMetres, northMetres};
    ++size_;
    // The oldest fix kept is the newest one at least a baseline old.
    auto age = [&](size_t i) { return tick - fixes_[(first_ + i) % Fixes].Tick; };
    while (size_ > 1 && age(1) >= BaselineMs) first_ = (first_ + 1) % Fixes, --size_;
    speed_ = -1.0;
    if (size_ > 1 && age(0) >= BaselineMs) {
        const Fix& from = fixes_[first_];
        speed_ = std::hypot(eastMetres - from.East, northMetres - from.North) / (age(0) / 1000.0);
    }

    if (!started_) started_ = true, startTick_ = tick;
    if (tick - startTick_ < SettleMs || speed_ < 0.0) {
        above_ = below_ = false;
        return;
    }
    const bool above = speed_ > limitMetresPerSecond, below = speed_ < ClearShare * limitMetresPerSecond;
    if (above && !above_) aboveSince_ = tick;
    if (below && !below_) belowSince_ = tick;
    above_ = above, below_ = below;
    if (above_ && tick - aboveSince_ >= HeldMs) tooFast_ = true;
    if (below_ && tick - belowSince_ >= ClearHeldMs) tooFast_ = false;
}

}  // namespace tesselog
