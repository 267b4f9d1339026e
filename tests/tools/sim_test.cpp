// The instrument simulator's generation logic: what it sends must be what a
// Grad601 and a GPS receiver send, at no more than their lines carry, and the
// same for the same seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "core/gps/coordinates.h"
#include "core/gps/gps_decoder.h"
#include "core/gps/gps_framer.h"
#include "tools/sim/console_format.h"
#include "tools/sim/field_check.h"
#include "tools/sim/nmea.h"
#include "tools/sim/options.h"
#include "tools/sim/pacing.h"
#include "tools/sim/simulation.h"

namespace tesselog::sim {
namespace {

std::vector<Chunk> RunFor(const SimConfig& config, double seconds) {
    Simulation sim(config);
    std::vector<Chunk> chunks;
    sim.AdvanceTo(seconds, [&](const Chunk& chunk) { chunks.push_back(chunk); });
    return chunks;
}

std::string Stream(const std::vector<Chunk>& chunks, int port) {
    std::string bytes;
    for (const Chunk& chunk : chunks) bytes += chunk.Port == port ? chunk.Bytes : "";
    return bytes;
}

// Lines up to (not including) the LF, from the "$" on when there is one: noise in front is dropped.
std::vector<std::string> Sentences(const std::string& stream) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t lf = stream.find('\n'); lf != std::string::npos; start = lf + 1, lf = stream.find('\n', start)) {
        const std::string line = stream.substr(start, lf - start);
        out.push_back(line.find('$') == std::string::npos ? line : line.substr(line.find('$')));
    }
    return out;
}

