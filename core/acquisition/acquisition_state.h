// Program-wide acquisition state: the streams and logging status the reader
// threads share (stream_state.h, where the data file's writers read them)
// and the console reading handlers' own state on the user-interface thread.
// Console index k = 0..8 stands for consoles 1..9.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/datafile/record_layout.h"
#include "core/datafile/stream_state.h"
#include "core/settings/settings.h"

namespace tesselog {

// Colour-map queue sizes: 50 colour classes, two banks of 500 indices per sensor.
constexpr int ColourClassCount = 50;
constexpr int AmplitudeBankSize = 500;

// Hours, minutes and seconds of an elapsed time, kept for the repaint of the
// logging screen's time fields.
struct ElapsedTime {
    int32_t Hours = 0;
    int32_t Minutes = 0;
    int32_t Seconds = 0;
};

// State of the console reading handlers, owned by the user-interface thread.
// The GPS position handler flips AmplitudeBank and drains the other bank; the
// logging commands reset the station flag, the counters and the time bases.
struct ConsoleReadingState {
    uint8_t ConsoleRecordTag[MaxConsoles];
    int32_t ConsoleFirstSensor[MaxConsoles] = {};  // set when logging starts
    int32_t AmplitudeQueue[MaxSensors][2][AmplitudeBankSize] = {};
    int32_t AmplitudeCount[MaxSensors] = {};       // indices queued in the bank being filled
    int32_t AmplitudeBank = 0;                     // bank being filled, 0 or 1
    int32_t AmplitudeQueueOn = 0;                  // 0 at Go, set by the GPS position handler
    double ColourStep = 0.0;                       // reading units per colour class
    int32_t MaxColourIndex = ColourClassCount - 1;
    int32_t AudioTickCounter = 0;                  // 0..3, never reset
    int32_t StationStarted = 0;
    int32_t LineStationCount = 0;
    int32_t TotalStationCount = 0;
    uint32_t LineTimeBefore = 0;                   // ms recorded before the current Go
    uint32_t TotalTimeBefore = 0;
    uint32_t LineTimeMs = 0;
    uint32_t TotalTimeMs = 0;
    ElapsedTime LineTime;                          // LineTimeMs split for the repaint
    ElapsedTime TotalTime;

    ConsoleReadingState() {
        std::memcpy(ConsoleRecordTag, tesselog::ConsoleRecordTag, sizeof ConsoleRecordTag);
    }
};

}  // namespace tesselog
