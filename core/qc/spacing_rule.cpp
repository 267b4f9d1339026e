#include "core/qc/spacing_rule.h"

#include <cstdio>

namespace tesselog {

void SpacingRule::AddStep(uint32_t tick, double metres, const int32_t readings[MaxConsoles], int consoles,
                          double limitMetres) {
    if (consoles < 0) consoles = 0;
    if (consoles > MaxConsoles) consoles = MaxConsoles;
    if (consoles != consoles_) Reset();
    consoles_ = consoles;
    if (!(metres >= 0.0) || metres > 1e6) metres = 0.0;  // a jump of the position says nothing of the pace
    if (size_ == Steps) first_ = (first_ + 1) % Steps, --size_;
    const bool first = !started_;
    const uint32_t previous = size_ > 0 ? steps_[(first_ + size_ - 1) % Steps].Tick : tick;
    Step& step = steps_[(first_ + size_) % Steps];
    step.Tick = tick;
    step.Ms = first ? 0 : tick - previous;
    step.Metres = metres;
    for (int k = 0; k < consoles; ++k) step.Readings[k] = readings[k] > 0 ? readings[k] : 0;
    ++size_;
    while (size_ > 1 && tick - steps_[first_].Tick > SpacingWindowMs) first_ = (first_ + 1) % Steps, --size_;
    // Summed afresh each time: at most 128 steps, and no rounding creeps in over a day.
    metres_ = 0.0;
    ms_ = 0;
    for (int64_t& n : readings_) n = 0;
    for (size_t i = 0; i < size_; ++i) {
        const Step& s = steps_[(first_ + i) % Steps];
        metres_ += s.Metres;
        ms_ += s.Ms;
        for (int k = 0; k < consoles; ++k) readings_[k] += s.Readings[k];
    }

    // A few readings say little of their spacing: 0.2 m walked before the
    // first of two readings doubles it. Nothing is decided before the window
    // spans two seconds, nor in the first five after a start: what waited in
    // the ports (while "&Go" or the file's opening held the screen) comes in a
    // burst, a receiver's fixes sooner than the consoles' readings of the same
    // ground.
    if (!started_) started_ = true, startTick_ = tick;
    if (tick - startTick_ < SpacingSettleMs || tick - steps_[first_].Tick < SpacingLeastSpanMs) return;
    const double widest = WidestSpacing(), pace = Pace();
    if (widest > limitMetres && pace > SpacingWalkPace) tooFast_ = true;
    if (widest < SpacingClearShare * limitMetres || pace < SpacingClearShare * SpacingWalkPace) tooFast_ = false;
}

double SpacingRule::Pace() const { return ms_ > 0 ? metres_ / (static_cast<double>(ms_) / 1000.0) : -1.0; }

double SpacingRule::Spacing(int k) const {
    if (k < 0 || k >= consoles_ || readings_[k] <= 0) return -1.0;
    return metres_ / static_cast<double>(readings_[k]);
}

int SpacingRule::WidestConsole() const {
    int widest = -1;
    for (int k = 0; k < consoles_; ++k) {
        if (Spacing(k) >= 0.0 && (widest < 0 || Spacing(k) > Spacing(widest))) widest = k;
    }
    return widest;
}

double SpacingRule::WidestSpacing() const {
    const int k = WidestConsole();
    return k < 0 ? -1.0 : Spacing(k);
}

std::string SpacingWarningText(double metres, int32_t displayUnits) {
    char text[80];
    const bool feet = displayUnits == 1 || displayUnits == 2;
    std::snprintf(text, sizeof text, "Too fast: readings %.2f %s apart - slow down", feet ? metres / 0.3048 : metres,
                  feet ? "ft" : "m");
    return text;
}

}  // namespace tesselog
