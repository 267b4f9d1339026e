// The readings scale fitted to the data: the logging screen keeps every
// sensor's readings of the last minute, in every state (the consoles are read
// from the moment the screen opens), and the fit key takes the 2nd and 98th
// percentile of them, widened outward to round numbers, as the new minimum
// and maximum of the readings scale. A spike or two does not stretch the
// scale; the swath then shows the ground's own variation in its colours.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "core/acquisition/console_reading.h"
#include "core/settings/settings.h"

namespace tesselog {

struct ScaleRange {
    double Min = 0.0;
    double Max = 0.0;
};

class RecentReadings {
public:
    static constexpr uint32_t WindowMs = 60000;

    void Add(uint32_t tick, double value);
    // The fitted range, or nothing while fewer than MinimumReadings are held.
    std::optional<ScaleRange> Fit(uint32_t now) const;
    void Clear() { readings_.clear(); }
    size_t Count() const { return readings_.size(); }

    static constexpr size_t MinimumReadings = 10;

private:
    void Forget(uint32_t now);
    std::deque<std::pair<uint32_t, double>> readings_;
};

// The percentiles' span widened outward to a multiple of a step of 1, 2 or
// 5 times a power of ten (about a tenth of the span), never narrower than
// one step: 3.4 .. 47.9 (a step of 5) becomes 0 .. 50.
ScaleRange RoundedScale(double low, double high);

// Passes every reading on to the screen and keeps its values (one or both
// sensors by the console's sensor count) for the fit.
class RecordingReadingDisplay : public ReadingDisplay {
public:
    RecordingReadingDisplay(ReadingDisplay& inner, RecentReadings& recent, const Settings& settings, uint32_t tick)
        : inner_(inner), recent_(recent), settings_(settings), tick_(tick) {}
    void DrawNumbers(int k, double value1, double value2) override;
    void DrawSecondPlot(int k, const int32_t rows[2]) override { inner_.DrawSecondPlot(k, rows); }
    void DrawProfile(int k, const int32_t rows[2]) override { inner_.DrawProfile(k, rows); }
    void ShowStationFields(const StationFieldTexts& texts) override { inner_.ShowStationFields(texts); }
    void ShowTimeFields(const TimeFieldTexts& texts) override { inner_.ShowTimeFields(texts); }

private:
    ReadingDisplay& inner_;
    RecentReadings& recent_;
    const Settings& settings_;
    uint32_t tick_;
};

}  // namespace tesselog