std::vector<std::string> Fields(const std::string& sentence) {
    std::vector<std::string> fields;
    for (size_t start = 0;;) {
        const size_t comma = sentence.find(',', start);
        fields.push_back(sentence.substr(start, comma - start));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

bool ChecksumCorrect(const std::string& s) {
    const size_t star = s.find('*');
    if (s.empty() || s[0] != '$' || star == std::string::npos || star + 2 >= s.size()) return false;
    return NmeaChecksum(s.data() + 1, star - 1) == std::strtoul(s.substr(star + 1, 2).c_str(), nullptr, 16);
}

double SecondsOfDay(const std::string& field) {
    return std::atoi(field.substr(0, 2).c_str()) * 3600.0 + std::atoi(field.substr(2, 2).c_str()) * 60.0 +
           std::atof(field.substr(4).c_str());
}

SimConfig GpsOnly(int mode) {
    SimConfig config;
    config.ConsoleSensors.clear();
    config.ConsoleRates.clear();
    config.GpsMode = mode;
    config.GpsRate = 2.0;
    return config;
}

// Nine consoles, all but the last asking for more than 9600 baud carries, with noise after every sentence, and a
// GGA/GSA receiver asking for 20 fixes a second with every checksum spoilt. Every line carries 960 bytes a second.
TEST(SimStreams, BusyLinesAreDeterministicShapedAndPaced) {
    SimConfig config;
    config.ConsoleSensors = {2, 1, 2, 1, 2, 1, 2, 1, 2};
    config.ConsoleRates = {200, 200, 200, 200, 200, 200, 200, 200, 10};
    config.NoiseRate = 1.0;
    config.GpsMode = 0;
    config.GpsRate = 20.0;
    config.Faults.BadChecksum.Rate = 1.0;
    EXPECT_EQ(LimitRates(config).size(), 9u);
    EXPECT_EQ(config.ConsoleRates[0], 56.0);  // 17 bytes a sentence
    EXPECT_EQ(config.ConsoleRates[1], 80.0);  // 12 bytes
    EXPECT_EQ(config.ConsoleRates[8], 10.0);
    EXPECT_LE(config.GpsRate * MaxGpsFixBytes(0), 960.0);
    EXPECT_GE(config.GpsRate, 1.0);

    const std::vector<Chunk> a = RunFor(config, 10.0);
    // Small steps (real time) hand out exactly what one big step (dry run) does.
    Simulation stepped(config);
    std::vector<Chunk> b;
    for (double t = 0.0; t <= 10.0; t += 0.002) stepped.AdvanceTo(t, [&](const Chunk& chunk) { b.push_back(chunk); });
    stepped.AdvanceTo(10.0, [&](const Chunk& chunk) { b.push_back(chunk); });
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(a[i].Port == b[i].Port && a[i].Start == b[i].Start && a[i].Bytes == b[i].Bytes) << i;
    }
    for (int port = 0; port < 10; ++port) {
        std::vector<double> times;  // when each byte leaves
        for (const Chunk& c : a) {
            for (size_t k = 0; c.Port == port && k < c.Bytes.size(); ++k) times.push_back(c.Start + k / 960.0);
        }
        EXPECT_TRUE(std::is_sorted(times.begin(), times.end())) << port;
        size_t most = 0;
        for (size_t i = 0, j = 0; i < times.size(); most = std::max(most, j - i), ++i) {
            while (j < times.size() && times[j] < times[i] + 1.0 - 1e-9) ++j;
        }
        EXPECT_LE(most, 960u) << port;
    }
    const std::regex pbar[] = {std::regex(R"(^\$PBAR(,(\d{4}|-\d{3})){1}\r$)"),
                               std::regex(R"(^\$PBAR(,(\d{4}|-\d{3})){2}\r$)")};
    for (size_t k = 0; k < 9; ++k) {
        const std::vector<std::string> sentences = Sentences(Stream(a, static_cast<int>(k)));
        // The line full even with the longest noise (8 bytes) after each sentence, the last console at its rate.
        EXPECT_GE(sentences.size(), k == 8 ? 99u : 9600 / (PbarSentenceBytes(config.ConsoleSensors[k]) + 8)) << k;
        for (const std::string& s : sentences) {
            EXPECT_TRUE(std::regex_match(s, pbar[config.ConsoleSensors[k] - 1])) << EscapeBytes(s);
        }
    }
    const std::vector<std::string> gps = Sentences(Stream(a, 9));
    ASSERT_GE(gps.size(), static_cast<size_t>(2 * 9 * config.GpsRate));
    for (size_t i = 0; i < gps.size(); ++i) {
        EXPECT_EQ(gps[i].substr(0, 6), i % 2 ? "$GPGSA" : "$GPGGA") << EscapeBytes(gps[i]);
        EXPECT_EQ(Fields(gps[i]).size(), i % 2 ? 18u : 15u) << EscapeBytes(gps[i]);
        EXPECT_FALSE(ChecksumCorrect(gps[i])) << EscapeBytes(gps[i]);
    }
    config.Seed = 43;
    EXPECT_NE(Stream(a, 0), Stream(RunFor(config, 10.0), 0));

    const std::pair<double, size_t> due[] = {{0.999, 0}, {1.0, 1}, {1.0 + 10.5 / 960.0, 11}, {2.0, 17}};
    for (const auto& [now, bytes] : due) {
        EXPECT_EQ(BytesDue(1.0, 17, now, 960.0), bytes) << now;  // the bytes of a 17-byte chunk gone out by `now`
    }
}

TEST(SimWalker, StaysInsideTheAreaAndTurnsAtLineEnds) {
    for (bool alternate : {true, false}) {
        SCOPED_TRACE(alternate ? "alternate" : "one way");
        const SurveyArea area{25.0, 2.0, 5, alternate};
        const Walker walker(area, 1.25);
        std::vector<double> u_min(5, 1e9), u_max(5, -1e9);
        int line = 0;
        for (double t = -1.0; t < walker.TotalSeconds() + 5.0; t += 0.01) {
            const WalkerState s = walker.At(t);
            EXPECT_TRUE(s.U >= -1e-9 && s.U <= area.LineLength + 1e-9 && s.V >= -1e-9 && s.V <= area.Width() + 1e-9)
                << t << ": " << s.U << "," << s.V;
            EXPECT_TRUE(s.Line == line || s.Line == line + 1) << t;
            line = s.Line;
            if (s.OnLine) {
                EXPECT_NEAR(s.V, line * area.LineSpacing, 1e-9);
                EXPECT_EQ(s.DirU, alternate && line % 2 == 1 ? -1.0 : 1.0);
                u_min[line] = std::min(u_min[line], s.U);
                u_max[line] = std::max(u_max[line], s.U);
            }
        }
        EXPECT_EQ(line, 4);
        EXPECT_TRUE(walker.At(walker.TotalSeconds() + 1.0).Finished);
        for (int i = 0; i < 5; ++i) {  // every line walked from end to end
            EXPECT_NEAR(u_min[i], 0.0, 0.02);
            EXPECT_NEAR(u_max[i], area.LineLength, 0.02);
        }
        // Alternate turns step across at the line end; one-way returns to u = 0.
        const WalkerState turning = walker.At(area.LineLength / 1.25 + 0.5);
        EXPECT_TRUE(!turning.OnLine && turning.Line == 0 && turning.DirV > 0.0);
        EXPECT_EQ(turning.DirU < 0.0, !alternate);
        EXPECT_EQ(turning.DirU == 0.0 && turning.U == area.LineLength, alternate);
    }
}

// A receiver at a wrong baud rate and one without line ends: the bytes go on
// arriving, paced as before, but no line ever ends.
TEST(SimFaults, GarbageAndNoLineEndsNeverEndALine) {
    SimConfig config;
    config.ConsoleSensors = {};
    config.ConsoleRates = {};
    const int gps = Simulation(config).PortIndex("gps");
    const std::string plain = Stream(RunFor(config, 10.0), gps);
    config.Faults.Garbage = true;
    const std::string garbage = Stream(RunFor(config, 10.0), gps);
    config.Faults.Garbage = false;
    config.Faults.NoLineEnds = true;
    const std::string joined = Stream(RunFor(config, 10.0), gps);

    ASSERT_GT(plain.size(), 1000u);
    EXPECT_EQ(garbage.size(), plain.size());
    EXPECT_EQ(garbage.find('\n'), std::string::npos);
    EXPECT_EQ(joined.find_first_of("\r\n"), std::string::npos);
    std::string stripped = plain;
    stripped.erase(std::remove_if(stripped.begin(), stripped.end(), [](char c) { return c == '\r' || c == '\n'; }),
                   stripped.end());
    EXPECT_EQ(joined, stripped);
}

TEST(SimNmea, ChecksumsAndCoordinateText) {
    const std::string known = "GPGGA,173524,4336.5940,N,07936.6403,W,8,11,2.0,142.5,M,-35.4,M,,";
    std::string sentence;
    AppendSentence(sentence, known.data(), known.size(), true, 0);
    EXPECT_EQ(sentence, "$" + known + "*70\r\n");

    char text[32];
    char hemisphere = 0;
    FormatLatitude(10.9999999999, text, sizeof text, hemisphere);  // rounds up to whole degrees
    EXPECT_STREQ(text, "1100.00000");
    FormatLongitude(-(151.0 + 59.99999999 / 60.0), text, sizeof text, hemisphere, 7);  // GGK's seven decimals
    EXPECT_STREQ(text, "15200.0000000");
    const std::pair<int, const char*> readings[] = {{60, "0060"}, {-12, "-012"}, {12000, "9999"}, {-5000, "-999"}};
    for (const auto& [value, expected] : readings) {
        char out[5];
        FormatReading(value, out);
        EXPECT_STREQ(out, expected);
    }
}

// The error of a command line, or "accepted".
std::string Parse(std::vector<std::string> words, ToolOptions& options) {
    words.insert(words.begin(), "tesselog-sim");
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());
    std::string error;
    return ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error) ? "accepted" : error;
}

