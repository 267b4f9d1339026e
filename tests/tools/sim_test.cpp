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
#include "tools/sim/console_format.h"
#include "tools/sim/nmea.h"
#include "tools/sim/options.h"
#include "tools/sim/pacing.h"
#include "tools/sim/simulation.h"

namespace tesselog::sim {
namespace {

std::vector<Chunk> RunFor(const SimConfig& config, double seconds)
{
    Simulation sim(config);
    std::vector<Chunk> chunks;
    sim.AdvanceTo(seconds, [&](const Chunk& chunk) { chunks.push_back(chunk); });
    return chunks;
}

std::string Stream(const std::vector<Chunk>& chunks, int port)
{
    std::string bytes;
    for (const Chunk& chunk : chunks) {
        if (chunk.Port == port) {
            bytes += chunk.Bytes;
        }
    }
    return bytes;
}

// Sentences from "$" up to and including the CR; noise between them is dropped.
std::vector<std::string> Sentences(const std::string& stream)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t lf = stream.find('\n'); lf != std::string::npos; lf = stream.find('\n', start)) {
        const std::string line = stream.substr(start, lf - start);
        const size_t dollar = line.find('$');
        out.push_back(dollar == std::string::npos ? line : line.substr(dollar));
        start = lf + 1;
    }
    return out;
}

std::vector<std::string> Fields(const std::string& sentence)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = sentence.find(',', start);
        fields.push_back(sentence.substr(start, comma - start));
        if (comma == std::string::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

bool ChecksumCorrect(const std::string& sentence)
{
    const size_t star = sentence.find('*');
    if (sentence.empty() || sentence[0] != '$' || star == std::string::npos || star + 2 >= sentence.size()) {
        return false;
    }
    const unsigned stated = static_cast<unsigned>(std::strtoul(sentence.substr(star + 1, 2).c_str(), nullptr, 16));
    return NmeaChecksum(sentence.data() + 1, star - 1) == stated;
}

// Degrees as the program decodes "ddmm.mmmmm" and a hemisphere letter: at
// most eight characters of minutes.
double DecodeAngle(const std::string& text, const std::string& hemisphere)
{
    const size_t dot = text.find('.');
    const double degrees = std::atof(text.substr(0, dot - 2).c_str());
    const double minutes = std::atof(text.substr(dot - 2, 8).c_str());
    const double sign = hemisphere == "S" || hemisphere == "W" ? -1.0 : 1.0;
    return sign * (degrees + minutes / 60.0);
}

TEST(SimDeterminism, SameSeedGivesSameBytesOtherSeedDoesNot)
{
    SimConfig config;
    config.ConsoleSensors = {2, 1, 2};
    config.ConsoleRates = {10.0, 7.5, 20.0};
    config.GpsMode = 0;
    config.NoiseRate = 0.2;
    config.Faults.BadChecksum.Rate = 0.1;
    config.Seed = 42;
    const std::vector<Chunk> a = RunFor(config, 30.0);
    const std::vector<Chunk> b = RunFor(config, 30.0);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].Port, b[i].Port);
        EXPECT_EQ(a[i].Start, b[i].Start);
        EXPECT_EQ(a[i].Bytes, b[i].Bytes);
    }
    // Small steps (real time) hand out exactly what one big step (dry run) does.
    Simulation stepped(config);
    std::vector<Chunk> c;
    for (double t = 0.0; t <= 30.0; t += 0.002) {
        stepped.AdvanceTo(t, [&](const Chunk& chunk) { c.push_back(chunk); });
    }
    stepped.AdvanceTo(30.0, [&](const Chunk& chunk) { c.push_back(chunk); });
    for (int port = 0; port < 4; ++port) {
        EXPECT_EQ(Stream(a, port), Stream(c, port)) << "port " << port;
    }
    config.Seed = 43;
    EXPECT_NE(Stream(a, 0), Stream(RunFor(config, 30.0), 0));
}

struct ShapeCase {
    std::vector<int> Sensors;
    int GpsMode;
    double NoiseRate;
    double BadChecksumRate;
};

