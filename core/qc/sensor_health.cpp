#include "core/qc/sensor_health.h"

#include <algorithm>
#include <cmath>

namespace tesselog {

// ---------------------------------------------------------------- NoiseMeter

void NoiseMeter::Take(uint64_t ms, double second) {
    const Sample sample{ms, static_cast<float>(std::fabs(second))};
    if (samples_.size() < NoiseSampleCapacity) {
        samples_.push_back(sample);
    } else {
        samples_[taken_ % NoiseSampleCapacity] = sample;
    }
    ++taken_;
}

double NoiseMeter::Level(uint64_t now, uint32_t windowMs) {
    if (windowMs != windowMs_) {  // a new window: every sample of the ring looked at again
        window_.clear();
        windowTaken_ = 0;
        windowMs_ = windowMs;
    }
    // Those that left are dropped, the new ones put in their place.
    const uint64_t oldest = taken_ - samples_.size();  // the first still in the ring
    window_.erase(std::remove_if(window_.begin(), window_.end(),
                                 [&](const Ranked& r) { return r.Number < oldest || now - r.Ms >= windowMs; }),
                  window_.end());
    for (uint64_t n = std::max(windowTaken_, oldest); n < taken_; ++n) {
        const Sample& sample = samples_[n % NoiseSampleCapacity];
        if (now - sample.Ms >= windowMs) continue;
        const auto at = std::upper_bound(window_.begin(), window_.end(), sample.Size,
                                         [](float size, const Ranked& r) { return size < r.Size; });
        window_.insert(at, {n, sample.Ms, sample.Size});
    }
    windowTaken_ = taken_;
    if (window_.size() < NoiseMinimumSamples) return -1.0;
    // The middle fifth: spikes, and a sharp feature crossed in less than half
    // the window, are no noise.
    const size_t from = window_.size() * 2 / 5, to = std::max(window_.size() * 3 / 5, from + 1);
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += window_[i].Size;
    return sum / static_cast<double>(to - from);
}

// ---------------------------------------------------------------- SpanMeter

void SpanMeter::Take(uint64_t ms, double value) {
    const uint64_t number = ms / 1000;
    Second& s = seconds_[number % Seconds];
    if (s.Number != number) {
        s = {number, value, value};
        return;
    }
    s.Low = std::min(s.Low, value);
    s.High = std::max(s.High, value);
}

double SpanMeter::Span(uint64_t now, uint32_t windowMs) const {
    const uint64_t last = now / 1000;
    const uint64_t count = std::min<uint64_t>((windowMs + 999) / 1000, Seconds);
    bool any = false;
    double low = 0.0, high = 0.0;
    for (const Second& s : seconds_) {
        if (s.Number == UINT64_MAX || s.Number > last || last - s.Number >= count) continue;
        low = any ? std::min(low, s.Low) : s.Low;
        high = any ? std::max(high, s.High) : s.High;
        any = true;
    }
    return any ? high - low : -1.0;
}

// ---------------------------------------------------------------- FieldShare

void FieldShare::Take(uint64_t ms, bool bad) {
    // At most one reading a millisecond fits: the ring never drops one that counts.
    if (ring_.empty()) ring_.resize(FieldShareWindowMs / 8);
    while (count_ > 0 && (ms - ring_[head_].Ms >= FieldShareWindowMs || count_ == ring_.size())) {
        bad_ -= ring_[head_].Bad;
        head_ = (head_ + 1) % ring_.size();
        --count_;
    }
    ring_[(head_ + count_) % ring_.size()] = {ms, bad};
    ++count_;
    bad_ += bad;
}

double FieldShare::Share() const {
    if (count_ < FieldShareMinimum) return -1.0;
    const uint64_t spanned = ring_[(head_ + count_ - 1) % ring_.size()].Ms - ring_[head_].Ms;
    return spanned < FieldShareWindowMs / 2 ? -1.0 : static_cast<double>(bad_) / static_cast<double>(count_);
}

// ---------------------------------------------------------------- SensorHealth

void SensorHealth::Reset() { *this = SensorHealth(); }

void SensorHealth::Set(uint32_t bit, bool on) { faults_ = on ? faults_ | bit : faults_ & ~bit; }

bool SensorHealth::AtLimit(double value, const SensorHealthLimits& limits) const {
    return value >= limits.SaturationHigh || value <= limits.SaturationLow ||
           std::fabs(value) >= RangeSteps * step_ * (1.0 - 1e-9);
}

bool SensorHealth::Feed(uint32_t tick, double value, ReadingField field, double step,
                        const SensorHealthLimits& limits) {
    const uint32_t interval = any_ ? tick - lastTick_ : 0;
    const bool afterSilence = interval > HealthLongestIntervalMs;
    activeMs_ += afterSilence ? HealthLongestIntervalMs : interval;
    lastTick_ = tick;
    any_ = true;

    const bool good = field == ReadingField::Good && std::isfinite(value);
    if (field != ReadingField::Good) lastBadField_ = field;
    JudgeField(!good, limits);
    if (good) {
        if (step > 0.0) step_ = step;
        TakeValue(value, afterSilence, limits);
    } else {
        // A gap in the values: no difference across it, and no run of
        // one value either (the next value may happen to match the last).
        chain_ = 0;
        hasValue_ = false;
        Set(SensorFrozen, false);
    }
    if (!limits.FrozenOn) Set(SensorFrozen, false);
    if (!limits.NoisyOn) Set(SensorNoisy, false);
    return activeMs_ - lastJudged_ >= HealthJudgeMs;
}

void SensorHealth::JudgeField(bool bad, const SensorHealthLimits& limits) {
    share_.Take(activeMs_, bad);
    if (bad && !badRun_) badSince_ = activeMs_;
    badRun_ = bad;
    if (!limits.FieldOn) {
        Set(SensorFieldBad, false);
        return;
    }
    const double share = share_.Share();
    if (bad) {
        lastBad_ = activeMs_;
        if (activeMs_ - badSince_ >= limits.FieldMs || share > FieldShareLimit) Set(SensorFieldBad, true);
    } else if (activeMs_ - lastBad_ >= HealthRecoveryMs && share <= FieldShareLimit / 2.0) {
        Set(SensorFieldBad, false);
    }
}

void SensorHealth::TakeValue(double value, bool afterSilence, const SensorHealthLimits& limits) {
    if (!hasValue_ || value != runValue_) {
        hasValue_ = true;
        runValue_ = value;
        runStart_ = stillSince_ = activeMs_;
        Set(SensorFrozen, false);
    }
    // The still time starts again after a silence (without clearing
    // anything): it is held against the others' spans, which start again
    // there too.
    if (afterSilence) stillSince_ = activeMs_;
    // Spans only over recording without a silence: across a pause the array
    // stands somewhere else.
    if (afterSilence) span_ = SpanMeter();
    span_.Take(activeMs_, value);

    // Saturated: held at one value at or beyond a limit.
    if (limits.SaturatedOn && AtLimit(runValue_, limits) && activeMs_ - runStart_ >= limits.SaturatedMs) {
        Set(SensorSaturated, true);
        lastSaturated_ = activeMs_;
    } else if (!limits.SaturatedOn || activeMs_ - lastSaturated_ >= HealthRecoveryMs) {
        Set(SensorSaturated, false);
    }

    // Fourth differences for the noise level, only across readings without a silence.
    if (afterSilence) chain_ = 0;
    const double* p = previous_;
    if (chain_ >= 4) noise_.Take(activeMs_, (value - 4.0 * p[0] + 6.0 * p[1] - 4.0 * p[2] + p[3]) / 2.0);
    std::copy_backward(previous_, previous_ + 3, previous_ + 4);
    previous_[0] = value;
    chain_ = std::min(chain_ + 1, 4);
}

void SensorHealth::Judge(const ArrayView& array, const SensorHealthLimits& limits) {
    lastJudged_ = activeMs_;

    // Frozen: still for the time while every other sensor moved three steps of this console.
    const bool still = hasValue_ && activeMs_ - stillSince_ >= limits.FrozenMs && !AtLimit(runValue_, limits);
    const bool arrayMoves = array.Others == 0 || array.Span >= ArrayMovesSteps * step_ * (1.0 - 1e-9);
    if (limits.FrozenOn && still && arrayMoves) Set(SensorFrozen, true);

    level_ = noise_.Level(activeMs_, limits.NoiseWindowMs);
    if (level_ < 0.0) return;
    if (reference_ < 0.0) {
        reference_ = level_;
        referenceSince_ = activeMs_;
    }
    // Three sensors or more: the others' median. Alone or in a pair, its own
    // level too, once it has been followed for a window; a pair's rise that
    // both share lifts the base with the other's level.
    const bool ownReady = activeMs_ - referenceSince_ >= limits.NoiseWindowMs;
    double base = -1.0;
    if (array.Others >= 2) {
        base = array.Level;
    } else if (ownReady) {
        base = std::max(reference_, array.Level);
    }
    base_ = base < 0.0 ? -1.0 : std::max(base, NoiseFloor());
    if (limits.NoisyOn && base_ > 0.0) {
        const double limit = limits.NoiseRatio * base_;
        const bool above = level_ > limit;
        if (above && !above_) aboveSince_ = activeMs_;
        above_ = above;
        if (above && activeMs_ - aboveSince_ >= limits.NoiseWindowMs / 2) Set(SensorNoisy, true);
        if (level_ < NoiseClearShare * limit) Set(SensorNoisy, false);
    }
    if (faults_ == 0) {
        reference_ += (level_ - reference_) * (static_cast<double>(HealthJudgeMs) / NoiseReferenceMs);
    }
}

// ---------------------------------------------------------------- ArrayHealth

void ArrayHealth::Reset(int sensorCount) {
    sensors_.assign(static_cast<size_t>(std::max(sensorCount, 0)), SensorHealth());
    levels_.clear();
    spans_.clear();
}

namespace {

// The value a share of the way up from the lowest (0.5: the median).
double QuantileOf(std::vector<double>& values, double share) {
    if (values.empty()) return -1.0;
    auto at = values.begin() + static_cast<std::ptrdiff_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

}  // namespace

ArrayView ArrayHealth::ViewWithout(int sensor) const {
    ArrayView view;
    levels_.clear();
    spans_.clear();
    for (int s = 0; s < SensorCount(); ++s) {
        if (s == sensor) continue;
        const SensorHealth& other = sensors_[static_cast<size_t>(s)];
        ++view.Others;
        if (other.NoiseLevel() >= 0.0) levels_.push_back(std::max(other.NoiseLevel(), other.NoiseFloor()));
        // A sensor held still or at a limit by a fault of its own shows
        // nothing of how the ground moves.
        const double span = other.Span(Limits.FrozenMs);
        if (span >= 0.0 && !(other.Faults() & (SensorFrozen | SensorSaturated))) spans_.push_back(span);
    }
    view.Level = QuantileOf(levels_, 0.5);
    view.Span = QuantileOf(spans_, ArrayMovesShare);
    return view;
}

HealthChange ArrayHealth::Feed(int sensor, uint32_t tick, double value, ReadingField field, double step) {
    HealthChange change;
    if (sensor < 0 || sensor >= SensorCount()) return change;
    SensorHealth& health = sensors_[static_cast<size_t>(sensor)];
    const uint32_t before = health.Faults();
    if (health.Feed(tick, value, field, step, Limits)) health.Judge(ViewWithout(sensor), Limits);
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
        AppendHealthEvents(events, r.Sensor, r.Tick, array.Feed(r.Sensor, r.Tick, r.Value, r.Field, r.Step));
    }
    return events;
}

}  // namespace tesselog
