// The sensor rules' catalogue of tesselog-field-check: quiet surveys a
// surveyor walks every day, each an hour of survey time, which must raise no
// sensor warning, and the faults a sensor or its connector shows, each of
// which must raise its warning within the time stated and clear after.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/qc/field_warnings.h"
#include "tools/sim/field_check_cases.h"

namespace tesselog::sim {

// The cases' options are the simulator's after "--seed N"; a fault case's
// Sensor is the one whose warning is timed.
std::vector<FieldCheckCase> SensorCheckCases(double quietSeconds = 3600.0);

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
bool RunSensorCase(const FieldCheckCase& check, uint64_t seed, SensorCheckResult& result);

// Runs every case whose name holds `only` and prints the table in Markdown,
// with each case's events under it when `events`; the number of cases that
// failed.
int PrintSensorCases(const std::vector<FieldCheckCase>& cases, uint64_t seed, const std::string& only = "",
                     bool events = false);

}  // namespace tesselog::sim