TEST(SimStreams, EverySentenceHasItsShape)
{
    const ShapeCase cases[] = {
        {{2}, 1, 0.0, 0.0},
        {{1, 2, 1}, 0, 0.5, 0.0},
        {{2, 2, 2, 2, 2, 2, 2, 2, 1}, 0, 0.0, 1.0},
        {{1}, 1, 1.0, 1.0},
    };
    const std::regex pbar[] = {std::regex(R"(^\$PBAR(,(\d{4}|-\d{3})){1}\r$)"),
                               std::regex(R"(^\$PBAR(,(\d{4}|-\d{3})){2}\r$)")};
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.Sensors.size());
        SimConfig config;
        config.ConsoleSensors = c.Sensors;
        config.ConsoleRates.assign(c.Sensors.size(), 10.0);
        config.GpsMode = c.GpsMode;
        config.GpsRate = 2.0;
        config.NoiseRate = c.NoiseRate;
        config.Faults.BadChecksum.Rate = c.BadChecksumRate;
        config.Area.LineLength = 20.0;
        config.Area.Lines = 3;
        const std::vector<Chunk> chunks = RunFor(config, 60.0);
        for (size_t k = 0; k < c.Sensors.size(); ++k) {
            const std::vector<std::string> sentences = Sentences(Stream(chunks, static_cast<int>(k)));
            EXPECT_GE(sentences.size(), 590u);
            for (const std::string& s : sentences) {
                EXPECT_TRUE(std::regex_match(s, pbar[c.Sensors[k] - 1])) << EscapeBytes(s);
            }
        }
        double lat_min = 0, lat_max = 0, lon_min = 0, lon_max = 0, lat = 0, lon = 0;
        SurveyToGeodetic(config.Origin, 0.0, 0.0, lat_min, lon_min);
        SurveyToGeodetic(config.Origin, config.Area.LineLength, config.Area.Width(), lat_max, lon_max);
        const std::vector<std::string> gps = Sentences(Stream(chunks, static_cast<int>(c.Sensors.size())));
        ASSERT_GE(gps.size(), 120u);
        for (size_t i = 0; i < gps.size(); ++i) {
            const std::string& s = gps[i];
            SCOPED_TRACE(s);
            ASSERT_GE(s.size(), 6u);
            EXPECT_EQ(ChecksumCorrect(s), c.BadChecksumRate == 0.0);
            EXPECT_EQ(s.back(), '\r');
            const std::vector<std::string> f = Fields(s.substr(0, s.find('*')));
            const bool gsa_slot = c.GpsMode == 0 && i % 2 == 1;
            if (gsa_slot) {
                ASSERT_EQ(f.size(), 18u);
                EXPECT_EQ(f[0], "$GPGSA");
                EXPECT_GT(std::atof(f[15].c_str()), std::atof(f[16].c_str()));  // PDOP > HDOP
                continue;
            }
            ASSERT_EQ(f.size(), 15u);
            EXPECT_EQ(f[0], "$GPGGA");
            EXPECT_EQ(f[6], "4");
            EXPECT_GE(std::atoi(f[7].c_str()), 7);
            EXPECT_GT(std::atof(f[8].c_str()), 0.4);
            EXPECT_LT(std::atof(f[8].c_str()), 2.0);
            lat = DecodeAngle(f[2], f[3]);
            lon = DecodeAngle(f[4], f[5]);
            EXPECT_TRUE(lat > lat_min - 1e-6 && lat < lat_max + 1e-6) << lat;
            EXPECT_TRUE(lon > lon_min - 1e-6 && lon < lon_max + 1e-6) << lon;
        }
    }
}

