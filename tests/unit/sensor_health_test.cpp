#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "core/qc/reading_fields.h"
#include "core/qc/sensor_health.h"

using namespace tesselog;

namespace {

// Readings of `sensors` sensors every 100 ms from tick 0 (10 a second, all
// sensors at the same tick) for `seconds`, each value from value(sensor, i).
std::vector<SensorReading> TenHertz(int sensors, double seconds, const std::function<double(int, int)>& value,
                                    int firstIndex = 0) {
    std::vector<SensorReading> readings;
    const int count = static_cast<int>(std::lround(seconds * 10.0));
    for (int i = firstIndex; i < firstIndex + count; ++i) {
        for (int s = 0; s < sensors; ++s) readings.push_back({s, static_cast<uint32_t>(i * 100), value(s, i)});
    }
    return readings;
}

std::vector<HealthEvent> Scan(const std::vector<SensorReading>& readings, int sensors) {
    return ScanReadings(readings, sensors, SensorHealthLimits());
}

}  // namespace

TEST(ReadingFields, FieldsByCommaPosition) {
    const struct {
        const char* Sentence;
        ReadingField First, Second;
    } cases[] = {
        {"$PBAR,0060,0065", ReadingField::Good, ReadingField::Good},
        {"$PBAR, -12.5,+003", ReadingField::Good, ReadingField::Good},
        {"$PBAR,0060,", ReadingField::Good, ReadingField::Missing},
        {"$PBAR,0060", ReadingField::Good, ReadingField::Missing},
        {"$PBAR,0060,    ", ReadingField::Good, ReadingField::Missing},
        {"$PBAR,ERR,0065", ReadingField::Malformed, ReadingField::Good},  // the handler reads 65 as value 1
        {"$PBAR,1.2.3,--", ReadingField::Malformed, ReadingField::Malformed},
        {"$PBAR,.,0?6!", ReadingField::Malformed, ReadingField::Malformed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Sentence);
        EXPECT_EQ(ClassifyReadingField(c.Sentence, std::strlen(c.Sentence), 1), c.First);
        EXPECT_EQ(ClassifyReadingField(c.Sentence, std::strlen(c.Sentence), 2), c.Second);
    }
}

TEST(ReadingFields, TheStepAFieldShows) {
    const struct {
        const char* Sentence;
        double First, Second;
    } cases[] = {
        {"$PBAR,0060,-012", 1.0, 1.0},       // the coarse range: whole nT
        {"$PBAR,060.3,-12.3", 0.1, 0.1},     // the fine range: tenths
        {"$PBAR,+3.25,60.", 0.01, 1.0},      // a point without decimals is whole
        {"$PBAR,ERR,", 0.0, 0.0},            // no step of a bad field
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Sentence);
        EXPECT_DOUBLE_EQ(ReadingFieldStep(c.Sentence, std::strlen(c.Sentence), 1), c.First);
        EXPECT_DOUBLE_EQ(ReadingFieldStep(c.Sentence, std::strlen(c.Sentence), 2), c.Second);
    }
}

