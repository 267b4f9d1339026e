#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/qc/clock_check.h"
#include "core/qc/logging_limits.h"
#include "core/qc/spacing_rule.h"

using namespace tesselog;

TEST(PositionCountdown, StagesAtNinetyAndNinetySevenPercentWithMinutesLeft) {
    // 5 fixes a second from count 25,000 at tick 0. 90% of 28,800 is 25,920
    // (tick 184,000), 97% is 27,936. At 25,920, 2,880 are left: 576 s at 5
    // a second, "9 min"; at 27,936, 864: 172.8 s, "2 min"; at 28,770, 30: 6 s.
    PositionCountdown countdown;
    int stages = 0;
    std::string at90, at97, near;
    for (int32_t count = 25001; count <= 28770; ++count) {
        const uint32_t tick = static_cast<uint32_t>(count - 25000) * 200;
        if (countdown.Count(tick, count, 28800)) {
            ++stages;
            (countdown.Stage() == 1 ? at90 : at97) = PositionWarningText(countdown);
            EXPECT_EQ(count, countdown.Stage() == 1 ? 25920 : 27936);
        }
    }
    near = PositionWarningText(countdown);
    EXPECT_EQ(stages, 2);
    EXPECT_EQ(at90, "Positions: 9 min left - start a new file with &File");
    EXPECT_EQ(at97, "Positions: 2 min left - start a new file with &File");
    EXPECT_EQ(near, "Positions: under 1 min left - start a new file with &File");
    EXPECT_DOUBLE_EQ(countdown.FixesPerSecond(), 5.0);

    // After a pause of 10 s the rate is not known again for 5 s: the text
    // says how many positions are left instead.
    countdown.Count(754000 + 10000, 28771, 28800);
    EXPECT_EQ(PositionWarningText(countdown), "Positions: 29 left - start a new file with &File");
    // A file appended to at 95% reaches the first stage with its first position.
    PositionCountdown appended;
    EXPECT_TRUE(appended.Count(0, 27360, 28800));
    EXPECT_EQ(appended.Stage(), 1);
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