TEST(SimPacing, RatesAreClampedToTheLine)
{
    EXPECT_EQ(MaxSentenceRate(kConsoleBytesPerSecond, PbarSentenceBytes(2)), 56.0);  // 17 bytes
    EXPECT_EQ(MaxSentenceRate(kConsoleBytesPerSecond, PbarSentenceBytes(1)), 80.0);  // 12 bytes
    EXPECT_EQ(LineBytesPerSecond(9600), 960.0);
    SimConfig config;
    config.ConsoleSensors = {2, 1};
    config.ConsoleRates = {100.0, 10.0};
    config.GpsMode = 0;
    config.GpsRate = 20.0;
    const std::vector<std::string> messages = LimitRates(config);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(config.ConsoleRates[0], 56.0);
    EXPECT_EQ(config.ConsoleRates[1], 10.0);
    EXPECT_LE(config.GpsRate * MaxGpsFixBytes(0), 960.0);
    EXPECT_GE(config.GpsRate, 1.0);
}

TEST(SimPacing, NoSecondCarriesMoreThanTheLineRate)
{
    // Nine consoles asking for far more than 9600 baud carries, with noise on
    // top, and a GPS at 9600 baud asking for 20 fixes of GGA and GSA.
    SimConfig config;
    config.ConsoleSensors = {2, 1, 2, 1, 2, 1, 2, 1, 2};
    config.ConsoleRates.assign(9, 200.0);
    config.NoiseRate = 1.0;
    config.GpsMode = 0;
    config.GpsRate = 20.0;
    LimitRates(config);
    Simulation sim(config);
    std::vector<std::vector<double>> byte_times(sim.Ports().size());
    sim.AdvanceTo(10.0, [&](const Chunk& chunk) {
        const double rate = sim.Ports()[chunk.Port].BytesPerSecond;
        for (size_t k = 0; k < chunk.Bytes.size(); ++k) {
            byte_times[chunk.Port].push_back(chunk.Start + k / rate);
        }
    });
    for (size_t port = 0; port < byte_times.size(); ++port) {
        const std::vector<double>& times = byte_times[port];
        const double limit = sim.Ports()[port].BytesPerSecond;
        ASSERT_GT(times.size(), 0u);
        EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
        size_t most = 0;
        for (size_t i = 0, j = 0; i < times.size(); ++i) {
            while (j < times.size() && times[j] < times[i] + 1.0 - 1e-9) {
                ++j;
            }
            most = std::max(most, j - i);
        }
        EXPECT_LE(most, static_cast<size_t>(limit)) << sim.Ports()[port].Name;
        EXPECT_GT(most, static_cast<size_t>(limit * 0.8)) << sim.Ports()[port].Name;  // the line is kept busy
    }
}

TEST(SimPacing, BytesDueFollowTheLineRate)
{
    LinePacer pacer(960.0);
    EXPECT_EQ(pacer.Schedule(1.0, 17), 1.0);
    EXPECT_DOUBLE_EQ(pacer.Schedule(1.0, 17), 1.0 + 17 / 960.0);  // waits for the first
    EXPECT_EQ(BytesDue(1.0, 17, 0.999, 960.0), 0u);
    EXPECT_EQ(BytesDue(1.0, 17, 1.0, 960.0), 1u);
    EXPECT_EQ(BytesDue(1.0, 17, 1.0 + 10.5 / 960.0, 960.0), 11u);
    EXPECT_EQ(BytesDue(1.0, 17, 2.0, 960.0), 17u);
}

TEST(SimWalker, StaysInsideTheAreaAndTurnsAtLineEnds)
{
    for (bool alternate : {true, false}) {
        SCOPED_TRACE(alternate ? "alternate" : "one way");
        SurveyArea area;
        area.LineLength = 25.0;
        area.LineSpacing = 2.0;
        area.Lines = 5;
        area.Alternate = alternate;
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
        const double line_seconds = area.LineLength / 1.25;
        const WalkerState turning = walker.At(line_seconds + 0.5);
        EXPECT_FALSE(turning.OnLine);
        EXPECT_EQ(turning.Line, 0);
        EXPECT_GT(turning.DirV, 0.0);
        if (alternate) {
            EXPECT_EQ(turning.DirU, 0.0);
            EXPECT_EQ(turning.U, area.LineLength);
        } else {
            EXPECT_LT(turning.DirU, 0.0);
        }
    }
}

