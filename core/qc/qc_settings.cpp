#include "core/qc/qc_settings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "core/common/text_format.h"
#include "core/common/length_units.h"
#include "core/platform/whole_file.h"
#include "core/settings/sensor_tables.h"
#include "resources/qc_dialog_ids.h"

namespace tesselog {
namespace {

constexpr size_t QcLineMaxLength = 200;

QcField Switch(const char* key, int id, int32_t QcSettings::*member) {
    return {key, id, QcValueKind::Switch, member, nullptr, 0.0, 1.0};
}
QcField Whole(const char* key, int id, int32_t QcSettings::*member, double min, double max) {
    return {key, id, QcValueKind::Whole, member, nullptr, min, max};
}
QcField Real(const char* key, int id, double QcSettings::*member, double min, double max) {
    return {key, id, QcValueKind::Real, nullptr, member, min, max};
}

std::string Trimmed(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

bool SameKey(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

const QcField QcFields[] = {
    Switch("SensorFrozen", IDC_QC_FROZEN_ON, &QcSettings::FrozenOn),
    Real("FrozenSeconds", IDC_QC_FROZEN_SECONDS, &QcSettings::FrozenSeconds, 1.0, 3600.0),
    Switch("SensorSaturated", IDC_QC_SATURATED_ON, &QcSettings::SaturatedOn),
    Real("SaturationLow", IDC_QC_SATURATION_LOW, &QcSettings::SaturationLow, -1e9, 1e9),
    Real("SaturationHigh", IDC_QC_SATURATION_HIGH, &QcSettings::SaturationHigh, -1e9, 1e9),
    Real("SaturatedSeconds", IDC_QC_SATURATED_SECONDS, &QcSettings::SaturatedSeconds, 0.0, 3600.0),
    Switch("SensorNoisy", IDC_QC_NOISY_ON, &QcSettings::NoisyOn),
    Real("NoiseRatio", IDC_QC_NOISE_RATIO, &QcSettings::NoiseRatio, 1.5, 100.0),
    Real("NoiseWindowSeconds", IDC_QC_NOISE_WINDOW, &QcSettings::NoiseWindowSeconds, 1.0, 10.0),
    Switch("SensorField", IDC_QC_FIELD_ON, &QcSettings::FieldOn),
    Real("FieldSeconds", IDC_QC_FIELD_SECONDS, &QcSettings::FieldSeconds, 0.0, 3600.0),
    Switch("PositionLimit", IDC_QC_POSITIONS_ON, &QcSettings::PositionsOn),
    Real("PositionFirstMinutes", IDC_QC_POSITION_FIRST, &QcSettings::PositionFirstMinutes, 0.1, 1440.0),
    Real("PositionLastMinutes", IDC_QC_POSITION_LAST, &QcSettings::PositionLastMinutes, 0.1, 1440.0),
    Switch("DiskSpace", IDC_QC_DISK_ON, &QcSettings::DiskOn),
    Real("DiskMinutes", IDC_QC_DISK_MINUTES, &QcSettings::DiskMinutes, 0.0, 1440.0),
    Real("DiskFloorMB", IDC_QC_DISK_FLOOR, &QcSettings::DiskFloorMegabytes, 0.0, 1e6),
    Switch("Battery", IDC_QC_BATTERY_ON, &QcSettings::BatteryOn),
    Whole("BatteryFirstPercent", IDC_QC_BATTERY_FIRST, &QcSettings::BatteryFirstPercent, 1.0, 100.0),
    Whole("BatteryLastPercent", IDC_QC_BATTERY_LAST, &QcSettings::BatteryLastPercent, 0.0, 100.0),
    Switch("ClockCheck", IDC_QC_CLOCK_ON, &QcSettings::ClockOn),
    Real("ClockToleranceSeconds", IDC_QC_CLOCK_TOLERANCE, &QcSettings::ClockToleranceSeconds, 0.5, 86400.0),
    Switch("TooFast", IDC_QC_TOO_FAST_ON, &QcSettings::TooFastOn),
    Real("SpacingLimitMetres", IDC_QC_SPACING_LIMIT, &QcSettings::SpacingLimitMetres, 0.01, 100.0),
    Real("SpeedLimitMetresPerSecond", IDC_QC_SPEED_LIMIT, &QcSettings::SpeedLimitMetresPerSecond, 0.1, 100.0),
    Switch("CoverageGaps", IDC_QC_GAPS_ON, &QcSettings::GapsOn),
    Real("GapWidthMetres", IDC_QC_GAP_WIDTH, &QcSettings::GapWidthMetres, 0.0, 1000.0),
    Switch("WarningSound", IDC_QC_SOUND_ON, &QcSettings::SoundOn),
};
const size_t QcFieldCount = sizeof QcFields / sizeof QcFields[0];

std::string QcValueText(const QcSettings& settings, const QcField& field) {
    if (field.Kind == QcValueKind::Real) return FormatNumber("%.10g", settings.*field.Real);
    return FormatInt("%d", settings.*field.Integer);
}

bool QcTakeValue(QcSettings& settings, const QcField& field, const std::string& text) {
    const std::string value = Trimmed(text);
    if (value.empty() || value.size() > 40) return false;
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (*end != '\0' || !std::isfinite(number) || number < field.Min || number > field.Max) return false;
    if (field.Kind == QcValueKind::Real) {
        settings.*field.Real = number;
        return true;
    }
    if (number != std::floor(number)) return false;
    settings.*field.Integer = static_cast<int32_t>(number);
    return true;
}

std::string FormatQcSettingsFile(const QcSettings& settings) {
    std::string text =
        "; Tesselog field warnings: one setting a line, name=value. A missing line or a\r\n"
        "; value out of its range takes the default. Switches: 1 on, 0 off. Times in\r\n"
        "; seconds; a gap width of 0 is half the larger sensor separation.\r\n";
    for (size_t i = 0; i < QcFieldCount; ++i) {
        text += QcFields[i].Key;
        text += '=';
        text += QcValueText(settings, QcFields[i]);
        text += "\r\n";
    }
    return text;
}

QcSettings ParseQcSettingsFile(const std::string& text) {
    QcSettings settings;
    const QcSettings defaults;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, std::min(end - start, QcLineMaxLength));
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = Trimmed(line);
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == ';' || line[0] == '#' || equals == std::string::npos) continue;
        const std::string key = Trimmed(line.substr(0, equals));
        for (size_t i = 0; i < QcFieldCount; ++i) {
            const QcField& field = QcFields[i];
            if (!SameKey(key, field.Key)) continue;
            if (!QcTakeValue(settings, field, line.substr(equals + 1))) {
                if (field.Kind == QcValueKind::Real) settings.*field.Real = defaults.*field.Real;
                else settings.*field.Integer = defaults.*field.Integer;
            }
        }
    }
    // A pair in the wrong order is no pair: both take their defaults.
    if (!(settings.SaturationLow < settings.SaturationHigh)) {
        settings.SaturationLow = defaults.SaturationLow;
        settings.SaturationHigh = defaults.SaturationHigh;
    }
    if (!(settings.BatteryLastPercent < settings.BatteryFirstPercent)) {
        settings.BatteryFirstPercent = defaults.BatteryFirstPercent;
        settings.BatteryLastPercent = defaults.BatteryLastPercent;
    }
    if (!(settings.PositionLastMinutes < settings.PositionFirstMinutes)) {
        settings.PositionFirstMinutes = defaults.PositionFirstMinutes;
        settings.PositionLastMinutes = defaults.PositionLastMinutes;
    }
    return settings;
}

bool ReadQcSettings(QcSettings& settings, FileSystem& fs, const std::string& path) {
    std::unique_ptr<File> file = fs.Open(path, OpenMode::ReadExisting);
    if (!file) return false;
    // A settings file is small; anything past 64 KiB is not one of ours.
    std::string text;
    char block[4096];
    for (size_t n; text.size() < 65536 && (n = file->Read(block, sizeof block)) > 0;) text.append(block, n);
    settings = ParseQcSettingsFile(text);
    return true;
}

QcFileOutcome LoadOrCreateQcSettings(QcSettings& settings, FileSystem& fs, const std::string& path) {
    if (ReadQcSettings(settings, fs, path)) return QcFileOutcome::Loaded;
    settings = QcSettings();
    return SaveQcSettings(settings, fs, path) ? QcFileOutcome::Created : QcFileOutcome::Unreadable;
}

std::string SensorLimitsText(const QcSettings& s) {
    auto number = [](double x) { return FormatNumber("%g", x); };
    std::string text = s.FrozenOn == 1 ? "frozen " + number(s.FrozenSeconds) + " s" : "frozen off";
    text += s.SaturatedOn == 1 ? ", saturated " + number(s.SaturatedSeconds) + " s beyond " +
                                     number(s.SaturationLow) + ".." + number(s.SaturationHigh)
                               : ", saturated off";
    text += s.NoisyOn == 1 ? ", noisy " + number(s.NoiseRatio) + "x over " + number(s.NoiseWindowSeconds) + " s"
                           : ", noisy off";
    text += s.FieldOn == 1 ? ", bad field " + number(s.FieldSeconds) + " s" : ", bad field off";
    return text;
}

std::string QcSettingsPathBeside(const std::string& mainPath) { return PathBeside(mainPath, QcSettingsFileName); }

bool SaveQcSettings(const QcSettings& settings, FileSystem& fs, const std::string& path) {
    return ReplaceFileWhole(fs, path, FormatQcSettingsFile(settings));
}

SensorHealthLimits SensorLimitsOf(const QcSettings& s) {
    auto ms = [](double seconds) { return static_cast<uint32_t>(std::lround(seconds * 1000.0)); };
    SensorHealthLimits limits;
    limits.FrozenOn = s.FrozenOn == 1;
    limits.FrozenMs = ms(s.FrozenSeconds);
    limits.SaturatedOn = s.SaturatedOn == 1;
    limits.SaturationLow = s.SaturationLow;
    limits.SaturationHigh = s.SaturationHigh;
    limits.SaturatedMs = ms(s.SaturatedSeconds);
    limits.NoisyOn = s.NoisyOn == 1;
    limits.NoiseRatio = s.NoiseRatio;
    limits.NoiseWindowMs = ms(s.NoiseWindowSeconds);
    limits.FieldOn = s.FieldOn == 1;
    limits.FieldMs = ms(s.FieldSeconds);
    return limits;
}

DiskLimits DiskLimitsOf(const QcSettings& s) {
    DiskLimits limits;
    limits.Minutes = s.DiskMinutes;
    limits.FloorBytes = static_cast<uint64_t>(s.DiskFloorMegabytes * static_cast<double>(Megabyte));
    return limits;
}

BatteryLimits BatteryLimitsOf(const QcSettings& s) { return {s.BatteryFirstPercent, s.BatteryLastPercent}; }

PositionLimits PositionLimitsOf(const QcSettings& s) { return {s.PositionFirstMinutes, s.PositionLastMinutes}; }

double LargerSeparation(const Settings& s) {
    // Only the separations the array has: a two-sensor console's unit
    // separation, and the console separation between two consoles or more.
    double larger = 0.0;
    if (s.TwoSensorConsoleCount > 0) larger = s.UnitSensorSeparation;
    if (s.ConsoleCount > 1) larger = std::max(larger, s.ConsoleSeparation);
    return larger > 0.0 ? larger : std::max(s.UnitSensorSeparation, s.ConsoleSeparation);
}

double SpacingLimitMetres(const QcSettings& qc, const Settings&) { return qc.SpacingLimitMetres; }

double GapWidthMetres(const QcSettings& qc, const Settings& s) {
    return qc.GapWidthMetres > 0.0 ? qc.GapWidthMetres : LargerSeparation(s) / 2.0;
}

GapLimits GapLimitsOf(const QcSettings& qc, const Settings& s) {
    const double metresPerUnit = DisplayUnitFactor(s.DisplayUnits);
    const double interval = LargerSeparation(s) / metresPerUnit;
    GapLimits g;
    g.GapWidth = GapWidthMetres(qc, s) / metresPerUnit;
    // The painted swath reaches a margin beyond the outer sensors (a quarter
    // metre for one console, half the smaller separation for more); the
    // ground a line surveys reaches half the traverse interval.
    g.EdgeWidening = interval / 2.0 - SwathMargin(s.ConsoleCount, std::min(s.UnitSensorSeparation,
                                                                         s.ConsoleSeparation)) / metresPerUnit;
    const double swath = s.SwathEdgeNear + s.SwathEdgeFar + 2.0 * g.EdgeWidening;
    // Two swath widths beyond each end, enough for a skipped line.
    g.SearchWidth = std::max(2.0 * swath, 6.0 * g.GapWidth);
    // A line walked on through its turn counts as an earlier one two swath
    // widths behind on its path: past its own turn, and soon enough that the
    // line just walked bounds a gap beside a short line.
    g.SelfPathLength = 2.0 * swath;
    g.DirectionPath = std::max(2.0, 2.0 * interval);
    g.MinStep = interval / 4.0;
    // A gap counts once it runs two metres (two intervals of a wider
    // array) along a line: the wedge a turn leaves between the swaths
    // lies across a line's end, not along it.
    g.LeastLength = std::max(2.0, 2.0 * interval);
    if (s.SwathEdgeNear + s.SwathEdgeFar > 0.0) {
        g.NearShare = (s.SwathEdgeNear + g.EdgeWidening) / swath;
    }
    return g;
}

}  // namespace tesselog
