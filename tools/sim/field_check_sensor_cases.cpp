#include "tools/sim/field_check_sensor_cases.h"

#include <cstdio>

#include "core/qc/qc_settings.h"
#include "tools/sim/field_check.h"
#include "tools/sim/field_check_cases.h"

namespace tesselog::sim {
namespace {

// Nine two-sensor consoles at 10 readings a second (a cart), a 10 Hz GGA
// receiver, 60 m lines through a field of many buried features: enough
// lines for an hour and more.
std::vector<std::string> Cart(std::vector<std::string> more)
{
    std::vector<std::string> words = {"--consoles",    "9",  "--types",     "2",  "--rate",    "10",
                                      "--gps-mode",    "1",  "--gps-rate",  "10", "--lines",   "70",
                                      "--line-length", "60", "--anomalies", "40"};
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

std::string Text(double x)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", x);
    return text;
}

FieldCheckCase Quiet(const std::string& name, std::vector<std::string> options, double seconds)
{
    FieldCheckCase c;
    c.Name = name;
    c.Options = Cart(std::move(options));
    c.Seconds = seconds;
    return c;
}

FieldCheckCase Fault(const std::string& name, std::vector<std::string> options, WarningKind kind, int sensor,
                      double start, double end, double within, double clear)
{
    FieldCheckCase c;
    c.Name = name;
    c.Options = Cart(std::move(options));
    c.Seconds = end + 60.0;
    c.Quiet = false;
    c.Expected = kind;
    c.Sensor = sensor;
    c.FaultStart = start;
    c.FaultEnd = end;
    c.WarnWithin = within;
    c.ClearWithin = clear;
    return c;
}

}  // namespace

std::vector<FieldCheckCase> SensorCheckCases(double quietSeconds)
{
    std::vector<FieldCheckCase> cases;
    // Noise in steps of the console: whole nT, then tenths (the same steps
    // are a tenth of the nT).
    for (double steps : {0.1, 0.2, 0.3, 0.5, 1.0}) {
        cases.push_back(Quiet("quiet, noise " + Text(steps) + " step, whole nT", {"--noise-level", Text(steps)},
                              quietSeconds));
    }
    for (double steps : {0.1, 0.2, 0.3, 0.5, 1.0}) {
        cases.push_back(Quiet("quiet, noise " + Text(steps) + " step, tenths",
                              {"--noise-level", Text(steps / 10.0), "--tenths", "1"}, quietSeconds));
    }
    cases.push_back(Quiet("busy ground: 8 sensors 5-8x from 10 min for 20 min",
                          {"--consoles", "4", "--noise-level", "0.3", "--busy-ground", "600+1200"}, quietSeconds));
    cases.push_back(Quiet("busy ground: 18 sensors 5-8x throughout",
                          {"--noise-level", "0.3", "--busy-ground", "0+100000"}, quietSeconds));
    cases.push_back(Quiet("consoles of whole nT, whole nT, tenths; 0.3 nT",
                          {"--consoles", "3", "--tenths", "0,0,1", "--noise-level", "0.3"}, quietSeconds));
    cases.push_back(Quiet("standing 30 s at every 10 m, 0.2 step",
                          {"--noise-level", "0.2", "--stand-at", "10:30"}, quietSeconds));
    cases.push_back(Quiet("1 Hz receiver, 0.3 step", {"--noise-level", "0.3", "--gps-rate", "1"}, quietSeconds));
    cases.push_back(Quiet("steep ground (2 nT/m), 0.3 step", {"--noise-level", "0.3", "--gradient", "2,0"},
                          quietSeconds));
    cases.push_back(Quiet("line rate: 56 readings/s, 0.3 step", {"--rate", "56", "--noise-level", "0.3"},
                          quietSeconds));

    // Faults of sensor 5 (console 3's first) from 30 s for 60 s.
    cases.push_back(Fault("frozen exact", {"--frozen", "5@30+60"}, WarningKind::SensorFrozen, 4, 30, 90, 10.5, 0.5));
    // On quiet ground a whole-nT array at 0.3 step seldom moves every
    // sensor by three steps in 10 s: still is then no sign of a fault.
    cases.push_back(Fault("frozen exact, 0.3 step", {"--noise-level", "0.3", "--frozen", "5@30+60"},
                          WarningKind::SensorFrozen, 4, 30, 90, 0.0, 0.0));
    cases.back().Missed = true;
    // A sensor that leaves the ground but still changes: no rule of its own
    // (one on its span against the array's called sensors stuck wherever a
    // broad feature moved most of the array, tens of times an hour).
    cases.push_back(Fault("stuck, +-2 steps, steep ground", {"--gradient", "2,0", "--stuck", "5@30+60"},
                          WarningKind::SensorFrozen, 4, 30, 90, 0.0, 0.0));
    cases.back().Missed = true;
    cases.push_back(Fault("drifting 1 step / 3 s, steep ground", {"--gradient", "2,0", "--drifting", "5@30+60"},
                          WarningKind::SensorFrozen, 4, 30, 90, 0.0, 0.0));
    cases.back().Missed = true;
    cases.push_back(Fault("clipped at 1000", {"--saturated", "5@30+60x1000"}, WarningKind::SensorSaturated, 4, 30,
                          90, 2.5, 1.5));
    cases.push_back(Fault("clipped at 100.0, tenths", {"--tenths", "1", "--saturated", "5@30+60x100"},
                          WarningKind::SensorSaturated, 4, 30, 90, 2.5, 1.5));
    cases.push_back(Fault("every other field garbled", {"--garbled-field", "3@30+60/2"}, WarningKind::SensorField, 5,
                          30, 90, 2.5, 6.0));
    cases.push_back(Fault("field empty 1 s in 5", {"--empty-field", "3@30+60~5:1"}, WarningKind::SensorField, 5, 30,
                          90, 6.0, 6.0));
    cases.push_back(Fault("noise 10x its neighbours' (1.5 against 0.15 step)",
                          {"--noise-level", "0.15", "--noisy", "5@30+60x10"}, WarningKind::SensorNoisy, 4, 30, 90,
                          12.0, 5.5));
    cases.push_back(Fault("noise 10x, 1 step", {"--noisy", "5@30+60x10"}, WarningKind::SensorNoisy, 4, 30, 90, 12.0,
                          5.5));
    cases.push_back(Fault("noise 5x, 1 step", {"--noisy", "5@30+60x5"}, WarningKind::SensorNoisy, 4, 30, 90, 12.0,
                          5.5));
    cases.push_back(Fault("reads 0.0 for 60 s, then recovers", {"--zero", "5@30+60"}, WarningKind::SensorFrozen, 4,
                          30, 90, 10.5, 0.5));
    return cases;
}

bool RunSensorCase(const FieldCheckCase& check, uint64_t seed, SensorCheckResult& result)
{
    SimConfig config;
    if (!FieldCheckConfig(check.Options, seed, check.Name, config)) return false;
    const FieldCheckFigures figures = RunFieldCheck(config, check.Seconds, QcSettings(), check.Platform, check.Walk, check.Survey);

    result = SensorCheckResult();
    bool active = false;
    for (const FieldCheckEvent& e : figures.Events) {
        if (!IsSensorWarning(e.Kind)) {
            continue;
        }
        char line[160];
        std::snprintf(line, sizeof line, "%.1f s %s %s", e.Seconds, e.Onset ? "onset" : "clear", e.Text.c_str());
        result.Events.push_back(line);
        const bool expected = !check.Quiet && e.Kind == check.Expected && e.Sensor == check.Sensor;
        if (!expected) {
            result.FalseAlarms += e.Onset;
            continue;
        }
        if (e.Onset && e.Seconds < check.FaultStart) {
            ++result.FalseAlarms;  // before the fault: a false alarm of its own
        } else if (e.Onset && result.Detected < 0.0) {
            result.Detected = e.Seconds - check.FaultStart;
            result.Text = e.Text;
        } else if (e.Onset && e.Seconds >= check.FaultEnd) {
            ++result.FalseAlarms;  // back after it cleared
        }
        if (!e.Onset && e.Seconds >= check.FaultEnd && result.Cleared < 0.0) {
            result.Cleared = e.Seconds - check.FaultEnd;
        }
        active = e.Onset;
    }
    result.PerHour = result.FalseAlarms * 3600.0 / check.Seconds;
    result.Passed = result.FalseAlarms == 0;
    if (!check.Quiet && !check.Missed) {
        result.Passed = result.Passed && result.Detected >= 0.0 && result.Detected <= check.WarnWithin &&
                        !active && result.Cleared >= 0.0 && result.Cleared <= check.ClearWithin;
    }
    return true;
}

int PrintSensorCases(const std::vector<FieldCheckCase>& cases, uint64_t seed, const std::string& only, bool events)
{
    std::printf("| Case | Survey time | False alarms | Per hour | Warned after | Within | Cleared after | Passed |\n"
                "|---|---|---|---|---|---|---|---|\n");
    int failed = 0;
    for (const FieldCheckCase& c : cases) {
        if (c.Name.find(only) == std::string::npos) {
            continue;
        }
        SensorCheckResult r;
        if (!RunSensorCase(c, seed, r)) {
            ++failed;
            continue;
        }
        failed += !r.Passed;
        std::printf("| %s | %.0f min | %d | %.1f |", c.Name.c_str(), c.Seconds / 60.0, r.FalseAlarms, r.PerHour);
        if (c.Quiet) {
            std::printf(" | | |");
        } else if (c.Missed) {
            std::printf(" %s | no rule | |", r.Detected < 0.0 ? "none" : "warned");
        } else if (r.Detected < 0.0) {
            std::printf(" none | %.1f s | |", c.WarnWithin);
        } else if (r.Cleared < 0.0) {
            std::printf(" %.1f s \"%s\" | %.1f s | not cleared |", r.Detected, r.Text.c_str(), c.WarnWithin);
        } else {
            std::printf(" %.1f s \"%s\" | %.1f s | %.1f s |", r.Detected, r.Text.c_str(), c.WarnWithin, r.Cleared);
        }
        std::printf(" %s |\n", r.Passed ? "yes" : "**no**");
        for (size_t i = 0; events && i < r.Events.size(); ++i) {
            std::printf("    %s\n", r.Events[i].c_str());
        }
        std::fflush(stdout);
    }
    return failed;
}

}  // namespace tesselog::sim
