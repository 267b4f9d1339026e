#include "core/qc/clock_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tesselog {

double TimeOfDayDifference(double a, double b) {
    double d = std::fmod(a - b, 86400.0);  // -86,400 .. 86,400
    if (d > 43200.0) d -= 86400.0;
    if (d < -43200.0) d += 86400.0;
    return d;
}

void ClockCheck::Compare(double receiverSeconds, int32_t computerMs, double toleranceSeconds) {
    if (computerMs < 0 || !std::isfinite(receiverSeconds)) return;
    // The receiver's time runs on across midnight; a repeated or older time
    // adds nothing.
    if (any_) elapsed_ += std::max(0.0, TimeOfDayDifference(receiverSeconds, lastReceiver_));
    any_ = true;
    lastReceiver_ = receiverSeconds;
    window_.push_back({elapsed_, TimeOfDayDifference(computerMs / 1000.0, receiverSeconds)});
    while (elapsed_ - window_.front().At > ClockWindowSeconds) window_.pop_front();
    if (elapsed_ < ClockWindowSeconds) return;
    difference_ = window_.front().Difference;
    for (const Sample& sample : window_) difference_ = std::min(difference_, sample.Difference);
    // Beyond the tolerance by more than the rounding of the two times (the
    // computer's whole milliseconds, a day's seconds in a double): a clock
    // exactly at the tolerance is within it.
    off_ = std::fabs(difference_) > toleranceSeconds + ClockRoundingSeconds;
}

std::string ClockWarningText(double difference) {
    char amount[48];
    const double size = std::fabs(difference);
    if (size < 59.95) {
        std::snprintf(amount, sizeof amount, "%.1f s", size);
    } else if (size < 3599.5) {
        const int seconds = static_cast<int>(size + 0.5);
        std::snprintf(amount, sizeof amount, "%d min %02d s", seconds / 60, seconds % 60);
    } else {
        const int minutes = static_cast<int>(size / 60.0 + 0.5);
        std::snprintf(amount, sizeof amount, "%d h %02d min", minutes / 60, minutes % 60);
    }
    char text[96];
    std::snprintf(text, sizeof text, "PC clock %s %s GPS", amount, difference < 0.0 ? "behind" : "ahead of");
    return text;
}

}  // namespace tesselog
