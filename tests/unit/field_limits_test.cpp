#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/qc/clock_check.h"
#include "core/qc/logging_limits.h"
#include "core/qc/qc_settings.h"
#include "core/qc/spacing_rule.h"

using namespace tesselog;

namespace {

struct Countdown {
    int32_t FirstStageAt = -1, LastStageAt = -1;
    std::string FirstText, LastText;
};

// A file filled at `hertz` fixes a second, its count `from` at tick 0, up to `to`.
Countdown FillFile(PositionCountdown& countdown, double hertz, int32_t from, int32_t to,
                   const PositionLimits& limits = PositionLimits()) {
    Countdown seen;
    for (int32_t count = from; count <= to; ++count) {
        const uint32_t tick = static_cast<uint32_t>(std::lround((count - from) * 1000.0 / hertz));
        if (!countdown.Count(tick, count, 28800, limits)) continue;
        (countdown.Stage() == 1 ? seen.FirstStageAt : seen.LastStageAt) = count;
        (countdown.Stage() == 1 ? seen.FirstText : seen.LastText) = PositionWarningText(countdown);
    }
    return seen;
}

}  // namespace

TEST(PositionCountdown, TenAndThreeMinutesLeftWhateverTheFixRate) {
    // The stages come when the time left at the measured rate falls below
    // 10 and 3 minutes: 12,000 and 3,600 positions before the 28,800 at
    // 20 Hz, 600 and 180 at 1 Hz.
    const struct {
        double Hertz;
        int32_t First, Last;
    } rates[] = {
        {20.0, 16801, 25201},
        {10.0, 22801, 27001},  // 5,999 left: 599.9 s; 1,799: 179.9 s
        {1.0, 28201, 28621},
    };
    for (const auto& r : rates) {
        SCOPED_TRACE(r.Hertz);
        PositionCountdown countdown;
        const Countdown seen = FillFile(countdown, r.Hertz, 0, 28790);
        EXPECT_EQ(seen.FirstStageAt, r.First);
        EXPECT_EQ(seen.LastStageAt, r.Last);
        EXPECT_EQ(seen.FirstText, "Positions: 9 min left - start a new file");
        EXPECT_EQ(seen.LastText, "Positions: 2 min left - start a new file");
        EXPECT_NEAR(countdown.FixesPerSecond(), r.Hertz, 1e-6);
    }
    // 10 positions left at 20 Hz: half a second.
    PositionCountdown countdown;
    FillFile(countdown, 20.0, 0, 28790);
    EXPECT_EQ(PositionWarningText(countdown), "Positions: under 1 min left - start a new file");

    // The limits of the survey's own file: 20 and 5 minutes at 5 Hz.
    PositionCountdown own;
    const Countdown seen = FillFile(own, 5.0, 0, 28000, {20.0, 5.0});
    EXPECT_EQ(seen.FirstStageAt, 22801);  // 5,999 left: 19 min 59.8 s
    EXPECT_EQ(seen.LastStageAt, 27301);
    EXPECT_EQ(seen.FirstText, "Positions: 19 min left - start a new file");
}

