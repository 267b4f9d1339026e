#include "windows/console_reader.h"

#include <mutex>

#include "core/acquisition/console_reader_loop.h"
#include "windows/platform_services.h"
#include "windows/port_byte_waiter.h"

namespace tesselog::win32 {

namespace {

struct ThreadStart {
    int K = 0;
    ConsoleReaderSetup Setup;
};

// The reader loop's port and window on Win32.
class Win32ConsoleReaderIo : public ConsoleReaderIo {
public:
    Win32ConsoleReaderIo(const ConsoleReaderSetup& setup, int k) : setup_(setup), k_(k) {}

    bool PortValid() override {
        std::lock_guard<std::mutex> lock(Lock());
        return Port() != INVALID_HANDLE_VALUE || setup_.Ports->ConsolePortReopening[k_];
    }

    void PurgePort() override {
        waiter_.Discard();
        HANDLE port = Port();
        if (port == INVALID_HANDLE_VALUE) return;
        PurgeComm(port, PURGE_TXCLEAR);
        PurgeComm(port, PURGE_RXCLEAR);
    }

    void SetEventMask() override {
        HANDLE port = Port();
        if (port != INVALID_HANDLE_VALUE) SetCommMask(port, EV_RXCHAR);
    }

    // The thread sleeps until a byte comes, the loop's time is up or the
    // stop closes the port; a closed, gone or hung-up port fails at once.
    ConsoleReadResult ReadByte(uint8_t& byte, uint32_t waitMs) override {
        switch (waiter_.ReadByte(Port(), byte, waitMs)) {
        case PortByteWaiter::Result::Byte: return ConsoleReadResult::Byte;
        case PortByteWaiter::Result::Nothing: return ConsoleReadResult::Nothing;
        case PortByteWaiter::Result::Failed: break;
        }
        return ConsoleReadResult::Failed;
    }

    void HandOver() override {
        SendMessageW(setup_.LoggingScreen, MSG_CONSOLE_DATA + static_cast<UINT>(k_), 0, 0);
    }

    void Wait(uint32_t ms) override { Sleep(ms); }

    // Under the console's lock: a handle the stop has taken is not closed
    // again, and the closed state is marked as the reader's own.
    bool TryClosePort() override {
        std::lock_guard<std::mutex> lock(Lock());
        HANDLE port = Port();
        if (port != INVALID_HANDLE_VALUE) {
            if (!CloseHandle(port)) return false;
            setup_.Ports->ConsolePortHandle[k_] = INVALID_HANDLE_VALUE;
            setup_.Ports->ConsolePortReopening[k_] = true;
        }
        waiter_.FinishAfterClose();  // the close ended the pending read
        return true;
    }

    // Only a port this reader closed is opened again: after the stop (which
    // clears the mark) or after a close that failed nothing is opened. A
    // device still gone leaves the mark, and the next try comes 3000 ms on.
    bool ReopenPort() override {
        std::lock_guard<std::mutex> lock(Lock());
        SerialPorts& ports = *setup_.Ports;
        if (ports.ConsolePortHandle[k_] != INVALID_HANDLE_VALUE || !ports.ConsolePortReopening[k_]) return false;
        HANDLE port = OpenConsoleDevice(*setup_.ProgramSettings, k_);
        if (port == INVALID_HANDLE_VALUE) return false;
        ports.ConsolePortHandle[k_] = port;
        ports.ConsolePortReopening[k_] = false;
        return true;
    }

private:
    HANDLE Port() const { return setup_.Ports->ConsolePortHandle[k_]; }
    std::mutex& Lock() const { return setup_.Ports->ConsolePortLock[k_]; }

    const ConsoleReaderSetup& setup_;
    int k_;
    PortByteWaiter waiter_;
};

}  // namespace

ConsoleReaderThreads::~ConsoleReaderThreads() {
    for (int k = 0; k < MaxConsoles; ++k) ReleaseThread(k);
}

bool ConsoleReaderThreads::Start(int k, const ConsoleReaderSetup& setup) {
    if (k < 0 || k >= MaxConsoles || threads_[k]) return false;
    ports_[k] = setup.Ports;
    auto* start = new ThreadStart{k, setup};
    threads_[k] = CreateThread(nullptr, 0, &ConsoleReaderThreads::Main, start, 0, nullptr);
    if (!threads_[k]) {
        delete start;
        ports_[k] = nullptr;
    }
    return threads_[k] != nullptr;
}

DWORD WINAPI ConsoleReaderThreads::Main(void* parameter) {
    ThreadStart* start = static_cast<ThreadStart*>(parameter);
    {
        Win32ConsoleReaderIo io(start->Setup, start->K);
        Win32Clock clock;
        ConsoleReaderLoop loop(*start->Setup.Streams, *start->Setup.ProgramSettings, start->K, io, clock);
        loop.Run();
    }
    delete start;
    return 0;
}

void CloseConsolePort(SerialPorts& ports, int k) {
    if (k < 0 || k >= MaxConsoles) return;
    HANDLE port = INVALID_HANDLE_VALUE;
    {
        // Waits for a reopen in progress; the reader then sees the stop.
        std::lock_guard<std::mutex> lock(ports.ConsolePortLock[k]);
        port = ports.ConsolePortHandle[k];
        ports.ConsolePortHandle[k] = INVALID_HANDLE_VALUE;
        ports.ConsolePortReopening[k] = false;
    }
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
}

void ConsoleReaderThreads::ClosePort(int k) {
    if (k >= 0 && k < MaxConsoles && ports_[k]) CloseConsolePort(*ports_[k], k);
}

bool ConsoleReaderThreads::WaitForEnd(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HANDLE running[MaxConsoles];
        DWORD count = 0;
        for (HANDLE h : threads_)
            if (h && WaitForSingleObject(h, 0) != WAIT_OBJECT_0) running[count++] = h;
        if (count == 0) return true;
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs) return false;
        const DWORD r = MsgWaitForMultipleObjects(count, running, FALSE, timeoutMs - spent, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0 + count) {
            // Runs the handlers of messages sent from other threads (a
            // reader's MSG_CONSOLE_DATA); posted messages stay queued.
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        } else if (r >= WAIT_OBJECT_0 + count) {
            return false;  // time-out or a failed wait
        }
    }
}

void ConsoleReaderThreads::ReleaseThread(int k) {
    if (!Running(k)) return;
    CloseHandle(threads_[k]);
    threads_[k] = nullptr;
    ports_[k] = nullptr;
}

}  // namespace tesselog::win32
