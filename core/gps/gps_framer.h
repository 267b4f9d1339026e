// Framing of the GPS port's byte stream into lines and sentences. The framer
// is fed one byte at a time with the tick at which the byte arrived and knows
// nothing of threads or ports: the Win32 reader thread feeds it what the port
// delivers, the replays and the tests feed it recorded bytes. For every
// finished line it says what the reader does next:
//
//   if (framer.Feed(byte, clock.Tick())) {
//       const GpsLine& line = framer.Line();
//       if (line.PassedOn) /* send MSG_GPS_DATA and wait */;
//       WriteGpsLine(writer, logging, line);   // after the handler has returned
//   }
//
// Lines: "$" restarts the line (whatever was collected is dropped without a
// record) and takes its tick; a LF finishes a non-empty line and drops the
// byte before it (the CR); a line that grows past 200 bytes without a LF
// starts over from empty. A finished line is a sentence when it starts with
// "$" and, where the mode requires it, carries a correct checksum: the XOR of
// the bytes between "$" and the first "*", against the leading hexadecimal
// digits (either case) after that "*".
//
// Long sentences: `GpsSentence` holds 127 characters. A line of 128 to 200
// characters that passes the other tests is rejected like a malformed line
// (markers '?' '"', `GpsSentenceReady` 0, and it does not keep the connection
// alive) rather than cut: NMEA sentences are at most 82 characters, so such a
// line is not one this program reads, and a cut position sentence would hand
// the handler a fix whose last fields (dilution, a unit letter) are missing
// or half there. The record still carries the whole line, because the
// last-line copy that the records are written from holds 255 characters.
//
// NUL bytes: the sentence slot and the records are C strings, so a line ends
// at its first NUL byte for every test that follows and for its record.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/acquisition/acquisition_state.h"
#include "core/gps/nmea_mode.h"

namespace tesselog {

class DataFileWriter;

constexpr int GpsSentenceSize = 128;         // `GpsSentence`: at most 127 characters and the NUL
constexpr int GpsLineBufferSize = 256;
constexpr int GpsLineRestartCount = 200;     // a line longer than this without a LF starts over
constexpr uint32_t GpsConnectionBreakMs = 3000;

// Shared between the GPS reader thread and the user-interface thread. The
// reader fills GpsSentence and then waits in a synchronous MSG_GPS_DATA until
// the position handler has run, so the slot needs no lock; the flags are
// polled by the other side.
struct GpsStreams {
    char GpsSentence[GpsSentenceSize] = {};
    std::atomic<int32_t> GpsSentenceReady{0};   // 1 after an accepted sentence, 0 after a rejected line
    std::atomic<uint32_t> GpsSentenceTick{0};   // tick of the current sentence's "$"
    std::atomic<int32_t> GpsReaderRun{0};       // the stop code clears it
    std::atomic<int32_t> GpsConnectionBroken{0};
    std::atomic<int32_t> GpsPortOpen{0};        // 0 closed, 1 open, 2 reader running
    std::atomic<int32_t> GpsReopenAsked{0};     // after a sleep: the port opened again, no record
    std::atomic<uint32_t> GpsBreaksRecorded{0};  // "GPS CONN BRK" records the reader wrote
};

// What became of one finished line.
struct GpsLine {
    bool Accepted = false;   // into GpsSentence
    bool PassedOn = false;   // hand it to the logging window (MSG_GPS_DATA)
    uint8_t First = 0;       // record markers: '?' '"' rejected, '@' '#' passed on, 'X' '#' other
    uint8_t Next = 0;
    uint32_t Tick = 0;       // the records' tick: the "$" of the line, or its end without a "$"
    std::string_view Text;   // the line without CR LF; valid until the next line is finished
};

class GpsFramer {
public:
    GpsFramer(GpsStreams& streams, const NmeaModeTable& mode) : streams_(streams), mode_(mode) {}

    // The reader's start: both line buffers cleared, the 3000 ms window
    // starting now.
    void Start(uint32_t now);

    // Feeds one byte that arrived at `now`. True when it finished a line;
    // Line() then says what became of it.
    bool Feed(uint8_t byte, uint32_t now);

    // Feeds a span of bytes that all arrived at `now` and calls
    // onLine(const GpsLine&) for every finished line.
    template <typename OnLine>
    void Feed(const uint8_t* bytes, size_t n, uint32_t now, OnLine&& onLine) {
        for (size_t i = 0; i < n; ++i)
            if (Feed(bytes[i], now)) onLine(line_);
    }

    const GpsLine& Line() const { return line_; }

    // Tick of the last accepted sentence (of any type), of Start, or of the
    // end of the last connection break (SetLastAcceptedTick).
    uint32_t LastAcceptedTick() const { return lastAcceptedTick_; }
    void SetLastAcceptedTick(uint32_t tick) { lastAcceptedTick_ = tick; }

    const NmeaModeTable& Mode() const { return mode_; }

private:
    void Finish(size_t length, uint32_t now);
    void Reject(std::string_view text);

    GpsStreams& streams_;
    NmeaModeTable mode_;
    uint8_t buffer_[GpsLineBufferSize] = {};
    int count_ = 0;
    char lastLine_[GpsLineBufferSize] = {};
    uint32_t lastAcceptedTick_ = 0;
    GpsLine line_;
};

// True when the text between "$" and its first "*" XORs to the leading
// hexadecimal number after the "*". False without a "*" or without the "$".
bool GpsChecksumMatches(std::string_view sentence);

// The reader's check before each burst of reads: no sentence accepted for
// more than 3000 ms (unsigned tick difference, so the tick may wrap) and no
// break being handled.
inline bool GpsConnectionBreakDue(uint32_t now, uint32_t lastAcceptedTick, int32_t gpsConnectionBroken) {
    return gpsConnectionBroken == 0 && now - lastAcceptedTick > GpsConnectionBreakMs;
}

// The records of a finished line, written while recording (LoggingState 1),
// after the position handler has returned. WriteGpsRecords itself skips a
// line whose "$" arrived before Go.
void WriteGpsLine(DataFileWriter& writer, const LoggingStatus& logging, const GpsLine& line);

}  // namespace tesselog