TEST(SensorHealth, FrozenIsNoChangeWhileTheWholeArrayMoves) {
    // Readings 100 ms apart from tick 0, judged every 500 ms: 10 s still at
    // tick 10,000. Sensor 0 reads 60 throughout; the two others move as
    // given, in steps of `step`.
    const struct {
        const char* Name;
        double Step;
        std::function<double(int, int)> Others;
        int OnsetTick;  // -1: never frozen
    } cases[] = {
        {"the others span four steps", 1.0, [](int, int i) { return 60.0 + i % 5; }, 10000},
        {"the others flicker by one step", 1.0, [](int, int i) { return 60.0 + i % 2; }, -1},
        {"one other still too", 1.0, [](int s, int i) { return s == 1 ? 70.0 : 60.0 + i % 5; }, -1},
        {"tenths: the others span 0.4", 0.1, [](int, int i) { return 60.0 + 0.1 * (i % 5); }, 10000},
        {"whole nT: the others span 0.4", 1.0, [](int, int i) { return 60.0 + 0.1 * (i % 5); }, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto readings = TenHertz(3, 12.0, [&](int s, int i) { return s == 0 ? 60.0 : c.Others(s, i); });
        for (SensorReading& r : readings) r.Step = c.Step;
        std::vector<HealthEvent> events = ScanReadings(readings, 3, SensorHealthLimits());
        if (c.OnsetTick < 0) {
            EXPECT_TRUE(events.empty());
            continue;
        }
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].Sensor, 0);
        EXPECT_EQ(events[0].Fault, SensorFrozen);
        EXPECT_EQ(events[0].Tick, static_cast<uint32_t>(c.OnsetTick));
    }

    // Another sensor held at its limit shows nothing of the ground: it does
    // not keep the still one from being frozen (its own saturated comes at
    // 2,000 and clears never).
    auto withSaturated = TenHertz(3, 12.0, [](int s, int i) { return s == 0 ? 60.0 : s == 1 ? 9999.0 : 60.0 + i % 5; });
    std::vector<HealthEvent> both = ScanReadings(withSaturated, 3, SensorHealthLimits());
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].Fault, SensorSaturated);
    EXPECT_EQ(both[0].Tick, 2000u);
    EXPECT_EQ(both[1].Sensor, 0);
    EXPECT_EQ(both[1].Fault, SensorFrozen);
    EXPECT_EQ(both[1].Tick, 10000u);

    // Alone, the time is enough; a last digit that flickers is alive.
    EXPECT_EQ(Scan(TenHertz(1, 12.0, [](int, int) { return 60.0; }), 1).size(), 1u);
    EXPECT_TRUE(Scan(TenHertz(1, 30.0, [](int, int i) { return 60.0 + i % 2; }), 1).empty());

    // 5 s of readings (last at 4,900), a minute's pause, then readings from
    // 64,900: the still time starts again after the pause, 10 s later is
    // 74,900. The first change clears it at once.
    std::vector<SensorReading> readings = TenHertz(1, 5.0, [](int, int) { return 60.0; });
    for (int i = 0; i < 110; ++i) readings.push_back({0, static_cast<uint32_t>(64900 + 100 * i), 60.0});
    readings.push_back({0, 75900, 61.0});
    std::vector<HealthEvent> events = Scan(readings, 1);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Tick, 74900u);
    EXPECT_TRUE(events[0].Onset);
    EXPECT_EQ(events[1].Tick, 75900u);
    EXPECT_FALSE(events[1].Onset);

    // Still readings on both sides of 6 s of empty fields are two runs, not
    // one of 12 s: no value came in between.
    readings = TenHertz(1, 12.0, [](int, int) { return 60.0; });
    for (SensorReading& r : readings) r.Field = r.Tick >= 3000 && r.Tick < 9000 ? ReadingField::Missing : r.Field;
    for (const HealthEvent& e : Scan(readings, 1)) EXPECT_NE(e.Fault, SensorFrozen);
}

TEST(SensorHealth, SaturatedIsHeldAtOrBeyondTheConsolesRange) {
    // From reading 10 (tick 1,000) to reading 39 the sensor reads `held`
    // (or, where it flickers, held and one less): 2 s held at tick 3,000;
    // the last held reading at 3,900, cleared a second later at 4,900.
    const struct {
        const char* Name;
        double Held, Step;
        bool Flickers;
        bool Saturated;
    } cases[] = {
        {"clipped at 1000 nT, whole nT", 1000.0, 1.0, false, true},
        {"clipped at -1000 nT", -1000.0, 1.0, false, true},
        {"100.0 nT in tenths", 100.0, 0.1, false, true},
        {"100 nT in whole nT is no limit", 100.0, 1.0, false, false},
        {"9999, the settings' limit", 9999.0, 1.0, false, true},
        {"at 1000 but moving", 1000.0, 1.0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto readings = TenHertz(1, 6.0, [&](int, int i) {
            if (i < 10 || i >= 40) return 60.0 + i % 3;
            return c.Held - (c.Flickers ? i % 2 : 0);
        });
        for (SensorReading& r : readings) r.Step = c.Step;
        SensorHealthLimits limits;
        limits.FrozenOn = false;
        std::vector<HealthEvent> events = ScanReadings(readings, 1, limits);
        if (!c.Saturated) {
            EXPECT_TRUE(events.empty());
            continue;
        }
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0].Fault, SensorSaturated);
        EXPECT_EQ(events[0].Tick, 3000u);
        EXPECT_EQ(events[1].Tick, 4900u);
        EXPECT_FALSE(events[1].Onset);
    }
}

