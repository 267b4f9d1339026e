// The coverage rules' cases: gaps between lines, walking too fast and the
// file's positions running out. Times of the walker: a line of L metres and
// the step of S metres to the next take (L + S) / speed seconds, so line n
// (from 0) begins at n (L + S) / speed, a wide gap's metres added after it.
#include "tools/sim/field_check_cases.h"

#include <cstdio>
#include <iterator>

namespace tesselog::sim {
namespace {

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Nine two-sensor consoles at the line rate, 1 m apart (an 18 m array), a
// 10 Hz receiver, lines of 60 m through 40 buried features.
const std::vector<std::string> FullLoad = {"--consoles", "9",  "--types",       "2",  "--rate",      "56",
                                           "--gps-mode", "1",  "--gps-rate",    "10", "--lines",     "50",
                                           "--line-length", "60", "--anomalies", "40"};
// One two-sensor console of 1 m carried by hand: 2 m between the lines.
const std::vector<std::string> OneConsole = {"--consoles", "1",  "--types",    "2",  "--rate",       "10",
                                             "--gps-mode", "1",  "--gps-rate", "10", "--lines",      "130",
                                             "--line-length", "30", "--anomalies", "10"};
// Three two-sensor consoles of 0.5 m on a cart: 3 m between the lines.
const std::vector<std::string> Cart = {"--consoles",    "3",  "--types",     "2",  "--rate",   "10",
                                       "--sensor-spacing", "0.5", "--gps-mode", "1", "--gps-rate", "20",
                                       "--lines",       "120", "--line-length", "30", "--anomalies", "20"};

FieldCheckCase Quiet(const char* name, std::vector<std::string> options, FieldCheckWalk walk, double seconds = 3600.0)
{
    FieldCheckCase c;
    c.Name = name;
    c.Options = std::move(options);
    c.Walk = walk;
    c.Seconds = seconds;
    // A new file every ten minutes: a 20 Hz receiver fills one in 24.
    c.Survey.NewFileAt = c.Survey.NewFileEvery = 600.0;
    c.Rules = {WarningKind::CoverageGaps, WarningKind::TooFast, WarningKind::PositionLimit};
    return c;
}

FieldCheckCase Fault(const char* name, std::vector<std::string> options, FieldCheckWalk walk, double seconds,
                     WarningKind expected, double start, double end, double within, double clearWithin)
{
    FieldCheckCase c = Quiet(name, std::move(options), walk, seconds);
    c.Quiet = false;
    c.Expected = expected;
    c.FaultStart = start;
    c.FaultEnd = end;
    c.WarnWithin = within;
    c.ClearWithin = clearWithin;
    c.Survey.NewFileAt = c.Survey.NewFileEvery = 0.0;
    return c;
}

// A walk or a jog at one console rate under one position source, by hand
// with one two-sensor console on 30 m lines walked through the turns: the
// receivers at 1, 5 and 20 Hz (at 38400 baud, so the line carries 20) and a
// total station at 10 Hz; every other one of them in feet.
struct Receiver {
    const char* Name;
    std::vector<std::string> Options;
};
const Receiver Receivers[] = {
    {"1 Hz receiver", {"--gps-mode", "1", "--gps-rate", "1"}},
    {"5 Hz receiver", {"--gps-mode", "1", "--gps-rate", "5"}},
    {"20 Hz receiver", {"--gps-mode", "1", "--gps-rate", "20", "--gps-baud", "38400"}},
    {"total station 10 Hz", {"--gps-mode", "7", "--gps-rate", "10"}},
};
const int PaceRates[] = {2, 4, 8, 10};

std::string PaceName(const char* what, double speed, int rate, const Receiver& receiver, bool feet)
{
    char name[128];
    std::snprintf(name, sizeof name, "%s %.1f m/s, %d readings a second, %s, %s", what, speed, rate, receiver.Name,
                  feet ? "feet" : "metres");
    return name;
}

std::vector<std::string> PaceOptions(int rate, const Receiver& receiver, bool feet, std::vector<std::string> more)
{
    std::vector<std::string> words = {"--consoles", "1", "--types", "2", "--rate", std::to_string(rate),
                                      "--line-length", "30", "--anomalies", "10"};
    words = Joined(Joined(words, receiver.Options), more);
    return feet && receiver.Options[1] == "7" ? Joined(words, {"--grid-unit", "F"}) : words;
}

// Every walk an hour without a warning; every jog, from 45 s to 105 s (13 m
// into the second line), warned within 4 s (a second of fixes for the speed,
// two held) and cleared within 4 s of slowing to 1 m/s.
void AddPaceCases(std::vector<FieldCheckCase>& cases)
{
    for (size_t r = 0; r < std::size(Receivers); ++r) {
        for (size_t n = 0; n < std::size(PaceRates); ++n) {
            const bool feet = (r + n) % 2 == 1;
            const int rate = PaceRates[n];
            for (double speed : {0.8, 1.0, 1.2}) {
                char pace[8];
                std::snprintf(pace, sizeof pace, "%.1f", speed);
                FieldCheckCase c = Quiet("", PaceOptions(rate, Receivers[r], feet, {"--speed", pace, "--lines", "140"}),
                                         FieldCheckWalk::ThroughTurns);
                c.Name = PaceName("walk", speed, rate, Receivers[r], feet);
                c.Survey.DisplayUnits = feet ? 1 : 0;
                cases.push_back(c);
            }
            FieldCheckCase jog = Fault("", PaceOptions(rate, Receivers[r], feet,
                                                       {"--speed-change", "45:2.5", "--speed-change", "105:1"}),
                                       FieldCheckWalk::ThroughTurns, 300, WarningKind::TooFast, 45, 105, 4, 4);
            jog.Name = PaceName("jog", 2.5, rate, Receivers[r], feet);
            jog.Survey.DisplayUnits = feet ? 1 : 0;
            cases.push_back(jog);
        }
    }
}

}  // namespace

std::vector<FieldCheckCase> CoverageCases()
{
    const FieldCheckWalk paused = FieldCheckWalk::PauseAtLineEnds, through = FieldCheckWalk::ThroughTurns;
    std::vector<FieldCheckCase> cases = {
        Quiet("full load, a pause at each line end", FullLoad, paused),
        Quiet("full load, 30 m lines walked on through the turns",
              Joined(FullLoad, {"--line-length", "30", "--lines", "80"}), through),
        Quiet("one console by hand, through the turns", OneConsole, through),
        Quiet("cart of three consoles, 0.5 m, 20 Hz, through the turns", Cart, through),
        Quiet("standing 30 s at every 20 m mark while recording", Joined(FullLoad, {"--stand-at", "20:30"}), paused),
        Quiet("standing at the marks, through the turns",
              Joined(OneConsole, {"--stand-at", "10:20", "--lines", "60"}), through),
        Quiet("a 1 Hz receiver", Joined(FullLoad, {"--gps-rate", "1"}), paused),
        Quiet("a 1 Hz receiver, one console, through the turns", Joined(OneConsole, {"--gps-rate", "1"}), through),
        Quiet("a steady walk of 1.2 m/s, 4 readings a second",
              Joined(Cart, {"--rate", "4", "--speed", "1.2", "--lines", "150"}), through),
        Quiet("a steady walk of 0.8 m/s, 10 readings a second", Joined(Cart, {"--speed", "0.8"}), through),
    };
    FieldCheckCase feet = Quiet("a survey in feet, cart, through the turns", Cart, through);
    feet.Survey.DisplayUnits = 1;
    cases.push_back(feet);

    // Faults. A missed traverse: one interval more between two lines.
    cases.push_back(Fault("missed traverse, full load (line 2 at 79 s)", Joined(FullLoad, {"--wide-gap", "1:1"}),
                          paused, 300, WarningKind::CoverageGaps, 79, 0, 5, 0));
    cases.push_back(Fault("lines 1.6 intervals apart, full load (line 2 at 78.6 s)",
                          Joined(FullLoad, {"--wide-gap", "1:0.6"}), paused, 300, WarningKind::CoverageGaps, 78.6, 0, 5,
                          0));
    cases.push_back(Fault("missed traverse, one console, through the turns (line 4 at 97 s)",
                          Joined(OneConsole, {"--wide-gap", "3:1"}), through, 300, WarningKind::CoverageGaps, 97, 0,
                          5, 0));
    // The end-to-end run's: three consoles 1 m apart, 5 Hz, lines of 15 m
    // walked through the turns, so the line just walked is too near on the
    // path to count and the ray looks past it to the one before.
    cases.push_back(Fault("missed traverse, three consoles, 15 m lines through the turns (line 3 at 43 s)",
                          {"--consoles", "3", "--types", "2", "--rate", "10", "--gps-mode", "1", "--gps-rate", "5",
                           "--line-length", "15", "--lines", "10", "--wide-gap", "2:1"},
                          through, 120, WarningKind::CoverageGaps, 43, 0, 8, 0));
    FieldCheckCase feetGap =
        Fault("missed traverse, a survey in feet, cart, through the turns (line 3 at 66.5 s)",
              Joined(Cart, {"--wide-gap", "2:0.5"}), through, 300, WarningKind::CoverageGaps, 66.5, 0, 5, 0);
    feetGap.Survey.DisplayUnits = 1;
    cases.push_back(feetGap);
    cases.push_back(Fault("a jog of 2.5 m/s from 60 s to 120 s, 5 readings a second",
                          Joined(Cart, {"--rate", "5", "--speed-change", "60:2.5", "--speed-change", "120:1"}), through,
                          300, WarningKind::TooFast, 60, 120, 3, 4));
    cases.push_back(Fault("a jog of 2.5 m/s, 4 readings a second, one console",
                          Joined(OneConsole, {"--rate", "4", "--speed-change", "60:2.5", "--speed-change", "120:1"}),
                          through, 300, WarningKind::TooFast, 60, 120, 3, 4));

    // The positions: 10 Hz, 10 and 3 minutes left 60 s in; a new file at 500 s.
    FieldCheckCase ten = Fault("10 min of positions left at 60 s, 10 Hz; a new file at 500 s", FullLoad, through, 560,
                               WarningKind::PositionLimit, 60, 500, 1, 1);
    ten.Survey.PositionsAtStart = 28800 - 6000 - 600;
    ten.Survey.NewFileAt = 500;
    cases.push_back(ten);
    FieldCheckCase three = ten;
    three.Name = "3 min of positions left at 60 s, 10 Hz; a new file at 500 s";
    three.Survey.PositionsAtStart = 28800 - 1800 - 600;
    cases.push_back(three);
    FieldCheckCase slow = ten;
    slow.Name = "10 min of positions left at 60 s, 1 Hz; a new file at 500 s";
    slow.Options = Joined(FullLoad, {"--gps-rate", "1"});
    slow.Survey.PositionsAtStart = 28800 - 600 - 60;
    slow.WarnWithin = 1.5;
    cases.push_back(slow);
    AddPaceCases(cases);
    return cases;
}

}  // namespace tesselog::sim
