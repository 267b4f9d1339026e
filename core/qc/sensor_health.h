// Sensor health from the readings themselves, each sensor judged against the
// rest of the array, in nT, with its console's resolution (the step its
// field shows: 1 nT on the coarse range, 0.1 nT on the fine one) as the
// least change that counts:
//
//   frozen     no change at all for FrozenMs while the rest of the array
//              moves: every other sensor (but those frozen or saturated
//              themselves) spanned at least three of the sensor's steps
//              over that time (a lone sensor needs
//              only the time). A last digit that flickers is alive; an array
//              too quiet to move three steps says nothing about a still
//              sensor;
//   saturated  held at one value at or beyond the console's range (a
//              thousand steps from 0: 1000 nT coarse, 100 nT fine, wherever
//              it clips) or beyond the settings' limits, for SaturatedMs;
//   noisy      its noise level, the middle size of its fourth differences
//              halved ((v[i] - 4 v[i-1] + 6 v[i-2] - 4 v[i-3] + v[i-4]) / 2,
//              which the curvature of a feature crossed barely moves while
//              the noise shows 4.2 times its spread) over the last
//              NoiseWindowMs, above NoiseRatio times its base for half that
//              window. The base is the median level of the other sensors with three sensors or
//              more, so a rise the whole array shares (busy ground) is no
//              fault; a sensor standing alone (one or two in the array) uses
//              its own level of the last minute too. Every level counts at
//              least three quarters of a step of its console;
//   bad field  its field in the sentence empty or garbled for FieldMs in a
//              row, or in more than a tenth of its readings over the last
//              five seconds (a loose connector).
//
// Time is the sensor's own recording time: the ticks between its readings,
// with a silence longer than two seconds (a pause, a connection break)
// counted as two seconds, so a pause neither trips nor clears anything (the
// still time of frozen and the spans start again after it: the array then
// stands elsewhere). A
// fault clears by itself when the sensor recovers: frozen at the first
// change, noisy when the level falls back below 70% of its limit,
// saturated after a second without, a bad field after a second without and
// the share back under half its limit. No level adapts while its sensor
// shows a fault.
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
constexpr uint32_t HealthJudgeMs = 500;             // frozen and noisy are judged this often
constexpr uint32_t NoiseReferenceMs = 60000;        // time constant of a sensor's own level
constexpr size_t NoiseSampleCapacity = 640;         // differences kept (11 s at 56 readings a second)
constexpr size_t NoiseMinimumSamples = 8;
constexpr double NoiseClearShare = 0.7;
constexpr double NoiseFloorSteps = 0.75;            // the least level of a sensor, in its steps
constexpr double RangeSteps = 1000.0;               // the console's range, in its steps
// The array moves when every other sensor (the lowest of their spans)
// moved at least ArrayMovesSteps of the sensor's steps: a broad feature
// under most of the array does not move it.
constexpr double ArrayMovesShare = 0.0;
constexpr double ArrayMovesSteps = 3.0;
constexpr uint32_t FieldShareWindowMs = 5000;
constexpr double FieldShareLimit = 0.1;             // more than this share of bad fields in the window
constexpr size_t FieldShareMinimum = 10;            // readings in the window before a share counts (and half its time)

// Faults that began and ended with one reading.
struct HealthChange {
    uint32_t Onsets = 0;
    uint32_t Clears = 0;
    bool Any() const { return (Onsets | Clears) != 0; }
};

// The noise level of one sensor: its (fourth) differences of the last
// seconds, kept in order of size from one measurement to the next.
class NoiseMeter {
public:
    void Take(uint64_t ms, double second);
    // The middle size over the window: the mean of the middle fifth by size
    // (a median that quantised readings do not hold to whole steps); < 0
    // with fewer than NoiseMinimumSamples.
    double Level(uint64_t now, uint32_t windowMs);

private:
    struct Sample {
        uint64_t Ms;
        float Size;
    };
    struct Ranked {
        uint64_t Number;
        uint64_t Ms;
        float Size;
    };
    std::vector<Sample> samples_;  // ring: sample n at n % capacity
    uint64_t taken_ = 0;
    std::vector<Ranked> window_;   // the ring's samples within the window, by size
    uint64_t windowTaken_ = 0;
    uint32_t windowMs_ = 0;
};

// How far a sensor's value moved: its lowest and highest value in each
// second of its recording time, for the last 16 seconds.
class SpanMeter {
public:
    void Take(uint64_t ms, double value);
    // Highest less lowest over the seconds that end within `windowMs` of
    // `now`; < 0 when there was no value then.
    double Span(uint64_t now, uint32_t windowMs) const;

private:
    static constexpr int Seconds = 16;
    struct Second {
        uint64_t Number = UINT64_MAX;
        double Low = 0.0, High = 0.0;
    };
    Second seconds_[Seconds];
};