SimConfig Parsed(const std::vector<std::string>& words) {
    ToolOptions options;
    EXPECT_EQ(Parse(words, options), "accepted");
    LimitRates(options.Sim);
    return options.Sim;
}

TEST(SimOptions, CommandLines) {
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--consoles", "10", "--consoles", "1"}, "bad value for --consoles: 10"},  // every value, not only the last
        {{"--gps-rate", "nan"}, "bad value for --gps-rate: nan"},
        {{"--seed", "0x10"}, "bad value for --seed: 0x10"},  // decimal only
        {{"--few-satellites", "4+0"}, "bad value for --few-satellites: 4+0"},
        {{"--close-port", "0.5"}, "bad value for --close-port: 0.5"},  // a closed port takes a window only
        {{"--consoles", "3", "--types", "2,1"}, "--types needs one value or one per console"},
        {{"--stop", "console2@30+4"}, "--stop names no simulated port: console2"},  // one console only
        {{"--no-gps", "--close-port", "10+5"}, "GPS faults given with --no-gps"},
        {{"--no-gps", "--gps-garbage"}, "GPS faults given with --no-gps"},
        {{"--unplug", "2:30"}, "bad value for --unplug: 2:30"},
        {{"--unplug", "0:30:6"}, "bad value for --unplug: 0:30:6"},
        {{"--unplug", "1:30:0"}, "bad value for --unplug: 1:30:0"},
        {{"--unplug", "2:30:6"}, "--unplug names no simulated console: 2"},  // one console only
        {{"--frozen", "0@1+2"}, "bad value for --frozen: 0@1+2"},
        {{"--saturated", "3@1+2x0"}, "bad value for --saturated: 3@1+2x0"},  // clipped at a value above 0
        {{"--noisy", "3@1+2x0"}, "bad value for --noisy: 3@1+2x0"},
        {{"--frozen", "3@1+2"}, "a sensor fault names sensor 3 of 2"},
        {{"--types", "1", "--empty-field", "1@1+2"},
         "--empty-field and --garbled-field need a two-sensor console: 1"},
        {{"--wide-gap", "20:1"}, "--wide-gap needs a line after it: there are 20 lines"},
        {{"--wide-gap", "2.5:1"}, "bad value for --wide-gap: 2.5:1"},
        {{"--speed-change", "5:0"}, "bad value for --speed-change: 5:0"},
        {{"--clock-offset", "86400"}, "bad value for --clock-offset: 86400"},
    };
    for (const auto& [args, expected] : refused) {
        ToolOptions options;
        EXPECT_EQ(Parse(args, options), expected);
    }
    ToolOptions options;  // values are read in the order given: a later one overrides, repeatable options collect
    ASSERT_EQ(Parse({"--consoles", "3", "--types", "2,2,1", "--rate=5", "--sensor-spacing", "0.5", "--speed", "1",
                     "--speed", "1.5", "--seed", "010", "--origin", "-33.9,151.2", "--stop", "gps@10+5", "--stop",
                     "console2@30+4", "--bad-checksum-rate", "0.1", "--bad-checksum", "3+2", "--bad-checksum", "0.3",
                     "--unplug", "3:12.5:6", "--unplug", "1:40:2"},
                    options), "accepted");
    const SimConfig& sim = options.Sim;
    EXPECT_EQ(sim.ConsoleSensors, (std::vector<int>{2, 2, 1}));
    EXPECT_EQ(sim.ConsoleRates, (std::vector<double>{5.0, 5.0, 5.0}));  // one value for every console
    EXPECT_EQ(sim.Area.LineSpacing, 2.5);                                // the array width: five sensors 0.5 m apart
    EXPECT_TRUE(sim.Speed == 1.5 && sim.Seed == 10 && sim.Origin.Latitude == -33.9 && sim.Origin.Longitude == 151.2);
    EXPECT_TRUE(sim.Stops.size() == 2 && sim.Stops[1].Port == "console2" && sim.Faults.BadChecksum.Rate == 0.3);
    EXPECT_TRUE(sim.Unplugs.size() == 2 && sim.Unplugs[0].Port == "console3" && sim.Unplugs[0].Start == 12.5 &&
                sim.Unplugs[0].Length == 6.0 && sim.Unplugs[1].Port == "console1");

    ToolOptions faults;
    ASSERT_EQ(Parse({"--consoles", "2", "--frozen", "2@30+60", "--noisy", "1@10+5x4", "--garbled-field", "2@3+4",
                     "--speed-change", "40:3", "--speed-change", "20:2", "--wide-gap", "3:2.5", "--clock-offset",
                     "-2", "--start-time", "now"},
                    faults), "accepted");
    const SensorFaults& f = faults.Sim.Sensors;
    EXPECT_TRUE(f.Frozen.size() == 1 && f.Frozen[0].Sensor == 1 && f.Frozen[0].Window.Start == 30.0);
    EXPECT_TRUE(f.Noisy.size() == 1 && f.Noisy[0].Sensor == 0 && f.Noisy[0].Factor == 4.0);
    EXPECT_TRUE(f.BadFields.size() == 1 && f.BadFields[0].Console == 1 && f.BadFields[0].Garbled);
    ASSERT_EQ(faults.Sim.SpeedChanges.size(), 2u);
    EXPECT_EQ(faults.Sim.SpeedChanges[0].At, 20.0);  // in time order
    EXPECT_TRUE(faults.Sim.Area.WideGapAfter == 3 && faults.Sim.Area.WideGap == 2.5);
    EXPECT_EQ(faults.Sim.ClockOffset, -2.0);
    EXPECT_TRUE(faults.Sim.StartTimeOfDay >= 0.0 && faults.Sim.StartTimeOfDay < 86400.0);
}

