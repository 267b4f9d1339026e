// The console reading handler: turns console k's last sentence into its
// readings, shows them, and while recording queues their colour classes,
// writes the reading record and, for console 1, advances the station.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/acquisition/acquisition_state.h"
#include "core/datafile/data_file.h"
#include "core/platform/clock.h"
#include "core/platform/sound.h"
#include "core/settings/settings.h"

namespace tesselog {

// Field n (from 1) of a separated text, counting numeric tokens rather than
// separators: a token starts at the first of "+-.0123456789" and runs to the
// next separator. Returns 1 with the token in out (cut to outSize-1), or 0 with
// out empty.
int GetNumericField(const char* text, size_t length, int n, char separator, char* out, size_t outSize);

// The leading decimal number of a token ([sign] digits [. digits] [exponent]),
// 0.0 when there is none. Hexadecimal, "inf" and "nan" forms are not numbers
// here, so every platform reads a token the same way.
double LeadingNumber(const char* token);

// Colour class of a reading: trunc((value - scaleMin) / colourStep), 0 when
// negative (or not a number), maxIndex when above it.
int32_t ColourIndexOf(double value, double scaleMin, double colourStep, int32_t maxIndex);

// Profile and second-plot pane rows of the readings; row 0 is the top of the
// pane, where the scale maximum is. Rows of a one-sensor console's second
// sensor are left as they are.
void ReadingToPixels(const Settings& settings, int k, double value1, double value2, int32_t profileRows[2],
                     int32_t decayRows[2]);

// The texts of the logging screen's station and time fields.
struct StationFieldTexts {
    char Station[48];     // CurrentStation "%-11.2f"
    char LineCount[16];   // LineStationCount "%-6d"
    char TotalCount[16];  // TotalStationCount "%-7d"
};
struct TimeFieldTexts {
    char Line[24];   // "%02d:%02d:%02d"
    char Total[24];
};

// Splits milliseconds into hours, minutes and seconds.
ElapsedTime SplitElapsedTime(uint32_t ms);
void FormatElapsedTime(const ElapsedTime& time, char* out, size_t outSize);

// What the handler shows. The logging screen implements it; until then (and
// in tests, replays and fuzzing) the default draws nothing.
class ReadingDisplay {
public:
    virtual ~ReadingDisplay() = default;
    virtual void DrawNumbers(int /*k*/, double /*value1*/, double /*value2*/) {}
    virtual void DrawSecondPlot(int /*k*/, const int32_t /*decayRows*/[2]) {}
    virtual void DrawProfile(int /*k*/, const int32_t /*profileRows*/[2]) {}
    virtual void ShowStationFields(const StationFieldTexts& /*texts*/) {}
    virtual void ShowTimeFields(const TimeFieldTexts& /*texts*/) {}
};

// Who looks at each recorded reading before its slot is emptied (the field
// warnings): the console, the reading's tick, both values and the sentence.
class ReadingWatcher {
public:
    virtual ~ReadingWatcher() = default;
    virtual void OnReading(int k, uint32_t tick, double value1, double value2, const char* sentence,
                           size_t length) = 0;
};

// Everything the handler reads and changes, gathered by the logging screen.
struct ConsoleReadingContext {
    Settings& settings;  // CurrentStation advances here
    ConsoleStreams& streams;
    const LoggingStatus& logging;
    ConsoleReadingState& state;
    DataFile& dataFile;
    Clock& clock;
    SoundPlayer& sound;
    ReadingDisplay& display;
    ReadingWatcher* watcher = nullptr;  // while recording
};

// MSG_CONSOLE_DATA of console k (0..8): handles ConsoleSentence[k] and empties it.
void ConsoleReadingHandler(int k, ConsoleReadingContext& context);

// When logging starts: ConsoleFirstSensor (0 for console 1, then the previous
// console's first sensor plus its sensor count) and ColourStep.
void SetConsoleFirstSensors(ConsoleReadingState& state, const Settings& settings);
void SetColourStep(ConsoleReadingState& state, const Settings& settings);

}  // namespace tesselog
