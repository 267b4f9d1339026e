// The GPS reader's loop, without threads or ports: the Win32 reader thread
// runs it on the real port (windows/gps_reader.h), the tests on a scripted
// one with a manual clock. It waits for the receiver's bytes and takes them
// one at a time, feeds the framer, hands every position sentence to the
// logging window and waits until the position handler has run, writes each
// line's records while recording, and raises a connection break when no
// sentence has been accepted for 3000 ms.
//
// Connection break: the "GPS CONN BRK" event record while recording, the
// ring when DisconnectAlarm is 1, the six GPS status fields filled red, the
// port closed (retried for up to 500 ms), opened again without a message
// (unless the stop came meanwhile), and reading resumes; the 3000 ms window
// starts anew at its end, so a receiver that stays silent gives one break
// every 3 s, not a flood.
//
// A wait for a byte lasts at most until the break is due, so a silent
// receiver wakes the thread once in three seconds; the stop's close ends a
// wait at once. The loop never spins on a dead port: after a reopen whose
// device is gone, or after the stop code closed the port, every read fails
// at once, so a failed read ends the burst with a 10 ms wait.
#pragma once

#include <cstdint>

#include "core/acquisition/acquisition_state.h"
#include "core/gps/gps_framer.h"
#include "core/platform/clock.h"
#include "core/platform/sound.h"

namespace tesselog {

class DataFileWriter;

enum class GpsReadResult {
    Byte,     // one byte came
    Nothing,  // the read time-out passed without a byte
    Failed,   // the read failed (closed or vanished port)
};

// The port, the logging window and the wait as the loop sees them.
class GpsReaderIo {
public:
    virtual ~GpsReaderIo() = default;
    // One byte, waiting at most waitMs for it to come (Nothing when none
    // came). The stop's close ends the wait at once.
    virtual GpsReadResult ReadByte(uint8_t& byte, uint32_t waitMs) = 0;
    // Receive-character and break events (mask 0x41), set after every burst.
    virtual void SetEventMask() = 0;
    // MSG_GPS_DATA to the logging window; returns when the handler has run.
    virtual void HandOver() = 0;
    // The six GPS status fields of the logging window filled red.
    virtual void ShowConnectionBreak() = 0;
    // One try at closing the port; true when it is closed (or was not open).
    virtual bool TryClosePort() = 0;
    // The port opened once more with the same settings, without a message.
    virtual void ReopenPort() = 0;
    virtual void Wait(uint32_t ms) = 0;
};

constexpr uint32_t GpsCloseRetryMs = 500;    // the break's close is retried this long
constexpr uint32_t GpsFailedReadWaitMs = 10;
// A burst of reads also ends after this many bytes, so that a stream that
// never pauses (noise at the line rate) still lets the loop check its run
// flag and the 3000 ms window: about 1 s at 9600 baud.
constexpr int GpsMaxBurstBytes = 1024;

class GpsReaderLoop {
public:
    // writer may be null: then nothing is written. disconnectAlarm is the
    // setting `DisconnectAlarm` itself, read at each break, so that a change
    // in Audio Options while the screen is open counts from the next break.
    GpsReaderLoop(GpsStreams& streams, const NmeaModeTable& mode, GpsReaderIo& io, Clock& clock,
                  SoundPlayer& sounds, const LoggingStatus& logging, DataFileWriter* writer,
                  const int32_t& disconnectAlarm);

    // Start, passes while GpsReaderRun is 1, End. The starter sets
    // GpsReaderRun to 1 before the thread runs; the loop does not set it
    // itself, so a stop that comes before the thread got going is not undone.
    void Run();

    // The pieces of Run, for the tests.
    void Start();  // both line buffers cleared, GpsPortOpen 2, event mask, window from now
    void Pass();   // the break check, then one burst of reads, each waiting until the break is due
    void End();    // GpsPortOpen 1

    const GpsFramer& Framer() const { return framer_; }

private:
    void HandleConnectionBreak();
    void ReopenPort();  // closed (retried), opened again unless stopped; the break flag cleared

    GpsStreams& streams_;
    GpsFramer framer_;
    GpsReaderIo& io_;
    Clock& clock_;
    SoundPlayer& sounds_;
    const LoggingStatus& logging_;
    DataFileWriter* writer_;
    // An aligned 32-bit setting written only by the user-interface thread's
    // dialog; a plain read sees the old or the new value, either is right.
    const int32_t& disconnectAlarm_;
};

}  // namespace tesselog
