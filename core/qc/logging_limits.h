// The limits a field day runs into while recording: the file's positions,
// the disk and the battery. Each rule is a small state machine fed with what
// the logging screen already has (the position count, the file's size, the
// free space and the power status); it says when to warn and what is left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/platform/battery.h"

namespace tesselog {

// ---------------------------------------------------------------- positions

// Stages of the countdown to the file's limit of positions, in minutes left
// at the measured fix rate, so that a 20 Hz receiver is warned as early in
// time as a 1 Hz one.
struct PositionLimits {
    double FirstMinutes = 10.0;
    double LastMinutes = 3.0;
};
// The fix rate is measured over the last minute of counted positions; it is
// known once it spans ten seconds, and a silence of five seconds (a pause)
// starts it again. The first five seconds of positions after a start are
// left out: positions that waited in the port (while the file was opened, or
// a dialog held the screen) come in a burst, which would make the rate look
// far higher than the receiver's. Until it is known again the rate measured
// last stands for it: a pause does not change the receiver.
constexpr uint32_t FixRateWindowMs = 60000;
constexpr uint32_t FixRateSettleMs = 5000;
constexpr uint32_t FixRateLeastSpanMs = 10000;
constexpr uint32_t FixRateLongestGapMs = 5000;

class PositionCountdown {
public:
    // A new file (or a file appended to: the count then starts high).
    void Reset() { *this = PositionCountdown(); }

    // A position counted while recording: its tick, the file's count after it
    // and the file's limit. True when the time left has just fallen below a
    // further stage (each stage once per file). While no rate has been
    // measured yet only a full file is a stage.
    bool Count(uint32_t tick, int32_t count, int32_t limit, const PositionLimits& limits);

    int Stage() const { return stage_; }  // 0, 1 below the first minutes, 2 below the last
    int32_t Left() const { return left_; }
    double FixesPerSecond() const;        // the last measured; 0: none yet
    double SecondsLeft() const;           // < 0: no rate measured yet

private:
    double MeasuredRate() const;          // over the window; 0 while it is too short
    static constexpr size_t Samples = 64;  // one a second at most: more than the window
    struct Sample {
        uint32_t Tick;
        int32_t Count;
    };
    Sample samples_[Samples] = {};
    size_t first_ = 0, size_ = 0;
    Sample latest_ = {};
    bool any_ = false;
    uint32_t startTick_ = 0;  // of the first position after a start or a pause
    double lastRate_ = 0.0;
    int stage_ = 0;
    int32_t left_ = 0;
};

// "Positions: 12 min left - start a new file"; "under 1 min"; the positions
// left while no fix rate has been measured.
std::string PositionWarningText(const PositionCountdown& countdown);

// ---------------------------------------------------------------- disk

constexpr uint32_t DiskCheckIntervalMs = 60000;
constexpr uint64_t Megabyte = 1024 * 1024;

struct DiskLimits {
    double Minutes = 10.0;          // of recording at the current rate
    uint64_t FloorBytes = 50 * Megabyte;
};

class DiskRule {
public:
    void Reset() { *this = DiskRule(); }
    // Once a minute (the first check at once).
    bool Due(uint32_t tick) const { return !checked_ || tick - lastCheck_ >= DiskCheckIntervalMs; }
    // The free space (known false: the system could not tell) and every byte
    // written to the data file so far. The rate is that of the last minute in
    // which something was written, so a pause keeps it.
    void Check(uint32_t tick, bool known, uint64_t freeBytes, uint64_t bytesWritten, const DiskLimits& limits);

    bool Low() const { return low_; }
    uint64_t FreeBytes() const { return free_; }
    double BytesPerMinute() const { return perMinute_; }
    double MinutesLeft() const { return perMinute_ > 0.0 ? static_cast<double>(free_) / perMinute_ : -1.0; }

private:
    bool checked_ = false;
    uint32_t lastCheck_ = 0;
    uint64_t lastWritten_ = 0;
    uint64_t free_ = 0;
    double perMinute_ = 0.0;
    bool low_ = false;
};

// "Disk: 41 MB free - about 8 min of recording left", or "Disk: 41 MB free".
std::string DiskWarningText(const DiskRule& disk);

// ---------------------------------------------------------------- battery

struct BatteryLimits {
    int32_t FirstPercent = 20;
    int32_t LastPercent = 10;
};
// Charged this far above the first warning (or back on mains), the battery
// warnings are armed again.
constexpr int32_t BatteryRearmPercent = 5;

class BatteryRule {
public:
    void Reset() { *this = BatteryRule(); }
    // True when the charge has just fallen to a further stage: the caller
    // flushes the data file to the disk at once.
    bool Check(const PowerStatus& status, const BatteryLimits& limits);

    int Stage() const { return stage_; }  // 0, 1 at the first warning, 2 at the last
    int32_t Percent() const { return percent_; }

private:
    int stage_ = 0;
    int32_t percent_ = -1;
};

// "Battery 18% - data saved, plug in the charger"; at the last stage "...
// change the battery now".
std::string BatteryWarningText(const BatteryRule& battery);

}  // namespace tesselog
