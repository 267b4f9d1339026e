#include "tools/sim/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <vector>

namespace tesselog::sim {

namespace {

// Values are decimal, as the scripts write them: the whole text through
// strtod or base-10 strtoll, out of range refused. (CLI11's own conversions
// read "010" as octal and go through long double.)
bool ParseNumber(const std::string& text, double& out)
{
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0';
}

bool ParseInteger(const std::string& text, long long& out)
{
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) {
            return parts;
        }
        start = at + 1;
    }
}

bool ParseList(const std::string& text, std::vector<double>& out)
{
    out.clear();
    for (const std::string& part : Split(text, ',')) {
        double value = 0.0;
        if (!ParseNumber(part, value)) {
            return false;
        }
        out.push_back(value);
    }
    return true;
}

// "console2@30+4": console 2 silent from 30 s for 4 s.
bool ParseStop(const std::string& text, StopWindow& stop)
{
    const size_t at = text.find('@');
    const size_t plus = text.find('+', at == std::string::npos ? 0 : at);
    if (at == std::string::npos || plus == std::string::npos) {
        return false;
    }
    stop.Port = text.substr(0, at);
    return ParseNumber(text.substr(at + 1, plus - at - 1), stop.Start) &&
           ParseNumber(text.substr(plus + 1), stop.Length) && stop.Start >= 0.0 && stop.Length > 0.0;
}

// "2:30:6": console 2 unplugged 30 s after the start, for 6 s.
bool ParseUnplug(const std::string& text, StopWindow& unplug)
{
    const std::vector<std::string> parts = Split(text, ':');
    long long console = 0;
    if (parts.size() != 3 || !ParseInteger(parts[0], console) || console < 1 || console > kMaxConsoles) {
        return false;
    }
    unplug.Port = "console" + std::to_string(console);
    return ParseNumber(parts[1], unplug.Start) && ParseNumber(parts[2], unplug.Length) && unplug.Start >= 0.0 &&
           unplug.Length > 0.0;
}

bool ParseWindow(const std::string& text, TimeWindow& window)
{
    const size_t plus = text.find('+');
    return plus != std::string::npos && ParseNumber(text.substr(0, plus), window.Start) &&
           ParseNumber(text.substr(plus + 1), window.Length) && window.Start >= 0.0 && window.Length > 0.0;
}

// "0.05": that share of the fixes at random; "30+4": every fix from 30 s for 4 s.
bool ParseFault(const std::string& text, FaultSchedule& fault)
{
    if (text.find('+') == std::string::npos) {
        return ParseNumber(text, fault.Rate) && fault.Rate >= 0.0 && fault.Rate <= 1.0;
    }
    TimeWindow window;
    if (!ParseWindow(text, window)) {
        return false;
    }
    fault.Windows.push_back(window);
    return true;
}

// "3@60+120": sensor 3 (1..18) from 60 s for 120 s; with factor_allowed,
// "3@60+120x8" gives a factor too.
bool ParseSensorFault(const std::string& text, SensorFault& fault, bool factor_allowed)
{
    const size_t at = text.find('@');
    long long sensor = 0;
    if (at == std::string::npos || !ParseInteger(text.substr(0, at), sensor) || sensor < 1 || sensor > 18) {
        return false;
    }
    std::string window = text.substr(at + 1);
    const size_t x = window.find('x');
    if (x != std::string::npos) {
        if (!factor_allowed || !ParseNumber(window.substr(x + 1), fault.Factor) || !(fault.Factor > 0.0)) {
            return false;
        }
        window.resize(x);
    }
    fault.Sensor = static_cast<int>(sensor - 1);
    fault.FactorGiven = x != std::string::npos;
    return ParseWindow(window, fault.Window);
}

// "A:B" of two numbers.
bool ParsePair(const std::string& text, double& a, double& b)
{
    const std::vector<std::string> parts = Split(text, ':');
    return parts.size() == 2 && ParseNumber(parts[0], a) && ParseNumber(parts[1], b);
}

