// The field warnings as the logging screen draws them: which are active,
// their short texts, and the onsets and clears since the screen last looked.
// The rules raise and clear warnings here; the screen draws the status line
// from ActiveTexts, colours a console's row of the numbers pane with
// ConsoleRowReason, the speed bar with TooFastShown, counts the gaps from
// GapCount, and plays the one warning sound when TakeSoundDue says so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/settings/settings.h"

namespace tesselog {

// In order of importance: the status area lists active warnings in this order.
enum class WarningKind : uint8_t {
    PositionLimit,    // the file's positions running out
    DiskSpace,
    Battery,
    SensorField,      // per sensor: its field empty or garbled
    SensorSaturated,  // per sensor
    SensorFrozen,     // per sensor
    SensorNoisy,      // per sensor
    ClockOffset,
    TooFast,
    CoverageGaps,
};
constexpr int WarningKindCount = 10;
bool IsSensorWarning(WarningKind kind);

struct WarningEvent {
    WarningKind Kind = WarningKind::PositionLimit;
    int Sensor = -1;  // 0-based across the array for the sensor warnings, else -1
    bool Onset = true;
    std::string Text;
};

struct ActiveWarning {
    WarningKind Kind;
    int Sensor;
    const std::string* Text;
};

class FieldWarnings {
public:
    // Raises a warning or updates its text. An inactive warning becomes an
    // onset; an active one only takes the new text, unless `again` (a further
    // stage of the same warning: 97% after 90%, the last battery warning),
    // which is an onset once more.
    void Raise(WarningKind kind, int sensor, const std::string& text, bool again = false);
    void Clear(WarningKind kind, int sensor = -1);
    // Everything off, without events (a new logging screen).
    void Reset() { *this = FieldWarnings(); }

    bool Active(WarningKind kind, int sensor = -1) const;
    const std::string& Text(WarningKind kind, int sensor = -1) const;
    std::vector<ActiveWarning> ActiveTexts() const;

    // A console's row of the numbers pane: "" when its sensors are well,
    // else the most important reason, e.g. "frozen", or per sensor of a
    // two-sensor console "L frozen", "R noisy", "L saturated, R frozen".
    std::string ConsoleRowReason(int firstSensor, int sensorCount) const;
    bool TooFastShown() const { return Active(WarningKind::TooFast); }
    int GapCount() const { return gapCount_; }
    void SetGapCount(int count) { gapCount_ = count; }

    // Onsets and clears since the last call, in order.
    std::vector<WarningEvent> TakeEvents();
    // True once after one or more onsets (the one warning sound).
    bool TakeSoundDue();

private:
    struct Slot {
        bool Active = false;
        std::string Text;
    };
    Slot& SlotOf(WarningKind kind, int sensor);
    const Slot* Find(WarningKind kind, int sensor) const;

    Slot sensors_[4][MaxSensors];
    Slot others_[WarningKindCount];
    std::vector<WarningEvent> events_;
    bool soundDue_ = false;
    int gapCount_ = 0;
};

// The short word of a sensor warning for the numbers pane.
const char* SensorReasonWord(WarningKind kind);

}  // namespace tesselog