TEST(SimField, AnomalyRaisesTheValuesNearIt)
{
    Anomaly blob;
    blob.U = 10.0;
    blob.V = 5.0;
    blob.Amplitude = 100.0;
    blob.Radius = 1.0;
    const FieldModel field(FieldParams{}, {blob});
    const FieldModel background(FieldParams{}, {});
    EXPECT_NEAR(field.Smooth(10.0, 5.0) - background.Smooth(10.0, 5.0), 100.0, 1e-9);
    EXPECT_GT(field.Smooth(10.5, 5.0) - background.Smooth(10.5, 5.0), 80.0);
    EXPECT_LT(std::fabs(field.Smooth(16.0, 5.0) - background.Smooth(16.0, 5.0)), 0.01);

    // Through the whole chain: readings of sensors near the strongest feature
    // stand out from the rest.
    SimConfig config;
    config.ConsoleSensors = {2, 2};
    config.ConsoleRates = {10.0, 10.0};
    config.Gps = false;
    config.Area.LineLength = 20.0;
    config.Area.LineSpacing = 4.0;
    config.Area.Lines = 4;
    config.Anomalies = 3;
    Simulation sim(config);
    // The first sensor is on the left of the direction of travel, the last on the right.
    WalkerState walking;
    walking.U = 5.0;
    walking.V = 4.0;
    for (double dir : {1.0, -1.0}) {
        walking.DirU = dir;
        double u = 0.0, v_first = 0.0, v_last = 0.0;
        sim.SensorPosition(walking, 0, u, v_first);
        sim.SensorPosition(walking, 3, u, v_last);
        EXPECT_EQ(v_first, 4.0 - 1.5 * dir);
        EXPECT_EQ(v_last, 4.0 + 1.5 * dir);
    }
    const std::vector<Anomaly>& anomalies = sim.Field().Anomalies();
    ASSERT_EQ(anomalies.size(), 3u);
    const Anomaly* strongest = &anomalies[0];
    for (const Anomaly& a : anomalies) {
        EXPECT_TRUE(a.U > 0.0 && a.U < 20.0 && a.V > 0.0 && a.V < 12.0);
        strongest = a.Amplitude > strongest->Amplitude ? &a : strongest;
    }
    double near_sum = 0.0, far_sum = 0.0;
    int near_count = 0, far_count = 0;
    sim.AdvanceTo(sim.SurveyWalker().TotalSeconds(), [&](const Chunk& chunk) {
        const WalkerState state = sim.SurveyWalker().At(chunk.Start);
        const std::vector<std::string> f = Fields(chunk.Bytes.substr(0, chunk.Bytes.find('\r')));
        for (int i = 0; i < 2; ++i) {
            double u = 0.0, v = 0.0;
            sim.SensorPosition(state, chunk.Port * 2 + i, u, v);
            const double distance = std::hypot(u - strongest->U, v - strongest->V);
            const double value = std::atof(f[1 + i].c_str());
            if (distance < 0.5 * strongest->Radius) {
                near_sum += value;
                ++near_count;
            } else if (distance > 4.0 * strongest->Radius + 4.0) {
                far_sum += value;
                ++far_count;
            }
        }
    });
    ASSERT_GT(near_count, 0);
    ASSERT_GT(far_count, 0);
    EXPECT_GT(near_sum / near_count, far_sum / far_count + 0.5 * strongest->Amplitude);
}

TEST(SimFaults, StopSilencesOnlyItsPortForItsWindow)
{
    SimConfig config;
    config.ConsoleSensors = {2, 2};
    config.ConsoleRates = {10.0, 10.0};
    const std::vector<Chunk> plain = RunFor(config, 20.0);
    config.Stops = {{"console2", 5.0, 4.0}, {"gps", 10.0, 3.0}};
    const std::vector<Chunk> stopped = RunFor(config, 20.0);
    EXPECT_EQ(Stream(plain, 0), Stream(stopped, 0));
    size_t plain_count[3] = {}, stopped_count[3] = {};
    for (const Chunk& c : plain) {
        ++plain_count[c.Port];
    }
    for (const Chunk& c : stopped) {
        ++stopped_count[c.Port];
        EXPECT_FALSE(c.Port == 1 && c.Start >= 5.0 && c.Start < 9.0) << c.Start;
        EXPECT_FALSE(c.Port == 2 && c.Start >= 10.0 && c.Start < 13.0) << c.Start;
    }
    EXPECT_EQ(stopped_count[1], plain_count[1] - 40);
    EXPECT_EQ(stopped_count[2], plain_count[2] - 15);
}

