// Sensor health from the readings themselves. Each sensor of the array is
// watched on its own for four faults, and its noise is also held against the
// rest of the array:
//
//   frozen     no change beyond the console's resolution (the smallest change
//              the sensor has shown, so a last digit flickering between two
//              values is still no change) for FrozenMs, away from the range
//              limits (a sensor held at a limit is saturated);
//   saturated  at or beyond a range limit of the console for SaturatedMs;
//   noisy      the median size of its second differences (v[i] - 2 v[i-1] +
//              v[i-2], which a smooth anomaly barely moves) over the last
//              NoiseWindowMs far above its own level of the last minute, or far
//              above the median level of the other sensors;
//   bad field  its field in the sentence empty or garbled for FieldMs.
//
// Time is the sensor's own recording time: the ticks between its readings,
// with a silence longer than two seconds (a pause, a connection break)
// counted as two seconds, so a pause neither trips nor clears anything. A
// fault clears by itself when the sensor recovers: frozen at the first real
// change, noisy when the level falls back below 70% of its limit, saturated
// and bad field after a second without them.
//
// The rules know nothing but readings and ticks: the logging screen feeds
// them while recording, and a data file read back feeds them the same way
// (ScanReadings).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/qc/reading_fields.h"

namespace tesselog {

// Fault bits; a sensor can show several at once.
enum SensorFault : uint32_t {
    SensorFrozen = 1,
    SensorSaturated = 2,
    SensorNoisy = 4,
    SensorFieldBad = 8,
};

struct SensorHealthLimits {
    bool FrozenOn = true;
    uint32_t FrozenMs = 10000;
    bool SaturatedOn = true;
    double SaturationLow = -999.0;
    double SaturationHigh = 9999.0;
    uint32_t SaturatedMs = 2000;
    bool NoisyOn = true;
    double NoiseRatio = 4.0;
    uint32_t NoiseWindowMs = 5000;
    bool FieldOn = true;
    uint32_t FieldMs = 2000;
};

// The fixed parts of the rules.
constexpr uint32_t HealthLongestIntervalMs = 2000;  // a longer silence counts as this long
constexpr uint32_t HealthRecoveryMs = 1000;         // saturated and bad field clear after this long without
constexpr uint32_t NoiseEvaluationMs = 500;         // the noise level is measured this often
constexpr uint32_t NoiseReferenceMs = 60000;        // time constant of a sensor's own level
constexpr size_t NoiseSampleCapacity = 640;         // second differences kept (11 s at 56 readings a second)
constexpr size_t NoiseMinimumSamples = 8;
constexpr double NoiseClearShare = 0.7;

// Faults that began and ended with one reading.
struct HealthChange {
    uint32_t Onsets = 0;
    uint32_t Clears = 0;
    bool Any() const { return (Onsets | Clears) != 0; }
};

class SensorHealth {
public:
    void Reset();

    // One reading at `tick`; `value` counts only when the field is good.
    // True when the noise level is due to be measured (JudgeNoise).
    bool Feed(uint32_t tick, double value, ReadingField field, const SensorHealthLimits& limits);
    // Measures the noise level over the window and judges it against the
    // sensor's own level and `arrayLevel` (the other sensors' median; < 0
    // when there is none).
    void JudgeNoise(double arrayLevel, const SensorHealthLimits& limits);

    uint32_t Faults() const { return faults_; }
    // Missing or Malformed: the last bad field (for the warning's text).
    ReadingField LastBadField() const { return lastBadField_; }
    double NoiseLevel() const { return level_; }  // < 0: not measured yet
    double NoiseReference() const { return reference_; }
    double Resolution() const { return resolution_; }  // 0: no change seen yet
    uint64_t RecordingMs() const { return activeMs_; }

private:
    // A condition that raises its fault after lasting onsetMs and clears it
    // after being absent for HealthRecoveryMs.
    struct Streak {
        bool Present = false;
        uint64_t Since = 0;
        void Update(bool present, uint64_t now, uint32_t onsetMs, uint32_t bit, uint32_t& faults);
    };
    void TakeValue(double value, bool afterSilence, const SensorHealthLimits& limits);
    void Set(uint32_t bit, bool on);

    bool any_ = false;
    uint32_t lastTick_ = 0;
    uint64_t activeMs_ = 0;
    uint32_t faults_ = 0;

    int chain_ = 0;  // good readings in a row without a silence, at most 2
    bool hasValue_ = false;
    double previous_[2] = {};
    double resolution_ = 0.0;

    bool runOpen_ = false;
    double runMin_ = 0.0, runMax_ = 0.0;
    uint64_t runStart_ = 0;

    Streak saturation_, badField_;
    ReadingField lastBadField_ = ReadingField::Missing;

    struct Sample {
        uint64_t Ms;
        float Size;
    };
    void UpdateWindow(uint32_t windowMs);
    std::vector<Sample> samples_;  // ring of the latest second differences: sample n at n % capacity
    uint64_t taken_ = 0;           // samples ever taken
    // The ring's samples within the window in order of size, kept from one
    // measurement to the next: those that left are dropped, the new ones put
    // in their place.
    struct Ranked {
        uint64_t Number;
        uint64_t Ms;
        float Size;
    };
    std::vector<Ranked> window_;
    uint64_t windowTaken_ = 0;     // samples looked at for the window
    uint32_t windowMs_ = 0;
    uint64_t lastJudged_ = 0;
    double level_ = -1.0;
    double reference_ = -1.0;
    uint64_t referenceSince_ = 0;
};

// The whole array: one SensorHealth per sensor (0-based across the array),
// with the noise of each held against the others'.
class ArrayHealth {
public:
    explicit ArrayHealth(int sensorCount = 0) { Reset(sensorCount); }
    void Reset(int sensorCount);

    HealthChange Feed(int sensor, uint32_t tick, double value, ReadingField field);

    int SensorCount() const { return static_cast<int>(sensors_.size()); }
    const SensorHealth& Sensor(int sensor) const { return sensors_[static_cast<size_t>(sensor)]; }
    // The median noise level of every sensor but `sensor` (< 0: none known).
    double ArrayLevelWithout(int sensor) const;

    SensorHealthLimits Limits;

private:
    std::vector<SensorHealth> sensors_;
    mutable std::vector<double> levels_;
};

// A reading sequence run through the rules at once, as a data file read back
// gives it; the events in reading order.
struct SensorReading {
    int Sensor = 0;
    uint32_t Tick = 0;
    double Value = 0.0;
    ReadingField Field = ReadingField::Good;
};
struct HealthEvent {
    int Sensor = 0;
    uint32_t Tick = 0;
    uint32_t Fault = 0;  // one SensorFault bit
    bool Onset = true;
};
void AppendHealthEvents(std::vector<HealthEvent>& events, int sensor, uint32_t tick, const HealthChange& change);
std::vector<HealthEvent> ScanReadings(const std::vector<SensorReading>& readings, int sensorCount,
                                      const SensorHealthLimits& limits);

}  // namespace tesselog
