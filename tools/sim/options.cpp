#include "tools/sim/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tesselog::sim {

namespace {

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

bool ParseTimeOfDay(const std::string& text, double& seconds)
{
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

}  // namespace

bool ParseOptions(int argc, const char* const* argv, ToolOptions& options, std::string& error)
{
    SimConfig& sim = options.Sim;
    long long consoles = 1;
    std::vector<double> types{2.0};
    std::vector<double> rates{10.0};
    bool spacing_given = false;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::string value;
        const size_t equals = name.find('=');
        if (equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        auto flag = [&](const char* n) { return name == n; };
        if (flag("--help") || flag("-h")) {
            options.Help = true;
            continue;
        }
        if (flag("--no-gps")) {
            sim.Gps = false;
            continue;
        }
        if (flag("--one-way")) {
            sim.Area.Alternate = false;
            continue;
        }
        if (equals == std::string::npos) {
            if (i + 1 >= argc) {
                error = name + " needs a value (or unknown option)";
                return false;
            }
            value = argv[++i];
        }
        long long integer = 0;
        bool ok = true;
        if (flag("--consoles")) {
            ok = ParseInteger(value, consoles) && consoles >= 0 && consoles <= kMaxConsoles;
        } else if (flag("--types")) {
            ok = ParseList(value, types);
        } else if (flag("--rate")) {
            ok = ParseList(value, rates);
        } else if (flag("--sensor-spacing")) {
            ok = ParseNumber(value, sim.SensorSpacing) && sim.SensorSpacing > 0.0;
        } else if (flag("--gps-mode")) {
            ok = ParseInteger(value, integer) && FindGpsFormat(static_cast<int>(integer)) != nullptr;
            sim.GpsMode = static_cast<int>(integer);
        } else if (flag("--gps-rate")) {
            ok = ParseNumber(value, sim.GpsRate) && sim.GpsRate >= 1.0 && sim.GpsRate <= 20.0;
        } else if (flag("--gps-baud")) {
            ok = ParseInteger(value, integer) && (integer == 4800 || integer == 9600 || integer == 19200 ||
                                                  integer == 38400 || integer == 57600 || integer == 115200);
            sim.GpsBaud = static_cast<int>(integer);
        } else if (flag("--gps-quality")) {
            ok = ParseInteger(value, integer) && integer >= 0 && integer <= 9;
            sim.GpsQuality = static_cast<int>(integer);
        } else if (flag("--origin")) {
            std::vector<double> pair;
            ok = ParseList(value, pair) && pair.size() == 2 && pair[0] > -85.0 && pair[0] < 85.0 &&
                 pair[1] >= -180.0 && pair[1] <= 180.0;
            if (ok) {
                sim.Origin.Latitude = pair[0];
                sim.Origin.Longitude = pair[1];
            }
        } else if (flag("--bearing")) {
            ok = ParseNumber(value, sim.Origin.Bearing);
        } else if (flag("--line-length")) {
            ok = ParseNumber(value, sim.Area.LineLength) && sim.Area.LineLength > 0.0;
        } else if (flag("--line-spacing")) {
            ok = ParseNumber(value, sim.Area.LineSpacing) && sim.Area.LineSpacing > 0.0;
            spacing_given = true;
        } else if (flag("--lines")) {
            ok = ParseInteger(value, integer) && integer >= 1 && integer <= 10000;
            sim.Area.Lines = static_cast<int>(integer);
        } else if (flag("--speed")) {
            ok = ParseNumber(value, sim.Speed) && sim.Speed > 0.0;
        } else if (flag("--start-time")) {
            ok = ParseTimeOfDay(value, sim.StartTimeOfDay);
        } else if (flag("--anomalies")) {
            ok = ParseInteger(value, integer) && integer >= 0 && integer <= 100;
            sim.Anomalies = static_cast<int>(integer);
        } else if (flag("--noise-level")) {
            ok = ParseNumber(value, sim.Field.Noise) && sim.Field.Noise >= 0.0;
        } else if (flag("--seed")) {
            ok = ParseInteger(value, integer);
            sim.Seed = static_cast<uint64_t>(integer);
        } else if (flag("--duration")) {
            ok = ParseNumber(value, options.Duration) && options.Duration >= 0.0;
        } else if (flag("--capture")) {
            options.CapturePrefix = value;
        } else if (flag("--link-dir")) {
            options.LinkDir = value;
        } else if (flag("--write-log")) {
            options.WriteLog = value;
        } else if (flag("--dry-run")) {
            options.DryRunPort = value;
        } else if (flag("--stop")) {
            StopWindow stop;
            ok = ParseStop(value, stop);
            sim.Stops.push_back(stop);
        } else if (flag("--grid-unit")) {
            ok = value == "M" || value == "F";
            sim.GridFeet = value == "F";
        } else if (flag("--bad-checksum-rate")) {  // the older spelling of --bad-checksum P
            ok = value.find('+') == std::string::npos && ParseFault(value, sim.Faults.BadChecksum);
        } else if (flag("--bad-checksum")) {
            ok = ParseFault(value, sim.Faults.BadChecksum);
        } else if (flag("--no-star")) {
            ok = ParseFault(value, sim.Faults.MissingStar);
        } else if (flag("--noise-burst")) {
            ok = ParseFault(value, sim.Faults.NoiseBurst);
        } else if (flag("--quality-zero")) {
            ok = ParseFault(value, sim.Faults.QualityZero);
        } else if (flag("--few-satellites")) {
            ok = ParseFault(value, sim.Faults.FewSatellites);
        } else if (flag("--close-port")) {
            TimeWindow window;
            ok = ParseWindow(value, window);
            sim.Faults.ClosedPort.push_back(window);
        } else if (flag("--noise-rate")) {
            ok = ParseNumber(value, sim.NoiseRate) && sim.NoiseRate >= 0.0 && sim.NoiseRate <= 1.0;
        } else {
            error = "unknown option " + name + " (see --help)";
            return false;
        }
        if (!ok) {
            error = "bad value for " + name + ": " + value;
            return false;
        }
    }
    const int n = static_cast<int>(consoles);
    if (n > 0) {
        std::vector<double> sensors;
        if (!PerConsole(types, n, sensors)) {
            error = "--types needs one value or one per console";
            return false;
        }
        sim.ConsoleSensors.clear();
        for (double s : sensors) {
            if (s != 1.0 && s != 2.0) {
                error = "--types values are 1 (Grad601-1) or 2 (Grad601-2)";
                return false;
            }
            sim.ConsoleSensors.push_back(static_cast<int>(s));
        }
        if (!PerConsole(rates, n, sim.ConsoleRates)) {
            error = "--rate needs one value or one per console";
            return false;
        }
        for (double r : sim.ConsoleRates) {
            if (!(r >= 0.1)) {
                error = "--rate values are at least 0.1 sentences per second";
                return false;
            }
        }
    } else {
        sim.ConsoleSensors.clear();
        sim.ConsoleRates.clear();
    }
    if (!spacing_given) {  // adjacent swaths: the line spacing is the array width
        int total = 0;
        for (int s : sim.ConsoleSensors) {
            total += s;
        }
        sim.Area.LineSpacing = total > 0 ? total * sim.SensorSpacing : 1.0;
    }
    for (const StopWindow& stop : sim.Stops) {
        if (!ValidPort(stop.Port, n, sim.Gps)) {
            error = "--stop names no simulated port: " + stop.Port;
            return false;
        }
    }
    const GpsFaults& faults = sim.Faults;
    if (!sim.Gps && (faults.BadChecksum.Any() || faults.MissingStar.Any() || faults.NoiseBurst.Any() ||
                     faults.QualityZero.Any() || faults.FewSatellites.Any() || !faults.ClosedPort.empty())) {
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

const char* HelpText()
{
    return R"(Usage: tesselog-sim [options]

Simulates Grad601 gradiometer consoles and a GPS receiver on pseudo-terminals,
for Tesselog's COM ports (Wine maps COMn to a pty slave). Prints one line per
port, "console N: /dev/pts/X" and "gps: /dev/pts/Y", then runs in real time.

Consoles
  --consoles N            number of consoles, 0..9 (default 1)
  --types LIST            sensors per console, 1 (Grad601-1) or 2 (Grad601-2);
                          one value for all or one per console, e.g. 2,2,1 (default 2)
  --rate LIST             sentences per second per console (default 10); limited to
                          what 9600 baud 8N1 carries (960 bytes/s: 56/s with two
                          sensors, 80/s with one); higher rates are clamped
  --sensor-spacing M      metres between neighbouring sensors (default 1)
  Sentences: "$PBAR,0060,0065" CR LF; each value four characters, 0000..9999
  or -999..-001.

GPS
  --no-gps                no GPS port
  --gps-mode N            the program's NMEA mode, 0..8 (default 1); every sentence
                          carries a correct "*HH" checksum where the mode checks one:
                            0 GGA/GSA  $GPGGA then $GPGSA per fix
                            1 GGA      $GPGGA
                            2 POS      $PASHR,POS (Ashtech)
                            3 LLK      $GPLLK: UTM easting/northing in metres, GDOP
                            4 LLQ      $GPLLQ: the same with position quality (m)
                            5 GLL      $GPGLL
                            6 GGK      $PTNL,GGK (Trimble)
                            7 RTS pseudo GGA  a total station's GGA-shaped line:
                                       UTM northing/easting where latitude and
                                       longitude go, unit letter in field 11,
                                       no checksum
                            8 Pseudo GLL  $GPGLL without checksum
  --grid-unit M|F         unit of the total station's coordinates in mode 7 (default M)
  --gps-rate HZ           fixes per second, 1..20 (default 5), clamped to the line
  --gps-baud B            4800, 9600, 19200, 38400, 57600 or 115200, 8N1 (default 9600)
  --gps-quality Q         fix quality 0..9 as the program decodes it (default 4, RTK
                          fixed); POS writes Q-1, as the program adds 1
  --start-time HHMMSS     UTC time of the first fix (default 100000)
  Grid coordinates are UTM in the zone of --origin, also beyond its edge.

Survey (the walker that carries the array)
  --origin LAT,LON        start of line 1 in degrees (default 51.75,-1.25)
  --bearing DEG           direction of the lines, clockwise from north (default 0);
                          later lines lie to the right
  --line-length M         (default 30)
  --line-spacing M        (default: the array width, sensors x sensor spacing)
  --lines N               (default 20)
  --speed M/S             walking speed (default 1)
  --one-way               walk every line the same way, returning to the next
                          line's start (default: alternate, zig-zag)
  After the last line the walker stands still.

Field
  --anomalies N           buried blobs and dipoles inside the area (default 5)
  --noise-level X         sensor noise, standard deviation (default 1)
  --seed N                seed of the one generator behind all randomness (default 1);
                          the same options and seed give the same byte streams

Faults
  --stop PORT@START+LEN   PORT (console1..console9, gps) sends nothing from START
                          for LEN seconds; repeatable, e.g. --stop console2@30+4
  --noise-rate P          share of sentences followed by 1..8 noise bytes (never
                          "$", CR or LF) (0..1)
  GPS faults take WHEN: a share P (0..1) of the fixes at random, or START+LEN,
  every fix from START for LEN seconds; each option is repeatable.
  --bad-checksum WHEN     a wrong "*HH" on each sentence (checksum modes 0..6 only)
  --bad-checksum-rate P   the same as --bad-checksum P
  --no-star WHEN          sentences without "*HH" (checksum modes 0..6 only)
  --noise-burst WHEN      after the fix, 201..300 noise bytes without LF or "$",
                          then CR LF: the program restarts the line after 200
                          characters and sees the tail as a line without "$"
  --quality-zero WHEN     the fix reports quality 0 (GLL: status V); POS leaves its
                          quality field empty
  --few-satellites WHEN   the fix reports 1 satellite (GLL has no such field)
  --stop gps@START+LEN    silence: the receiver sends nothing
  --close-port START+LEN  the line goes away: the simulator closes the GPS pty
                          pair (and removes its --link-dir link), then opens a new
                          pair and prints "gps: reopened on /dev/pts/N"; map the
                          program's port to the link, as the number may change.
                          Under Wine 8 the open port then reads nothing, without
                          an error (silence); a port reopened while the pty is
                          gone opens, but each read fails at once (error 1).
                          Dry runs and captures drop the window's bytes.

Running
  --duration S            stop after S seconds (default: at SIGINT/SIGTERM)
  --link-dir DIR          also make symlinks DIR/console1.., DIR/gps to the slaves
  --capture PREFIX        write what each port sent to PREFIX.<port>.raw (raw bytes)
                          and PREFIX.index ("<ms> <port> <offset> <length>" per chunk);
                          bytes the program writes to the GPS port go to port gps-in
  --write-log FILE        one line per sentence written on any port, once the write
                          that carried its LF has returned: "<us> <port> <sentence>",
                          microseconds of CLOCK_MONOTONIC_RAW (the clock of Wine's
                          QueryPerformanceCounter), the sentence without CR LF
  --dry-run PORT          no ptys, no waiting: write PORT's stream (console1.., gps)
                          to stdout for --duration seconds of simulated time
                          (default 10); --capture still records every port
  --help                  this text

Whatever the program writes to the GPS port is printed as
"gps <- [seconds] text" with CR, LF and other control bytes escaped.
)";
}

}  // namespace tesselog::sim
