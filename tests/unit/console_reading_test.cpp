#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/acquisition/console_reading.h"
#include "core/platform/memory_file_system.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

struct RecordingDisplay : ReadingDisplay {
    std::vector<std::string> calls;
    StationFieldTexts stations{};
    TimeFieldTexts times{};
    double value1 = -1, value2 = -1;
    void DrawNumbers(int k, double v1, double v2) override {
        calls.push_back("numbers" + std::to_string(k));
        value1 = v1;
        value2 = v2;
    }
    void DrawSecondPlot(int k, const int32_t*) override { calls.push_back("second" + std::to_string(k)); }
    void DrawProfile(int k, const int32_t*) override { calls.push_back("profile" + std::to_string(k)); }
    void ShowStationFields(const StationFieldTexts& t) override { calls.push_back("stations"); stations = t; }
    void ShowTimeFields(const TimeFieldTexts& t) override { calls.push_back("times"); times = t; }
};

struct CountingSound : SoundPlayer {
    int results = 0;
    void Play(SoundId id) override { results += id == SoundId::Result; }
};

// The logging screen's world around the handler: two-sensor consoles 1 and 3,
// a one-sensor console 2, recording into an in-memory data file.
struct Fixture {
    Settings settings;
    ConsoleStreams streams;
    LoggingStatus logging;
    std::unique_ptr<ConsoleReadingState> state = std::make_unique<ConsoleReadingState>();
    MemoryFileSystem fs;
    DataFile dataFile{fs};
    ManualClock clock;
    CountingSound sound;
    RecordingDisplay display;
    ConsoleReadingContext context{settings, streams, logging, *state, dataFile, clock, sound, display};

    Fixture() {
        settings.ConsoleType[1] = 0;
        settings.RecomputeAll();
        SetConsoleFirstSensors(*state, settings);
        SetColourStep(*state, settings);
        state->AmplitudeQueueOn = 1;
        logging.LoggingState = LoggingRecording;
        dataFile.Open("C:\\DATA\\A.MGR");
    }
    void Handle(int k, const std::string& sentence, uint32_t tick = 0) {
        std::strncpy(streams.ConsoleSentence[k], sentence.c_str(), ConsoleSentenceSize - 1);
        streams.ConsoleLastDataTick[k] = tick;
        ConsoleReadingHandler(k, context);
    }
    std::string Written() { return fs.Files["C:\\DATA\\A.MGR"]; }
};

TEST(NumericField, CountsNumericTokensNotSeparators) {
    const struct {
        const char* text;
        int n;
        int result;
        const char* token;
    } cases[] = {
        {"$PBAR,0060,0065", 1, 1, "0060"}, {"$PBAR,0060,0065", 2, 1, "0065"},
        {"$PBAR,0060,0065", 3, 0, ""},     {"$PBAR,ERR,0065", 1, 1, "0065"},
        {"$PBAR,ERR,0065", 2, 0, ""},      {"$PBAR, -12.5,+3x,", 2, 1, "+3x"},
        {"$PBAR,", 1, 0, ""},              {"$PBAR,1,", 2, 0, ""},
    };
    for (const auto& c : cases) {
        char out[100] = "junk";
        EXPECT_EQ(GetNumericField(c.text, std::strlen(c.text), c.n, ',', out, sizeof out), c.result) << c.text;
        EXPECT_STREQ(out, c.token) << c.text << " field " << c.n;
    }
    for (auto [token, value] : {std::pair{"+3x", 3.0}, {"-.5e1,", -5.0}, {"0x1p4", 0.0}, {"-+4", 0.0}})
        EXPECT_EQ(LeadingNumber(token), value) << token;
    // Plain decimals of up to 15 digits are read without strtod, with the
    // same result to the last bit.
    for (const char* token : {"0060", "-0065", "12.5", "0.1", "-0.0", "1.", ".25", "9.999999999999999",
                              "123456789012345", "1234567890123456", "0.000000000000001", "7,12", "3.3e2"}) {
        const double expected = std::strtod(token, nullptr), got = LeadingNumber(token);
        EXPECT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << token;
    }
}

// Ordinary readings are pinned by the golden surveys; a long sentence keeps
// 13 characters and the widest tick still fits.
TEST(ConsoleReading, WritesTheReadingRecordByteForByte) {
    Fixture f;
    f.Handle(4, "$PBAR,12345678,87654321", 4294967295u);
    EXPECT_EQ(f.Written(), std::string("\x14$P,12345678,876") + "4294967295\n");
}