TEST(SensorHealth, BadFieldsInARowOrAsAShareOfTheLastFiveSeconds) {
    // Empty from tick 1,000 to 3,900: the share counts first, once the
    // readings span half the window (15 of 26 bad at 2,500), before 2 s in
    // a row (3,000). Good again from 4,000: cleared once at most two of the
    // last 50 were bad (a second without is not enough), when only 3,800
    // and 3,900 are left, at 8,700.
    auto empty = TenHertz(1, 10.0, [](int, int i) { return 60.0 + i % 3; });
    for (SensorReading& r : empty) {
        if (r.Tick >= 1000 && r.Tick < 4000) r.Field = ReadingField::Missing;
    }
    ArrayHealth health(1);
    std::vector<HealthEvent> events;
    for (const SensorReading& r : empty) {
        AppendHealthEvents(events, 0, r.Tick, health.Feed(0, r.Tick, r.Value, r.Field));
        if (r.Tick == 3500) {
            EXPECT_EQ(health.Sensor(0).LastBadField(), ReadingField::Missing);
        }
    }
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Fault, SensorFieldBad);
    EXPECT_EQ(events[0].Tick, 2500u);
    EXPECT_EQ(events[1].Tick, 8700u);

    // Every other field garbled from reading 11: no two in a row, but the
    // share counts once the readings span half the window (2.5 s): at tick
    // 2,500, 8 of 26 bad. The last bad one at 5,900: cleared at 10,500, when
    // 2 of the last 50 are bad (5,700 and 5,900).
    auto garbled = TenHertz(1, 12.0, [](int, int i) { return 60.0 + i % 3; });
    for (SensorReading& r : garbled) {
        const int i = static_cast<int>(r.Tick / 100);
        if (i > 10 && i < 60 && i % 2 == 1) r.Field = ReadingField::Malformed;
    }
    events = Scan(garbled, 1);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Fault, SensorFieldBad);
    EXPECT_EQ(events[0].Tick, 2500u);
    EXPECT_EQ(events[1].Tick, 10500u);
    EXPECT_FALSE(events[1].Onset);

    // One garbled field in every 20 (5%) is no fault.
    auto rare = TenHertz(1, 60.0, [](int, int i) { return 60.0 + i % 3; });
    for (size_t i = 0; i < rare.size(); i += 20) rare[i].Field = ReadingField::Malformed;
    EXPECT_TRUE(Scan(rare, 1).empty());
}

TEST(SensorHealth, NoisyAgainstTheRestOfTheArray) {
    // The noise level is the mean of the middle fifth (ranks 20-29 of 50) of
    // the halved fourth differences over the last 5 s. Sensor 0 reads 0 until
    // reading 200, then 0, 2, 0, 2 ... (differences of 8; the first four 0,
    // 1, 4, 7); the others climb one step a reading (differences of 0, so
    // their level is the floor, 0.75 of a step: the limit is 4 x 0.75 = 3).
    // The level passes 3 when at most 24 of the window's 50 are zeros, at
    // reading 226; judged at tick 23,000 and above for half the window (2.5
    // s): noisy at 25,500. From reading 400 it reads 0 again: the level falls
    // below 0.7 x 3 once at most 21 eights are left, at reading 429, judged
    // at 43,000.
    SensorHealthLimits limits;
    limits.FrozenOn = false;
    auto noisyOne = TenHertz(3, 60.0, [](int s, int i) {
        if (s > 0) return static_cast<double>(i);
        return i >= 200 && i < 400 ? 2.0 * (i % 2) : 0.0;
    });
    std::vector<HealthEvent> events = ScanReadings(noisyOne, 3, limits);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Sensor, 0);
    EXPECT_EQ(events[0].Fault, SensorNoisy);
    EXPECT_EQ(events[0].Tick, 25500u);
    EXPECT_EQ(events[1].Tick, 43000u);
    EXPECT_FALSE(events[1].Onset);

    // The same on the fine range (0, 0.2, 0, 0.2: level 0.8 nT against a
    // limit of 4 x 0.075): noisy; tenths that small on a whole-nT console
    // could not be, and 0.8 nT is under its limit of 3 nT.
    for (double step : {0.1, 1.0}) {
        SCOPED_TRACE(step);
        auto readings = TenHertz(3, 60.0, [&](int s, int i) {
            if (s > 0) return step * i;
            return i >= 200 && i < 400 ? 0.2 * (i % 2) : 0.0;
        });
        for (SensorReading& r : readings) r.Step = step;
        EXPECT_EQ(ScanReadings(readings, 3, limits).size(), step < 1.0 ? 2u : 0u);
    }

    // A rise the whole array shares is the ground: four sensors all 0, 20, 0,
    // 20 from reading 200 on.
    auto busy = TenHertz(4, 60.0, [](int, int i) { return i >= 200 ? 20.0 * (i % 2) : 0.0; });
    EXPECT_TRUE(ScanReadings(busy, 4, limits).empty());
}

TEST(SensorHealth, SwitchedOffFaultsNeverShow) {
    SensorHealthLimits off;
    off.FrozenOn = off.SaturatedOn = off.NoisyOn = off.FieldOn = false;
    auto readings = TenHertz(1, 20.0, [](int, int) { return 9999.0; });
    for (size_t i = 0; i < readings.size(); i += 2) readings[i].Field = ReadingField::Malformed;
    EXPECT_TRUE(ScanReadings(readings, 1, off).empty());
}
