// How long the program's reads of the data file take, for the measurement of
// the test build: tesselog-drawlog.exe sets a sink at start-up, and every
// replay of the logging screen (extent scan, track replay, the profile panes'
// curves) writes "replay <what> ms=<milliseconds>" to it. The program that
// goes to the field sets none and measures nothing.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace tesselog::win32 {

using ReplayTimingSink = void (*)(const std::string& line);

inline ReplayTimingSink& ReplayTimingTarget() {
    static ReplayTimingSink sink = nullptr;
    return sink;
}

inline void SetReplayTimingSink(ReplayTimingSink sink) { ReplayTimingTarget() = sink; }

// Times its scope when a sink is set.
class ReplayTimer {
public:
    explicit ReplayTimer(const char* what) : what_(what) {
        if (ReplayTimingTarget() != nullptr) QueryPerformanceCounter(&start_);
    }
    ~ReplayTimer() {
        if (ReplayTimingTarget() == nullptr) return;
        LARGE_INTEGER end{}, frequency{};
        QueryPerformanceCounter(&end);
        QueryPerformanceFrequency(&frequency);
        const double ms = 1000.0 * static_cast<double>(end.QuadPart - start_.QuadPart) /
                          static_cast<double>(frequency.QuadPart);
        char line[96];
        std::snprintf(line, sizeof line, "replay %s ms=%.1f", what_, ms);
        ReplayTimingTarget()(line);
    }
    ReplayTimer(const ReplayTimer&) = delete;
    ReplayTimer& operator=(const ReplayTimer&) = delete;

private:
    const char* what_;
    LARGE_INTEGER start_{};
};

}  // namespace tesselog::win32
