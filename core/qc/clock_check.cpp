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
    const double d = TimeOfDayDifference(computerMs / 1000.0, receiverSeconds);
    recent_[next_] = d;
    next_ = (next_ + 1) % ClockFixesToDecide;
    count_ = std::min(count_ + 1, ClockFixesToDecide);
    if (std::fabs(d) > toleranceSeconds) {
        ++outside_;
        inside_ = 0;
    } else {
        ++inside_;
        outside_ = 0;
    }
    if (outside_ >= ClockFixesToDecide) off_ = true;
    if (inside_ >= ClockFixesToDecide) off_ = false;
    // The median of the last few, by insertion into a sorted copy.
    double sorted[ClockFixesToDecide];
    for (int i = 0; i < count_; ++i) {
        int j = i;
        for (; j > 0 && sorted[j - 1] > recent_[i]; --j) sorted[j] = sorted[j - 1];
        sorted[j] = recent_[i];
    }
    difference_ = sorted[count_ / 2];
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
