#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "core/qc/field_qc.h"
#include "core/qc/speed_rule.h"

using namespace tesselog;

namespace {

// Walks north at `speed` m/s with `hertz` fixes a second from `tick`, for
// `seconds`; the tick of the first warning (0: none) and whether it is shown
// at the end.
struct Walked {
    uint32_t WarnedAt = 0;
    bool TooFastAtEnd = false;
};
Walked Walk(SpeedRule& rule, uint32_t& tick, double& north, double speed, double hertz, double seconds,
            double limit = 2.0) {
    Walked walked;
    const int fixes = static_cast<int>(std::lround(seconds * hertz));
    for (int i = 0; i < fixes; ++i) {
        tick += static_cast<uint32_t>(std::lround(1000.0 / hertz));
        north += speed / hertz;
        rule.AddFix(tick, 500000.0, north, limit);
        if (rule.TooFast() && walked.WarnedAt == 0) walked.WarnedAt = tick;
    }
    walked.TooFastAtEnd = rule.TooFast();
    return walked;
}

}  // namespace

TEST(SpeedRule, HeldTwoSecondsAboveTheLimitWhateverTheFixRate) {
    for (double hertz : {1.0, 5.0, 10.0, 20.0}) {
        SCOPED_TRACE(hertz);
        SpeedRule rule;
        uint32_t tick = 0;
        double north = 0.0;
        // 1.9 m/s for a minute never warns.
        EXPECT_EQ(Walk(rule, tick, north, 1.9, hertz, 60.0).WarnedAt, 0u);
        EXPECT_NEAR(rule.Speed(), 1.9, 1e-6);
        // 2.1 m/s: warned once every speed of two seconds is above 2.0,
        // the first of them a second after the change at the most.
        const uint32_t jogFrom = tick;
        const Walked jog = Walk(rule, tick, north, 2.1, hertz, 10.0);
        EXPECT_GE(jog.WarnedAt, jogFrom + 2000);
        EXPECT_LE(jog.WarnedAt, jogFrom + 3000);
        // Back to 1.0 m/s: cleared within 3 s, not at once.
        const uint32_t slowFrom = tick;
        SpeedRule held = rule;
        Walk(held, tick, north, 1.0, hertz, 1.0);
        EXPECT_TRUE(held.TooFast());
        tick = slowFrom;
        north -= 1.0;
        Walk(rule, tick, north, 1.0, hertz, 3.0);
        EXPECT_FALSE(rule.TooFast());
    }
}

TEST(SpeedRule, AJitteryFixAStartAndAStandstillDoNotWarn) {
    for (double hertz : {1.0, 20.0}) {
        SCOPED_TRACE(hertz);
        SpeedRule rule;
        uint32_t tick = 0;
        double north = 0.0;
        Walk(rule, tick, north, 1.0, hertz, 20.0);
        // One fix thrown 5 m aside (a speed of 5 m/s into it and out of it
        // a second later), then the walk goes on.
        tick += static_cast<uint32_t>(std::lround(1000.0 / hertz));
        north += 1.0 / hertz;
        rule.AddFix(tick, 500005.0, north, 2.0);
        EXPECT_GT(rule.Speed(), 4.0);
        EXPECT_EQ(Walk(rule, tick, north, 1.0, hertz, 20.0).WarnedAt, 0u);
        // Standing still.
        EXPECT_EQ(Walk(rule, tick, north, 0.0, hertz, 20.0).WarnedAt, 0u);
        EXPECT_NEAR(rule.Speed(), 0.0, 1e-9);
    }
    // The first five seconds after a start decide nothing: the fixes that
    // waited in the port come 10 ms apart, 5 m of ground in a quarter second.
    SpeedRule rule;
    uint32_t tick = 1000;
    double north = 0.0;
    for (int i = 0; i < 25; ++i) rule.AddFix(tick += 10, 0.0, north += 0.2, 2.0);
    EXPECT_LT(rule.Speed(), 0.0);  // not yet 0.9 s of fixes
    EXPECT_EQ(Walk(rule, tick, north, 1.0, 10.0, 30.0).WarnedAt, 0u);
}

TEST(FieldQc, AJogAtTenReadingsASecondWarnsOnTheSpeedBarInTheSurveysUnit) {
    // One two-sensor console at 10 readings a second, a fix every 100 ms
    // with one reading in each step.
    const struct {
        int32_t Units;
        double LimitMetresPerSecond;
        double Speed;  // m/s
        const char* Text;
    } runs[] = {
        {0, 2.0, 2.5, "Too fast: readings 0.25 m apart - slow down"},
        {1, 2.0, 2.5, "Too fast: readings 0.82 ft apart - slow down"},
        {1, 2.0, 1.9, nullptr},  // 6.23 ft a second is no jog
        {0, 3.0, 2.5, nullptr},  // the limit from TESSELQC.INI
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.Units * 10 + run.Speed);
        Settings settings;
        settings.ConsoleCount = 1;
        settings.ConsoleType[0] = 1;
        settings.DisplayUnits = run.Units;
        settings.RecomputeAll();
        QcSettings qc;
        qc.SpeedLimitMetresPerSecond = run.LimitMetresPerSecond;
        FieldWarnings warnings;
        FieldQc field(warnings);
        field.Open(settings, qc);
        field.Go();
        const double step = run.Speed / 10.0 / (run.Units == 1 ? 0.3048 : 1.0);  // map units
        const char sentence[] = "$PBAR,0012,0013";
        bool shown = false;
        for (int i = 1; i <= 150; ++i) {
            const uint32_t tick = 100u * static_cast<uint32_t>(i);
            field.Reading(0, tick - 50, 12.0 + i % 3, 13.0 + i % 2, sentence, sizeof sentence - 1);
            field.Step(tick, step, 1000.0, 2000.0 + i * step);
            shown = shown || warnings.TooFastShown();
        }
        if (run.Text == nullptr) {
            EXPECT_FALSE(shown);
            continue;
        }
        ASSERT_TRUE(warnings.TooFastShown());
        EXPECT_EQ(*warnings.ActiveTexts().at(0).Text, run.Text);
    }
}