bool HasSlot(const NmeaModeTable& table, std::initializer_list<int32_t> slots) {
    return std::any_of(table.GpsFieldSlot, table.GpsFieldSlot + table.GpsFieldCount, [&](int32_t slot) {
        return std::find(slots.begin(), slots.end(), slot) != slots.end();
    });
}

// Every mode's stream through the program's own framer and decoder: each line accepted, each fix valid, on time
// and where the walker was, north and south of the equator (hemispheres, false northing).
TEST(SimModes, TheProgramReadsEachModesFixWhereTheWalkerWas) {
    const double origins[][2] = {{51.75, -1.25}, {-33.9, 151.2}};
    for (int run = 0; run <= 9; ++run) {  // every mode, and mode 7 once more in feet
        const int mode = run == 9 ? 7 : run;
        const bool feet = run == 9;
        for (const auto& origin : origins) {
            SCOPED_TRACE("mode " + std::to_string(mode) + (feet ? " feet" : "") + " at " + std::to_string(origin[0]));
            SimConfig config = GpsOnly(mode);
            config.GridFeet = feet;
            config.Origin = {origin[0], origin[1], 30.0};
            const Simulation sim(config);
            const NmeaModeTable table = ApplyNmeaMode(mode);
            GpsStreams streams;
            GpsFramer framer(streams, table);
            framer.Start(0);
            int fixes = 0;
            for (char byte : Stream(RunFor(config, 19.9), 0)) {
                if (!framer.Feed(static_cast<uint8_t>(byte), 0)) continue;
                const std::string text(framer.Line().Text);
                SCOPED_TRACE(text);
                EXPECT_TRUE(framer.Line().Accepted && framer.Line().PassedOn);
                EXPECT_EQ(text.find('*') != std::string::npos, table.GpsChecksumRequired == 1);
                if (!IsPositionSentence(text, table)) {  // mode 0's GSA: its PDOP is the dilution
                    double pdop = 0.0;
                    EXPECT_TRUE(DecodeGsaDilution(text, pdop) && pdop > 0.5 && pdop < 10.0) << pdop;
                    continue;
                }
                const tesselog::GpsFix fix = DecodeGpsFix(text, table, 0, tesselog::GpsFix{});
                EXPECT_EQ(fix.Valid, 1);
                const double t = fix.TimeOfDay - config.StartTimeOfDay;
                EXPECT_NEAR(t, fixes++ / config.GpsRate, 0.006);
                const WalkerState state = sim.SurveyWalker().At(t);
                double lat = 0.0, lon = 0.0, northing = 0.0, easting = 0.0;
                int zone = UtmZoneOfLongitude(origin[1]);
                SurveyToGeodetic(config.Origin, state.U, state.V, lat, lon);
                GeodeticToUtm(lat, lon, zone, northing, easting, 1);
                if (IsGridMode(mode)) {  // in metres whatever the unit of the line
                    EXPECT_NEAR(fix.Northing, northing, 0.08);
                    EXPECT_NEAR(fix.Easting, easting, 0.08);
                } else {
                    EXPECT_NEAR(fix.Latitude, lat, 0.08 / 111000.0);
                    EXPECT_NEAR(fix.Longitude, lon, 0.08 / 111000.0 / std::cos(lat * 0.0174532925));
                }
                EXPECT_TRUE(!HasSlot(table, {GpsSlotQuality}) || fix.Quality == config.GpsQuality) << fix.Quality;
                EXPECT_TRUE(!HasSlot(table, {GpsSlotSatellites}) || (fix.Satellites >= 7 && fix.Satellites <= 14));
                EXPECT_TRUE(!HasSlot(table, {GpsSlotDilution, GpsSlotDilution2, GpsSlotDilution3}) ||
                            (fix.Dilution > 0.005 && fix.Dilution < 10.0))
                    << fix.Dilution;
            }
            EXPECT_EQ(fixes, 40);
        }
    }
}

