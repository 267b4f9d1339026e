// Walking too fast: the along-track spacing of each console's readings, from
// the distance between fixes and the readings the console sent in between.
// The spacing is taken over the steps of the last three seconds (the
// distance walked over the readings taken), so a single short or long epoch
// does not make it flicker; it is judged once the steps span two seconds,
// five seconds after the first step since a start (Reset), and it must fall
// below 90% of the limit before the warning clears. Readings further apart
// than the target count only while the pace over the same steps is above a
// steady walk's (SpacingWalkPace): a console at 2 readings a second puts a
// walk's readings 0.4 to 0.6 m apart however carefully it is walked, and a
// warning on every line is soon ignored; consoles at 4 readings a second or
// more pass the target only above that pace anyway.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings/settings.h"

namespace tesselog {

constexpr uint32_t SpacingWindowMs = 3000;
constexpr uint32_t SpacingLeastSpanMs = 2000;
constexpr uint32_t SpacingSettleMs = 5000;
constexpr double SpacingClearShare = 0.9;
// A steady walk's 1.2 m/s with a third to spare (metres a second).
constexpr double SpacingWalkPace = 1.6;

class SpacingRule {
public:
    void Reset() { *this = SpacingRule(); }

    // One step between two fixes while recording: its tick, its length in
    // metres and each console's readings taken during it.
    void AddStep(uint32_t tick, double metres, const int32_t readings[MaxConsoles], int consoles,
                 double limitMetres);

    bool TooFast() const { return tooFast_; }
    // Metres between console k's readings over the window; < 0 while the
    // console has sent nothing in it.
    double Spacing(int k) const;
    // The console with the widest spacing (-1: none known) and that spacing.
    int WidestConsole() const;
    double WidestSpacing() const;
    // Metres a second walked over the window's steps; < 0 before a step
    // with a duration.
    double Pace() const;

private:
    static constexpr size_t Steps = 128;  // 3 s of 20 Hz fixes with room to spare
    struct Step {
        uint32_t Tick;
        uint32_t Ms;  // since the step before (0: the first since Reset)
        double Metres;
        int32_t Readings[MaxConsoles];
    };
    Step steps_[Steps] = {};
    size_t first_ = 0, size_ = 0;
    int consoles_ = 0;
    double metres_ = 0.0;                  // sums over the window
    uint64_t ms_ = 0;
    int64_t readings_[MaxConsoles] = {};
    bool tooFast_ = false;
    bool started_ = false;
    uint32_t startTick_ = 0;  // of the first step since Reset
};

// "Too fast: readings 1.40 m apart - slow down" (feet for a survey in feet).
std::string SpacingWarningText(double metres, int32_t displayUnits);

}  // namespace tesselog