TEST(PositionCountdown, PausesAppendedFilesAndAFullFile) {
    // A pause of 10 s keeps the rate measured before it: a pause does not
    // change the receiver, and the countdown stays in minutes.
    PositionCountdown paused;
    FillFile(paused, 10.0, 20000, 23000);  // 5,800 left: 9.7 min, the first stage
    EXPECT_EQ(paused.Stage(), 1);
    paused.Count(300000 + 10000, 23001, 28800, PositionLimits());
    EXPECT_EQ(PositionWarningText(paused), "Positions: 9 min left - start a new file");

    // A file appended to with 1,440 positions left: nothing before the rate
    // is measured (ten seconds of positions after the first five), then the
    // stage that rate gives.
    const struct {
        double Hertz;
        int Stage;
    } appended[] = {{1.0, 0}, {3.0, 1}, {20.0, 2}};
    for (const auto& a : appended) {
        SCOPED_TRACE(a.Hertz);
        PositionCountdown countdown;
        const int32_t perFifteenSeconds = static_cast<int32_t>(15 * a.Hertz);
        const Countdown before = FillFile(countdown, a.Hertz, 27360, 27360 + perFifteenSeconds - 1);
        EXPECT_EQ(before.FirstStageAt, -1);
        EXPECT_EQ(before.LastStageAt, -1);
        EXPECT_EQ(PositionWarningText(countdown), "Positions: " + std::to_string(1441 - perFifteenSeconds) +
                                                      " left - start a new file");
        EXPECT_EQ(countdown.Count(15000, 27360 + perFifteenSeconds, 28800, PositionLimits()), a.Stage > 0);
        EXPECT_EQ(countdown.Stage(), a.Stage);
        EXPECT_NEAR(countdown.FixesPerSecond(), a.Hertz, 1e-9);
    }
    // Positions that waited in the port while the file was opened: 40 in
    // the first 200 ms, then 10 a second. The burst does not count, and the
    // rate is the receiver's.
    PositionCountdown burst;
    for (int i = 0; i < 40; ++i) burst.Count(static_cast<uint32_t>(5 * i), 25000 + i, 28800, PositionLimits());
    for (int i = 1; i <= 200; ++i) burst.Count(200 + 100 * i, 25039 + i, 28800, PositionLimits());
    EXPECT_NEAR(burst.FixesPerSecond(), 10.0, 1e-9);
    EXPECT_EQ(burst.Stage(), 1);  // 3,561 left: 5.9 min
    // A full file is the last stage, rate or none.
    PositionCountdown full;
    EXPECT_TRUE(full.Count(0, 28800, 28800, PositionLimits()));
    EXPECT_EQ(full.Stage(), 2);
}

TEST(DiskRule, TenMinutesAtTheRateOfTheLastMinuteOrFiftyMegabytes) {
    const DiskLimits limits;  // 10 minutes, 50 MB
    DiskRule disk;
    EXPECT_TRUE(disk.Due(0));
    disk.Check(0, true, 2000 * Megabyte, 0, limits);
    EXPECT_FALSE(disk.Low());
    EXPECT_FALSE(disk.Due(59999));
    // 6 MB written in the minute: ten minutes need 60 MB; 59 MB free is
    // 9.8 minutes.
    disk.Check(60000, true, 59 * Megabyte, 6 * Megabyte, limits);
    EXPECT_TRUE(disk.Low());
    EXPECT_EQ(DiskWarningText(disk), "Disk: 59 MB free - about 9 min of recording left");
    // Paused (nothing written): the rate of the last recording minute stays.
    disk.Check(120000, true, 65 * Megabyte, 6 * Megabyte, limits);
    EXPECT_TRUE(disk.Low());  // clears only from 66 MB, 10% above the 60 MB
    disk.Check(180000, true, 67 * Megabyte, 6 * Megabyte, limits);
    EXPECT_FALSE(disk.Low());

    // Nothing written yet: the 50 MB floor alone, cleared from 55 MB.
    DiskRule idle;
    idle.Check(0, true, 49 * Megabyte, 0, limits);
    EXPECT_TRUE(idle.Low());
    EXPECT_EQ(DiskWarningText(idle), "Disk: 49 MB free");
    idle.Check(60000, false, 0, 0, limits);  // the system could not tell: as it was
    EXPECT_TRUE(idle.Low());
    idle.Check(120000, true, 54 * Megabyte, 0, limits);
    EXPECT_TRUE(idle.Low());
    idle.Check(180000, true, 56 * Megabyte, 0, limits);
    EXPECT_FALSE(idle.Low());
}

