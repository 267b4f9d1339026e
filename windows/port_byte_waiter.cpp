#include "windows/port_byte_waiter.h"

namespace tesselog::win32 {

namespace {

// A pending read that a close ended comes back within milliseconds; this
// only bounds a port driver that never ends it.
constexpr DWORD CloseEndsReadMs = 1000;

}  // namespace

PortByteWaiter::PortByteWaiter() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

PortByteWaiter::~PortByteWaiter() {
    FinishAfterClose();
    if (event_) CloseHandle(event_);
}

PortByteWaiter::Result PortByteWaiter::ReadByte(HANDLE port, uint8_t& byte, uint32_t waitMs) {
    if (next_ < end_) {
        byte = buffer_[next_++];
        return Result::Byte;
    }
    DWORD count = 0;
    if (!pending_) {
        if (port == INVALID_HANDLE_VALUE || !event_) return Result::Failed;
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = event_;
        ResetEvent(event_);
        if (!ReadFile(port, &first_, 1, &count, &overlapped_)) {
            if (GetLastError() != ERROR_IO_PENDING) return Result::Failed;
            pending_ = true;
        }
    }
    if (pending_) {
        if (WaitForSingleObject(event_, waitMs) != WAIT_OBJECT_0) return Result::Nothing;
        pending_ = false;
        // The result is read from the OVERLAPPED: the handle may be closed.
        if (!GetOverlappedResult(port, &overlapped_, &count, FALSE)) return Result::Failed;
    }
    // A read without a time-out ends without its byte only on a dead line.
    if (count != 1) return Result::Failed;
    byte = first_;
    TakeWaiting(port);
    return Result::Byte;
}

void PortByteWaiter::TakeWaiting(HANDLE port) {
    next_ = end_ = 0;
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(port, &errors, &status) || status.cbInQue == 0) return;
    const DWORD want = status.cbInQue < BufferSize ? status.cbInQue : BufferSize;
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_;
    ResetEvent(event_);
    DWORD count = 0;
    if (!ReadFile(port, buffer_, want, &count, &overlapped_)) {
        if (GetLastError() != ERROR_IO_PENDING) return;
        // The bytes are there: the read ends at once. A driver that does not
        // end it has it cancelled; what it took by then is kept.
        if (WaitForSingleObject(event_, CloseEndsReadMs) != WAIT_OBJECT_0) {
            CancelIo(port);
            WaitForSingleObject(event_, CloseEndsReadMs);
        }
        if (!GetOverlappedResult(port, &overlapped_, &count, FALSE)) return;
    }
    end_ = count;
}

void PortByteWaiter::FinishAfterClose() {
    Discard();
    if (!pending_) return;
    WaitForSingleObject(event_, CloseEndsReadMs);
    pending_ = false;
}

}  // namespace tesselog::win32