// "2@30+20": console 2 from 30 s for 20 s; "2@30+20/2": every second
// sentence of it; "2@30+20~5:1": one second of every five.
bool ParseFieldFault(const std::string& text, FieldFault& fault)
{
    const size_t at = text.find('@');
    long long console = 0;
    if (at == std::string::npos || !ParseInteger(text.substr(0, at), console) || console < 1 ||
        console > kMaxConsoles) {
        return false;
    }
    fault.Console = static_cast<int>(console - 1);
    std::string window = text.substr(at + 1);
    const size_t slash = window.find('/'), tilde = window.find('~');
    if (slash != std::string::npos) {
        long long every = 0;
        if (!ParseInteger(window.substr(slash + 1), every) || every < 1 || every > 1000) {
            return false;
        }
        fault.Every = static_cast<int>(every);
        window.resize(slash);
    } else if (tilde != std::string::npos) {
        if (!ParsePair(window.substr(tilde + 1), fault.Cycle, fault.On) || !(fault.Cycle > 0.0) ||
            !(fault.On > 0.0) || !(fault.On < fault.Cycle)) {
            return false;
        }
        window.resize(tilde);
    }
    return ParseWindow(window, fault.Window);
}

// The computer's UTC time of day now, for a receiver that tells the real time.
double UtcSecondsOfDayNow()
{
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    return static_cast<double>(now.tv_sec % 86400) + now.tv_nsec / 1e9;
}

bool ParseTimeOfDay(const std::string& text, double& seconds)
{
    if (text == "now") {
        seconds = UtcSecondsOfDayNow();
        return true;
    }
    long long hhmmss = 0;
    if (text.size() != 6 || !ParseInteger(text, hhmmss)) {
        return false;
    }
    const long long h = hhmmss / 10000, m = hhmmss / 100 % 100, s = hhmmss % 100;
    seconds = static_cast<double>(h * 3600 + m * 60 + s);
    return h < 24 && m < 60 && s < 60;
}

bool ValidPort(const std::string& name, int consoles, bool gps)
{
    if (name == "gps") {
        return gps;
    }
    for (int k = 1; k <= consoles; ++k) {
        if (name == "console" + std::to_string(k)) {
            return true;
        }
    }
    return false;
}

// A list of one value applies to every console.
bool PerConsole(const std::vector<double>& list, int consoles, std::vector<double>& out)
{
    if (list.size() != 1 && static_cast<int>(list.size()) != consoles) {
        return false;
    }
    out.assign(consoles, list[0]);
    for (size_t k = 0; k < list.size(); ++k) {
        out[k] = list[k];
    }
    return true;
}

// Per-console lists wait for the console count, which may come after them.
struct ConsoleLists {
    int Count = 1;
    std::vector<double> Types{2.0};
    std::vector<double> Rates{10.0};
    std::vector<double> Tenths{0.0};
};

// Reads one value of an option into its target; false: a bad value.
using Reader = std::function<bool(const std::string&)>;
using Readers = std::map<const CLI::Option*, Reader>;

bool AnyNumber(double) { return true; }
bool Positive(double x) { return x > 0.0; }
bool NotNegative(double x) { return x >= 0.0; }
bool Share(double x) { return x >= 0.0 && x <= 1.0; }

// A number that `valid` accepts; NaN fails every comparison, so no range takes it.
Reader Number(double& target, bool (*valid)(double))
{
    return [&target, valid](const std::string& text) { return ParseNumber(text, target) && valid(target); };
}

template <typename T>
Reader Integer(T& target, long long low, long long high)
{
    return [&target, low, high](const std::string& text) {
        long long value = 0;
        if (!ParseInteger(text, value) || value < low || value > high) {
            return false;
        }
        target = static_cast<T>(value);
        return true;
    };
}

Reader Text(std::string& target)
{
    return [&target](const std::string& text) {
        target = text;
        return true;
    };
}

Reader Fault(FaultSchedule& fault)
{
    return [&fault](const std::string& text) { return ParseFault(text, fault); };
}

