// The computer's clock against the GPS receiver's. The data file's clock
// records carry the computer's local time, so a wrong clock puts every
// reading of the day at the wrong time; the receiver's UTC time of day says
// by how much. Both are times of day, so the difference is taken across
// midnight (23:59:59 against 00:00:01 is two seconds, not a day).
//
// A fix is compared when the program handles it, which can be seconds after
// the receiver sent it: the port's backlog at the logging screen's opening,
// or after a dialog held the screen. Lateness only ever makes the computer
// look ahead, so the difference is the smallest over the last ten seconds of
// the receiver's time, and nothing is decided before ten seconds of fixes
// have come: a backlog drains long before, a wrong clock stays.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace tesselog {

constexpr double ClockWindowSeconds = 10.0;
constexpr double ClockRoundingSeconds = 1e-6;

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
    struct Sample {
        double At;          // the receiver's time since the first fix, seconds
        double Difference;
    };
    std::deque<Sample> window_;
    bool any_ = false;
    double lastReceiver_ = 0.0;
    double elapsed_ = 0.0;
    bool off_ = false;
    double difference_ = 0.0;
};

// "PC clock 3.4 s behind GPS", "PC clock 2 min 05 s ahead of GPS",
// "PC clock 1 h 02 min behind GPS".
std::string ClockWarningText(double difference);

}  // namespace tesselog
