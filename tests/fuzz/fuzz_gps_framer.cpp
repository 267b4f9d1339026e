// Any byte stream on the GPS port, through the framer in the mode picked by
// the first byte (-1..9, so two modes out of range), every passed-on sentence
// through the decoder, and every finished line into an in-memory data file
// while recording. Aborts when the slot is not a terminated sentence of at
// most 127 characters, when a line's markers do not fit what became of it,
// when a decoded number is not finite, or when the file holds anything but
// whole 27-byte records.
//
// Input: byte 0 the mode, byte 1 the logging state and the tick step, the rest the stream.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/datafile/data_file_writers.h"
#include "core/gps/gps_decoder.h"
#include "core/gps/gps_framer.h"
#include "core/platform/memory_file_system.h"

using namespace tesselog;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckLine(const GpsLine& line, const GpsStreams& streams, const NmeaModeTable& mode) {
    Check(line.Text.size() <= static_cast<size_t>(GpsLineRestartCount));
    Check(std::memchr(line.Text.data(), 0, line.Text.size()) == nullptr);
    Check(std::memchr(streams.GpsSentence, 0, GpsSentenceSize) != nullptr);
    if (!line.Accepted) {
        Check(line.First == TypeGpsRejected && line.Next == TypeGpsRejectedNext && !line.PassedOn);
        Check(streams.GpsSentenceReady.load() == 0);
        return;
    }
    Check(streams.GpsSentenceReady.load() == 1);
    Check(line.Text.size() < static_cast<size_t>(GpsSentenceSize) && line.Text[0] == '$');
    Check(line.Text == streams.GpsSentence);
    if (mode.GpsChecksumRequired) Check(GpsChecksumMatches(line.Text));
    Check(line.PassedOn == IsPassedOn(line.Text, mode));
    Check(line.First == (line.PassedOn ? TypeGpsPosition : TypeEvent) && line.Next == TypeGpsPositionNext);
}

void CheckFix(const GpsFix& fix) {
    Check(fix.Valid == 0 || fix.Valid == 1);
    Check(std::isfinite(fix.Dilution) && std::isfinite(fix.Latitude) && std::isfinite(fix.Longitude));
    Check(std::isfinite(fix.Northing) && std::isfinite(fix.Easting) && std::isfinite(fix.TimeOfDay));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int32_t modeSetting = data[0] % 11 - 1;
    const uint8_t setup = data[1];
    data += 2;
    size -= 2;

    Settings settings;
    ConsoleStreams consoles;
    LoggingStatus logging;
    const int32_t states[] = {LoggingRecording, LoggingRecording, LoggingStandBy, LoggingMonitoring};
    logging.LoggingState = states[setup & 3];
    MemoryFileSystem fs;
    DataFile file(fs);
    const std::string path = "C:\\DATA\\FUZZ.GXY";
    if (!file.Open(path)) std::abort();
    ManualClock clock;
    DataFileWriter writer(file, settings, clock, consoles, logging);

    GpsStreams streams;
    const NmeaModeTable mode = ApplyNmeaMode(modeSetting);
    GpsFramer framer(streams, mode);
    uint32_t tick = 0xFFFFF000u;  // wraps during the run
    logging.RecordStartTick = tick + ((setup >> 2) & 7) * 100;
    const uint32_t step = 1 + (setup >> 5);
    framer.Start(tick);
    GpsFix fix;

    for (size_t i = 0; i < size; ++i, tick += step) {
        const uint32_t acceptedBefore = framer.LastAcceptedTick();
        if (!framer.Feed(data[i], tick)) {
            Check(framer.LastAcceptedTick() == acceptedBefore);
            continue;
        }
        const GpsLine& line = framer.Line();
        CheckLine(line, streams, mode);
        Check(framer.LastAcceptedTick() == (line.Accepted ? tick : acceptedBefore));
        if (line.PassedOn) {
            if (IsPositionSentence(streams.GpsSentence, mode)) {
                fix = DecodeGpsFix(streams.GpsSentence, mode, setup % 3, fix);
                CheckFix(fix);
            } else {
                DecodeGsaDilution(streams.GpsSentence, fix.Dilution);
                Check(std::isfinite(fix.Dilution));
            }
            streams.GpsSentence[0] = 0;  // as the handler leaves it
        }
        const size_t before = fs.Files[path].size();
        WriteGpsLine(writer, logging, line);
        const std::string& bytes = fs.Files[path];
        Check((bytes.size() - before) % RecordLength == 0);
        for (size_t at = before; at < bytes.size(); at += RecordLength) Check(bytes[at + RecordLfColumn] == '\n');
    }
    return 0;
}
