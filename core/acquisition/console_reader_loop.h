// The loop of a console's reader thread, without threads or ports: the Win32
// reader thread (windows/console_reader.h) runs it on the real port, the
// tests on a scripted one with a manual clock. It waits for the console's
// bytes and takes them one at a time, frames them (ConsoleReader), and for
// every accepted sentence stores the arrival tick and the sentence in the
// console's slot, ends any connection break of that console and hands over
// with a synchronous MSG_CONSOLE_DATA: the slot is not touched again until
// the handler has returned.
//
// A wait for a byte lasts at most until the loop has something to do by the
// clock (the reopen below), so a silent port wakes the thread once in three
// seconds instead of a hundred times a second. The loop runs while the
// console's port handle is valid; the stop code makes the handle invalid and
// closes the port, which ends a wait at once. The thread is never killed.
//
// An unplugged USB serial adapter: the old handle refers to a device that is
// gone and reads nothing (or fails) for ever, and the adapter plugged back in
// is a new device under the same name. So when no sentence has been accepted
// for more than 3000 ms the loop closes the port (retried for up to 500 ms)
// and opens it again, configured as at the first open, without a message,
// then purges it and sets the event mask as at the start. While the device
// stays gone every 1000 ms brings one more try, so that a console plugged
// back in loses at most a second more; reads in between fail at once and
// wait 10 ms each. The reopen writes and shows nothing: the
// connection watch reports the break, and the first accepted sentence ends
// it as always. After the computer slept the user-interface thread asks for
// the same reopen at once (ConsoleReopenAsked): a USB adapter comes back
// from a sleep as a new device too.
#pragma once

#include <cstdint>

#include "core/acquisition/acquisition_state.h"
#include "core/acquisition/console_framer.h"
#include "core/platform/clock.h"
#include "core/settings/settings.h"

namespace tesselog {

enum class ConsoleReadResult {
    Byte,     // one byte came
    Nothing,  // the read time-out passed without a byte
    Failed,   // the read failed (closed or vanished port)
};

// One console's port, the logging window and the wait as the loop sees them.
class ConsoleReaderIo {
public:
    virtual ~ConsoleReaderIo() = default;
    // The stop code has not made ConsolePortHandle[k] invalid (a reopen that
    // found no device leaves the port closed but the reader running).
    virtual bool PortValid() = 0;
    // Pending output, then pending input discarded; the event mask set to
    // character-received only.
    virtual void PurgePort() = 0;
    virtual void SetEventMask() = 0;
    // One byte, waiting at most waitMs for it to come (Nothing when none
    // came). The stop's close ends the wait at once.
    virtual ConsoleReadResult ReadByte(uint8_t& byte, uint32_t waitMs) = 0;
    // MSG_CONSOLE_DATA for this console; returns when the handler has run.
    virtual void HandOver() = 0;
    virtual void Wait(uint32_t ms) = 0;
    // One try at closing the port for a reopen; true when it is closed (or
    // was not open, or the stop has closed it).
    virtual bool TryClosePort() = 0;
    // The port opened again, without a message and configured as at the
    // first open; true when it is open. False when the device is still gone,
    // when the close did not succeed, or when the stop came meanwhile, which
    // leaves the port closed.
    virtual bool ReopenPort() = 0;
};

// A read that fails at once (a pty whose far end hung up, a port being
// closed or gone) is followed by this wait, so that the loop never spins.
constexpr uint32_t ConsoleFailedReadWaitMs = 10;
// No accepted sentence for more than this: the port is opened again; and
// again after each further 1000 ms while the device stays gone.
constexpr uint32_t ConsoleReopenAfterMs = 3000;
constexpr uint32_t ConsoleReopenRetryMs = 1000;
constexpr uint32_t ConsoleCloseRetryMs = 500;  // the reopen's close is retried this long

class ConsoleReaderLoop {
public:
    // Sets ConsoleMinSentence[k] from ConsoleType[k] (the thread's first
    // step). k is 0..8.
    ConsoleReaderLoop(ConsoleStreams& streams, const Settings& settings, int k, ConsoleReaderIo& io,
                      Clock& clock);

    // Start, passes while the port handle is valid, End.
    void Run();

    // The pieces of Run, for the tests.
    void Start();  // ConsolePortOpen[k] 2, purge, event mask, silence counted from now
    void Pass();   // the reopen when due, else one read waiting until it is due; an accepted
                   // sentence is stored and handed over
    void End();    // ConsolePortOpen[k] 1, unless the stop code has set it to 0

    int Console() const { return k_; }

private:
    bool Reopen();  // true when the port is open again

    ConsoleStreams& streams_;
    int k_;
    ConsoleReaderIo& io_;
    Clock& clock_;
    ConsoleReader reader_;
    uint32_t silenceStart_ = 0;  // tick of the last accepted sentence, start or reopen try
    uint32_t reopenDueMs_ = ConsoleReopenAfterMs;  // silence before the next try
};

}  // namespace tesselog
