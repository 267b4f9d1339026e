// The computer's power: on mains or on battery, and the battery's charge.
// The Win32 layer reads GetSystemPowerStatus; tests and the drawing-log
// build use DrainingBattery.
#pragma once

#include <cstdint>

#include "core/platform/clock.h"

namespace tesselog {

struct PowerStatus {
    bool Known = false;      // false: no battery, or the system cannot tell
    bool OnBattery = false;  // running from the battery (the charger unplugged)
    int32_t Percent = -1;    // charge 0..100, -1 unknown
};

class PowerSource {
public:
    virtual ~PowerSource() = default;
    virtual PowerStatus Status() = 0;
};

// A battery on its own, losing charge at a steady rate from a starting
// charge at a starting tick (0 per minute holds it), never below 0.
class DrainingBattery : public PowerSource {
public:
    DrainingBattery(Clock& clock, int32_t startPercent, double percentPerMinute)
        : clock_(clock), start_(clock.Tick()), startPercent_(startPercent), perMinute_(percentPerMinute) {}

    PowerStatus Status() override {
        PowerStatus status;
        status.Known = true;
        status.OnBattery = OnBattery;
        double minutes = static_cast<double>(clock_.Tick() - start_) / 60000.0;
        double percent = startPercent_ - perMinute_ * minutes;
        status.Percent = percent <= 0.0 ? 0 : static_cast<int32_t>(percent + 0.5);
        return status;
    }

    bool OnBattery = true;

private:
    Clock& clock_;
    uint32_t start_;
    int32_t startPercent_;
    double perMinute_;
};

}  // namespace tesselog
