// The computer's clock against the GPS receiver's. The data file's clock
// records carry the computer's local time, so a wrong clock puts every
// reading of the day at the wrong time; the receiver's UTC time of day says
// by how much. Both are times of day, so the difference is taken across
// midnight (23:59:59 against 00:00:01 is two seconds, not a day).
//
// A difference decides only when five valid fixes in a row agree, so one
// late sentence neither raises nor clears it; the warning's figure is the
// median of those five.
#pragma once

#include <cstdint>
#include <string>

namespace tesselog {

constexpr int ClockFixesToDecide = 5;

// a - b in seconds, both times of day, brought into -43,200 .. 43,200.
double TimeOfDayDifference(double a, double b);

class ClockCheck {
public:
    void Reset() { *this = ClockCheck(); }
    // A valid fix: the receiver's UTC time of day in seconds and the
    // computer's in milliseconds (< 0: the platform gives none).
    void Compare(double receiverSeconds, int32_t computerMs, double toleranceSeconds);

    bool Off() const { return off_; }
    // Computer minus receiver, seconds: negative when the computer is behind.
    double Difference() const { return difference_; }

private:
    double recent_[ClockFixesToDecide] = {};
    int count_ = 0;     // fixes seen, up to ClockFixesToDecide
    int next_ = 0;
    int outside_ = 0;   // fixes in a row beyond the tolerance
    int inside_ = 0;    // fixes in a row within it
    bool off_ = false;
    double difference_ = 0.0;
};

// "PC clock 3.4 s behind GPS", "PC clock 2 min 05 s ahead of GPS",
// "PC clock 1 h 02 min behind GPS".
std::string ClockWarningText(double difference);

}  // namespace tesselog
