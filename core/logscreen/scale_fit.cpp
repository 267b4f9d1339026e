#include "core/logscreen/scale_fit.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tesselog {

void RecentReadings::Add(uint32_t tick, double value) {
    if (!std::isfinite(value)) return;
    readings_.emplace_back(tick, value);
    Forget(tick);
}

void RecentReadings::Forget(uint32_t now) {
    while (!readings_.empty() && now - readings_.front().first > WindowMs) readings_.pop_front();
}

std::optional<ScaleRange> RecentReadings::Fit(uint32_t now) const {
    std::vector<double> values;
    values.reserve(readings_.size());
    for (const auto& [tick, value] : readings_) {
        if (now - tick <= WindowMs) values.push_back(value);
    }
    if (values.size() < MinimumReadings) return std::nullopt;
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest value with at least p% of the values at or below it.
    auto percentile = [&values](double p) {
        const size_t rank = static_cast<size_t>(std::ceil(p / 100.0 * values.size()));
        return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
    };
    return RoundedScale(percentile(2.0), percentile(98.0));
}

ScaleRange RoundedScale(double low, double high) {
    const double span = std::max(high - low, 1e-6);
    const double base = std::pow(10.0, std::floor(std::log10(span / 10.0)));
    double step = base * 10.0;
    for (double m : {1.0, 2.0, 5.0}) {
        if (base * m >= span / 10.0) {
            step = base * m;
            break;
        }
    }
    ScaleRange range{std::floor(low / step) * step, std::ceil(high / step) * step};
    if (range.Max - range.Min < step) range.Max = range.Min + step;
    // No "-0" in a dialog or the settings file.
    if (range.Min == 0.0) range.Min = 0.0;
    if (range.Max == 0.0) range.Max = 0.0;
    return range;
}

void RecordingReadingDisplay::DrawNumbers(int k, double value1, double value2) {
    if (k >= 0 && k < MaxConsoles) {
        recent_.Add(tick_, value1);
        if (settings_.ConsoleSensorCount[k] == 2) recent_.Add(tick_, value2);
    }
    inner_.DrawNumbers(k, value1, value2);
}

}  // namespace tesselog