bool InWindow(const std::vector<TimeWindow>& windows, double t) {
    return std::any_of(windows.begin(), windows.end(), [t](const TimeWindow& w) { return w.Contains(t); });
}

TEST(SimFaults, EachGpsFaultHitsItsWindowOnly) {
    SimConfig config = GpsOnly(0);
    GpsFaults& faults = config.Faults;
    faults.BadChecksum.Windows = {{2.0, 2.0}};
    faults.MissingStar.Windows = {{5.0, 2.0}};
    faults.NoiseBurst.Windows = {{8.0, 2.0}};
    faults.QualityZero.Windows = {{11.0, 2.0}};
    faults.FewSatellites.Windows = {{14.0, 2.0}};
    faults.ClosedPort = {{17.0, 2.0}};
    config.Stops = {{"gps", 20.0, 2.0}};
    Simulation sim(config);
    EXPECT_TRUE(sim.GpsPortClosed(17.0));
    EXPECT_FALSE(sim.GpsPortClosed(19.0));
    double t = -1.0;
    int fixes = 0, bursts = 0;
    for (const std::string& s : Sentences(Stream(RunFor(config, 24.9), 0))) {
        SCOPED_TRACE(EscapeBytes(s));
        if (s.empty() || s[0] != '$') {
            // A burst: more than 200 bytes with no LF (and no "$"), closed by CR LF.
            EXPECT_TRUE(InWindow(faults.NoiseBurst.Windows, t));
            EXPECT_GT(s.size(), 201u);
            EXPECT_EQ(s.back(), '\r');
            ++bursts;
            continue;
        }
        const std::vector<std::string> f = Fields(s.substr(0, s.find('*')));
        if (f[0] == "$GPGGA") {
            t = SecondsOfDay(f[1]) - config.StartTimeOfDay;
            ++fixes;
            EXPECT_FALSE(InWindow(faults.ClosedPort, t) || InWindow({{20.0, 2.0}}, t));
            EXPECT_EQ(f[6] == "0", InWindow(faults.QualityZero.Windows, t));
            EXPECT_EQ(f[7] == "01", InWindow(faults.FewSatellites.Windows, t));
        } else {
            EXPECT_EQ(f[2] == "1", InWindow(faults.QualityZero.Windows, t));  // GSA fix type: none
        }
        const bool star = s.find('*') != std::string::npos;
        EXPECT_EQ(star, !InWindow(faults.MissingStar.Windows, t));
        EXPECT_EQ(ChecksumCorrect(s), star && !InWindow(faults.BadChecksum.Windows, t));
    }
    EXPECT_EQ(fixes, 50 - 8);  // two windows of silence, four fixes each
    EXPECT_EQ(bursts, 4);

    // Formats without a satellites field or with a quality of their own.
    for (int mode : {2, 5, 8}) {
        SimConfig other = GpsOnly(mode);
        other.Faults.QualityZero.Rate = 1.0;
        const std::vector<std::string> f = Fields(Sentences(Stream(RunFor(other, 1.0), 0))[0]);
        EXPECT_EQ(mode == 2 ? f[2] : f[6].substr(0, 1), mode == 2 ? "" : "V") << mode;
    }
}

