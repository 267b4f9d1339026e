// The bytes of a serial port for a reader thread that sleeps until they come.
// The port is opened for overlapped reads without time-outs (PortReading::
// Awaited), so a one-byte read stays pending until a byte arrives, and the
// thread waits on its event for at most the time its loop gives: a silent
// port costs no wake-up at all between the loop's own deadlines (the 3000 ms
// of a reopen or a break). When the byte has come, whatever else the port
// holds is taken in the same go and handed out one byte at a time. Closing
// the handle, from any thread, ends a pending read at once: the stop of the
// logging screen is noticed without waiting for a time-out.
//
// What Wine 8 does on a pty, measured: an overlapped read of N bytes ends
// when N bytes came, whatever the port's time-outs (so the read asks for one
// byte and then for what ClearCommError says is waiting); a close ends the
// pending read at once; a pty whose far end hung up fails the read at once.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tesselog::win32 {

class PortByteWaiter {
public:
    PortByteWaiter();
    ~PortByteWaiter();
    PortByteWaiter(const PortByteWaiter&) = delete;
    PortByteWaiter& operator=(const PortByteWaiter&) = delete;

    enum class Result { Byte, Nothing, Failed };

    // The next byte of `port`: one already taken, or the first to come within
    // waitMs. Nothing when the time passed without a byte (the read stays
    // pending for the next call); Failed when the port is closed, gone or its
    // line hung up.
    Result ReadByte(HANDLE port, uint8_t& byte, uint32_t waitMs);

    // Drops the bytes taken but not yet handed out (with a purge of the port).
    void Discard() { next_ = end_ = 0; }

    // After the port's handle was closed: waits for the pending read, which
    // the close ends, so that nothing is left writing into this object.
    void FinishAfterClose();

private:
    // The bytes the port holds after the first one, in one read.
    void TakeWaiting(HANDLE port);

    static constexpr DWORD BufferSize = 512;
    OVERLAPPED overlapped_{};
    HANDLE event_;
    bool pending_ = false;
    uint8_t first_ = 0;
    uint8_t buffer_[BufferSize] = {};
    DWORD next_ = 0;
    DWORD end_ = 0;
};

}  // namespace tesselog::win32
