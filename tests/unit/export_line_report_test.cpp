// The line report: counted by hand on the golden survey, on a made-up run of
// fixes for the fix time, the mask, the quality, the length and the fastest
// stretch, and on made-up readings for the sensor flags.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/export/export_text.h"
#include "core/export/line_report.h"
#include "tests/support/test_support.h"
#include "tests/unit/export_records.h"

namespace tesselog {
namespace {

using namespace export_records;

struct ReportSink : SurveySink {
    LineReport* Report = nullptr;
    void Reading(const PositionedReading& r) override { Report->Reading(r); }
    void Sample(const SensorSample& s) override { Report->Sample(s); }
    void Position(const FixStatus& s) override { Report->Position(s); }
    void Break(const BreakEvent& b) override { Report->Break(b); }
};

// A file's bytes walked into a finished report.
struct ReportOf {
    ReportSink sink;
    SurveyWalk walk{sink};
    LineReport report{walk, GpsMask{}};
    explicit ReportOf(const std::string& bytes) {
        sink.Report = &report;
        Walk(bytes, walk);
        report.Finish();
    }
    const std::vector<LineSummary>& Lines() const { return report.Lines(); }
};

std::string Time(int32_t ms) {
    std::string t;
    AppendTimeOfDay(t, ms);
    return t;
}

// tests/scenarios/survey/expected.mgr as tesselog-dump shows it: three
// lines ("1", "2.00", "3.00") of three two-sensor consoles at 2 Hz.
TEST(ExportLineReport, GoldenSurveyCountedByHand) {
    const std::string bytes = test::ReadFileBytes(test::TestDataPath("scenarios/survey/expected.mgr"));
    const ReportOf report(bytes);
    const std::vector<LineSummary>& lines = report.Lines();
    const struct {
        const char* name;
        int64_t perSensor[6];  // reading records of each console between its L record and the next
        const char* start;     // first reading tick less the line's clock tick, added to the clock's time
        const char* end;
        int32_t dropouts, breaks;
        double longestGap;     // the longest gap of a console within one run
    } expected[] = {
        // Line 1: 60 records of each console; ticks 5003624..5033419 against
        // the clock 10:00:02.500 at 5002500; console 2 every 500 ms.
        {"1", {60, 60, 60, 60, 60, 60}, "10:00:03.624", "10:00:33.419", 0, 0, 0.5},
        // Line 2.00: 40 each; 5035624..5055419 against 10:00:34.000 at 5034000.
        {"2.00", {40, 40, 40, 40, 40, 40}, "10:00:35.624", "10:00:55.419", 0, 0, 0.5},
        // Line 3.00: console 2 silent between 5059919 and 5064419 (4500 ms,
        // more than three periods of 500 ms): 16 records against 24, one
        // dropout, and the "2CONN BRK 2" event; 5058624..5070419 against
        // 10:00:56.000 at 5056000.
        {"3.00", {24, 24, 16, 16, 24, 24}, "10:00:58.624", "10:01:10.419", 1, 1, 4.5},
    };
    ASSERT_EQ(lines.size(), std::size(expected));
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i].Name);
        const auto& e = expected[i];
        EXPECT_EQ(lines[i].Name, e.name);
        EXPECT_EQ(lines[i].Session, 1);
        ASSERT_EQ(lines[i].Sensors.size(), 6u);
        for (size_t s = 0; s < 6; ++s) EXPECT_EQ(lines[i].Sensors[s].Count, e.perSensor[s]) << "sensor " << s + 1;
        EXPECT_EQ(Time(lines[i].StartMs), e.start);
        EXPECT_EQ(Time(lines[i].EndMs), e.end);
        EXPECT_EQ(lines[i].Dropouts, e.dropouts);
        EXPECT_EQ(lines[i].Breaks, e.breaks);
        EXPECT_DOUBLE_EQ(lines[i].LongestGapS, e.longestGap);
        EXPECT_EQ(lines[i].Traverses, 1);  // each line walked one way
        // Every fix RTK (4) with 11 satellites and a PDOP of 1.8: nothing
        // fails the mask, nothing is below the best.
        EXPECT_EQ(lines[i].MaskFailedS, 0.0);
        EXPECT_EQ(lines[i].BelowBestS, 0.0);
    }
    // Sensor 3 (console 2's first value) on line 3.00: 59 61 58 60 60 59 60
    // 59 59 57 59 60 60 59 57 59. Sum 946, mean 59.125; sorted, the 8th and
    // 9th are 59; squared deviations 2 x 4.515625 + 1.265625 + 7 x 0.015625 +
    // 5 x 0.765625 + 3.515625 = 17.75, / 16 = 1.109375, spread 1.05327.
    const SensorSummary& s3 = lines[2].Sensors[2];
    EXPECT_DOUBLE_EQ(s3.Mean, 59.125);
    EXPECT_DOUBLE_EQ(s3.Median, 59.0);
    EXPECT_NEAR(s3.Spread, 1.05327, 1e-5);
    EXPECT_EQ(report.report.BestQuality(), 4);
}