// An unplugged console sends nothing for its window, and only that console:
// its line is closed, the others' go on.
TEST(SimFaults, UnpluggedConsoleSendsNothingInItsWindow) {
    SimConfig config;
    config.Gps = false;
    config.ConsoleSensors = {2, 2};
    config.ConsoleRates = {10.0, 10.0};
    config.Unplugs = {{"console2", 2.0, 3.0}};
    Simulation sim(config);
    EXPECT_FALSE(sim.PortClosed(0, 3.0));
    EXPECT_TRUE(sim.PortClosed(1, 2.0));
    EXPECT_FALSE(sim.PortClosed(1, 5.0));
    const std::vector<Chunk> chunks = RunFor(config, 10.0);
    const double sent1 = static_cast<double>(Sentences(Stream(chunks, 0)).size());
    EXPECT_NEAR(sent1, 100.0, 1.0);
    EXPECT_NEAR(static_cast<double>(Sentences(Stream(chunks, 1)).size()), sent1 - 30.0, 1.0);  // 3 s at 10 Hz
    for (const Chunk& chunk : chunks) EXPECT_FALSE(chunk.Port == 1 && chunk.Start >= 2.0 && chunk.Start < 5.0);
}

// Each sensor fault in the console's stream, in its window only: a frozen
// sensor repeats the value it had when the window began, a saturated one reads
// 9999, a noisy one spreads far wider, a bad second field is empty or "ERR".
TEST(SimFaults, SensorFaultsShowInTheirWindowsOnly) {
    SimConfig config;
    config.Gps = false;
    config.ConsoleSensors = {2, 2};
    config.ConsoleRates = {10.0, 10.0};
    config.Sensors.Frozen = {{0, {2.0, 3.0}}};
    config.Sensors.Saturated = {{1, {6.0, 2.0}}};
    config.Sensors.Noisy = {{2, {2.0, 6.0}, 20.0}};
    config.Sensors.BadFields = {{1, {9.0, 1.0}, false}, {1, {10.0, 1.0}, true}};
    Simulation sim(config);
    double spread[2] = {0.0, 0.0};  // quiet, noisy: the sum of the changes between readings
    int changes[2] = {0, 0};
    int previous = 0, previousRegime = -1, frozenValue = -10000, empty = 0, garbled = 0;
    for (const Chunk& chunk : RunFor(config, 12.0)) {
        const double t = chunk.Start;  // a line without backlog sends a sentence when it is made
        const std::vector<std::string> f = Fields(chunk.Bytes.substr(0, chunk.Bytes.find('\r')));
        SCOPED_TRACE(chunk.Bytes);
        if (chunk.Port == 0) {
            const int v = std::atoi(f[1].c_str());
            if (t >= 2.0 && t < 5.0) {
                if (frozenValue == -10000) frozenValue = v;
                EXPECT_EQ(v, frozenValue);
            }
            EXPECT_EQ(f[2] == "9999", t >= 6.0 && t < 8.0);
            continue;
        }
        if (t >= 9.0 && t < 10.0) {
            EXPECT_EQ(f.size(), 3u);
            empty += f[2].empty();
        } else if (t >= 10.0 && t < 11.0) {
            garbled += f[2] == "ERR";
        } else {
            const int v = std::atoi(f[1].c_str());
            const int regime = t >= 2.0 && t < 8.0 ? 1 : 0;
            if (regime == previousRegime) {
                spread[regime] += std::abs(v - previous);
                ++changes[regime];
            }
            previous = v;
            previousRegime = regime;
        }
    }
    EXPECT_EQ(empty, 10);
    EXPECT_EQ(garbled, 10);
    // Noise 20 times wider: the mean change between readings far more than 5 times as large.
    EXPECT_GT(spread[1] / changes[1], 5.0 * spread[0] / changes[0]);

    // One console's faults leave the other console's stream as it was: a
    // frozen or saturated value replaces the reading, the noise scale draws
    // the same numbers.
    SimConfig onlySecond = config;
    onlySecond.Sensors.Frozen.clear();
    onlySecond.Sensors.Saturated.clear();
    EXPECT_EQ(Stream(RunFor(config, 12.0), 1), Stream(RunFor(onlySecond, 12.0), 1));
}