TEST(BatteryRule, TwentyAndTenPercentOnceEachWithAFlush) {
    const BatteryLimits limits;  // 20%, 10%
    const struct {
        bool OnBattery;
        int32_t Percent;
        bool Flush;
        int Stage;
    } steps[] = {
        {true, 25, false, 0}, {true, 21, false, 0}, {true, 20, true, 1},  {true, 15, false, 1},
        {true, 10, true, 2},  {true, 8, false, 2},  {false, 8, false, 0}, {true, 9, true, 2},
    };
    BatteryRule battery;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Percent);
        EXPECT_EQ(battery.Check({true, step.OnBattery, step.Percent}, limits), step.Flush);
        EXPECT_EQ(battery.Stage(), step.Stage);
    }
    EXPECT_EQ(BatteryWarningText(battery), "Battery 9% - data saved, change the battery now");
    battery.Reset();
    battery.Check({true, true, 18}, limits);
    EXPECT_EQ(BatteryWarningText(battery), "Battery 18% - data saved, plug in the charger");
    EXPECT_FALSE(battery.Check({false, true, 5}, limits));  // status unknown: nothing
}

TEST(ClockCheck, DifferenceAcrossMidnightDecidedAfterTenSecondsOfFixes) {
    const struct {
        double A, B, Difference;
    } days[] = {{86399.0, 1.0, -2.0}, {1.0, 86399.0, 2.0}, {100.5, 100.0, 0.5}, {43200.0, 0.0, 43200.0}};
    for (const auto& d : days) EXPECT_DOUBLE_EQ(TimeOfDayDifference(d.A, d.B), d.Difference);

    // The computer at 00:00:01.5 while the receiver says 23:59:59, one fix a
    // second: 2.5 s ahead, decided at the eleventh fix (00:00:09).
    ClockCheck clock;
    for (int i = 0; i <= 10; ++i) {
        EXPECT_FALSE(clock.Off()) << i;
        clock.Compare(std::fmod(86399.0 + i, 86400.0), 1500 + 1000 * i, 2.0);
    }
    EXPECT_TRUE(clock.Off());
    EXPECT_DOUBLE_EQ(clock.Difference(), 2.5);
    clock.Compare(100.0, 100100, 2.0);  // set right: the older fixes leave the window
    EXPECT_FALSE(clock.Off());
    clock.Compare(101.0, -1, 2.0);  // no clock of the computer: ignored
    EXPECT_NEAR(clock.Difference(), 0.1, 1e-9);

    // A right clock (0.1 s of handling) whose first fixes wait in the port's
    // backlog: five a second, the first 4.5 s late, the backlog gone by the
    // fix of 4.5 s. No warning, and the difference is the handling's.
    ClockCheck late;
    for (int n = 0; n <= 100; ++n) {
        const double receiver = 36000.0 + 0.2 * n;
        const double backlog = std::max(0.0, 4.5 - 0.2 * n);
        late.Compare(receiver, static_cast<int32_t>(std::lround((receiver + 0.1 + backlog) * 1000.0)), 2.0);
        EXPECT_FALSE(late.Off()) << n;
    }
    EXPECT_NEAR(late.Difference(), 0.1, 1e-9);

    // The tolerance is the last difference that does not warn, also when
    // the times carry fractions a double cannot hold exactly.
    const struct {
        int32_t AheadMs;
        bool Off;
    } bounds[] = {{2000, false}, {2001, true}, {-2000, false}, {-2001, true}};
    for (const auto& b : bounds) {
        SCOPED_TRACE(b.AheadMs);
        ClockCheck bound;
        for (int i = 0; i <= 50; ++i) {
            const double receiver = 36000.15 + 0.2 * i;
            bound.Compare(receiver, static_cast<int32_t>(std::lround(receiver * 1000.0)) + b.AheadMs, 2.0);
        }
        EXPECT_EQ(bound.Off(), b.Off);
        EXPECT_NEAR(bound.Difference(), b.AheadMs / 1000.0, 1e-9);
    }

    const struct {
        double Difference;
        const char* Text;
    } texts[] = {
        {-3.0, "PC clock 3.0 s behind GPS"},
        {125.0, "PC clock 2 min 05 s ahead of GPS"},
        {59.97, "PC clock 1 min 00 s ahead of GPS"},
        {-3720.0, "PC clock 1 h 02 min behind GPS"},
    };
    for (const auto& t : texts) EXPECT_EQ(ClockWarningText(t.Difference), t.Text);
}

