// The field warnings' own settings: a switch for every warning and the
// thresholds, in a small key=value file beside the main settings file. The
// main file keeps its 79 lines untouched; this one is created with the
// defaults when it is missing and is never needed: a missing key, a value
// that is not a number or lies outside its range takes its default, unknown
// keys and comment lines (";" or "#") are passed over, and a file that
// cannot be read or written leaves the defaults in use without a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/platform/file_system.h"
#include "core/qc/gap_finder.h"
#include "core/qc/logging_limits.h"
#include "core/qc/sensor_health.h"
#include "core/settings/settings.h"

namespace tesselog {

constexpr char QcSettingsFileName[] = "TESSELQC.INI";
// The file in the folder of the main settings file `mainPath`.
std::string QcSettingsPathBeside(const std::string& mainPath);

struct QcSettings {
    // One switch per warning, 1 on and 0 off, and the warning sound.
    int32_t FrozenOn = 1;
    int32_t SaturatedOn = 1;
    int32_t NoisyOn = 1;
    int32_t FieldOn = 1;
    int32_t PositionsOn = 1;
    int32_t DiskOn = 1;
    int32_t BatteryOn = 1;
    int32_t ClockOn = 1;
    int32_t TooFastOn = 1;
    int32_t GapsOn = 1;
    int32_t SoundOn = 1;

    // Sensor health (times in seconds, values in the console's units).
    double FrozenSeconds = 10.0;
    double SaturationLow = -999.0;
    double SaturationHigh = 9999.0;
    double SaturatedSeconds = 2.0;
    double NoiseRatio = 4.0;
    double NoiseWindowSeconds = 5.0;
    double FieldSeconds = 2.0;
    // Disk, battery, clock.
    double DiskMinutes = 10.0;
    double DiskFloorMegabytes = 50.0;
    int32_t BatteryFirstPercent = 20;
    int32_t BatteryLastPercent = 10;
    double ClockToleranceSeconds = 2.0;
    // The file's positions: warnings when the minutes left at the measured
    // fix rate fall below the first and again below the last.
    double PositionFirstMinutes = 10.0;
    double PositionLastMinutes = 3.0;
    // Coverage, in metres. The spacing is the target in-line interval: a
    // steady walk (0.8-1.2 m/s) with readings 4 to 10 a second stays below
    // it (0.30 m at most), a jog (2.5 m/s) with readings up to 6 a second
    // goes above it (0.42 m at 6). A gap width of 0 takes half the traverse
    // interval (the larger of the sensor separations in use).
    double SpacingLimitMetres = 0.4;
    // The ground speed held for two seconds that is too fast whatever the
    // readings' spacing: above a steady walk (0.8-1.2 m/s) and below a
    // brisk jog (2.5 m/s).
    double SpeedLimitMetresPerSecond = 2.0;
    double GapWidthMetres = 0.0;
};

// One setting: its key in the file, its control in the dialog, its range.
enum class QcValueKind { Switch, Whole, Real };
struct QcField {
    const char* Key;
    int ControlId;
    QcValueKind Kind;
    int32_t QcSettings::*Integer;  // Switch and Whole
    double QcSettings::*Real;      // Real
    double Min;
    double Max;
};
// Every setting, in the file's order.
extern const QcField QcFields[];
extern const size_t QcFieldCount;

// A value as the file and the dialog write it ("%g" of a real).
std::string QcValueText(const QcSettings& settings, const QcField& field);
// Reads `text` into the field when it is a number of the field's kind within
// its range (blanks around it allowed); false leaves the field as it was.
bool QcTakeValue(QcSettings& settings, const QcField& field, const std::string& text);

// The whole file, CR LF line ends.
std::string FormatQcSettingsFile(const QcSettings& settings);
// Settings from a file's text, tolerantly (LF-only line ends as well).
QcSettings ParseQcSettingsFile(const std::string& text);

// Reads the file when it can be opened; false leaves `settings` as it was.
bool ReadQcSettings(QcSettings& settings, FileSystem& fs, const std::string& path);

enum class QcFileOutcome { Loaded, Created, Unreadable };
// Reads the file, or writes it with the defaults when it is missing.
QcFileOutcome LoadOrCreateQcSettings(QcSettings& settings, FileSystem& fs, const std::string& path);
bool SaveQcSettings(const QcSettings& settings, FileSystem& fs, const std::string& path);

// The sensor limits in a line, for a report that says which it used:
// "frozen 10 s, saturated 2 s beyond -999..9999, noisy 4x over 5 s, bad
// field 2 s"; a switched-off rule shows as e.g. "frozen off".
std::string SensorLimitsText(const QcSettings& settings);

// What the rules take from the settings.
SensorHealthLimits SensorLimitsOf(const QcSettings& settings);
DiskLimits DiskLimitsOf(const QcSettings& settings);
BatteryLimits BatteryLimitsOf(const QcSettings& settings);
PositionLimits PositionLimitsOf(const QcSettings& settings);
// The larger of the two sensor separations of the array, in metres: the
// traverse interval the gaps are measured against.
double LargerSeparation(const Settings& settings);
double SpacingLimitMetres(const QcSettings& qc, const Settings& settings);
// The width of open ground between two lines' sensor paths, beyond their
// half intervals, that is a gap: by default half the traverse interval, so
// that lines 1.5 intervals apart or more leave one.
double GapWidthMetres(const QcSettings& qc, const Settings& settings);
// The gap finder's limits in map units (the display unit): the gap width,
// the search around each edge, and how far the painted swath's ends lie
// inside or outside the sensor paths' half intervals, so that the width
// is the same whatever the number of consoles.
GapLimits GapLimitsOf(const QcSettings& qc, const Settings& settings);

}  // namespace tesselog
