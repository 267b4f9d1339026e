#include "core/qc/sensor_health.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tesselog {

// ---------------------------------------------------------------- SensorHealth

void SensorHealth::Reset() { *this = SensorHealth(); }

void SensorHealth::Streak::Update(bool present, uint64_t now, uint32_t onsetMs, uint32_t bit, uint32_t& faults) {
    if (present != Present) {
        Present = present;
        Since = now;
    }
    const uint64_t lasting = now - Since;
    if (present && lasting >= onsetMs) faults |= bit;
    if (!present && lasting >= HealthRecoveryMs) faults &= ~bit;
}

void SensorHealth::Set(uint32_t bit, bool on) { faults_ = on ? faults_ | bit : faults_ & ~bit; }

bool SensorHealth::Feed(uint32_t tick, double value, ReadingField field, const SensorHealthLimits& limits) {
    const uint32_t interval = any_ ? tick - lastTick_ : 0;
    const bool afterSilence = interval > HealthLongestIntervalMs;
    activeMs_ += afterSilence ? HealthLongestIntervalMs : interval;
    lastTick_ = tick;
    any_ = true;

    if (limits.FieldOn) {
        if (field != ReadingField::Good) lastBadField_ = field;
        badField_.Update(field != ReadingField::Good, activeMs_, limits.FieldMs, SensorFieldBad, faults_);
    } else {
        Set(SensorFieldBad, false);
    }
    if (field == ReadingField::Good && std::isfinite(value)) {
        TakeValue(value, afterSilence, limits);
    } else {
        // A gap in the values: no second difference across it, and no run of
        // still readings either (the next value may happen to match the last).
        chain_ = 0;
        runOpen_ = false;
        Set(SensorFrozen, false);
    }
    if (!limits.NoisyOn) Set(SensorNoisy, false);
    return limits.NoisyOn && activeMs_ - lastJudged_ >= NoiseEvaluationMs;
}

void SensorHealth::TakeValue(double value, bool afterSilence, const SensorHealthLimits& limits) {
    // Frozen: the run of readings within one resolution step of each other
    // (the resolution known before this reading: a sensor that never changed
    // has none, so its first change ends the run).
    // A sensor held at a range limit is saturated, not frozen.
    const bool atLimit = value >= limits.SaturationHigh || value <= limits.SaturationLow;
    const double tolerance = resolution_ > 0.0 ? resolution_ * 1.001 : 1e-9;
    const double low = std::min(runMin_, value), high = std::max(runMax_, value);
    if (!runOpen_ || high - low > tolerance || atLimit) {
        runOpen_ = true;
        runMin_ = runMax_ = value;
        runStart_ = activeMs_;
        Set(SensorFrozen, false);
    } else {
        runMin_ = low;
        runMax_ = high;
        Set(SensorFrozen, limits.FrozenOn && activeMs_ - runStart_ >= limits.FrozenMs);
    }

    if (limits.SaturatedOn) {
        saturation_.Update(atLimit, activeMs_, limits.SaturatedMs, SensorSaturated, faults_);
    } else {
        Set(SensorSaturated, false);
    }

    // The console's resolution: the smallest change seen so far.
    if (hasValue_) {
        const double change = std::fabs(value - previous_[0]);
        if (change > 1e-9 && (resolution_ == 0.0 || change < resolution_)) resolution_ = change;
    }
    hasValue_ = true;

    // Second differences for the noise level, only across readings without a silence.
    if (afterSilence) chain_ = 0;
    if (chain_ >= 2) {
        const double second = value - 2.0 * previous_[0] + previous_[1];
        const Sample sample{activeMs_, static_cast<float>(std::fabs(second))};
        if (samples_.size() < NoiseSampleCapacity) {
            samples_.push_back(sample);
        } else {
            samples_[taken_ % NoiseSampleCapacity] = sample;
        }
        ++taken_;
    }
    previous_[1] = previous_[0];
    previous_[0] = value;
    chain_ = std::min(chain_ + 1, 2);
}