// Fixes at 1 s with qualities 4, 5, 1 (3 satellites: below the mask's 5),
// 4; four silent seconds; then 2 units a second; an invalid fix; 4.
TEST(ExportLineReport, FixTimeMaskQualityLengthAndFastest) {
    const std::string file = Header() + LineBlock("L1", 0.0, 1.0) + Event("$STARTED", 1100) + Rec("{0") +
                             Gga("4800.0000", 'N', 4, 2000) + Step(0, 1) + Gga("4800.0001", 'N', 5, 3000) +
                             Step(1, 2) + Gga("4800.0002", 'N', 1, 4000, 3) + Step(2, 3) +
                             Gga("4800.0003", 'N', 4, 5000) + Step(3, 7) + Gga("4800.0007", 'N', 4, 9000) +
                             Step(7, 9) + Gga("4800.0009", 'N', 4, 10000) + Step(9, 11) +
                             Gga("4800.0011", 'N', 4, 11000) + Step(11, 13) + Gga("4800.0013", 'N', 4, 12000) +
                             Step(13, 15) + Gga("4800.0015", 'N', 4, 13000) + Step(15, 17) +
                             Gga("4800.0017", 'N', 4, 14000) + Gga("4800.0017", 'N', 0, 14500) +
                             Gga("4800.0017", 'N', 4, 15000) + Event("2CONN BRK 2", 15100);
    const ReportOf report(file);
    const LineSummary& line = report.Lines().at(0);
    // 2000..15000 ms; the 4 s silence counts 3 s at its fix, 1 s without.
    EXPECT_DOUBLE_EQ(line.FixSeconds, 13.0);
    // Failed: quality 1 with 3 satellites (1 s), the silence's last second,
    // the invalid fix (0.5 s).
    EXPECT_DOUBLE_EQ(line.MaskFailedS, 2.5);
    // Below RTK fixed: RTK float 1 s, GPS 1 s, no fix 1 + 0.5 s.
    EXPECT_DOUBLE_EQ(line.BelowBestS, 3.5);
    // The array's path: northing 0 to 17. The fastest 5 s: 9000..14000 ms,
    // 7 to 17, 2 a second, from 10:00:08 (the clock 10:00:00 at tick 1000).
    EXPECT_DOUBLE_EQ(line.Length, 17.0);
    EXPECT_DOUBLE_EQ(line.FastestSpeed, 2.0);
    EXPECT_EQ(Time(line.FastestMs), "10:00:08.000");
    EXPECT_EQ(line.Breaks, 1);

    const struct {
        int32_t quality, satellites;
        double dilution;
        bool valid;
        int32_t mode;
        bool passes;
    } masks[] = {
        {2, 5, 4.0, true, 1, true},  {1, 9, 1.0, true, 1, false}, {4, 4, 1.0, true, 1, false},
        {4, 9, 4.5, true, 1, false}, {4, 9, 1.0, false, 1, false}, {0, 0, 9.0, true, 5, true},
    };
    for (const auto& m : masks) {
        FixStatus status;
        status.Quality = m.quality;
        status.Satellites = m.satellites;
        status.Dilution = m.dilution;
        status.Valid = m.valid;
        status.NmeaMode = m.mode;
        EXPECT_EQ(MaskPasses(GpsMask{}, status), m.passes) << m.quality << " " << m.satellites << " " << m.dilution;
    }
    const int32_t best[] = {4, 5, 2, 3, 1, 6, 0};  // from best to worst
    for (size_t i = 0; i + 1 < std::size(best); ++i) EXPECT_GT(QualityRank(best[i]), QualityRank(best[i + 1]));
}

// Standing for 20 s at the line's start, the fix jittering 0.1 m to and fro
// at 5 Hz (100 steps, 15 m of jitter), then 20 m north in 1 m steps at 1 m/s:
// the line is 20 m long, walked at 1 m/s. No console: its times are those of
// its first and last fix.
TEST(ExportLineReport, StandingJitterAddsNoLengthAndAGpsOnlyLineHasItsTimes) {
    std::string file = Header() + LineBlock("J", 0.0, 1.0) + Event("$STARTED", 900) + Rec("{0") +
                       Gga("4800.0000", 'N', 4, 1000);
    unsigned long tick = 1000;
    double northing = 0.0;
    for (int i = 0; i < 100; ++i) {
        const double next = i % 2 == 0 ? 0.1 : -0.05;
        file += Step(northing, next) + Gga("4800.0000", 'N', 4, tick += 200);
        northing = next;
    }
    for (int m = 1; m <= 20; ++m) {
        file += Step(northing, m) + Gga("4800.0000", 'N', 4, tick += 1000);
        northing = m;
    }
    const ReportOf report(file);
    const LineSummary& line = report.Lines().at(0);
    EXPECT_NEAR(line.Length, 20.0, 0.1);
    EXPECT_NEAR(line.FastestSpeed, 1.0, 0.05);
    EXPECT_EQ(line.Readings, 0);
    EXPECT_EQ(Time(line.StartMs), "10:00:00.000");  // the clock 10:00:00 at tick 1000
    EXPECT_EQ(Time(line.EndMs), "10:00:40.000");    // 100 x 200 ms + 20 x 1 s later
}