TEST(ConsoleReading, ValuesAndColourClasses) {
    Fixture f;
    ConsoleReadingState& s = *f.state;
    // One-sensor console 2 (sensor 2) ignores a second field.
    f.Handle(1, "$PBAR,123.4,777");
    EXPECT_EQ(f.display.value1, 123.4);
    EXPECT_EQ(f.display.value2, 0.0);
    EXPECT_EQ(s.AmplitudeCount[2], 1);
    EXPECT_EQ(s.AmplitudeQueue[2][0][0], 12);
    EXPECT_EQ(s.AmplitudeCount[3], 0);

    // Two-sensor console 3 (sensors 3 and 4): value 2 goes to sensor 4.
    f.Handle(2, "$PBAR,-5,900");
    f.Handle(2, "$PBAR,ERR,0065");
    EXPECT_EQ(f.display.value1, 65.0);
    EXPECT_EQ(f.display.value2, 0.0);
    EXPECT_EQ(std::vector<int>(s.AmplitudeQueue[3][0], s.AmplitudeQueue[3][0] + 2), (std::vector<int>{0, 6}));
    EXPECT_EQ(std::vector<int>(s.AmplitudeQueue[4][0], s.AmplitudeQueue[4][0] + 2), (std::vector<int>{49, 0}));

    // A full bank drops further indices; the other bank fills after the flip.
    s.AmplitudeCount[0] = AmplitudeBankSize;
    s.AmplitudeCount[1] = AmplitudeBankSize - 1;
    f.Handle(0, "$PBAR,100,200");
    EXPECT_EQ(s.AmplitudeCount[0], AmplitudeBankSize);
    EXPECT_EQ(s.AmplitudeCount[1], AmplitudeBankSize);
    EXPECT_EQ(s.AmplitudeQueue[1][0][AmplitudeBankSize - 1], 20);
    s.AmplitudeBank = 1;
    s.AmplitudeCount[0] = 0;
    f.Handle(0, "$PBAR,100,200");
    EXPECT_EQ(s.AmplitudeQueue[0][1][0], 10);
    // All these readings were recorded all the same.
    EXPECT_EQ(f.Written().size(), 5u * RecordLength);
}

TEST(ConsoleReading, ConsoleOneAdvancesStationTicksAndTimes) {
    Fixture f;
    f.settings.StationIncrement = 0.5;
    f.settings.CurrentStation = 10.0;
    f.state->StationStarted = 0;
    f.logging.LoggingStartTick = 4294967000u;  // the tick wraps during the line
    f.state->LineTimeBefore = 3600000;
    f.state->TotalTimeBefore = 7322000;
    f.clock.CurrentTick = 4294967000u + 1500;

    int expectedSounds[] = {1, 1, 1, 1, 2, 2, 2, 2, 3};
    for (int i = 0; i < 9; ++i) {
        f.Handle(1, "$PBAR,1");  // other consoles never sound or count
        f.Handle(0, "$PBAR,0060,0065");
        EXPECT_EQ(f.sound.results, expectedSounds[i]) << "reading " << i + 1;
        if (i == 2) {
            EXPECT_STREQ(f.display.stations.Station, "11.00      ");
            EXPECT_STREQ(f.display.stations.LineCount, "3     ");
            EXPECT_STREQ(f.display.stations.TotalCount, "3      ");
        }
    }
    EXPECT_EQ(f.state->TotalStationCount, 9);
    EXPECT_STREQ(f.display.times.Line, "01:00:01");
    EXPECT_STREQ(f.display.times.Total, "02:02:03");
    EXPECT_EQ(std::vector<std::string>(f.display.calls.end() - 6, f.display.calls.end()),
              (std::vector<std::string>{"second1", "stations", "times", "profile0", "numbers0", "second0"}));
}

TEST(ConsoleReading, PausedOrMonitoringOnlyShows) {
    for (int32_t loggingState : {LoggingStandBy, LoggingMonitoring}) {
        Fixture f;
        f.logging.LoggingState = loggingState;
        f.state->StationStarted = 1;
        f.Handle(0, "$PBAR,0060,0065", 5);
        f.Handle(1, "$PBAR,0060", 6);
        EXPECT_EQ(f.Written(), "");
        EXPECT_EQ(f.state->AmplitudeCount[0] + f.state->AmplitudeCount[1] + f.state->AmplitudeCount[2], 0);
        EXPECT_EQ(f.state->LineStationCount, 0);
        EXPECT_EQ(f.display.calls, (std::vector<std::string>{"numbers0", "second0", "numbers1", "second1"}));
        EXPECT_EQ(f.streams.ConsoleSentence[1][0], 0);
    }
}

TEST(ConsoleReading, FirstSensorsAndPixelRows) {
    Settings settings;
    settings.ConsoleCount = 4;
    int32_t types[] = {1, 0, 0, 1};
    std::copy(types, types + 4, settings.ConsoleType);
    settings.ProfilePaneHeight = 100;
    settings.DecayPaneHeight = 50;
    settings.RecomputeAll();
    ConsoleReadingState state;
    SetConsoleFirstSensors(state, settings);
    EXPECT_EQ(std::vector<int>(state.ConsoleFirstSensor, state.ConsoleFirstSensor + 6),
              (std::vector<int>{0, 2, 3, 4, 6, 6}));  // consoles past the count add no sensors

    int32_t prof[2] = {-7, -7}, dec[2] = {-7, -7};
    ReadingToPixels(settings, 1, 123.4, 0.0, prof, dec);  // one-sensor: second rows untouched
    EXPECT_EQ(prof[0], 75);   // (500 - 123.4) * 0.2 = 75.32
    EXPECT_EQ(dec[0], 37);
    EXPECT_EQ(prof[1], -7);
    ReadingToPixels(settings, 0, 600.0, 1e300, prof, dec);  // above the scale: negative rows, saturated far out
    EXPECT_EQ(prof[0], -20);
    EXPECT_EQ(prof[1], -1000000);
}

}  // namespace
}  // namespace tesselog
