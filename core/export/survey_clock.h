// The time of day and the date of what a data file records. A line block's
// date record gives the day (and the time it was written); the clock record
// that follows it ties a time of day to a tick of the millisecond counter.
// Anything with a tick is stamped from the latest clock record by the ticks
// since, across midnight either way; without a clock record (or a tick) only
// the line's day is known.
#pragma once

#include <cstdint>
#include <optional>

#include "core/datafile/record_reader.h"

namespace tesselog {

struct ClockStamp {
    int32_t Day = -1;      // days since 1970-01-01, -1 without a date
    int32_t TimeMs = -1;   // milliseconds of the day, -1 without a clock record
};

class SurveyClock {
public:
    // A line block's date record; the day it gives, -1 when unreadable.
    int32_t TakeLineDate(const DataItem& item);
    // A clock record: ignored unless its time and tick are whole.
    void TakeClock(const DataItem& item);
    ClockStamp Stamp(bool hasTick, uint32_t tick) const;
    int32_t LineDay() const { return lineDay_; }

private:
    struct Record {
        int32_t Day = -1;
        int32_t Ms = 0;
        uint32_t Tick = 0;
    };
    int32_t lineDay_ = -1;
    int32_t lineDayMs_ = 0;
    std::optional<Record> clock_;
};

}  // namespace tesselog