const char Intro[] = R"(Simulates Grad601 gradiometer consoles and a GPS receiver on pseudo-terminals,
for Tesselog's COM ports (Wine maps COMn to a pty slave). Prints one line per
port, "console N: /dev/pts/X" and "gps: /dev/pts/Y", then runs in real time.
Console sentences: "$PBAR,0060,0065" CR LF; each value four characters,
0000..9999 or -999..-001.
)";

const char Footer[] = R"(GPS faults take WHEN: a share P (0..1) of the fixes at random, or START+LEN,
every fix from START for LEN seconds; each option is repeatable.

Whatever the program writes to the GPS port is printed as
"gps <- [seconds] text", one line per LF, with CR, LF and other control
bytes escaped: a command sent with CR LF shows as "...\r\n".)";

void DeclareOptions(CLI::App& app, Readers& readers, ToolOptions& options, ConsoleLists& lists)
{
    app.get_formatter()->column_width(26);
    app.footer(Footer);
    // Every value is kept, in order, for the readers.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    auto add = [&](const char* name, const char* value_name, Reader read, const char* help) {
        readers[app.add_option(name)->type_name(value_name)->description(help)] = std::move(read);
    };
    SimConfig& sim = options.Sim;

    app.option_defaults()->group("Consoles");
    add("--consoles", "N", Integer(lists.Count, 0, kMaxConsoles), "number of consoles, 0..9 (default 1)");
    add("--types", "LIST", [&lists](const std::string& text) { return ParseList(text, lists.Types); },
        "sensors per console, 1 (Grad601-1) or 2 (Grad601-2);\n"
        "one value for all or one per console, e.g. 2,2,1 (default 2)");
    add("--rate", "LIST", [&lists](const std::string& text) { return ParseList(text, lists.Rates); },
        "sentences per second per console (default 10); limited to\n"
        "what 9600 baud 8N1 carries (960 bytes/s: 56/s with two\n"
        "sensors, 80/s with one); higher rates are clamped");
    add("--sensor-spacing", "M", Number(sim.SensorSpacing, Positive),
        "metres between neighbouring sensors (default 1)");

    app.option_defaults()->group("GPS");
    app.add_flag_callback("--no-gps", [&sim] { sim.Gps = false; }, "no GPS port");
    add("--gps-mode", "N", Integer(sim.GpsMode, 0, 8),
        "the program's NMEA mode, 0..8 (default 1); every sentence\n"
        "carries a correct \"*HH\" checksum where the mode checks one:\n"
        "  0 GGA/GSA  $GPGGA then $GPGSA per fix\n"
        "  1 GGA      $GPGGA\n"
        "  2 POS      $PASHR,POS (Ashtech)\n"
        "  3 LLK      $GPLLK: UTM easting/northing in metres, GDOP\n"
        "  4 LLQ      $GPLLQ: the same with position quality (m)\n"
        "  5 GLL      $GPGLL\n"
        "  6 GGK      $PTNL,GGK (Trimble)\n"
        "  7 RTS pseudo GGA  a total station's GGA-shaped line:\n"
        "             UTM northing/easting where latitude and\n"
        "             longitude go, unit letter in field 11,\n"
        "             no checksum\n"
        "  8 Pseudo GLL  $GPGLL without checksum\n"
        "Grid coordinates are UTM in the zone of --origin, also\n"
        "beyond its edge.");
    add("--grid-unit", "M|F",
        [&sim](const std::string& text) {
            sim.GridFeet = text == "F";
            return text == "M" || text == "F";
        },
        "unit of the total station's coordinates in mode 7 (default M)");
    add("--gps-rate", "HZ", Number(sim.GpsRate, [](double hz) { return hz >= 1.0 && hz <= 20.0; }),
        "fixes per second, 1..20 (default 5), clamped to the line");
    add("--gps-baud", "B",
        [&sim](const std::string& text) {
            const int bauds[] = {4800, 9600, 19200, 38400, 57600, 115200};
            return Integer(sim.GpsBaud, 4800, 115200)(text) &&
                   std::find(std::begin(bauds), std::end(bauds), sim.GpsBaud) != std::end(bauds);
        },
        "4800, 9600, 19200, 38400, 57600 or 115200, 8N1 (default 9600)");
    add("--gps-quality", "Q", Integer(sim.GpsQuality, 0, 9),
        "fix quality 0..9 as the program decodes it (default 4, RTK\n"
        "fixed); POS writes Q-1, as the program adds 1");
    add("--start-time", "HHMMSS",
        [&sim](const std::string& text) { return ParseTimeOfDay(text, sim.StartTimeOfDay); },
        "UTC time of the first fix (default 100000); \"now\" takes the\n"
        "computer's UTC time, so that the program's clock check\n"
        "finds the receiver right");
    add("--clock-offset", "S",
        Number(sim.ClockOffset, [](double s) { return s > -86400.0 && s < 86400.0; }),
        "the receiver's clock S seconds ahead of the real time\n"
        "(negative: behind), across midnight");

    app.option_defaults()->group("Survey (the walker that carries the array)");
    add("--origin", "LAT,LON",
        [&sim](const std::string& text) {
            std::vector<double> pair;
            if (!ParseList(text, pair) || pair.size() != 2 || !(pair[0] > -85.0 && pair[0] < 85.0) ||
                !(pair[1] >= -180.0 && pair[1] <= 180.0)) {
                return false;
            }
            sim.Origin.Latitude = pair[0];
            sim.Origin.Longitude = pair[1];
            return true;
        },
        "start of line 1 in degrees (default 51.75,-1.25)");
    add("--bearing", "DEG", Number(sim.Origin.Bearing, AnyNumber),
        "direction of the lines, clockwise from north (default 0);\n"
        "later lines lie to the right");
    add("--line-length", "M", Number(sim.Area.LineLength, Positive), "(default 30)");
    add("--line-spacing", "M", Number(sim.Area.LineSpacing, Positive),
        "(default: the array width, sensors x sensor spacing)");
    add("--lines", "N", Integer(sim.Area.Lines, 1, 10000),
        "(default 20); after the last line the walker stands still");
    add("--first-line", "N", Integer(sim.Area.FirstLine, 1, 10000),
        "a site in several files: this file walks the site's lines\n"
        "from line N on (default 1)");
    add("--site-lines", "N", Integer(sim.Area.SiteLines, 1, 10000),
        "the site's lines, over which the buried features lie\n"
        "(default: --lines); with the same --seed each file of a\n"
        "site walks over the same features");
    add("--speed", "M/S", Number(sim.Speed, Positive), "walking speed (default 1)");
    add("--speed-change", "AT:M/S",
        [&sim](const std::string& text) {
            SpeedChange change;
            if (!ParsePair(text, change.At, change.Speed) || !(change.At >= 0.0) || !(change.Speed > 0.0)) {
                return false;
            }
            sim.SpeedChanges.push_back(change);
            std::stable_sort(sim.SpeedChanges.begin(), sim.SpeedChanges.end(),
                             [](const SpeedChange& a, const SpeedChange& b) { return a.At < b.At; });
            return true;
        },
        "from AT seconds walk at M/S (walking too fast, or slowing\n"
        "down again); repeatable");
    add("--wide-gap", "LINE:M",
        [&sim](const std::string& text) {
            double line = 0.0;
            if (!ParsePair(text, line, sim.Area.WideGap) || !(line >= 1.0 && line <= 10000.0) ||
                line != std::floor(line) || !(sim.Area.WideGap > 0.0)) {
                return false;
            }
            sim.Area.WideGapAfter = static_cast<int>(line);
            return true;
        },
        "lines LINE and LINE+1 lie M metres further apart than the\n"
        "others (a gap in the coverage); the field stays where it is");
    add("--stand-at", "M:S",
        [&sim](const std::string& text) {
            return ParsePair(text, sim.Area.MarkEvery, sim.Area.StandSeconds) && sim.Area.MarkEvery > 0.0 &&
                   sim.Area.StandSeconds > 0.0;
        },
        "stand S seconds at every M metres along each line, its end\n"
        "included: the tape marks where the operator sets the station");
    app.add_flag_callback("--one-way", [&sim] { sim.Area.Alternate = false; },
                          "walk every line the same way, returning to the next\n"
                          "line's start (default: alternate, zig-zag)");

    app.option_defaults()->group("Field");
    add("--anomalies", "N", Integer(sim.Anomalies, 0, 100), "buried blobs and dipoles inside the area (default 5)");
    add("--noise-level", "X", Number(sim.Field.Noise, NotNegative), "sensor noise, standard deviation (default 1)");
    add("--gradient", "GU,GV",
        [&sim](const std::string& text) {
            std::vector<double> pair;
            if (!ParseList(text, pair) || pair.size() != 2) {
                return false;
            }
            sim.Field.GradientU = pair[0];
            sim.Field.GradientV = pair[1];
            return true;
        },
        "the background's slope along and across the lines, output\n"
        "units per metre (default 0.05,-0.04); a steep one moves\n"
        "every sensor as the array walks");
    add("--noise-factors", "LIST", [&sim](const std::string& text) { return ParseList(text, sim.NoiseFactors); },
        "each sensor's noise times this, one value per sensor\n"
        "across the array (default 1 for all)");
    add("--tenths", "LIST", [&lists](const std::string& text) { return ParseList(text, lists.Tenths); },
        "per console 1: on the fine range, values in tenths of a nT\n"
        "(\"060.3\"), 0: whole nT (\"0060\"); one value for all or one\n"
        "per console (default 0)");
    add("--sensor-offsets", "LIST",
        [&sim](const std::string& text) { return ParseList(text, sim.SensorOffsets); },
        "each sensor's offset in output units, one value for all or\n"
        "one per sensor across the array, instead of the random\n"
        "balance (of -4..4) of each");
    add("--spikes", "RATE,SIZE",
        [&sim](const std::string& text) {
            std::vector<double> pair;
            if (!ParseList(text, pair) || pair.size() != 2 || !Share(pair[0]) || !(pair[1] > 0.0)) {
                return false;
            }
            sim.SpikeRate = pair[0];
            sim.SpikeSize = pair[1];
            return true;
        },
        "a share RATE (0..1) of the readings gets +SIZE or -SIZE,\n"
        "chosen apart from all other randomness: the same seed\n"
        "gives the same readings with and without spikes");
    add("--reading-lag", "S", Number(sim.ReadingLag, NotNegative),
        "each reading is sent S seconds after the moment whose\n"
        "place it measures (default 0)");
    add("--heading-error", "NT", Number(sim.HeadingError, NotNegative),
        "readings NT/2 higher walking along the lines and NT/2\n"
        "lower walking back: the heading stripe of a zig-zag survey");
    add("--seed", "N", Integer(sim.Seed, LLONG_MIN, LLONG_MAX),
        "seed of the one generator behind all randomness (default 1);\n"
        "the same options and seed give the same byte streams");

    app.option_defaults()->group("Faults");
    add("--stop", "PORT@START+LEN",
        [&sim](const std::string& text) {
            sim.Stops.emplace_back();
            return ParseStop(text, sim.Stops.back());
        },
        "PORT (console1..console9, gps) sends nothing from START\n"
        "for LEN seconds; repeatable, e.g. --stop console2@30+4;\n"
        "gps@START+LEN is a silent receiver");
    add("--noise-rate", "P", Number(sim.NoiseRate, Share),
        "share of sentences followed by 1..8 noise bytes (never\n"
        "\"$\", CR or LF) (0..1)");
    add("--bad-checksum", "WHEN", Fault(sim.Faults.BadChecksum),
        "a wrong \"*HH\" on each sentence (checksum modes 0..6 only)");
    add("--bad-checksum-rate", "P",
        [&sim](const std::string& text) {
            return text.find('+') == std::string::npos && ParseFault(text, sim.Faults.BadChecksum);
        },
        "the same as --bad-checksum P");
    add("--no-star", "WHEN", Fault(sim.Faults.MissingStar), "sentences without \"*HH\" (checksum modes 0..6 only)");
    add("--noise-burst", "WHEN", Fault(sim.Faults.NoiseBurst),
        "after the fix, 201..300 noise bytes without LF or \"$\",\n"
        "then CR LF: the program restarts the line after 200\n"
        "characters and sees the tail as a line without \"$\"");
    add("--quality-zero", "WHEN", Fault(sim.Faults.QualityZero),
        "the fix reports quality 0 (GLL: status V); POS leaves its\n"
        "quality field empty");
    add("--few-satellites", "WHEN", Fault(sim.Faults.FewSatellites),
        "the fix reports 1 satellite (GLL has no such field)");
    add("--close-port", "START+LEN",
        [&sim](const std::string& text) {
            sim.Faults.ClosedPort.emplace_back();
            return ParseWindow(text, sim.Faults.ClosedPort.back());
        },
        "the line goes away: the simulator closes the GPS pty\n"
        "pair (and removes its --link-dir link), then opens a new\n"
        "pair and prints \"gps: reopened on /dev/pts/N\"; map the\n"
        "program's port to the link, as the number may change.\n"
        "Under Wine 8 the open port then reads nothing, without\n"
        "an error (silence); a port reopened while the pty is\n"
        "gone opens, but each read fails at once (error 1).\n"
        "Dry runs and captures drop the window's bytes.");
    add("--unplug", "K:AT:FOR",
        [&sim](const std::string& text) {
            sim.Unplugs.emplace_back();
            return ParseUnplug(text, sim.Unplugs.back());
        },
        "console K's USB serial adapter pulled out AT seconds after\n"
        "the start and plugged back in FOR seconds later: the\n"
        "simulator closes the console's pty pair and removes its\n"
        "--link-dir link, then makes a new pair, points the same\n"
        "link at it (\"console K: replugged on /dev/pts/N\") and\n"
        "sends on; repeatable. The program's open port then reads\n"
        "nothing; the bytes of the window are never sent.");

    app.option_defaults()->group("Sensor faults (S: a sensor 1..18 across the array, K: a console)");
    add("--frozen", "S@START+LEN",
        [&sim](const std::string& text) {
            sim.Sensors.Frozen.emplace_back();
            return ParseSensorFault(text, sim.Sensors.Frozen.back(), false);
        },
        "sensor S repeats the value it had at START for LEN seconds");
    add("--saturated", "S@START+LEN",
        [&sim](const std::string& text) {
            sim.Sensors.Saturated.emplace_back();
            return ParseSensorFault(text, sim.Sensors.Saturated.back(), true);
        },
        "sensor S reads the console's upper limit, 9999, or with\n"
        "xV is clipped at V, e.g. 5@30+60x1000");
    add("--noisy", "S@START+LEN[xF]",
        [&sim](const std::string& text) {
            sim.Sensors.Noisy.emplace_back();
            return ParseSensorFault(text, sim.Sensors.Noisy.back(), true);
        },
        "sensor S with F times its noise (default 10), e.g. 3@60+30x5");
    add("--stuck", "S@START+LEN",
        [&sim](const std::string& text) {
            sim.Sensors.Stuck.emplace_back();
            return ParseSensorFault(text, sim.Sensors.Stuck.back(), false);
        },
        "sensor S keeps the value it had at START, give or take two\n"
        "steps at random, whatever the ground");
    add("--drifting", "S@START+LEN",
        [&sim](const std::string& text) {
            sim.Sensors.Drifting.emplace_back();
            return ParseSensorFault(text, sim.Sensors.Drifting.back(), false);
        },
        "sensor S leaves the ground: from the value it had at START\n"
        "it climbs one step every 3 seconds, without noise");
    add("--zero", "S@START+LEN",
        [&sim](const std::string& text) {
            sim.Sensors.Zero.emplace_back();
            return ParseSensorFault(text, sim.Sensors.Zero.back(), false);
        },
        "sensor S reads 0");
    add("--busy-ground", "START+LEN",
        [&sim](const std::string& text) {
            sim.Sensors.BusyGround.emplace_back();
            return ParseWindow(text, sim.Sensors.BusyGround.back());
        },
        "ground busy for everyone (rubble, furrows): every sensor's\n"
        "noise 5, 6, 7 or 8 times (sensor 1 5x, 2 6x, ... 5 5x again)");
    add("--empty-field", "K@START+LEN[/N|~P:ON]",
        [&sim](const std::string& text) {
            sim.Sensors.BadFields.emplace_back();
            return ParseFieldFault(text, sim.Sensors.BadFields.back());
        },
        "two-sensor console K sends its second field empty:\n"
        "\"$PBAR,0060,\"; with /N in every N-th sentence only, with\n"
        "~P:ON for ON seconds of every P (a loose connector)");
    add("--garbled-field", "K@START+LEN[/N|~P:ON]",
        [&sim](const std::string& text) {
            sim.Sensors.BadFields.push_back({});
            sim.Sensors.BadFields.back().Garbled = true;
            return ParseFieldFault(text, sim.Sensors.BadFields.back());
        },
        "the same with a garbled second field: \"$PBAR,0060,ERR\"");
    app.option_defaults()->group("Faults");

    app.add_flag_callback("--gps-garbage", [&sim] { sim.Faults.Garbage = true; },
                          "the receiver as read at a wrong baud rate: every fix\n"
                          "comes as as many random bytes, never an LF");
    app.add_flag_callback("--gps-no-line-ends", [&sim] { sim.Faults.NoLineEnds = true; },
                          "the sentences without CR LF, one after the other");

    app.option_defaults()->group("Running");
    add("--duration", "S", Number(options.Duration, NotNegative),
        "stop after S seconds (default: at SIGINT/SIGTERM)");
    add("--link-dir", "DIR", Text(options.LinkDir),
        "also make symlinks DIR/console1.., DIR/gps to the slaves");
    add("--capture", "PREFIX", Text(options.CapturePrefix),
        "write what each port sent to PREFIX.<port>.raw (raw bytes)\n"
        "and PREFIX.index (\"<ms> <port> <offset> <length>\" per chunk);\n"
        "bytes the program writes to the GPS port go to port gps-in");
    add("--write-log", "FILE", Text(options.WriteLog),
        "one line per sentence written on any port, once the write\n"
        "that carried its LF has returned: \"<us> <port> <sentence>\",\n"
        "microseconds of CLOCK_MONOTONIC_RAW (the clock of Wine's\n"
        "QueryPerformanceCounter), the sentence without CR LF");
    add("--field-out", "FILE", Text(options.FieldOut),
        "describe the buried features in FILE, one line each:\n"
        "\"anomaly U V AMPLITUDE RADIUS LATITUDE LONGITUDE\"\n"
        "(survey metres, output units, metres, WGS84 degrees),\n"
        "so that a test can look for them on the map");
    add("--dry-run", "PORT", Text(options.DryRunPort),
        "no ptys, no waiting: write PORT's stream (console1.., gps)\n"
        "to stdout for --duration seconds of simulated time\n"
        "(default 10); --capture still records every port");
    app.set_help_flag("-h,--help", "this text");
}