// The share of bad fields among a sensor's readings over the last
// FieldShareWindowMs.
class FieldShare {
public:
    void Take(uint64_t ms, bool bad);
    // < 0 while the window holds fewer than FieldShareMinimum readings or
    // spans less than half its time.
    double Share() const;

private:
    struct Field {
        uint64_t Ms;
        bool Bad;
    };
    std::vector<Field> ring_;  // oldest at head_
    size_t head_ = 0, count_ = 0, bad_ = 0;
};

// What the rest of the array shows, for judging one sensor.
struct ArrayView {
    int Others = 0;            // the other sensors of the array
    double Level = -1.0;       // their median noise level, each at least its floor (< 0: none known)
    double Span = -1.0;        // the lowest of their spans over the frozen time (< 0: none known)
};

class SensorHealth {
public:
    void Reset();

    // One reading at `tick`; `value` counts only when the field is good;
    // `step` is the resolution its field shows (0: not known, the last one
    // known stands, 1 at first). True when frozen and noisy are due to be
    // judged (Judge).
    bool Feed(uint32_t tick, double value, ReadingField field, double step, const SensorHealthLimits& limits);
    void Judge(const ArrayView& array, const SensorHealthLimits& limits);

    uint32_t Faults() const { return faults_; }
    // Missing or Malformed: the last bad field (for the warning's text).
    ReadingField LastBadField() const { return lastBadField_; }
    double NoiseLevel() const { return level_; }  // < 0: not measured yet
    double NoiseFloor() const { return NoiseFloorSteps * step_; }
    double NoiseBase() const { return base_; }    // what the level was last held against (< 0: nothing)
    double NoiseReference() const { return reference_; }
    double Step() const { return step_; }
    double Span(uint32_t windowMs) const { return span_.Span(activeMs_, windowMs); }
    double StillMs() const { return hasValue_ ? static_cast<double>(activeMs_ - stillSince_) : 0.0; }
    uint64_t RecordingMs() const { return activeMs_; }

private:
    void TakeValue(double value, bool afterSilence, const SensorHealthLimits& limits);
    void JudgeField(bool bad, const SensorHealthLimits& limits);
    bool AtLimit(double value, const SensorHealthLimits& limits) const;
    void Set(uint32_t bit, bool on);

    bool any_ = false;
    uint32_t lastTick_ = 0;
    uint64_t activeMs_ = 0;
    uint32_t faults_ = 0;
    double step_ = 1.0;

    // The run of one value: since when the sensor shows it.
    bool hasValue_ = false;
    double runValue_ = 0.0;
    uint64_t runStart_ = 0;
    uint64_t stillSince_ = 0;  // the run's start, or the last silence within it
    uint64_t lastSaturated_ = 0;

    int chain_ = 0;  // good readings in a row without a silence, at most 4
    double previous_[4] = {};  // the last first

    FieldShare share_;
    bool badRun_ = false;
    uint64_t badSince_ = 0;
    uint64_t lastBad_ = 0;
    ReadingField lastBadField_ = ReadingField::Missing;

    NoiseMeter noise_;
    SpanMeter span_;
    uint64_t lastJudged_ = 0;
    double level_ = -1.0;
    double base_ = -1.0;
    bool above_ = false;       // the level above its limit at the last judgement
    uint64_t aboveSince_ = 0;
    double reference_ = -1.0;
    uint64_t referenceSince_ = 0;
};

// The whole array: one SensorHealth per sensor (0-based across the array),
// each judged against the others.
class ArrayHealth {
public:
    explicit ArrayHealth(int sensorCount = 0) { Reset(sensorCount); }
    void Reset(int sensorCount);

    HealthChange Feed(int sensor, uint32_t tick, double value, ReadingField field, double step = 1.0);

    int SensorCount() const { return static_cast<int>(sensors_.size()); }
    const SensorHealth& Sensor(int sensor) const { return sensors_[static_cast<size_t>(sensor)]; }
    // The rest of the array as sensor `sensor` is judged against it.
    ArrayView ViewWithout(int sensor) const;

    SensorHealthLimits Limits;

private:
    std::vector<SensorHealth> sensors_;
    mutable std::vector<double> levels_, spans_;
};

// A reading sequence run through the rules at once, as a data file read back
// gives it; the events in reading order.
struct SensorReading {
    int Sensor = 0;
    uint32_t Tick = 0;
    double Value = 0.0;
    ReadingField Field = ReadingField::Good;
    double Step = 1.0;
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
