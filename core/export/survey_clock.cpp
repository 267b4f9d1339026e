#include "core/export/survey_clock.h"

#include "core/export/export_text.h"

namespace tesselog {

namespace {

constexpr int64_t MsPerDay = 86400000;
// A clock record more than this before its line's date is on the next day.
constexpr int32_t MidnightSlackMs = 60000;

}  // namespace

int32_t SurveyClock::TakeLineDate(const DataItem& item) {
    lineDay_ = item.day.valid && item.month.valid && item.year.valid
                   ? DaysFromCivil(item.year.value, item.month.value, item.day.value)
                   : -1;
    lineDayMs_ = item.hour.valid && item.minute.valid && item.second.valid
                     ? ((item.hour.value * 60 + item.minute.value) * 60 + item.second.value) * 1000
                     : 0;
    return lineDay_;
}

void SurveyClock::TakeClock(const DataItem& item) {
    if (!item.hour.valid || !item.minute.valid || !item.second.valid || !item.tick.valid) return;
    Record r;
    r.Ms = ((item.hour.value * 60 + item.minute.value) * 60 + item.second.value) * 1000 +
           (item.millisecond.valid ? item.millisecond.value : 0);
    r.Tick = item.tick.value;
    // The clock record follows its line's date at once; a time of day well
    // before the date's says that midnight passed between the two.
    r.Day = lineDay_ < 0 ? -1 : lineDay_ + (r.Ms + MidnightSlackMs < lineDayMs_ ? 1 : 0);
    clock_ = r;
}

ClockStamp SurveyClock::Stamp(bool hasTick, uint32_t tick) const {
    if (!clock_ || !hasTick) return {lineDay_, -1};
    // The counter wraps: ticks before the record count back from it.
    const int64_t total = clock_->Ms + static_cast<int64_t>(static_cast<int32_t>(tick - clock_->Tick));
    const int64_t days = total >= 0 ? total / MsPerDay : -((-total + MsPerDay - 1) / MsPerDay);
    return {clock_->Day < 0 ? -1 : static_cast<int32_t>(clock_->Day + days), static_cast<int32_t>(total - days * MsPerDay)};
}

}  // namespace tesselog