TEST(SimNmea, ChecksumsAndCoordinateText)
{
    const std::string known = "GPGGA,173524,4336.5940,N,07936.6403,W,8,11,2.0,142.5,M,-35.4,M,,";
    EXPECT_EQ(NmeaChecksum(known.data(), known.size()), 0x70);
    std::string sentence;
    AppendSentence(sentence, known.data(), known.size(), true, 0);
    EXPECT_EQ(sentence, "$" + known + "*70\r\n");

    char text[32];
    char hemisphere = 0;
    FormatLatitude(-(43.0 + 36.594 / 60.0), text, sizeof text, hemisphere);
    EXPECT_STREQ(text, "4336.59400");
    EXPECT_EQ(hemisphere, 'S');
    FormatLongitude(-(79.0 + 36.6403 / 60.0), text, sizeof text, hemisphere);
    EXPECT_STREQ(text, "07936.64030");
    EXPECT_EQ(hemisphere, 'W');
    FormatLatitude(10.9999999999, text, sizeof text, hemisphere);  // rounds up to whole degrees
    EXPECT_STREQ(text, "1100.00000");
    FormatLongitude(-(151.0 + 59.99999999 / 60.0), text, sizeof text, hemisphere, 7);  // GGK's seven decimals
    EXPECT_STREQ(text, "15200.0000000");
    FormatTimeOfDay(17 * 3600 + 35 * 60 + 24.5, text, sizeof text);
    EXPECT_STREQ(text, "173524.50");

    const char readings[][5] = {"0060", "-012", "9999", "-999"};
    const int values[] = {60, -12, 12000, -5000};
    for (int i = 0; i < 4; ++i) {
        char out[5];
        FormatReading(values[i], out);
        EXPECT_STREQ(out, readings[i]);
    }
}

TEST(SimOptions, CommandLines)
{
    struct Case {
        std::vector<const char*> Args;
        bool Ok;
    };
    const Case cases[] = {
        {{"--consoles", "3", "--types", "2,2,1", "--rate=5,10,20", "--stop", "console2@30+4"}, true},
        {{"--consoles", "3", "--types", "2,1"}, false},
        {{"--consoles", "2", "--types", "3"}, false},
        {{"--consoles", "10"}, false},
        {{"--stop", "console2@30+4"}, false},  // one console only
        {{"--gps-mode", "8", "--grid-unit", "F"}, true},
        {{"--gps-mode", "9"}, false},
        {{"--grid-unit", "ft"}, false},
        {{"--gps-rate", "25"}, false},
        {{"--bad-checksum", "0.5", "--bad-checksum", "3+2", "--no-star", "1+1", "--noise-burst", "0.01"}, true},
        {{"--quality-zero", "1.5"}, false},
        {{"--few-satellites", "4+0"}, false},
        {{"--close-port", "10+5", "--close-port", "30+5"}, true},
        {{"--close-port", "0.5"}, false},        // a closed port takes a window only
        {{"--no-gps", "--quality-zero", "0.1"}, false},
        {{"--no-gps", "--consoles", "0"}, false},
        {{"--dry-run", "gps", "--duration", "5"}, true},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"tesselog-sim"};
        argv.insert(argv.end(), c.Args.begin(), c.Args.end());
        ToolOptions options;
        std::string error;
        EXPECT_EQ(ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error), c.Ok) << error;
    }
    ToolOptions options;
    std::string error;
    const char* argv[] = {"tesselog-sim", "--consoles", "3", "--types", "2,2,1", "--stop", "gps@10+5"};
    ASSERT_TRUE(ParseOptions(7, argv, options, error));
    EXPECT_EQ(options.Sim.ConsoleSensors, (std::vector<int>{2, 2, 1}));
    EXPECT_EQ(options.Sim.Area.LineSpacing, 5.0);  // the array width
    ASSERT_EQ(options.Sim.Stops.size(), 1u);
    EXPECT_EQ(options.Sim.Stops[0].Port, "gps");
    EXPECT_EQ(options.Sim.Stops[0].Start, 10.0);
    EXPECT_EQ(options.Sim.Stops[0].Length, 5.0);
}