TEST(SpacingRule, ThreeSecondWindowWithTenPercentHysteresis) {
    // Two consoles, a fix every 200 ms with two readings of console 1 and
    // one of console 2 in each step; each phase 10 s long. The limit is 1 m.
    const struct {
        double StepMetres;
        double Console1, Console2;
        bool TooFast;
    } phases[] = {
        {0.4, 0.2, 0.4, false},   // 2 m/s
        {1.8, 0.9, 1.8, true},    // console 2's readings 1.8 m apart
        {1.9, 0.95, 1.9, true},
        {1.0, 0.5, 1.0, true},    // at the limit: stays until below 0.9 m
        {0.8, 0.4, 0.8, false},
    };
    SpacingRule rule;
    uint32_t tick = 0;
    for (const auto& phase : phases) {
        SCOPED_TRACE(phase.StepMetres);
        for (int i = 0; i < 50; ++i) {
            const int32_t readings[MaxConsoles] = {2, 1};
            rule.AddStep(tick += 200, phase.StepMetres, readings, 2, 1.0);
        }
        EXPECT_NEAR(rule.Spacing(0), phase.Console1, 1e-9);
        EXPECT_NEAR(rule.Spacing(1), phase.Console2, 1e-9);
        EXPECT_EQ(rule.WidestConsole(), 1);
        EXPECT_EQ(rule.TooFast(), phase.TooFast);
    }
    // A console that sent nothing in the window has no spacing.
    const int32_t silent[MaxConsoles] = {2, 0};
    for (int i = 0; i < 20; ++i) rule.AddStep(tick += 200, 0.4, silent, 2, 1.0);
    EXPECT_LT(rule.Spacing(1), 0.0);
    EXPECT_EQ(rule.WidestConsole(), 0);

    EXPECT_EQ(SpacingWarningText(1.2, 0), "Too fast: readings 1.20 m apart - slow down");
    EXPECT_EQ(SpacingWarningText(1.2, 1), "Too fast: readings 3.94 ft apart - slow down");
}

TEST(SpacingRule, TheDefaultTargetFiresOnAJogNotOnAWalk) {
    // Fixes 10 a second, readings `hertz` a second spread over them, each
    // speed held for a minute.
    const QcSettings defaults;
    auto tooFastAt = [&](double speed, double hertz) {
        SpacingRule rule;
        bool ever = false;
        long readings = 0;
        for (int fix = 1; fix <= 600; ++fix) {
            const long upTo = static_cast<long>(std::floor(fix * hertz / 10.0));
            int32_t taken[MaxConsoles] = {static_cast<int32_t>(upTo - readings)};
            readings = upTo;
            rule.AddStep(static_cast<uint32_t>(fix * 100), speed / 10.0, taken, 1, defaults.SpacingLimitMetres);
            ever = ever || (fix > 40 && rule.TooFast());
        }
        return ever;
    };
    for (double hertz : {2.0, 4.0, 5.0, 8.0, 10.0}) {
        for (double speed : {0.8, 1.0, 1.2}) EXPECT_FALSE(tooFastAt(speed, hertz)) << speed << " m/s, " << hertz;
    }
    // At 2 readings a second a walk's readings lie 0.4 to 0.6 m apart: only
    // a pace beyond a steady walk's counts, 1.8 m/s (0.9 m) but not 1.4 m/s (0.7 m).
    EXPECT_TRUE(tooFastAt(1.8, 2.0));
    EXPECT_FALSE(tooFastAt(1.4, 2.0));
    // A jog of 2.5 m/s: 0.63 m at 4 readings a second, 0.42 m at 6.
    for (double hertz : {4.0, 5.0, 6.0}) EXPECT_TRUE(tooFastAt(2.5, hertz)) << hertz;
    // At 10 readings a second a jog's 0.25 m is as fine as a walk at 4.
    EXPECT_FALSE(tooFastAt(2.5, 10.0));
}
