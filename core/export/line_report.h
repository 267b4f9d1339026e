// The line report: what each survey line holds, for the office to see at a
// glance which lines need walking again.
//
// Lines are keyed by session and name (names repeat from one day to the
// next); line blocks with the same key (a line resumed after a new line of
// another name) add up. Per line: start and end (date and time of its first
// and last reading, or of its first and last valid fix in a survey without
// consoles), the length of the array's path, readings per sensor
// with their mean, median and spread (the standard deviation), dropouts, the
// connection breaks recorded, the fastest stretch, and the time with a fix
// that failed the GPS mask or had a lower quality than the best of the
// file, and the traverses it held (core/export/traverses.h): a line walked on
// through its turns holds several.
//
// Dropouts: gaps between two readings of one console, within one recording
// run, longer than three sample periods, the period being the median gap of
// that console over its session.
//
// Length and speed: the array's path is counted a step only once it has
// moved half a metre from where the last counted step ended (and to its
// end at the last edge), so that the receiver's jitter while the operator
// stands (centimetres for RTK, decimetres for DGPS) adds nothing, while a
// walked line loses nothing on its straight stretches. Fastest stretch: the
// highest mean speed of the array over any stretch of at least five seconds
// of a run (over the whole run when it is shorter).
//
// Fix time: each position sentence holds until the next one of its run; a
// silence of more than three seconds counts as time without a fix beyond
// those three seconds. Fix qualities rank RTK fixed (4) above RTK float
// (5), DGPS (2), PPS (3), GPS (1), the other codes and no fix (0).
//
// Sensor flags: the field warnings' sensor rules (core/qc/sensor_health,
// with their default limits) run over each session's sensor fields in record
// order, as the logging screen ran them while recording. A line is flagged
// for a sensor with every fault that stood at one of the sensor's readings
// of that line: "no value", "saturated", "frozen", "noisy", joined by "+".
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/export/sensor_flags.h"
#include "core/export/survey_walk.h"
#include "core/qc/sensor_health.h"

namespace tesselog {

class File;

// The GPS warning mask as the logging screen evaluates it.
struct GpsMask {
    bool On = true;
    int32_t MinQuality = 2;     // quality number at least this
    int32_t MinSatellites = 5;
    double MaxDilution = 4.0;
};
bool MaskPasses(const GpsMask& mask, const FixStatus& status);

// Rank of a fix quality: higher is better (RTK fixed highest, no fix 0).
int32_t QualityRank(int32_t quality);
// "RTK fixed", "RTK float", "DGPS", "PPS", "GPS", "no fix", or "code N".
std::string QualityName(int32_t quality);

struct SensorSummary {
    int64_t Count = 0;
    double Mean = 0.0;
    double Median = 0.0;
    double Spread = 0.0;
    std::string Flags;                     // "frozen", "no value+noisy"
};

struct LineSummary {
    int32_t Session = 0;
    std::string Name;
    int32_t Blocks = 0;
    int32_t Traverses = 0;                 // stretches of one heading (0 without a path)
    int32_t StartDay = -1, StartMs = -1;   // first reading
    int32_t EndDay = -1, EndMs = -1;       // last reading
    double Length = 0.0;                   // display unit
    int64_t Readings = 0;
    std::vector<SensorSummary> Sensors;    // sensor 1 first, up to the file's highest
    int32_t Dropouts = 0;
    double LongestGapS = 0.0;
    int32_t Breaks = 0;
    double FastestSpeed = 0.0;             // display unit per second, 0 without a stretch
    int32_t FastestDay = -1, FastestMs = -1;
    double FixSeconds = 0.0;               // time covered by position sentences
    double MaskFailedS = 0.0;
    double BelowBestS = 0.0;
    std::string Flags;                     // "sensor 3 frozen; sensor 5 noisy"
};

class LineReport {
public:
    LineReport(const SurveyWalk& walk, const GpsMask& mask, const SensorHealthLimits& limits = {});
    ~LineReport();

    void Reading(const PositionedReading& r);
    void Sample(const SensorSample& s) { flags_.Sample(s); }
    // The sensor rules' side, which the export feeds from a thread of its
    // own instead of through Sample(); it must be done before Finish().
    SensorFlags& Flags() { return flags_; }
    void Position(const FixStatus& status);
    void Break(const BreakEvent& event);

    // After the walk has finished: the lines in the order they first come.
    const std::vector<LineSummary>& Finish();
    const std::vector<LineSummary>& Lines() const { return lines_; }
    // The best fix quality recorded, -1 without any position sentence.
    int32_t BestQuality() const { return best_; }

    // PREFIX-lines.csv; `unit` names the length's unit ("m", "ft", "US ft"),
    // the times' columns the clock's zone ("start (UTC+01:00)").
    bool WriteCsv(File& file, const std::string& unit) const;
    // The short table for the terminal.
    std::string Table(const std::string& unit) const;

private:
    struct SensorData {
        int64_t Count = 0;
        double Sum = 0.0;
        double SumSquares = 0.0;
        std::vector<float> Values;
        uint32_t Faults = 0;                // SensorFault bits standing at its readings
    };
    struct LineData {
        std::vector<SensorData> Sensors;
        int64_t First = -1, Last = -1;      // days x ms-per-day + ms, of the readings
        int64_t FirstFix = -1, LastFix = -1;  // the same of the valid fixes
        double QualitySeconds[11] = {};     // per quality code 0..9, 10 for others
        double NoFixSeconds = 0.0;
    };
    struct LastFix {
        bool Have = false;
        int32_t Run = 0;
        uint32_t Tick = 0;
        int32_t Key = -1;
        bool Passed = false;
        int32_t Quality = 0;
    };
    int32_t KeyOf(int32_t block);
    SensorData& SensorOf(int32_t key, int32_t sensor);
    void Measure();
    void CountDropouts();
    void TakeSensorFlags();
    void CountTraverses();

    const SurveyWalk& walk_;
    GpsMask mask_;
    SensorFlags flags_;
    std::map<std::pair<int32_t, std::string>, int32_t> keys_;
    std::vector<int32_t> blockKeys_;
    std::vector<LineSummary> lines_;
    std::vector<LineData> data_;
    int32_t sensorColumns_ = 0;
    int32_t best_ = -1;
    LastFix lastFix_;
    // Per (session, console): the gaps between its readings with their line.
    struct ConsoleClock {
        bool Have = false;
        int32_t Run = 0;
        uint32_t Tick = 0;
    };
    ConsoleClock consoles_[MaxConsoles];
    int32_t consoleSession_ = 0;
    // The gaps in record order (longer ones cut to GapLimit), and where each
    // line's run of them starts.
    struct Gaps {
        std::vector<uint16_t> Values;
        std::vector<std::pair<size_t, int32_t>> Lines;
    };
    std::map<std::pair<int32_t, int32_t>, Gaps> gaps_;
    Gaps* consoleGaps_[MaxConsoles] = {};
};

}  // namespace tesselog