// The walker's faults: a speed change at a time, one pair of lines further
// apart; and the receiver's clock off by a set amount across midnight.
TEST(SimFaults, SpeedWideGapAndClockOffset) {
    SimConfig config = GpsOnly(1);
    config.Area.LineLength = 100.0;
    config.Area.LineSpacing = 4.0;
    config.Area.WideGapAfter = 1;
    config.Area.WideGap = 3.0;
    config.SpeedChanges = {{10.0, 3.0}};
    config.StartTimeOfDay = 86395.0;
    config.ClockOffset = -2.0;
    Simulation sim(config);
    EXPECT_NEAR(sim.WalkerAt(10.0).U, 10.0, 1e-9);
    EXPECT_NEAR(sim.WalkerAt(20.0).U, 40.0, 1e-9);  // 10 m at 1 m/s, then 30 m at 3 m/s
    EXPECT_NEAR(sim.WalkerAt(60.0).V, 7.0, 1e-9);   // line 2: 4 m + 3 m from line 1
    for (const std::string& s : Sentences(Stream(RunFor(config, 9.9), 0))) {
        const std::vector<std::string> f = Fields(s);
        const double t = std::fmod(SecondsOfDay(f[1]) + 2.0 - 86395.0 + 86400.0, 86400.0);
        EXPECT_LT(t, 10.0) << s;  // 2 s behind the real time, through midnight
    }
    EXPECT_EQ(Fields(Sentences(Stream(RunFor(config, 0.1), 0))[0])[1], "235953.00");
}

