// The field warnings run over the simulator's streams, as the logging screen
// will run them: every console sentence through the sensor health, every
// fix of a GGA receiver (or a total station) decoded, projected and turned into steps and swath
// edges, and a watch once a second with a disk and a battery of the
// platform's test doubles. The operator records each line and pauses at its
// end, so every line is one "&Go" (or walks on through the turns). This is how the defaults are chosen and
// checked: a quiet field must give no sensor warning, and each fault of the
// simulator must give its warning in time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/qc/field_warnings.h"
#include "core/qc/qc_settings.h"
#include "tools/sim/simulation.h"

namespace tesselog::sim {

struct FieldCheckEvent {
    double Seconds = 0.0;  // simulated time
    WarningKind Kind = WarningKind::PositionLimit;
    int Sensor = -1;
    bool Onset = true;
    std::string Text;
};

// The platform as the check sees it: free space at the start (shrinking with
// what the recording writes) and a battery draining from a charge.
struct FieldCheckPlatform {
    uint64_t DiskFreeBytes = 20000ull * 1024 * 1024;
    int32_t BatteryPercent = 100;
    double BatteryPercentPerMinute = 0.0;
};

struct FieldCheckFigures {
    std::vector<FieldCheckEvent> Events;
    long Readings = 0;
    long Fixes = 0;
    int Flushes = 0;                  // the battery asked for the file to go to the disk
    // Margins of the sensor health over the whole run, any sensor:
    double LongestStillSeconds = 0.0; // a run of one value, any sensor
    double LowestReading = 0.0;
    double HighestReading = 0.0;
    int BadFields = 0;
};

// How the operator walks: a pause at each line's end and "&Go" on the next
// (the way the gaps are meant to be found), or one "&Go" and recording on
// through every turn.
enum class FieldCheckWalk { PauseAtLineEnds, ThroughTurns };

// The survey as the program is set up for it: the map's unit (0 metres, 1
// feet, 2 US survey feet), the positions the data file holds when the run
// begins (a file appended to), and a moment (seconds; 0: never) at which the
// operator starts a new file, and again every NewFileEvery seconds (0: once).
struct FieldCheckSurvey {
    int32_t DisplayUnits = 0;
    int32_t PositionsAtStart = 0;
    double NewFileAt = 0.0;
    double NewFileEvery = 0.0;
};

// The simulator's GPS must be mode 1 (GGA) or 7 (a total station's grid
// coordinates, in the survey's unit); the computer's clock is the
// simulator's real time (StartTimeOfDay + t).
FieldCheckFigures RunFieldCheck(const SimConfig& config, double seconds, const QcSettings& qc,
                                const FieldCheckPlatform& platform,
                                FieldCheckWalk walk = FieldCheckWalk::PauseAtLineEnds,
                                const FieldCheckSurvey& survey = FieldCheckSurvey());

}  // namespace tesselog::sim
