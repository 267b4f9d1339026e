// tesselog-field-check: the field warnings over the simulator's streams. A
// quiet field of nine two-sensor consoles at the line rate for an hour, then
// each fault of the simulator, with the time each warning took; the figures
// behind the defaults of the warnings' settings (docs/decisions.md).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/sim/field_check.h"
#include "tools/sim/field_check_cases.h"
#include "tools/sim/field_check_sensor_cases.h"
#include "tools/sim/options.h"

using namespace tesselog;
using namespace tesselog::sim;

namespace {

// Nine two-sensor consoles sending back to back, a 10 Hz GGA receiver, long
// lines through a field of many buried features.
const std::vector<std::string> FullLoad = {"--consoles", "9",  "--types",       "2",  "--rate",      "56",
                                           "--gps-mode", "1",  "--gps-rate",    "10", "--lines",     "50",
                                           "--line-length", "60", "--anomalies", "40"};

struct FaultRun {
    const char* Name;
    std::vector<std::string> Options;  // after the full load's
    double Seconds;
    double FaultStart;
    double FaultEnd;  // clears are timed from here; 0: the fault does not end
    WarningKind Expected;
    FieldCheckPlatform Platform;
};

bool ConfigOf(const std::vector<std::string>& options, uint64_t seed, SimConfig& config)
{
    return FieldCheckConfig(options, seed, "", config);
}

std::string Who(const FieldCheckEvent& e)
{
    return e.Text.empty() ? "?" : e.Text;
}

void PrintQuiet(const FieldCheckFigures& f, double seconds, uint64_t seed)
{
    std::printf("Quiet field, seed %llu, %.0f s: %ld readings, %ld fixes\n", static_cast<unsigned long long>(seed),
                seconds, f.Readings, f.Fixes);
    std::printf("  longest run of one value      %.2f s\n", f.LongestStillSeconds);
    std::printf("  readings from %.0f to %.0f, %d bad fields\n", f.LowestReading, f.HighestReading, f.BadFields);
    int sensorEvents = 0;
    for (const FieldCheckEvent& e : f.Events) {
        sensorEvents += IsSensorWarning(e.Kind);
        std::printf("  %8.1f s %s %s\n", e.Seconds, e.Onset ? "onset" : "clear", Who(e).c_str());
    }
    std::printf("  sensor warnings: %d\n\n", sensorEvents);
}

void PrintFault(const FaultRun& run, const FieldCheckFigures& f)
{
    double onset = -1.0, clear = -1.0;
    int others = 0;
    std::string text;
    for (const FieldCheckEvent& e : f.Events) {
        if (e.Kind == run.Expected && e.Onset && onset < 0.0) {
            onset = e.Seconds;
            text = e.Text;
        } else if (e.Kind == run.Expected && !e.Onset && onset >= 0.0 && clear < 0.0) {
            clear = e.Seconds;
        } else if (e.Kind != run.Expected && e.Onset) {
            ++others;
        }
    }
    std::printf("| `%s` | ", run.Name);
    if (onset < 0.0) {
        std::printf("none | | |");
    } else if (clear < 0.0 || run.FaultEnd <= 0.0) {
        std::printf("%.1f s | \"%s\" | - |", onset - run.FaultStart, text.c_str());
    } else {
        std::printf("%.1f s | \"%s\" | %.1f s |", onset - run.FaultStart, text.c_str(), clear - run.FaultEnd);
    }
    std::printf(" %d |\n", others);
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app("The field warnings over the simulator's quiet field and each of its faults.", "tesselog-field-check");
    double quietSeconds = 3600.0;
    uint64_t seed = 1;
    bool faultsOnly = false;
    bool throughTurns = false;
    std::string lineLength = "60";
    app.add_option("--quiet-seconds", quietSeconds, "length of the quiet run (default 3600)");
    app.add_option("--line-length", lineLength, "the quiet run's line length in metres (default 60)");
    app.add_flag("--through-turns", throughTurns,
                 "the quiet run records on through the turns after one \"&Go\" (default: a pause at each line end)");
    app.add_option("--seed", seed, "the simulator's seed (default 1)");
    app.add_flag("--faults-only", faultsOnly, "skip the quiet run");
    bool coverage = false;
    app.add_flag("--coverage", coverage,
                 "only the coverage catalogue (gaps, too fast, positions): its quiet and fault cases; the exit "
                 "status is the number that failed");
    bool sensorCases = false, events = false;
    std::string only;
    app.add_option("--only", only, "with --sensor-cases or --coverage: only the cases whose name holds this text");
    app.add_flag("--events", events, "with --sensor-cases: every sensor warning's onset and clear under its case");
    app.add_flag("--sensor-cases", sensorCases,
                 "run the sensor rules' catalogue instead: quiet surveys of --quiet-seconds each and the sensor\n"
                 "faults; the exit status is the number of cases that failed");
    const int exit = ParseToolCommandLine(app, argc, argv);
    if (exit >= 0) {
        return exit;
    }
    if (sensorCases) {
        return std::min(PrintSensorCases(SensorCheckCases(quietSeconds), seed, only, events), 100);
    }

    if (coverage) {
        const int failed = PrintFieldCheckCases(CoverageCases(), seed, only);
        return failed < 0 ? 2 : std::min(failed, 100);
    }

    const QcSettings defaults;
    SimConfig config;
    if (!faultsOnly) {
        std::vector<std::string> quiet = FullLoad;
        *(std::find(quiet.begin(), quiet.end(), "--line-length") + 1) = lineLength;
        if (!ConfigOf(quiet, seed, config)) {
            return 2;
        }
        const FieldCheckWalk walk = throughTurns ? FieldCheckWalk::ThroughTurns : FieldCheckWalk::PauseAtLineEnds;
        PrintQuiet(RunFieldCheck(config, quietSeconds, defaults, FieldCheckPlatform(), walk), quietSeconds, seed);
    }

    FieldCheckPlatform lowDisk;
    lowDisk.DiskFreeBytes = 60ull * 1024 * 1024;
    FieldCheckPlatform lowBattery;
    lowBattery.BatteryPercent = 22;
    lowBattery.BatteryPercentPerMinute = 1.0;
    const std::vector<FaultRun> runs = {
        {"--frozen 5@30+60", {"--frozen", "5@30+60"}, 120, 30, 90, WarningKind::SensorFrozen, {}},
        {"--saturated 5@30+60", {"--saturated", "5@30+60"}, 120, 30, 90, WarningKind::SensorSaturated, {}},
        {"--noisy 5@30+60x10", {"--noisy", "5@30+60x10"}, 120, 30, 90, WarningKind::SensorNoisy, {}},
        {"--noisy 5@30+60x5", {"--noisy", "5@30+60x5"}, 120, 30, 90, WarningKind::SensorNoisy, {}},
        {"--noisy 5@30+60x3", {"--noisy", "5@30+60x3"}, 120, 30, 90, WarningKind::SensorNoisy, {}},
        {"--empty-field 3@30+60", {"--empty-field", "3@30+60"}, 120, 30, 90, WarningKind::SensorField, {}},
        {"--garbled-field 3@30+60", {"--garbled-field", "3@30+60"}, 120, 30, 90, WarningKind::SensorField, {}},
        {"--clock-offset 3", {"--clock-offset", "3"}, 60, 0, 0, WarningKind::ClockOffset, {}},
        {"--clock-offset -1.5", {"--clock-offset", "-1.5"}, 60, 0, 0, WarningKind::ClockOffset, {}},
        {"--rate 5 --speed-change 30:6", {"--rate", "5", "--speed-change", "30:6"}, 60, 30, 0, WarningKind::TooFast,
         {}},
        {"--wide-gap 1:2", {"--wide-gap", "1:2"}, 180, 80, 0, WarningKind::CoverageGaps, {}},
        {"60 MB free", {}, 900, 0, 0, WarningKind::DiskSpace, lowDisk},
        {"battery 22%, 1%/min", {}, 780, 0, 0, WarningKind::Battery, lowBattery},
    };
    std::printf("| Run | Warning after the fault began | Text | Cleared after it ended | Other onsets |\n"
                "|---|---|---|---|---|\n");
    for (const FaultRun& run : runs) {
        std::vector<std::string> options = FullLoad;
        options.insert(options.end(), run.Options.begin(), run.Options.end());
        if (!ConfigOf(options, seed, config)) {
            return 2;
        }
        PrintFault(run, RunFieldCheck(config, run.Seconds, defaults, run.Platform));
    }
    return 0;
}