// What the program reads from each NMEA mode, written out here independently
// of the writers: the sentence it looks for, whether it checks the checksum,
// the time field and the (slot <- field) pairs. Slots: 0 satellites,
// 1 quality, 2/4 hemispheres, 3/5 latitude/longitude, 6/7/10 dilution,
// 8/9 northing/easting.
struct ModeRow {
    int Mode;
    const char* Id;
    bool Checksum;
    int TimeField;
    std::vector<std::pair<int, int>> Pairs;
    bool Feet = false;
};

const std::vector<std::pair<int, int>> kGgaPairs = {{0, 8}, {1, 7}, {2, 4}, {3, 3}, {4, 6}, {5, 5}};
const std::vector<std::pair<int, int>> kLeicaPairs = {{0, 9}, {1, 8}, {8, 6}, {9, 4}, {10, 10}};
const std::vector<std::pair<int, int>> kGllPairs = {{2, 3}, {3, 2}, {4, 5}, {5, 4}};
const ModeRow kModes[] = {
    {0, "GGA", true, 2, kGgaPairs},
    {1, "GGA", true, 2, {{0, 8}, {1, 7}, {2, 4}, {3, 3}, {4, 6}, {5, 5}, {7, 9}}},
    {2, "POS", true, 5, {{0, 4}, {1, 3}, {2, 7}, {3, 6}, {4, 9}, {5, 8}, {6, 15}}},
    {3, "LLK", true, 2, kLeicaPairs},
    {4, "LLQ", true, 2, kLeicaPairs},
    {5, "GLL", true, 6, kGllPairs},
    {6, "GGK", true, 3, {{0, 10}, {1, 9}, {2, 6}, {3, 5}, {4, 8}, {5, 7}, {6, 11}}},
    {7, "GGA", false, 2, {{8, 3}, {9, 5}}},
    {7, "GGA", false, 2, {{8, 3}, {9, 5}}, true},
    {8, "GLL", false, 6, kGllPairs},
};

double SecondsOfDay(const std::string& field)
{
    return std::atoi(field.substr(0, 2).c_str()) * 3600.0 + std::atoi(field.substr(2, 2).c_str()) * 60.0 +
           std::atof(field.substr(4).c_str());
}

