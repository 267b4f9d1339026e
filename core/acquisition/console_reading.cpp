#include "core/acquisition/console_reading.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/datafile/record_layout.h"

namespace tesselog {
namespace {

// Rows beyond this are saturated, so that a wild reading (or a scale of zero
// width) cannot overflow the pixel arithmetic of the panes. Within it, rows
// outside the pane are left for the drawing to clip.
constexpr double PixelRowLimit = 1000000.0;

// The reading record: "$P", then the sentence from its sixth character as
// far as it fits, then the tick.
constexpr int ReadingTextColumn = ReadingColumns::Values.first;
constexpr int ReadingTextWidth = ReadingColumns::Values.width;
constexpr int ReadingTickColumn = TickColumns.first;
constexpr int SentenceValuesStart = 5;  // the comma after "$PBAR"

bool IsNumericCharacter(char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; }

int32_t TruncatedRow(double row) {
    if (std::isnan(row)) return 0;
    if (row > PixelRowLimit) return static_cast<int32_t>(PixelRowLimit);
    if (row < -PixelRowLimit) return static_cast<int32_t>(-PixelRowLimit);
    return static_cast<int32_t>(row);  // toward zero
}

// Value of field n of the sentence, 0.0 when it is missing or has no number.
double FieldValue(const char* sentence, size_t length, int n) {
    char token[ConsoleSentenceSize];
    if (GetNumericField(sentence, length, n, ',', token, sizeof token) != 1 || token[0] == 0) return 0.0;
    return LeadingNumber(token);
}

void QueueColourIndex(ConsoleReadingState& state, const Settings& settings, int sensor, int bank, double value) {
    if (sensor < 0 || sensor >= MaxSensors) return;
    int32_t& count = state.AmplitudeCount[sensor];
    // A full bank (GPS fixes have stopped arriving while recording) drops
    // further indices until the GPS position handler flips the banks.
    if (count < 0 || count >= AmplitudeBankSize) return;
    state.AmplitudeQueue[sensor][bank][count] =
        ColourIndexOf(value, settings.ReadingsScaleMin, state.ColourStep, state.MaxColourIndex);
    ++count;
}

void AdvanceConsoleOne(ConsoleReadingContext& c) {
    ConsoleReadingState& state = c.state;
    Settings& settings = c.settings;

    if (settings.AudioTicks == 1) {
        // Sounds with the 1st, 5th, 9th ... recorded console-1 reading.
        if (state.AudioTickCounter == 0) {
            c.sound.Play(SoundId::Result);
            state.AudioTickCounter = 1;
        } else if (++state.AudioTickCounter >= 4) {
            state.AudioTickCounter = 0;
        }
    }

    // The first reading after a station was set is taken at that station.
    if (state.StationStarted == 1) settings.CurrentStation += settings.StationIncrement;
    ++state.LineStationCount;
    ++state.TotalStationCount;
    state.StationStarted = 1;

    StationFieldTexts stations;
    std::snprintf(stations.Station, sizeof stations.Station, "%-11.2f", settings.CurrentStation);
    std::snprintf(stations.LineCount, sizeof stations.LineCount, "%-6d", static_cast<int>(state.LineStationCount));
    std::snprintf(stations.TotalCount, sizeof stations.TotalCount, "%-7d",
                  static_cast<int>(state.TotalStationCount));
    c.display.ShowStationFields(stations);

    // Unsigned differences keep the times right across a wrap of the tick.
    uint32_t since = c.clock.Tick() - c.logging.LoggingStartTick;
    state.LineTimeMs = state.LineTimeBefore + since;
    state.TotalTimeMs = state.TotalTimeBefore + since;
    state.LineTime = SplitElapsedTime(state.LineTimeMs);
    state.TotalTime = SplitElapsedTime(state.TotalTimeMs);
    TimeFieldTexts times;
    FormatElapsedTime(state.LineTime, times.Line, sizeof times.Line);
    FormatElapsedTime(state.TotalTime, times.Total, sizeof times.Total);
    c.display.ShowTimeFields(times);
}

}  // namespace

int GetNumericField(const char* text, size_t length, int n, char separator, char* out, size_t outSize) {
    if (outSize > 0) out[0] = 0;
    size_t p = 0;
    int fields = 0;
    for (;;) {
        while (p < length && !IsNumericCharacter(text[p])) ++p;
        if (p >= length) return 0;
        size_t m = 0;
        while (p + m < length && text[p + m] != separator) ++m;
        if (++fields == n) {
            if (m == 0 || outSize == 0) return 0;
            size_t copied = m < outSize - 1 ? m : outSize - 1;
            std::memcpy(out, text + p, copied);
            out[copied] = 0;
            return 1;
        }
        p += m + 1;  // past the separator
        if (p > length) return 0;
    }
}

double LeadingNumber(const char* token) {
    const char* p = token;
    if (*p == '+' || *p == '-') ++p;
    // strtod would also read hexadecimal, "inf" and "nan"; the decimal reading
    // of "0x..." is the 0 before the x.
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return 0.0;
    if (!((*p >= '0' && *p <= '9') || *p == '.')) return 0.0;
    // The usual plain decimal of up to 15 digits is read here: its digits
    // as a whole number, divided by a power of ten, are both exact in a
    // double, so the one rounding of the division gives what strtod gives.
    static const double Tens[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    int64_t whole = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    for (const char* q = p;; ++q) {
        if (*q >= '0' && *q <= '9') {
            if (++digits > 15) break;
            whole = whole * 10 + (*q - '0');
            if (point) ++decimals;
        } else if (*q == '.' && !point) {
            point = true;
        } else if (*q != 'e' && *q != 'E' && digits > 0) {
            const double value = double(whole) / Tens[decimals];
            return token[0] == '-' ? -value : value;
        } else {
            break;
        }
    }
    return std::strtod(token, nullptr);
}

int32_t ColourIndexOf(double value, double scaleMin, double colourStep, int32_t maxIndex) {
    double index = (value - scaleMin) / colourStep;
    if (!(index >= 0.0)) return 0;  // negative, or not a number (a zero step)
    if (index > static_cast<double>(maxIndex)) return maxIndex;
    return static_cast<int32_t>(index);
}

void ReadingToPixels(const Settings& settings, int k, double value1, double value2, int32_t profileRows[2],
                     int32_t decayRows[2]) {
    profileRows[0] = TruncatedRow((settings.ReadingsScaleMax - value1) * settings.ReadingsPixelsPerUnit);
    decayRows[0] = TruncatedRow((settings.ReadingsScaleMax - value1) * settings.DecayPixelsPerUnit);
    if (k >= 0 && k < MaxConsoles && settings.ConsoleType[k] == 1) {
        profileRows[1] = TruncatedRow((settings.ReadingsScaleMax - value2) * settings.ReadingsPixelsPerUnit);
        decayRows[1] = TruncatedRow((settings.ReadingsScaleMax - value2) * settings.DecayPixelsPerUnit);
    }
}

ElapsedTime SplitElapsedTime(uint32_t ms) {
    uint32_t secs = ms / 1000;
    ElapsedTime t;
    t.Hours = static_cast<int32_t>(secs / 3600);
    t.Minutes = static_cast<int32_t>((secs % 3600) / 60);
    t.Seconds = static_cast<int32_t>(secs % 3600) - 60 * t.Minutes;
    return t;
}

void FormatElapsedTime(const ElapsedTime& time, char* out, size_t outSize) {
    std::snprintf(out, outSize, "%02d:%02d:%02d", static_cast<int>(time.Hours), static_cast<int>(time.Minutes),
                  static_cast<int>(time.Seconds));
}

void ConsoleReadingHandler(int k, ConsoleReadingContext& c) {
    if (k < 0 || k >= MaxConsoles) return;
    const Settings& settings = c.settings;
    ConsoleReadingState& state = c.state;
    const char* sentence = c.streams.ConsoleSentence[k];
    // The reader always terminates the slot; the bound is for safety only.
    const void* nul = std::memchr(sentence, 0, ConsoleSentenceSize);
    size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - sentence) : ConsoleSentenceSize - 1;
    int32_t type = settings.ConsoleType[k];

    double value1 = 0.0;
    double value2 = 0.0;
    if (type == 1) value2 = FieldValue(sentence, length, 2);
    value1 = FieldValue(sentence, length, 1);

    char record[RecordLength + 1];
    std::memset(record, ' ', RecordLength);
    record[RecordLength] = 0;
    record[0] = static_cast<char>(state.ConsoleRecordTag[k]);
    for (size_t i = 0; i < 2 && i < length; ++i) record[ReadingColumns::Prefix.first + i] = sentence[i];
    // Only the 13 characters that fit before the tick field are kept.
    for (size_t i = SentenceValuesStart, column = ReadingTextColumn;
         i < length && column < ReadingTextColumn + ReadingTextWidth; ++i, ++column)
        record[column] = sentence[i];

    int32_t profileRows[2] = {0, 0};
    int32_t decayRows[2] = {0, 0};
    ReadingToPixels(settings, k, value1, value2, profileRows, decayRows);

    if (c.logging.LoggingState.load() == LoggingRecording) {
        int bank = state.AmplitudeBank;
        if (settings.MapDisplayType > 0 && state.AmplitudeQueueOn == 1 && (bank == 0 || bank == 1)) {
            int s = state.ConsoleFirstSensor[k];
            if (type == 1) {
                QueueColourIndex(state, settings, s + 1, bank, value2);
                QueueColourIndex(state, settings, s, bank, value1);
            } else if (type == 0) {
                QueueColourIndex(state, settings, s, bank, value1);
            }
        }

        // snprintf puts its NUL into column 26, which then takes the LF.
        std::snprintf(record + ReadingTickColumn, RecordLength - ReadingTickColumn, "%10lu",
                      static_cast<unsigned long>(c.streams.ConsoleLastDataTick[k].load()));
        record[RecordLfColumn] = '\n';
        c.dataFile.Append(record, RecordLength);

        if (k == 0) AdvanceConsoleOne(c);
        c.display.DrawProfile(k, profileRows);
        if (c.watcher) c.watcher->OnReading(k, c.streams.ConsoleLastDataTick[k].load(), value1, value2, sentence, length);
    }

    c.display.DrawNumbers(k, value1, value2);
    c.display.DrawSecondPlot(k, decayRows);
    c.streams.ConsoleSentence[k][0] = 0;
}

void SetConsoleFirstSensors(ConsoleReadingState& state, const Settings& settings) {
    int32_t first = 0;
    for (int k = 0; k < MaxConsoles; ++k) {
        state.ConsoleFirstSensor[k] = first;
        first += settings.ConsoleSensorCount[k];
    }
}

void SetColourStep(ConsoleReadingState& state, const Settings& settings) {
    state.ColourStep = (settings.ReadingsScaleMax - settings.ReadingsScaleMin) / ColourClassCount;
}

}  // namespace tesselog
