// Walking too fast by the ground speed, beside the spacing of the readings:
// consoles at 8 to 10 readings a second sample a jog as finely as a walk at
// 4, so the spacing alone cannot tell them apart. The speed is the straight
// distance from the last fix at least 0.9 s old to the newest one, over the
// time between them, so a receiver's jitter counts once over a second and
// not at every step of a fast receiver. The warning comes once every speed
// of the last two seconds has been above the limit (one fix thrown aside
// makes two high speeds a second apart, never two seconds of them), and
// goes once every speed of the last 1.5 s has been below 90% of the limit
// (a jog's turn at a line end dips below it for a moment). As with the spacing,
// nothing is decided in the first five seconds after a start (Reset), while
// what waited in the port comes in a burst.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tesselog {

class SpeedRule {
public:
    void Reset() { *this = SpeedRule(); }

    // One fix while recording: its tick and its place in metres.
    void AddFix(uint32_t tick, double eastMetres, double northMetres, double limitMetresPerSecond);

    bool TooFast() const { return tooFast_; }
    // Metres a second over the last second; < 0 while less than 0.9 s of
    // fixes is held.
    double Speed() const { return speed_; }

private:
    static constexpr size_t Fixes = 64;  // a second of 20 Hz fixes with room for a burst
    struct Fix {
        uint32_t Tick;
        double East, North;
    };
    Fix fixes_[Fixes] = {};
    size_t first_ = 0, size_ = 0;
    double speed_ = -1.0;
    bool above_ = false;        // every speed since aboveSince_ was above the limit
    uint32_t aboveSince_ = 0;
    bool below_ = false;        // every speed since belowSince_ was below the clearing level
    uint32_t belowSince_ = 0;
    bool tooFast_ = false;
    bool started_ = false;
    uint32_t startTick_ = 0;
};

}  // namespace tesselog
