// What the reader threads share with the user-interface thread and the data
// file's writers read: each console's sentence slot, tick and break flags,
// and the logging state with the tick of the current Go. Console index
// k = 0..8 stands for consoles 1..9.
//
// Hand-over rule: a reader fills ConsoleSentence[k] and then waits in a
// synchronous window message until the handler has run, so the slot itself
// needs no lock. Ticks and flags that another thread reads while the owner
// writes them are atomics (aligned 32-bit values written whole).
#pragma once

#include <atomic>
#include <cstdint>

#include "core/settings/settings.h"

namespace tesselog {

constexpr int ConsoleSentenceSize = 100;

// LoggingState values.
constexpr int32_t LoggingMonitoring = 0;  // no data file open
constexpr int32_t LoggingStandBy = -1;    // file open, recording paused
constexpr int32_t LoggingRecording = 1;   // recording

struct ConsoleStreams {
    char ConsoleSentence[MaxConsoles][ConsoleSentenceSize] = {};
    std::atomic<uint32_t> ConsoleLastDataTick[MaxConsoles] = {};
    std::atomic<int32_t> ConsoleBreakLogged[MaxConsoles] = {};
    std::atomic<int32_t> ConsoleInBreak[MaxConsoles] = {};
    std::atomic<int32_t> ConsolePortOpen[MaxConsoles] = {};  // 0 closed, 1 open, 2 reader running
    // Set by the user-interface thread after the computer woke: the reader
    // opens its port again at its next pass, whatever the silence.
    std::atomic<int32_t> ConsoleReopenAsked[MaxConsoles] = {};
    int32_t ConsoleMinSentence[MaxConsoles] = {};

    // Number of configured consoles now in a connection break (GPS trailer).
    int ConsolesInBreak(int consoleCount) const {
        int n = 0;
        for (int k = 0; k < consoleCount && k < MaxConsoles; ++k) n += ConsoleInBreak[k].load() == 1;
        return n;
    }
};

struct LoggingStatus {
    std::atomic<int32_t> LoggingState{LoggingMonitoring};
    uint32_t LoggingStartTick = 0;             // tick of the current Go
    std::atomic<uint32_t> RecordStartTick{0};  // GPS sentences older than this are not written
};

}  // namespace tesselog