// The field warnings over the simulator: a quiet field of nine two-sensor
// consoles at the line rate gives no warning but the file's countdown, and
// each fault its own warning, as soon as its rule says: a frozen sensor after
// 10 s, a saturated one after 2 s, a bad field once it is more than a tenth
// of the last 5 s (the 11th of 100 readings), noise ten times the normal
// once the 5 s window is more than half noisy and stays so for half the
// window, a clock 3 s off after five
// fixes, readings 1.2 m apart once the 3 s average passes 1 m, a gap once it
// is 1 m long.
TEST(FieldCheck, QuietFieldAndEachSimulatedFault) {
    const std::vector<std::string> quiet = {"--consoles", "9", "--types", "2", "--rate", "56", "--gps-rate", "10",
                                            "--line-length", "60", "--anomalies", "40"};
    const FieldCheckFigures figures = RunFieldCheck(Parsed(quiet), 240.0, QcSettings(), FieldCheckPlatform());
    EXPECT_TRUE(figures.Events.empty()) << figures.Events.front().Text;
    EXPECT_GT(figures.Readings, 90000);

    const struct {
        std::vector<std::string> Fault;
        WarningKind Kind;
        double Start, Earliest, Latest;  // seconds after the fault began
        const char* Text;
    } faults[] = {
        {{"--frozen", "2@30+30"}, WarningKind::SensorFrozen, 30, 9.5, 10.1, "Sensor 2 frozen"},
        {{"--saturated", "2@30+30"}, WarningKind::SensorSaturated, 30, 2.0, 2.1, "Sensor 2 saturated"},
        {{"--noisy", "2@30+30"}, WarningKind::SensorNoisy, 30, 5.0, 7.5, "Sensor 2 noisy"},
        {{"--empty-field", "2@30+30"}, WarningKind::SensorField, 30, 0.5, 0.6, "Sensor 4 value missing"},
        {{"--garbled-field", "2@30+30"}, WarningKind::SensorField, 30, 0.5, 0.6, "Sensor 4 value garbled"},
        {{"--clock-offset", "3"}, WarningKind::ClockOffset, 0, 9.9, 10.5, "PC clock 3.0 s behind GPS"},
        {{"--rate", "5", "--speed-change", "30:6"}, WarningKind::TooFast, 30, 0.5, 3.5, nullptr},
        {{"--line-length", "20", "--wide-gap", "1:2"}, WarningKind::CoverageGaps, 28, 0.5, 3.0,
         "1 gap between lines"},  // line 2 begins after 20 m and a turn of 8 m
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.Fault[1]);
        std::vector<std::string> words = {"--consoles", "3",  "--rate",        "20",
                                          "--gps-rate", "10", "--line-length", "100"};
        words.insert(words.end(), f.Fault.begin(), f.Fault.end());
        const FieldCheckFigures run = RunFieldCheck(Parsed(words), f.Start + 15.0, QcSettings(), FieldCheckPlatform());
        ASSERT_FALSE(run.Events.empty());
        const FieldCheckEvent& first = run.Events.front();
        EXPECT_EQ(first.Kind, f.Kind);
        EXPECT_TRUE(first.Onset);
        EXPECT_GE(first.Seconds - f.Start, f.Earliest);
        EXPECT_LE(first.Seconds - f.Start, f.Latest);
        if (f.Text != nullptr) {
            EXPECT_EQ(first.Text, f.Text);
        }
    }
}

}  // namespace
}  // namespace tesselog::sim