// The checks that span options, once all are read.
bool CheckTogether(ToolOptions& options, const ConsoleLists& lists, bool spacing_given, std::string& error)
{
    SimConfig& sim = options.Sim;
    const int n = lists.Count;
    sim.ConsoleSensors.clear();
    sim.ConsoleRates.clear();
    if (n > 0) {
        std::vector<double> sensors;
        if (!PerConsole(lists.Types, n, sensors)) {
            error = "--types needs one value or one per console";
            return false;
        }
        for (double s : sensors) {
            if (s != 1.0 && s != 2.0) {
                error = "--types values are 1 (Grad601-1) or 2 (Grad601-2)";
                return false;
            }
            sim.ConsoleSensors.push_back(static_cast<int>(s));
        }
        if (!PerConsole(lists.Rates, n, sim.ConsoleRates)) {
            error = "--rate needs one value or one per console";
            return false;
        }
        std::vector<double> tenths;
        if (!PerConsole(lists.Tenths, n, tenths)) {
            error = "--tenths needs one value or one per console";
            return false;
        }
        sim.ConsoleTenths.clear();
        for (double t : tenths) {
            sim.ConsoleTenths.push_back(t != 0.0);
        }
        for (double r : sim.ConsoleRates) {
            if (!(r >= 0.1)) {
                error = "--rate values are at least 0.1 sentences per second";
                return false;
            }
        }
    }
    int total = 0;
    for (int s : sim.ConsoleSensors) {
        total += s;
    }
    if (!sim.NoiseFactors.empty() && static_cast<int>(sim.NoiseFactors.size()) != total) {
        error = "--noise-factors needs one value per sensor";
        return false;
    }
    if (sim.SensorOffsets.size() > 1 && static_cast<int>(sim.SensorOffsets.size()) != total) {
        error = "--sensor-offsets needs one value or one per sensor";
        return false;
    }
    if (!spacing_given) {  // adjacent swaths: the line spacing is the array width
        sim.Area.LineSpacing = total > 0 ? total * sim.SensorSpacing : 1.0;
    }
    for (const StopWindow& stop : sim.Stops) {
        if (!ValidPort(stop.Port, n, sim.Gps)) {
            error = "--stop names no simulated port: " + stop.Port;
            return false;
        }
    }
    for (const StopWindow& unplug : sim.Unplugs) {
        if (!ValidPort(unplug.Port, n, sim.Gps)) {
            error = "--unplug names no simulated console: " + unplug.Port.substr(7);
            return false;
        }
    }
    int sensor_total = 0;
    for (int count : sim.ConsoleSensors) {
        sensor_total += count;
    }
    for (const std::vector<SensorFault>* list : {&sim.Sensors.Frozen, &sim.Sensors.Saturated, &sim.Sensors.Noisy,
                                                 &sim.Sensors.Stuck, &sim.Sensors.Drifting, &sim.Sensors.Zero}) {
        for (const SensorFault& fault : *list) {
            if (fault.Sensor >= sensor_total) {
                error = "a sensor fault names sensor " + std::to_string(fault.Sensor + 1) + " of " +
                        std::to_string(sensor_total);
                return false;
            }
        }
    }
    for (const FieldFault& fault : sim.Sensors.BadFields) {
        if (fault.Console >= n || sim.ConsoleSensors[fault.Console] != 2) {
            error = "--empty-field and --garbled-field need a two-sensor console: " +
                    std::to_string(fault.Console + 1);
            return false;
        }
    }
    if (sim.Area.WideGapAfter >= sim.Area.Lines) {
        error = "--wide-gap needs a line after it: there are " + std::to_string(sim.Area.Lines) + " lines";
        return false;
    }
    const GpsFaults& faults = sim.Faults;
    if (!sim.Gps && (faults.BadChecksum.Any() || faults.MissingStar.Any() || faults.NoiseBurst.Any() ||
                     faults.QualityZero.Any() || faults.FewSatellites.Any() || !faults.ClosedPort.empty() ||
                     faults.Garbage || faults.NoLineEnds)) {
        error = "GPS faults given with --no-gps";
        return false;
    }
    if (!options.DryRunPort.empty() && !ValidPort(options.DryRunPort, n, sim.Gps)) {
        error = "--dry-run names no simulated port: " + options.DryRunPort;
        return false;
    }
    if (n == 0 && !sim.Gps) {
        error = "nothing to simulate: no consoles and --no-gps";
        return false;
    }
    return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, ToolOptions& options, std::string& error)
{
    CLI::App app(Intro, "tesselog-sim");
    Readers readers;
    ConsoleLists lists;
    DeclareOptions(app, readers, options, lists);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        options.Help = app.help();
        return true;
    } catch (const CLI::ParseError& e) {
        error = e.what();
        return false;
    }
    // CLI11 has sorted the words into options and values; the values go
    // through their readers in the order given, so that a later value of an
    // option overrides an earlier one and the repeatable options collect.
    std::map<const CLI::Option*, size_t> taken;
    for (const CLI::Option* option : app.parse_order()) {
        const auto reader = readers.find(option);
        if (reader == readers.end()) {
            continue;  // a flag, done by its callback
        }
        const std::string& value = option->results()[taken[option]++];
        if (!reader->second(value)) {
            error = "bad value for " + option->get_name() + ": " + value;
            return false;
        }
    }
    return CheckTogether(options, lists, app.count("--line-spacing") > 0, error);
}

}  // namespace tesselog::sim
