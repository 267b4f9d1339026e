// The writers of the data file. Each Format* function builds the exact bytes
// of a record or record group (27 bytes per record, LF in column 26) from its
// inputs alone; each Write* method of DataFileWriter reads the program state
// it needs and sends the whole record or group with one DataFile::Append, so
// a crash leaves whole records behind and the GPS reader's groups never
// interleave with the user-interface thread's records.
//
// Values too wide for their columns are clamped to what the column can show:
// "%7.3f" to -99.999..999.999, "%11.2f" to -9999999.99..99999999.99,
// "%11.3f" to -999999.999..9999999.999, "%14.3f" to
// -999999999.999..9999999999.999, a digit field ("%1d") to 0..9, "%02d" to
// -9..99, "%03d" to -99..999, "%04d" to -999..9999; a value that is not a
// number is written as 0. So no field ever runs into the next one, every
// later field keeps its columns, and the readers of the header and the line
// block still find every value where they look for it. A clamped value is
// visibly the largest the column holds rather than silently a wrong one.
// Text fields (file name, line text, event text) are cut to their columns.
#pragma once

#include <cstdint>
#include <string>

#include "core/datafile/data_file.h"
#include "core/datafile/record_layout.h"
#include "core/datafile/stream_state.h"
#include "core/platform/clock.h"
#include "core/settings/settings.h"

namespace tesselog {

// What the file header needs besides the settings.
struct HeaderContext {
    std::string DataFileName;           // the file's name without folder and extension
    double MapReferenceEasting = 0.0;   // antenna at the first valid fix, display unit; 0 before
    double MapReferenceNorthing = 0.0;
    int32_t UtmZoneOfFile = -9;         // -9 while no zone is fixed
};

// --- Pure formatting: the bytes of each record or group ---

// Identification, H and four G records (6 records). appended = 0 gives
// "TESSEL  W", any other value "rESSEL  W".
std::string FormatFileHeader(int appended, const Settings& settings, const HeaderContext& header);
// L, B, A, Z (4 records) with the date and time of `now`.
std::string FormatLineHeader(const Settings& settings, const LocalTime& now);
std::string FormatTimeRecord(uint32_t tick, const LocalTime& now);
std::string FormatStationRecord(double station, const LocalTime& now);
// The low byte of each of the first 11 characters of `text`.
std::string FormatEventRecord(const std::string& text, uint8_t type, uint32_t tick);
std::string FormatEventRecord(const std::wstring& text, uint8_t type, uint32_t tick);
// first = 'X': one record, no trailer. Otherwise pieces of 25 characters, the
// first in a `first` record, the others in `next` records, then the trailer
// with the number of consoles in break (one digit) and the tick.
std::string FormatGpsRecords(const std::string& sentence, uint8_t first, uint8_t next, int consolesInBreak,
                             uint32_t tick);
// Group 0: one record opening a segment; groups 1..4: four records with the
// letters a..d, e..h, i..l, m..p. Any other group gives no bytes.
std::string FormatSegmentRecords(int group, double value0, double value1, double value2, double value3);

// "%1dCONN BRK %1d" with the console number 1..9 in both places.
std::string ConsoleBreakText(int consoleNumber);

// True when a GPS sentence whose "$" arrived at `tick` started before the
// recording did (Go took `recordStartTick`). Ticks wrap after 49.7 days, so
// they are compared by their signed 32-bit difference, not by value: a tick
// is before the start when tick - recordStartTick, taken as int32_t, is
// negative. That holds for sentences up to 24.8 days either side of Go; a
// recording never lasts that long (a file ends at 28800 GPS positions).
inline bool IsBeforeRecordStart(uint32_t tick, uint32_t recordStartTick) {
    return static_cast<int32_t>(tick - recordStartTick) < 0;
}

// --- Writers: one Append per record or group ---

class DataFileWriter {
public:
    DataFileWriter(DataFile& file, const Settings& settings, Clock& clock, const ConsoleStreams& consoles,
                   const LoggingStatus& logging)
        : file_(file), settings_(settings), clock_(clock), consoles_(consoles), logging_(logging) {}

    void WriteFileHeader(int appended, const HeaderContext& header);
    // The local date and time are read once.
    void WriteLineHeader();
    // The tick is read first, then the local time.
    void WriteTimeRecord();
    // CurrentStation with the local time at writing.
    void WriteStationRecord();
    void WriteEventRecord(const std::string& text, uint8_t type);
    void WriteEventRecord(const std::wstring& text, uint8_t type);
    // Called by the GPS reader thread too: reads only the console count, the
    // break flags and RecordStartTick. Nothing is written for a sentence that
    // started before Go.
    void WriteGpsRecords(const std::string& sentence, uint32_t tick, uint8_t first, uint8_t next);
    void WriteSegmentRecords(int group, double value0, double value1, double value2, double value3);

    // The start of a new file or of a header appended to an existing one:
    // file header, line block and clock record, eleven records.
    void WriteHeaderBlock(int appended, const HeaderContext& header);

    DataFile& File() { return file_; }
    Clock& Time() { return clock_; }

private:
    DataFile& file_;
    const Settings& settings_;
    Clock& clock_;
    const ConsoleStreams& consoles_;
    const LoggingStatus& logging_;
};

}  // namespace tesselog
