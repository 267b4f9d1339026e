// The field check's catalogue: named cases of a survey day, each run through
// the field warnings. A quiet case is a day on which nothing is wrong and
// must raise no warning in an hour or more; a fault case has one fault that
// must be warned within a stated time of its start and cleared after its end.
// Each group of rules keeps its cases in a file of its own and hands them
// out as a list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/qc/field_warnings.h"
#include "tools/sim/field_check.h"

namespace tesselog::sim {

// The simulator's configuration from its command-line words (after the seed),
// rates limited to what the line carries; false, with the case's name and the
// reason on stderr, when the words are wrong.
bool FieldCheckConfig(const std::vector<std::string>& options, uint64_t seed, const std::string& name,
                      SimConfig& config);

struct FieldCheckCase {
    std::string Name;
    std::vector<std::string> Options;  // the simulator's, complete
    double Seconds = 3600.0;
    FieldCheckWalk Walk = FieldCheckWalk::PauseAtLineEnds;
    FieldCheckSurvey Survey;
    FieldCheckPlatform Platform;
    bool Quiet = true;
    // Fault cases: the warning (of sensor `Sensor`, 0-based across the
    // array, for a sensor warning), when its fault begins and ends (seconds;
    // end 0: it does not end, or ends with a new file), and the time within
    // which the warning must come and, once the fault has ended, go.
    WarningKind Expected = WarningKind::PositionLimit;
    int Sensor = -1;
    double FaultStart = 0.0;
    double FaultEnd = 0.0;
    double WarnWithin = 0.0;
    double ClearWithin = 0.0;
    // The onset to time: the first of the expected warning at or after the
    // fault's start whose text holds this ("" any).
    std::string TextHas;
    bool Missed = false;  // a fault no rule is meant to catch: shown, not failed
    // The warnings the case is about: a quiet case passes when none of them
    // comes; the others are counted apart.
    std::vector<WarningKind> Rules;
};

struct FieldCheckOutcome {
    double Hours = 0.0;
    int Onsets = 0;               // quiet case: of the case's rules
    int OtherRuleOnsets = 0;      // quiet case: of any other warning
    std::string FirstOnset;       // the first of either, its text and time
    double Detection = -1.0;      // fault: seconds from the fault's start; < 0 none
    double Clearing = -1.0;       // fault: seconds from its end; < 0 none
    std::string Text;
    int OtherOnsets = 0;          // fault: onsets of other warnings
    bool Passed = false;
};

// Runs one case (its options after "--seed N").
bool RunFieldCheckCase(const FieldCheckCase& c, uint64_t seed, FieldCheckOutcome& outcome);

// Runs the cases whose name holds `only` and prints them as a table: quiet
// cases with their false alarms per hour, fault cases with their detection
// and clearing times. Returns how many failed.
int PrintFieldCheckCases(const std::vector<FieldCheckCase>& cases, uint64_t seed, const std::string& only = "");

// The coverage rules' cases: gaps, too fast, the position countdown.
std::vector<FieldCheckCase> CoverageCases();

}  // namespace tesselog::sim
