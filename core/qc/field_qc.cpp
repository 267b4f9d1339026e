#include "core/qc/field_qc.h"

#include <algorithm>
#include <cstdio>

#include "core/gps/coordinates.h"

namespace tesselog {
WarningKind SensorFaultKind(uint32_t fault) {
    return fault == SensorFrozen      ? WarningKind::SensorFrozen
           : fault == SensorSaturated ? WarningKind::SensorSaturated
           : fault == SensorNoisy     ? WarningKind::SensorNoisy
                                      : WarningKind::SensorField;
}

QcArray QcArrayOf(const Settings& s, const QcSettings& qc) {
    QcArray a;
    a.ConsoleCount = std::clamp(s.ConsoleCount, 0, MaxConsoles);
    for (int k = 0; k < a.ConsoleCount; ++k) {
        a.FirstSensor[k] = a.SensorCount;
        a.Sensors[k] = s.ConsoleType[k] == 1 ? 2 : 1;
        a.SensorCount += a.Sensors[k];
    }
    a.DisplayUnits = s.DisplayUnits;
    a.MetresPerMapUnit = DisplayUnitFactor(s.DisplayUnits);
    a.SpacingLimitMetres = SpacingLimitMetres(qc, s);
    a.SpeedLimitMetresPerSecond = qc.SpeedLimitMetresPerSecond;
    a.Gaps = GapLimitsOf(qc, s);
    return a;
}

std::string SensorWarningText(WarningKind kind, int sensor, ReadingField lastBadField) {
    char text[64];
    const char* what = kind == WarningKind::SensorFrozen      ? "frozen"
                       : kind == WarningKind::SensorSaturated ? "saturated"
                       : kind == WarningKind::SensorNoisy     ? "noisy"
                       : lastBadField == ReadingField::Malformed ? "value garbled"
                                                                 : "value missing";
    std::snprintf(text, sizeof text, "Sensor %d %s", sensor + 1, what);
    return text;
}

std::string GapWarningText(int gaps) {
    char text[48];
    std::snprintf(text, sizeof text, "%d gap%s between lines", gaps, gaps == 1 ? "" : "s");
    return text;
}

void FieldQc::Open(const Settings& settings, const QcSettings& qc) {
    warnings_.Reset();
    health_.Reset(0);
    positions_.Reset();
    disk_.Reset();
    battery_.Reset();
    clock_.Reset();
    spacing_.Reset();
    speed_.Reset();
    gaps_.Reset();
    std::fill(std::begin(readingsSinceFix_), std::end(readingsSinceFix_), 0);
    Apply(settings, qc);
    health_.Reset(array_.SensorCount);
}

void FieldQc::Apply(const Settings& settings, const QcSettings& qc) {
    qc_ = qc;
    array_ = QcArrayOf(settings, qc);
    health_.Limits = SensorLimitsOf(qc);
    const struct {
        int32_t On;
        WarningKind Kind;
    } switches[] = {
        {qc.FrozenOn, WarningKind::SensorFrozen},   {qc.SaturatedOn, WarningKind::SensorSaturated},
        {qc.NoisyOn, WarningKind::SensorNoisy},     {qc.FieldOn, WarningKind::SensorField},
        {qc.PositionsOn, WarningKind::PositionLimit}, {qc.DiskOn, WarningKind::DiskSpace},
        {qc.BatteryOn, WarningKind::Battery},       {qc.ClockOn, WarningKind::ClockOffset},
        {qc.TooFastOn, WarningKind::TooFast},       {qc.GapsOn, WarningKind::CoverageGaps},
    };
    for (const auto& s : switches) {
        if (s.On == 1) continue;
        if (!IsSensorWarning(s.Kind)) warnings_.Clear(s.Kind);
        for (int sensor = 0; IsSensorWarning(s.Kind) && sensor < MaxSensors; ++sensor) warnings_.Clear(s.Kind, sensor);
    }
    if (qc.GapsOn != 1) warnings_.SetGapCount(0);
}

void FieldQc::NewFile() {
    positions_.Reset();
    warnings_.Clear(WarningKind::PositionLimit);
    disk_.Reset();
}

void FieldQc::Go() {
    spacing_.Reset();
    speed_.Reset();
    gaps_.StartLine();
    std::fill(std::begin(readingsSinceFix_), std::end(readingsSinceFix_), 0);
}

void FieldQc::FeedSensor(int sensor, uint32_t tick, double value, const char* sentence, size_t length, int n) {
    health_.Feed(sensor, tick, value, ClassifyReadingField(sentence, length, n), ReadingFieldStep(sentence, length, n));
    // The warnings follow the faults as they stand (a warning switched off
    // and on again shows a fault that lasted meanwhile).
    const uint32_t faults = health_.Sensor(sensor).Faults();
    for (uint32_t bit = SensorFrozen; bit <= SensorFieldBad; bit <<= 1) {
        const WarningKind kind = SensorFaultKind(bit);
        const bool shown = warnings_.Active(kind, sensor);
        if (shown && !(faults & bit)) warnings_.Clear(kind, sensor);
        if (!shown && (faults & bit)) {
            warnings_.Raise(kind, sensor, SensorWarningText(kind, sensor, health_.Sensor(sensor).LastBadField()));
        }
    }
}

void FieldQc::Reading(int k, uint32_t tick, double value1, double value2, const char* sentence, size_t length) {
    if (k < 0 || k >= array_.ConsoleCount) return;
    ++readingsSinceFix_[k];
    const int first = array_.FirstSensor[k];
    FeedSensor(first, tick, value1, sentence, length, 1);
    if (array_.Sensors[k] == 2) FeedSensor(first + 1, tick, value2, sentence, length, 2);
}

void FieldQc::PositionCounted(uint32_t tick, int32_t count, int32_t limit) {
    const bool further = positions_.Count(tick, count, limit, PositionLimitsOf(qc_));
    if (qc_.PositionsOn != 1 || positions_.Stage() == 0) return;
    warnings_.Raise(WarningKind::PositionLimit, -1, PositionWarningText(positions_), further);
}

void FieldQc::Step(uint32_t tick, double stepMapUnits, double easting, double northing) {
    const double metres = array_.MetresPerMapUnit;
    spacing_.AddStep(tick, stepMapUnits * metres, readingsSinceFix_, array_.ConsoleCount, array_.SpacingLimitMetres);
    speed_.AddFix(tick, easting * metres, northing * metres, array_.SpeedLimitMetresPerSecond);
    std::fill(std::begin(readingsSinceFix_), std::end(readingsSinceFix_), 0);
    // Either rule shows the readings' spacing: a jog at 10 readings a second
    // spoils the line even though its readings lie closer than the target.
    const double spacing = spacing_.WidestSpacing();
    const bool tooFast = spacing_.TooFast() || (speed_.TooFast() && spacing >= 0.0);
    if (qc_.TooFastOn == 1 && tooFast) {
        warnings_.Raise(WarningKind::TooFast, -1, SpacingWarningText(spacing, array_.DisplayUnits));
    } else {
        warnings_.Clear(WarningKind::TooFast);
    }
}

void FieldQc::FixTime(double receiverSeconds, int32_t computerUtcMs) {
    clock_.Compare(receiverSeconds, computerUtcMs, qc_.ClockToleranceSeconds);
    if (qc_.ClockOn == 1 && clock_.Off()) {
        warnings_.Raise(WarningKind::ClockOffset, -1, ClockWarningText(clock_.Difference()));
    } else {
        warnings_.Clear(WarningKind::ClockOffset);
    }
}

const std::vector<GapQuad>& FieldQc::SwathEdge(const GapEdge& edge) {
    if (qc_.GapsOn != 1) return none_;
    const int found = gaps_.GapsFound();
    const int before = warnings_.GapCount();
    const std::vector<GapQuad>& added = gaps_.AddEdge(edge, array_.Gaps);
    const int open = gaps_.OpenGaps();
    const bool newGap = gaps_.GapsFound() != found;
    warnings_.SetGapCount(open);
    if (open == 0) {
        warnings_.Clear(WarningKind::CoverageGaps);
    } else if (open != before || newGap) {
        // Each new gap is an onset of its own.
        warnings_.Raise(WarningKind::CoverageGaps, -1, GapWarningText(open), newGap);
    }
    return added;
}

bool FieldQc::Watch(uint32_t tick, bool fileOpen, DiskSpace& disk, const std::string& dataFilePath,
                    uint64_t bytesWritten, PowerSource& power) {
    if (!fileOpen) warnings_.Clear(WarningKind::DiskSpace);  // no file: no disk of it to watch
    if (fileOpen && disk_.Due(tick)) {
        uint64_t free = 0;
        const bool known = disk.FreeBytes(dataFilePath, free);
        disk_.Check(tick, known, free, bytesWritten, DiskLimitsOf(qc_));
        if (qc_.DiskOn == 1 && disk_.Low()) {
            warnings_.Raise(WarningKind::DiskSpace, -1, DiskWarningText(disk_));
        } else {
            warnings_.Clear(WarningKind::DiskSpace);
        }
    }
    const bool further = battery_.Check(power.Status(), BatteryLimitsOf(qc_));
    if (qc_.BatteryOn != 1 || battery_.Stage() == 0) {
        warnings_.Clear(WarningKind::Battery);
        return false;
    }
    warnings_.Raise(WarningKind::Battery, -1, BatteryWarningText(battery_), further);
    return further;
}

bool FieldQc::TakeSound() { return warnings_.TakeSoundDue() && qc_.SoundOn == 1; }

}  // namespace tesselog
