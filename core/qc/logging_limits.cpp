#include "core/qc/logging_limits.h"

#include <cmath>
#include <cstdio>

namespace tesselog {

// ---------------------------------------------------------------- positions

bool PositionCountdown::Count(uint32_t tick, int32_t count, int32_t limit, const PositionLimits& limits) {
    if (!any_ || tick - latest_.Tick > FixRateLongestGapMs) {  // a start, or after a pause
        size_ = 0;
        startTick_ = tick;
    }
    latest_ = {tick, count};
    any_ = true;
    if (tick - startTick_ < FixRateSettleMs) {
        // the port's backlog draining: not yet a sample of the rate
    } else if (size_ == 0 || tick - samples_[(first_ + size_ - 1) % Samples].Tick >= 1000) {
        if (size_ == Samples) {
            first_ = (first_ + 1) % Samples;
            --size_;
        }
        samples_[(first_ + size_) % Samples] = latest_;
        ++size_;
    }
    while (size_ > 1 && tick - samples_[first_].Tick > FixRateWindowMs) {
        first_ = (first_ + 1) % Samples;
        --size_;
    }
    const double measured = MeasuredRate();
    if (measured > 0.0) lastRate_ = measured;

    left_ = limit > count ? limit - count : 0;
    const double seconds = SecondsLeft();
    int stage = 0;
    if (left_ == 0 || (seconds >= 0.0 && seconds < limits.LastMinutes * 60.0)) {
        stage = 2;
    } else if (seconds >= 0.0 && seconds < limits.FirstMinutes * 60.0) {
        stage = 1;
    }
    if (stage <= stage_) return false;
    stage_ = stage;
    return true;
}

double PositionCountdown::MeasuredRate() const {
    if (size_ == 0) return 0.0;
    const Sample& oldest = samples_[first_];
    const uint32_t span = latest_.Tick - oldest.Tick;
    if (span < FixRateLeastSpanMs || latest_.Count <= oldest.Count) return 0.0;
    return (latest_.Count - oldest.Count) * 1000.0 / span;
}

double PositionCountdown::FixesPerSecond() const { return lastRate_; }

double PositionCountdown::SecondsLeft() const { return lastRate_ > 0.0 ? left_ / lastRate_ : -1.0; }

std::string PositionWarningText(const PositionCountdown& countdown) {
    char text[96];
    const double seconds = countdown.SecondsLeft();
    if (seconds < 0.0) {
        std::snprintf(text, sizeof text, "Positions: %d left - start a new file", static_cast<int>(countdown.Left()));
    } else if (seconds < 60.0) {
        std::snprintf(text, sizeof text, "Positions: under 1 min left - start a new file");
    } else {
        std::snprintf(text, sizeof text, "Positions: %d min left - start a new file", static_cast<int>(seconds / 60.0));
    }
    return text;
}

// ---------------------------------------------------------------- disk

void DiskRule::Check(uint32_t tick, bool known, uint64_t freeBytes, uint64_t bytesWritten,
                     const DiskLimits& limits) {
    if (checked_ && bytesWritten > lastWritten_ && tick != lastCheck_) {
        perMinute_ = static_cast<double>(bytesWritten - lastWritten_) * 60000.0 / (tick - lastCheck_);
    }
    checked_ = true;
    lastCheck_ = tick;
    lastWritten_ = bytesWritten;  // a new file starts again from its own size
    if (!known) return;
    free_ = freeBytes;
    const double needed = std::fmax(limits.Minutes * perMinute_, static_cast<double>(limits.FloorBytes));
    const double free = static_cast<double>(freeBytes);
    if (free < needed) low_ = true;
    if (free >= needed * 1.1) low_ = false;
}

std::string DiskWarningText(const DiskRule& disk) {
    char text[96];
    const unsigned long long megabytes = disk.FreeBytes() / Megabyte;
    const double minutes = disk.MinutesLeft();
    if (minutes < 0.0) {
        std::snprintf(text, sizeof text, "Disk: %llu MB free", megabytes);
    } else {
        std::snprintf(text, sizeof text, "Disk: %llu MB free - about %.0f min of recording left", megabytes,
                      std::floor(minutes));
    }
    return text;
}

// ---------------------------------------------------------------- battery

bool BatteryRule::Check(const PowerStatus& status, const BatteryLimits& limits) {
    if (!status.Known || status.Percent < 0) return false;
    percent_ = status.Percent;
    if (!status.OnBattery || status.Percent > limits.FirstPercent + BatteryRearmPercent) {
        stage_ = 0;
        return false;
    }
    const int stage = status.Percent <= limits.LastPercent ? 2 : status.Percent <= limits.FirstPercent ? 1 : 0;
    if (stage <= stage_) return false;
    stage_ = stage;
    return true;
}

std::string BatteryWarningText(const BatteryRule& battery) {
    char text[96];
    std::snprintf(text, sizeof text, "Battery %d%% - data saved, %s", static_cast<int>(battery.Percent()),
                  battery.Stage() >= 2 ? "change the battery now" : "plug in the charger");
    return text;
}

}  // namespace tesselog
