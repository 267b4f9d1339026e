// Keeping the computer awake: while the logging screen is open a long line
// is walked without touching a key, and a display that goes dark or a
// computer that sleeps on battery would lose the survey's readings. The
// logging session asks for it when the screen opens and gives it back when
// the screen closes; the Win32 layer asks the system
// (SetThreadExecutionState), the tests record the calls.
#pragma once

#include <vector>

namespace tesselog {

class KeepAwake {
public:
    virtual ~KeepAwake() = default;
    // true: the system and the display stay on until Hold(false).
    virtual void Hold(bool on) = 0;
};

class RecordingKeepAwake : public KeepAwake {
public:
    void Hold(bool on) override {
        Held = on;
        Calls.push_back(on);
    }
    bool Held = false;
    std::vector<bool> Calls;
};

}  // namespace tesselog