TEST(SimModes, EachModeCarriesTheFixWhereTheProgramReadsIt)
{
    const double origins[][2] = {{51.75, -1.25}, {-33.9, 151.2}};
    for (const ModeRow& row : kModes) {
        for (const auto& origin : origins) {
            SCOPED_TRACE("mode " + std::to_string(row.Mode) + (row.Feet ? " feet" : "") + " at " +
                         std::to_string(origin[0]));
            SimConfig config;
            config.ConsoleSensors.clear();
            config.ConsoleRates.clear();
            config.GpsMode = row.Mode;
            config.GpsRate = 2.0;
            config.GridFeet = row.Feet;
            config.Origin.Latitude = origin[0];
            config.Origin.Longitude = origin[1];
            config.Origin.Bearing = 30.0;
            Simulation sim(config);
            int zone = UtmZoneOfLongitude(origin[1]);
            int fixes = 0;
            sim.AdvanceTo(19.9, [&](const Chunk& chunk) {
                for (const std::string& s : Sentences(chunk.Bytes)) {
                    SCOPED_TRACE(s);
                    const size_t star = s.find('*');
                    EXPECT_EQ(star != std::string::npos, row.Checksum);
                    EXPECT_EQ(ChecksumCorrect(s), row.Checksum);
                    const std::vector<std::string> f = Fields(s.substr(0, std::min(star, s.size() - 1)));
                    if (row.Mode == 0 && f[0] == "$GPGSA") {
                        ASSERT_EQ(f.size(), 18u);  // the PDOP is field 16
                        EXPECT_TRUE(std::atof(f[15].c_str()) > 0.5 && std::atof(f[15].c_str()) < 10.0);
                        continue;
                    }
                    ASSERT_NE(s.find(row.Id), std::string::npos);
                    ++fixes;
                    auto field = [&](int n) { return n <= static_cast<int>(f.size()) ? f[n - 1] : std::string(); };
                    std::string slot[11];
                    for (const auto& [number, n] : row.Pairs) {
                        ASSERT_LE(n, static_cast<int>(f.size()));
                        slot[number] = field(n);
                    }
                    const double t = SecondsOfDay(field(row.TimeField)) - config.StartTimeOfDay;
                    EXPECT_NEAR(t, (fixes - 1) / config.GpsRate, 0.006);
                    const WalkerState state = sim.SurveyWalker().At(t);
                    double lat = 0.0, lon = 0.0, northing = 0.0, easting = 0.0;
                    SurveyToGeodetic(config.Origin, state.U, state.V, lat, lon);
                    GeodeticToUtm(lat, lon, zone, northing, easting, 1);
                    const double metres_per_degree = 111000.0;
                    if (!slot[3].empty()) {
                        EXPECT_EQ(slot[2], origin[0] < 0 ? "S" : "N");
                        EXPECT_EQ(slot[4], origin[1] < 0 ? "W" : "E");
                        EXPECT_NEAR(DecodeAngle(slot[3], slot[2]), lat, 0.08 / metres_per_degree);
                        EXPECT_NEAR(DecodeAngle(slot[5], slot[4]), lon,
                                    0.08 / metres_per_degree / std::cos(lat * 0.0174532925));
                    } else {
                        const double unit = row.Feet ? 0.3048 : 1.0;
                        if (row.Mode == 7) {
                            EXPECT_EQ(field(11), row.Feet ? "F" : "M");
                        }
                        EXPECT_NEAR(std::atof(slot[8].c_str()) * unit, northing, 0.08);
                        EXPECT_NEAR(std::atof(slot[9].c_str()) * unit, easting, 0.08);
                    }
                    if (row.Mode == 7 || row.TimeField == 6) {
                        continue;  // no quality, satellites or dilution is read
                    }
                    EXPECT_EQ(std::atoi(slot[1].c_str()) + (row.Mode == 2 ? 1 : 0), config.GpsQuality);
                    EXPECT_TRUE(std::atoi(slot[0].c_str()) >= 7 && std::atoi(slot[0].c_str()) <= 14);
                    const std::string dilution = slot[6] + slot[7] + slot[10];  // at most one is read
                    if (row.Mode != 0) {
                        EXPECT_TRUE(std::atof(dilution.c_str()) > 0.005 && std::atof(dilution.c_str()) < 10.0);
                    }
                }
            });
            EXPECT_EQ(fixes, 40);
        }
    }
}

bool InWindow(const std::vector<TimeWindow>& windows, double t)
{
    return std::any_of(windows.begin(), windows.end(), [t](const TimeWindow& w) { return w.Contains(t); });
}

TEST(SimFaults, EachGpsFaultHitsItsWindowOnly)
{
    SimConfig config;
    config.ConsoleSensors.clear();
    config.ConsoleRates.clear();
    config.GpsMode = 0;
    config.GpsRate = 2.0;
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
    const std::vector<std::string> lines = Sentences(Stream(RunFor(config, 24.9), 0));
    double t = -1.0;
    int fixes = 0, bursts = 0;
    for (const std::string& s : lines) {
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
        SimConfig other = config;
        other.GpsMode = mode;
        other.Faults = GpsFaults{};
        other.Faults.QualityZero.Rate = 1.0;
        const std::vector<std::string> f = Fields(Sentences(Stream(RunFor(other, 1.0), 0))[0]);
        EXPECT_EQ(mode == 2 ? f[2] : f[6].substr(0, 1), mode == 2 ? "" : "V") << mode;
    }
}

}  // namespace
}  // namespace tesselog::sim