// A dropout is a gap longer than three sample periods: with both consoles
// every 500 ms, a gap of exactly 1,500 ms is none, one of 2,000 ms is one
// for each console.
TEST(ExportLineReport, DropoutsBeginPastThreeSamplePeriods) {
    const struct {
        unsigned long gap;
        int32_t dropouts;
    } cases[] = {{1500, 0}, {2000, 2}};
    for (const auto& c : cases) {
        std::string file = Header() + LineBlock("D", 0.0, 1.0) + Event("$STARTED", 900);
        unsigned long tick = 1000;
        for (int i = 0; i < 20; ++i, tick += i == 10 ? c.gap : 500) {
            file += Reading(1, ",0010,0011", tick) + Reading(2, ",0012", tick + 10);
        }
        const ReportOf report(file);
        const LineSummary& line = report.Lines().at(0);
        EXPECT_EQ(line.Dropouts, c.dropouts) << c.gap;
        EXPECT_DOUBLE_EQ(line.LongestGapS, c.gap / 1000.0);
    }
}

// Readings every 500 ms of console 1 (sensors 1 and 2) and console 2 (sensor
// 3); each sensor climbs by 1 a reading unless a line's fault holds it.
// Climbing by 1 makes every second difference 0, so nothing is noisy.
TEST(ExportLineReport, SensorFlagsFromTheFieldWarningRules) {
    struct Line {
        const char* name;
        int readings;
        // Per sensor: readings [from, to) hold this text instead of the climb.
        struct Hold {
            int sensor, from, to;
            const char* text;
        } hold;
        const char* flags;
        const char* sensorFlags[3];
    };
    const Line lines[] = {
        // Sensor 2 still for 20 readings: 19 x 500 = 9500 ms, under 10 s.
        {"C", 20, {2, 0, 20, "0250"}, "", {"", "", ""}},
        // Sensor 3 still for readings 0..24: at reading 20, 20 x 500 = 10000
        // ms after the run began, frozen; reading 25 climbs again.
        {"F", 30, {3, 0, 25, "0350"}, "sensor 3 frozen", {"", "", "frozen"}},
        // Sensor 1 at the upper limit 9999 for readings 0..8: saturated at
        // reading 4 (2000 ms); back at 9, cleared at 11 (1000 ms without).
        {"S", 14, {1, 0, 9, "9999"}, "sensor 1 saturated", {"saturated", "", ""}},
        // Sensor 2's field garbled for readings 0..6: raised at reading 4
        // (2000 ms), cleared at 9; its readings there are not counted.
        {"N", 12, {2, 0, 7, "ERR"}, "sensor 2 no value", {"", "no value", ""}},
    };
    std::string file = Header();
    unsigned long tick = 1000;
    int climb = 0;
    for (const Line& line : lines) {
        file += LineBlock(line.name, 0.0, 1.0, 'N', "04122026", "10:00:00", "10:00:00.000", tick);
        for (int i = 0; i < line.readings; ++i, ++climb, tick += 500) {
            std::string text[3];
            for (int s = 0; s < 3; ++s) {
                const bool held = line.hold.sensor == s + 1 && i >= line.hold.from && i < line.hold.to;
                text[s] = held ? line.hold.text : std::to_string(1000 + 100 * (s + 1) + climb).substr(1);
            }
            file += Reading(1, ("," + text[0] + "," + text[1]).c_str(), tick);
            file += Reading(2, ("," + text[2]).c_str(), tick);
        }
    }
    const ReportOf report(file);
    const std::vector<LineSummary>& out = report.Lines();
    ASSERT_EQ(out.size(), std::size(lines));
    for (size_t i = 0; i < out.size(); ++i) {
        SCOPED_TRACE(out[i].Name);
        EXPECT_EQ(out[i].Flags, lines[i].flags);
        ASSERT_EQ(out[i].Sensors.size(), 3u);
        for (size_t s = 0; s < 3; ++s) EXPECT_EQ(out[i].Sensors[s].Flags, lines[i].sensorFlags[s]) << s + 1;
    }
    // Line N: sensor 2 has 12 - 7 readings with a value.
    EXPECT_EQ(out[3].Sensors[1].Count, 5);
}

}  // namespace
}  // namespace tesselog
