// The field warnings' rules together, as the logging screen drives them.
// Every input is something a handler already has:
//
//   Reading        console k's reading handler, while recording, before it
//                  empties the sentence slot (the sentence is looked at for
//                  the fields, the values for the sensor health);
//   PositionCounted the GPS position handler, for each position it counts;
//   Step           the GPS position handler, for each valid fix while
//                  recording: its step and its place in the map's unit (the
//                  step closes the readings counted since the last fix, for
//                  the spacing; the place gives the ground speed);
//   FixTime        the GPS position handler, for each valid fix;
//   SwathEdge      the map drawing, for each swath edge it records;
//   Watch          timer 1, once a second (disk once a minute, battery);
//   Open, NewFile, Go, Apply  the logging screen's own moments.
//
// What to show lands in the FieldWarnings record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/battery.h"
#include "core/platform/disk_space.h"
#include "core/qc/clock_check.h"
#include "core/qc/field_warnings.h"
#include "core/qc/gap_finder.h"
#include "core/qc/logging_limits.h"
#include "core/qc/qc_settings.h"
#include "core/qc/sensor_health.h"
#include "core/qc/spacing_rule.h"
#include "core/qc/speed_rule.h"
#include "core/settings/settings.h"

namespace tesselog {

// The array and the map units as the rules need them.
struct QcArray {
    int ConsoleCount = 0;
    int SensorCount = 0;
    int FirstSensor[MaxConsoles] = {};
    int Sensors[MaxConsoles] = {};
    int32_t DisplayUnits = 0;
    double MetresPerMapUnit = 1.0;
    double SpacingLimitMetres = 1.0;
    double SpeedLimitMetresPerSecond = 2.0;
    GapLimits Gaps;  // map units
};
QcArray QcArrayOf(const Settings& settings, const QcSettings& qc);

// The warning of one SensorFault bit.
WarningKind SensorFaultKind(uint32_t fault);
// The status texts of the sensor warnings: "Sensor 3 frozen", "Sensor 3
// saturated", "Sensor 3 noisy", "Sensor 4 value missing", "Sensor 4 value
// garbled" (sensors counted from 1 across the array).
std::string SensorWarningText(WarningKind kind, int sensor, ReadingField lastBadField);
// "1 gap between lines", "3 gaps between lines".
std::string GapWarningText(int gaps);

class FieldQc {
public:
    explicit FieldQc(FieldWarnings& warnings) : warnings_(warnings) {}

    // The logging screen opens: everything starts afresh.
    void Open(const Settings& settings, const QcSettings& qc);
    // New thresholds and switches (the dialog's OK); a warning switched off
    // is cleared at once.
    void Apply(const Settings& settings, const QcSettings& qc);
    // A new data file, or an existing one appended to.
    void NewFile();
    // Each "&Go": a new line for the gaps, a new window for the spacing.
    void Go();

    void Reading(int k, uint32_t tick, double value1, double value2, const char* sentence, size_t length);
    void PositionCounted(uint32_t tick, int32_t count, int32_t limit);
    void Step(uint32_t tick, double stepMapUnits, double easting, double northing);
    void FixTime(double receiverSeconds, int32_t computerUtcMs);
    // The gap pieces this edge adds, to paint.
    const std::vector<GapQuad>& SwathEdge(const GapEdge& edge);
    // True when the data file must go to the disk now (the battery fell to a
    // further stage). fileOpen: whether there is a data file (the disk is
    // checked only then); bytesWritten: its size so far.
    bool Watch(uint32_t tick, bool fileOpen, DiskSpace& disk, const std::string& dataFilePath,
               uint64_t bytesWritten, PowerSource& power);

    // True once after one or more onsets, when the warning sound is on.
    bool TakeSound();

    const ArrayHealth& Health() const { return health_; }
    const GapFinder& Gaps() const { return gaps_; }
    const QcArray& Array() const { return array_; }

private:
    // Field n of the sentence is sensor `sensor`'s.
    void FeedSensor(int sensor, uint32_t tick, double value, const char* sentence, size_t length, int n);

    FieldWarnings& warnings_;
    QcSettings qc_;
    QcArray array_;
    ArrayHealth health_;
    PositionCountdown positions_;
    DiskRule disk_;
    BatteryRule battery_;
    ClockCheck clock_;
    SpacingRule spacing_;
    SpeedRule speed_;
    GapFinder gaps_;
    int32_t readingsSinceFix_[MaxConsoles] = {};
    std::vector<GapQuad> none_;
};

}  // namespace tesselog
