// The sensor rules' catalogue of tesselog-field-check: quiet surveys a
// surveyor walks every day, each an hour of survey time, which must raise no
// sensor warning, and the faults a sensor or its connector shows, each of
// which must raise its warning within the time stated and clear after.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/qc/field_warnings.h"

namespace tesselog::sim {

struct SensorCheckCase {
    std::string Name;
    std::vector<std::string> Options;  // the simulator's, after "--seed N"
    double Seconds = 3600.0;
    bool Fault = false;
    // Fault cases: the warning of sensor `Sensor` (0-based across the array)
    // within WithinSeconds of FaultStart, cleared within ClearSeconds of FaultEnd.
    WarningKind Expected = WarningKind::SensorFrozen;
    int Sensor = -1;
    double FaultStart = 0.0;
    double FaultEnd = 0.0;
    double WithinSeconds = 0.0;
    double ClearSeconds = 0.0;
    bool Missed = false;  // a fault no rule is meant to catch: shown, not failed
};

std::vector<SensorCheckCase> SensorCheckCases(double quietSeconds = 3600.0);

struct SensorCheckResult {
    int FalseAlarms = 0;     // sensor-warning onsets other than the expected one
    double PerHour = 0.0;    // of them, per hour of survey time
    double Detected = -1.0;  // seconds from the fault's start to its warning (< 0: none)
    double Cleared = -1.0;   // seconds from the fault's end to the clear (< 0: not cleared)
    bool Passed = false;
    std::string Text;        // the expected warning's text
    std::vector<std::string> Events;  // every sensor warning's onset and clear: "93.5 s clear Sensor 5 stuck"
};

// False when the options are refused (the error on stderr).
bool RunSensorCase(const SensorCheckCase& check, uint64_t seed, SensorCheckResult& result);

// Runs every case whose name holds `only` and prints the table in Markdown,
// with each case's events under it when `events`; the number of cases that
// failed.
int PrintSensorCases(const std::vector<SensorCheckCase>& cases, uint64_t seed, const std::string& only = "",
                     bool events = false);

}  // namespace tesselog::sim
