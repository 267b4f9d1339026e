// Any lines handed to the GPS position handler, as the reader hands them
// over in the mode picked by the first byte: each LF-separated line (cut to
// the 127 characters of the sentence slot) goes into GpsSentence and through
// OnGpsData, with no checksum test in front, so every field of every slot
// can be missing, empty, wild or not a number. Aborts when the slot is not
// emptied, when a usable fix has a position that is not a number, when the
// indicator phase or the filling bank leave their two values, when a closed
// epoch is not what the queue held, or when the file limit is passed without
// the handler stopping the recording.
//
// Input: byte 0 the mode, byte 1 the settings variant, the rest the lines.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/gps/position_handler.h"
#include "fresh_state.h"

using namespace tesselog;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int32_t nmeaMode = data[0] % NmeaModeCount;
    const uint8_t variant = data[1];
    data += 2;
    size -= 2;

    Settings settings;
    settings.NmeaMode = nmeaMode;
    settings.CoordinateDisplay = variant & 3;
    settings.DisplayUnits = (variant >> 2) % 3;
    settings.SpeedUnits = (variant >> 4) & 3;
    settings.MapDisplayType = (variant >> 6) & 1;
    const NmeaModeTable mode = ApplyNmeaMode(nmeaMode);
    GpsStreams streams;
    LoggingStatus logging;
    logging.LoggingState = (variant & 0x80) ? LoggingStandBy : LoggingRecording;
    ConsoleReadingState& readings = FreshState<ConsoleReadingState>();
    GpsPositionState state;
    state.MaxGpsPositions = 5;
    UtmZoneState zone;
    bool screenUpdates = true;
    GpsFieldLayout layout;
    RecordingCanvas canvas;
    canvas.Keep = false;  // the texts are not checked
    SilentSoundPlayer sound;
    GpsMapDrawing map;
    GpsScreenHooks screen;
    GpsPositionContext context{settings, mode,   streams, logging, readings,  state, zone, screenUpdates, false,
                               layout,   canvas, sound,   map,     screen};

    size_t at = 0;
    int line = 0;
    while (at < size) {
        const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data + at, '\n', size - at));
        const size_t length = (end ? static_cast<size_t>(end - data) : size) - at;
        const size_t kept = length < GpsSentenceSize - 1 ? length : GpsSentenceSize - 1;
        std::memcpy(streams.GpsSentence, data + at, kept);
        streams.GpsSentence[kept] = 0;
        at += length + 1;

        // Readings queued between fixes, so that epochs have something to close.
        for (int k = 0; k < MaxSensors; ++k) readings.AmplitudeCount[k] = (line + k) % 3;
        const int32_t countBefore = state.GpsPositionCount;
        const int32_t loggingBefore = logging.LoggingState.load();
        const int32_t bankBefore = readings.AmplitudeBank;

        const GpsDataOutcome outcome = OnGpsData(context);

        Check(streams.GpsSentence[0] == 0);
        Check(state.GpsIndicatorPhase == '/' || state.GpsIndicatorPhase == '\\');
        Check(readings.AmplitudeBank == 0 || readings.AmplitudeBank == 1);
        Check(outcome.FixValid == (outcome.PositionSentence && state.GpsFixValid == 1));
        if (outcome.FixValid) {
            Check(std::isfinite(outcome.Northing) && std::isfinite(outcome.Easting));
            Check(!std::isnan(outcome.StepDistance) && outcome.StepDistance >= 0.0);
            Check(state.FirstFixSeen == 1);
        }
        if (readings.AmplitudeBank != bankBefore) {
            Check(state.ClosedEpochBuffer == bankBefore);
            for (int k = 0; k < settings.SensorTotal(); ++k)
                Check(state.ClosedEpochLastIndex[k] == (line + k) % 3 - 1 && readings.AmplitudeCount[k] == 0);
        }
        const bool counted = outcome.PositionSentence && loggingBefore == LoggingRecording;
        Check(state.GpsPositionCount == countBefore + (counted ? 1 : 0));
        Check(outcome.PositionLimitReached == (counted && state.GpsPositionCount >= state.MaxGpsPositions));
        if (outcome.PositionLimitReached) {
            // The handler stops the recording; holding the screen back is the session's.
            Check(logging.LoggingState.load() == LoggingMonitoring && screenUpdates);
            // A new file: recording again.
            state.GpsPositionCount = 0;
            logging.LoggingState = LoggingRecording;
        }
        ++line;
    }
    return 0;
}