void SensorHealth::UpdateWindow(uint32_t windowMs) {
    if (windowMs != windowMs_) {  // a new window: every sample of the ring looked at again
        window_.clear();
        windowTaken_ = 0;
        windowMs_ = windowMs;
    }
    const uint64_t oldest = taken_ - samples_.size();  // the first still in the ring
    window_.erase(std::remove_if(window_.begin(), window_.end(),
                                 [&](const Ranked& r) { return r.Number < oldest || activeMs_ - r.Ms >= windowMs; }),
                  window_.end());
    for (uint64_t n = std::max(windowTaken_, oldest); n < taken_; ++n) {
        const Sample& sample = samples_[n % NoiseSampleCapacity];
        if (activeMs_ - sample.Ms >= windowMs) continue;
        const auto at = std::upper_bound(window_.begin(), window_.end(), sample.Size,
                                         [](float size, const Ranked& r) { return size < r.Size; });
        window_.insert(at, {n, sample.Ms, sample.Size});
    }
    windowTaken_ = taken_;
}

void SensorHealth::JudgeNoise(double arrayLevel, const SensorHealthLimits& limits) {
    lastJudged_ = activeMs_;
    UpdateWindow(limits.NoiseWindowMs);
    if (window_.size() < NoiseMinimumSamples) {
        level_ = -1.0;
        return;
    }
    level_ = window_[window_.size() / 2].Size;

    if (reference_ < 0.0) {
        reference_ = level_;
        referenceSince_ = activeMs_;
    }
    // The sensor's own level counts once it has been followed for a window.
    const double none = std::numeric_limits<double>::infinity();
    const bool ownReady = activeMs_ - referenceSince_ >= limits.NoiseWindowMs;
    const double base = std::min(ownReady ? reference_ : none, arrayLevel >= 0.0 ? arrayLevel : none);
    if (base != none) {
        // A quantised quiet sensor can show a level of 0: one resolution step is the least base.
        const double limit = limits.NoiseRatio * std::max(base, resolution_);
        if (level_ > limit) Set(SensorNoisy, true);
        if (level_ < NoiseClearShare * limit) Set(SensorNoisy, false);
    }
    if (!(faults_ & SensorNoisy)) {
        reference_ += (level_ - reference_) * (static_cast<double>(NoiseEvaluationMs) / NoiseReferenceMs);
    }
}

// ---------------------------------------------------------------- ArrayHealth

void ArrayHealth::Reset(int sensorCount) {
    sensors_.assign(static_cast<size_t>(std::max(sensorCount, 0)), SensorHealth());
    levels_.clear();
}

double ArrayHealth::ArrayLevelWithout(int sensor) const {
    levels_.clear();
    for (int s = 0; s < SensorCount(); ++s) {
        double level = sensors_[static_cast<size_t>(s)].NoiseLevel();
        if (s != sensor && level >= 0.0) levels_.push_back(level);
    }
    if (levels_.empty()) return -1.0;
    auto middle = levels_.begin() + static_cast<std::ptrdiff_t>(levels_.size() / 2);
    std::nth_element(levels_.begin(), middle, levels_.end());
    return *middle;
}

HealthChange ArrayHealth::Feed(int sensor, uint32_t tick, double value, ReadingField field) {
    HealthChange change;
    if (sensor < 0 || sensor >= SensorCount()) return change;
    SensorHealth& health = sensors_[static_cast<size_t>(sensor)];
    const uint32_t before = health.Faults();
    if (health.Feed(tick, value, field, Limits)) health.JudgeNoise(ArrayLevelWithout(sensor), Limits);
    const uint32_t after = health.Faults();
    change.Onsets = after & ~before;
    change.Clears = before & ~after;
    return change;
}

// ---------------------------------------------------------------- offline

void AppendHealthEvents(std::vector<HealthEvent>& events, int sensor, uint32_t tick, const HealthChange& change) {
    for (uint32_t bit = 1; bit <= SensorFieldBad; bit <<= 1) {
        if (change.Onsets & bit) events.push_back({sensor, tick, bit, true});
        if (change.Clears & bit) events.push_back({sensor, tick, bit, false});
    }
}

std::vector<HealthEvent> ScanReadings(const std::vector<SensorReading>& readings, int sensorCount,
                                      const SensorHealthLimits& limits) {
    ArrayHealth array(sensorCount);
    array.Limits = limits;
    std::vector<HealthEvent> events;
    for (const SensorReading& r : readings) {
        AppendHealthEvents(events, r.Sensor, r.Tick, array.Feed(r.Sensor, r.Tick, r.Value, r.Field));
    }
    return events;
}

}  // namespace tesselog
