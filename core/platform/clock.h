// Time as the core sees it: the 32-bit millisecond tick counter (wraps after
// 49.7 days; compare ticks by unsigned difference), the local date and time,
// and the computer's UTC time of day (what the field warnings hold against the
// GPS receiver's clock).
#pragma once

#include <cstdint>

namespace tesselog {

struct LocalTime {
    int Year = 0;         // four digits
    int Month = 0;        // 1..12
    int Day = 0;          // 1..31
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t Tick() = 0;
    virtual LocalTime Now() = 0;
    // Milliseconds since UTC midnight, 0..86,399,999; -1 where the platform
    // gives none, which leaves the clock check idle.
    virtual int32_t UtcMillisecondOfDay() { return -1; }
};

// A clock that only moves when told to: for tests, replays and benchmarks.
class ManualClock : public Clock {
public:
    uint32_t Tick() override { return CurrentTick; }
    LocalTime Now() override { return CurrentTime; }
    int32_t UtcMillisecondOfDay() override { return CurrentUtcMs; }

    uint32_t CurrentTick = 0;
    LocalTime CurrentTime;
    int32_t CurrentUtcMs = -1;
};

}  // namespace tesselog
