#include "windows/gps_reader.h"

#include "core/gps/gps_reader_loop.h"
#include "windows/platform_services.h"
#include "windows/port_byte_waiter.h"
#include "windows/window_canvas.h"

namespace tesselog::win32 {

namespace {

// The reader loop's port and window on Win32.
class Win32GpsReaderIo : public GpsReaderIo {
public:
    explicit Win32GpsReaderIo(const GpsReaderSetup& setup) : setup_(setup) {}

    // The thread sleeps until a byte comes, the loop's time is up or the
    // stop closes the port; a closed, gone or hung-up port fails at once.
    GpsReadResult ReadByte(uint8_t& byte, uint32_t waitMs) override {
        switch (waiter_.ReadByte(Port(), byte, waitMs)) {
        case PortByteWaiter::Result::Byte: return GpsReadResult::Byte;
        case PortByteWaiter::Result::Nothing: return GpsReadResult::Nothing;
        case PortByteWaiter::Result::Failed: break;
        }
        return GpsReadResult::Failed;
    }

    // The mask never changes, so it is set once per port handle: under Wine
    // each SetCommMask is a round trip to the wineserver. Nothing
    // waits on the port's events, so setting the same mask again would have
    // no effect; a reopened port (a new handle) gets it anew.
    void SetEventMask() override {
        HANDLE port = Port();
        if (port == INVALID_HANDLE_VALUE || port == maskedPort_) return;
        if (SetCommMask(port, EV_RXCHAR | EV_BREAK)) maskedPort_ = port;  // 0x41
    }

    void HandOver() override { SendMessageW(setup_.LoggingScreen, MSG_GPS_DATA, 0, 0); }

    // Drawn from this thread, on a device context of its own.
    void ShowConnectionBreak() override {
        if (!setup_.LoggingScreen) return;
        WindowCanvas canvas(setup_.LoggingScreen, *setup_.Fonts);
        FillGpsFieldsForBreak(canvas.Get(), *setup_.Layout);
    }

    bool TryClosePort() override {
        HANDLE port = Port();
        if (port != INVALID_HANDLE_VALUE) {
            if (!CloseHandle(port)) return false;
            setup_.Ports->GpsPortHandle = INVALID_HANDLE_VALUE;
            maskedPort_ = INVALID_HANDLE_VALUE;  // the reopened port may get the same handle value
        }
        waiter_.FinishAfterClose();  // the close ended the pending read
        return true;
    }

    void ReopenPort() override { OpenGpsPort(*setup_.Ports, *setup_.ProgramSettings, 0, PortReading::Awaited); }

    void Wait(uint32_t ms) override { Sleep(ms); }

private:
    HANDLE Port() const { return setup_.Ports->GpsPortHandle; }

    const GpsReaderSetup& setup_;
    HANDLE maskedPort_ = INVALID_HANDLE_VALUE;
    PortByteWaiter waiter_;
};

}  // namespace

bool GpsReaderThread::Start(const GpsReaderSetup& setup) {
    if (thread_) return false;
    setup_ = setup;
    setup_.Streams->GpsReaderRun.store(1);
    thread_ = CreateThread(nullptr, 0, &GpsReaderThread::Main, this, 0, nullptr);
    if (!thread_) setup_.Streams->GpsReaderRun.store(0);
    return thread_ != nullptr;
}

DWORD WINAPI GpsReaderThread::Main(void* parameter) {
    const GpsReaderSetup& setup = static_cast<GpsReaderThread*>(parameter)->setup_;
    Win32GpsReaderIo io(setup);
    Win32Clock clock;
    Win32SoundPlayer sounds;
    GpsReaderLoop loop(*setup.Streams, setup.Mode, io, clock, sounds, *setup.Logging, setup.Writer,
                       setup.ProgramSettings->DisconnectAlarm);
    loop.Run();
    return 0;
}

bool GpsReaderThread::Stop(DWORD timeoutMs) {
    if (!thread_) return true;
    GpsStreams& streams = *setup_.Streams;
    SerialPorts& ports = *setup_.Ports;
    streams.GpsReaderRun.store(0);
    if (streams.GpsConnectionBroken.load() == 0 && ports.GpsPortHandle != INVALID_HANDLE_VALUE) {
        CloseHandle(ports.GpsPortHandle);
        ports.GpsPortHandle = INVALID_HANDLE_VALUE;
    }

    const DWORD start = GetTickCount();
    bool ended = false;
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs) break;
        const DWORD r = MsgWaitForMultipleObjects(1, &thread_, FALSE, timeoutMs - spent, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        if (r != WAIT_OBJECT_0 + 1) break;
        // Runs the handlers of messages sent from other threads (the reader's
        // MSG_GPS_DATA); posted messages stay queued.
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (ended && ports.GpsPortHandle != INVALID_HANDLE_VALUE) {
        CloseHandle(ports.GpsPortHandle);
        ports.GpsPortHandle = INVALID_HANDLE_VALUE;
    }
    CloseHandle(thread_);
    thread_ = nullptr;
    return ended;
}

}  // namespace tesselog::win32
