#include "tools/sim/field_check_cases.h"

#include <algorithm>
#include <cstdio>

#include "tools/sim/options.h"

namespace tesselog::sim {

bool FieldCheckConfig(const std::vector<std::string>& options, uint64_t seed, const std::string& name,
                      SimConfig& config)
{
    std::vector<std::string> words = {"tesselog-sim", "--seed", std::to_string(seed)};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<const char*> argv;
    for (const std::string& w : words) {
        argv.push_back(w.c_str());
    }
    ToolOptions parsed;
    std::string error;
    if (!ParseOptions(static_cast<int>(argv.size()), argv.data(), parsed, error)) {
        std::fprintf(stderr, "tesselog-field-check: %s%s%s\n", name.c_str(), name.empty() ? "" : ": ", error.c_str());
        return false;
    }
    LimitRates(parsed.Sim);
    config = parsed.Sim;
    return true;
}

bool RunFieldCheckCase(const FieldCheckCase& c, uint64_t seed, FieldCheckOutcome& outcome)
{
    SimConfig config;
    if (!FieldCheckConfig(c.Options, seed, c.Name, config)) return false;
    const FieldCheckFigures f = RunFieldCheck(config, c.Seconds, QcSettings(), c.Platform, c.Walk, c.Survey);

    outcome = FieldCheckOutcome();
    outcome.Hours = c.Seconds / 3600.0;
    double onset = -1.0;
    for (const FieldCheckEvent& e : f.Events) {
        if (!e.Onset) {
            if (e.Kind == c.Expected && onset >= 0.0 && outcome.Clearing < 0.0 && c.FaultEnd > 0.0 &&
                e.Seconds >= c.FaultEnd) {
                outcome.Clearing = e.Seconds - c.FaultEnd;
            }
            continue;
        }
        if (c.Quiet) {
            const bool own = c.Rules.empty() || std::find(c.Rules.begin(), c.Rules.end(), e.Kind) != c.Rules.end();
            (own ? outcome.Onsets : outcome.OtherRuleOnsets)++;
            if (outcome.FirstOnset.empty()) {
                char first[160];
                std::snprintf(first, sizeof first, "\"%s\" at %.0f s", e.Text.c_str(), e.Seconds);
                outcome.FirstOnset = first;
            }
            continue;
        }
        const bool timed = e.Kind == c.Expected && e.Seconds >= c.FaultStart &&
                           (c.TextHas.empty() || e.Text.find(c.TextHas) != std::string::npos);
        if (timed && onset < 0.0) {
            onset = e.Seconds;
            outcome.Detection = onset - c.FaultStart;
            outcome.Text = e.Text;
        } else if (e.Kind != c.Expected) {
            ++outcome.OtherOnsets;
        }
    }
    if (c.Quiet) {
        outcome.Passed = outcome.Onsets == 0;
    } else {
        outcome.Passed = outcome.Detection >= 0.0 && outcome.Detection <= c.WarnWithin && outcome.OtherOnsets == 0 &&
                         (c.FaultEnd <= 0.0 || (outcome.Clearing >= 0.0 && outcome.Clearing <= c.ClearWithin));
    }
    return true;
}

int PrintFieldCheckCases(const std::vector<FieldCheckCase>& cases, uint64_t seed, const std::string& only)
{
    int failed = 0;
    std::printf("| Quiet case | Hours | Warnings of these rules | False alarms per hour | Other warnings | First |\n"
                "|---|---|---|---|---|---|\n");
    for (const FieldCheckCase& c : cases) {
        FieldCheckOutcome o;
        if (!c.Quiet || c.Name.find(only) == std::string::npos) {
            continue;
        }
        if (!RunFieldCheckCase(c, seed, o)) {
            return -1;
        }
        failed += !o.Passed;
        std::printf("| %s | %.1f | %d | %.1f | %d | %s |\n", c.Name.c_str(), o.Hours, o.Onsets, o.Onsets / o.Hours,
                    o.OtherRuleOnsets, o.FirstOnset.c_str());
    }
    std::printf("\n| Fault case | Warned after the fault began (within) | Text | Cleared after it ended (within) "
                "| Other onsets |\n|---|---|---|---|---|\n");
    for (const FieldCheckCase& c : cases) {
        FieldCheckOutcome o;
        if (c.Quiet || c.Name.find(only) == std::string::npos) {
            continue;
        }
        if (!RunFieldCheckCase(c, seed, o)) {
            return -1;
        }
        failed += !o.Passed;
        char warned[64] = "none", cleared[64] = "-";
        if (o.Detection >= 0.0) {
            std::snprintf(warned, sizeof warned, "%.1f s", o.Detection);
        }
        if (c.FaultEnd > 0.0 && o.Clearing >= 0.0) {
            std::snprintf(cleared, sizeof cleared, "%.1f s (%.0f s)", o.Clearing, c.ClearWithin);
        } else if (c.FaultEnd > 0.0) {
            std::snprintf(cleared, sizeof cleared, "none (%.0f s)", c.ClearWithin);
        }
        std::printf("| %s | %s (%.0f s) | \"%s\" | %s | %d |\n", c.Name.c_str(), warned, c.WarnWithin,
                    o.Text.c_str(), cleared, o.OtherOnsets);
    }
    return failed;
}

}  // namespace tesselog::sim
