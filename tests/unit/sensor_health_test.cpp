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

// The noise alone: the patterns below flicker between two values, which the
// frozen rule would rightly call frozen after 10 s.
std::vector<HealthEvent> ScanNoise(const std::vector<SensorReading>& readings, int sensors) {
    SensorHealthLimits limits;
    limits.FrozenOn = false;
    return ScanReadings(readings, sensors, limits);
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

TEST(SensorHealth, FrozenWithinOneResolutionStepAndAcrossAPause) {
    // Readings 100 ms apart from tick 0: the 10 s of the default limit have
    // passed at reading 100 (tick 10,000). A flickering last digit: its first
    // change shows the resolution (none was known) and starts the run anew at
    // tick 100, so 10 s later is tick 10,100.
    const struct {
        const char* Name;
        std::function<double(int, int)> Value;
        int OnsetTick;  // -1: never frozen
    } cases[] = {
        {"the same value", [](int, int) { return 60.0; }, 10000},
        {"last digit flickering", [](int, int i) { return 60.0 + i % 2; }, 10100},
        {"tenths flickering", [](int, int i) { return 60.0 + 0.1 * (i % 2); }, 10100},
        {"two steps of change", [](int, int i) { return 60.0 + i % 3; }, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<HealthEvent> events = Scan(TenHertz(1, 12.0, c.Value), 1);
        if (c.OnsetTick < 0) {
            EXPECT_TRUE(events.empty());
            continue;
        }
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].Fault, SensorFrozen);
        EXPECT_EQ(events[0].Tick, static_cast<uint32_t>(c.OnsetTick));
    }

    // 5 s of readings (last at 4,900), a minute's pause counted as 2 s, then
    // readings from 64,900: 6,900 counted there, 10,000 at tick 68,000. A
    // real change clears it at once.
    std::vector<SensorReading> readings = TenHertz(1, 5.0, [](int, int) { return 60.0; });
    for (int i = 0; i < 40; ++i) readings.push_back({0, static_cast<uint32_t>(64900 + 100 * i), 60.0});
    readings.push_back({0, 68900, 63.0});
    std::vector<HealthEvent> events = Scan(readings, 1);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Tick, 68000u);
    EXPECT_TRUE(events[0].Onset);
    EXPECT_EQ(events[1].Tick, 68900u);
    EXPECT_FALSE(events[1].Onset);

    // Still readings on both sides of 6 s of empty fields are two runs, not
    // one of 12 s: no value came in between.
    readings = TenHertz(1, 12.0, [](int, int) { return 60.0; });
    for (SensorReading& r : readings) r.Field = r.Tick >= 3000 && r.Tick < 9000 ? ReadingField::Missing : r.Field;
    for (const HealthEvent& e : Scan(readings, 1)) EXPECT_NE(e.Fault, SensorFrozen);
}

TEST(SensorHealth, SaturatedAndBadFieldComeAfterTheirTimeAndClearAfterASecond) {
    // From 1 s on the sensor sits at 9999 (or its field is empty) for 3 s: the
    // 2 s limit is reached at tick 3,000; back to normal at 4,000, it clears
    // one second later at 5,000.
    auto saturated = TenHertz(1, 6.0, [](int, int i) { return i >= 10 && i < 40 ? 9999.0 : 60.0 + i % 3; });
    std::vector<HealthEvent> events = Scan(saturated, 1);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Fault, SensorSaturated);
    EXPECT_EQ(events[0].Tick, 3000u);
    EXPECT_EQ(events[1].Tick, 5000u);
    EXPECT_FALSE(events[1].Onset);

    auto empty = TenHertz(1, 6.0, [](int, int i) { return 60.0 + i % 3; });
    for (SensorReading& r : empty) {
        if (r.Tick >= 1000 && r.Tick < 4000) r.Field = ReadingField::Missing;
    }
    ArrayHealth health(1);
    std::vector<HealthEvent> fieldEvents;
    for (const SensorReading& r : empty) {
        AppendHealthEvents(fieldEvents, 0, r.Tick, health.Feed(0, r.Tick, r.Value, r.Field));
        if (r.Tick == 3500) {
            EXPECT_EQ(health.Sensor(0).LastBadField(), ReadingField::Missing);
        }
    }
    ASSERT_EQ(fieldEvents.size(), 2u);
    EXPECT_EQ(fieldEvents[0].Fault, SensorFieldBad);
    EXPECT_EQ(fieldEvents[0].Tick, 3000u);
    EXPECT_EQ(fieldEvents[1].Tick, 5000u);
}

TEST(SensorHealth, NoisyAgainstItsOwnLevelAndAgainstTheArray) {
    // Quiet: 0, 2, 0, 2 ... has second differences of 4; noisy: 0, 20 ... of
    // 40 (22 for the first), above 4 x 4 = 16. The level is the median of the
    // 50 differences of the last 5 s, measured every 500 ms. From reading 200
    // (whose difference is still 4) the differences are large from reading
    // 201, so 25 of the 50 are large at reading 225: noisy at the measurement
    // of tick 22,500. Quiet again from reading 400, the differences are small
    // from reading 402, 26 of them at reading 427: cleared at 43,000.
    auto own = TenHertz(1, 60.0, [](int, int i) { return (i % 2) * (i >= 200 && i < 400 ? 20.0 : 2.0); });
    std::vector<HealthEvent> events = ScanNoise(own, 1);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Fault, SensorNoisy);
    EXPECT_EQ(events[0].Tick, 22500u);
    EXPECT_EQ(events[1].Tick, 43000u);
    EXPECT_FALSE(events[1].Onset);

    // Sensor 0 noisy from the start (0, 20, 19, -1 ...: second differences of
    // 19 and 21), so its own level is the noisy one; the other two quiet. Its
    // first level (9 differences by tick 1,000) has no neighbour's level yet,
    // the next measurement at 1,500 has: 19 > 4 x 4.
    const double noisy[4] = {0.0, 20.0, 19.0, -1.0};
    auto array = TenHertz(3, 20.0, [&](int s, int i) { return s == 0 ? noisy[i % 4] : (i % 2) * 2.0; });
    events = ScanNoise(array, 3);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Sensor, 0);
    EXPECT_EQ(events[0].Tick, 1500u);
}

TEST(SensorHealth, SwitchedOffFaultsNeverShow) {
    SensorHealthLimits off;
    off.FrozenOn = off.SaturatedOn = off.NoisyOn = off.FieldOn = false;
    auto readings = TenHertz(1, 20.0, [](int, int) { return 9999.0; });
    for (size_t i = 0; i < readings.size(); i += 2) readings[i].Field = ReadingField::Malformed;
    EXPECT_TRUE(ScanReadings(readings, 1, off).empty());
}
