// The console reader threads: one per configured console, each running the
// portable reader loop (core/acquisition/console_reader_loop.h) on its
// console's port, sleeping until bytes come (windows/port_byte_waiter.h), and
// handing every accepted sentence to the logging screen with a synchronous
// MSG_CONSOLE_DATA + k. A thread is never killed: it ends
// when the stop code has closed its port and made the handle invalid. After
// 3000 ms without an accepted sentence the thread closes and reopens its own
// port (an unplugged adapter comes back as a new device); the handle swap
// and the stop's close take the console's lock in SerialPorts.
//
// The stop, in the order the logging screen does it:
//   for each k: threads.ClosePort(k);
//   threads.WaitForEnd(200);            // or the caller's own wait
//   for each k: threads.ReleaseThread(k); ConsolePortOpen[k] = 0;
#pragma once

#include <windows.h>

#include "core/acquisition/acquisition_state.h"
#include "core/settings/settings.h"
#include "windows/serial_ports.h"

namespace tesselog::win32 {

// The hand-over of console k (0..8) is MSG_CONSOLE_DATA + k, both parameters
// 0: 0x40C for console 1 up to 0x414 for console 9.
constexpr UINT MSG_CONSOLE_DATA = WM_USER + 12;

// What the readers work with. Everything outlives the threads; the settings
// are not changed while they run.
struct ConsoleReaderSetup {
    ConsoleStreams* Streams = nullptr;
    SerialPorts* Ports = nullptr;               // ConsolePortHandle[k], already open
    const Settings* ProgramSettings = nullptr;  // ConsoleType[k]
    HWND LoggingScreen = nullptr;               // MSG_CONSOLE_DATA + k goes here
};

// Makes ConsolePortHandle[k] invalid, then closes the port: a reader sees
// the invalid handle at its next loop test rather than reading a closed one.
// Under the console's lock, so it waits for a reopen in progress and clears
// a reader's reopening mark: the reader then opens nothing more and ends.
// Does nothing more when the port is not open or k is out of range.
void CloseConsolePort(SerialPorts& ports, int k);

class ConsoleReaderThreads {
public:
    ConsoleReaderThreads() = default;
    ConsoleReaderThreads(const ConsoleReaderThreads&) = delete;
    ConsoleReaderThreads& operator=(const ConsoleReaderThreads&) = delete;
    // Releases the handles of threads still held (it does not stop them).
    ~ConsoleReaderThreads();

    // Starts the reader of console k (0..8) with default stack and priority;
    // the thread sets ConsolePortOpen[k] to 2. False when k is out of range,
    // its thread is still held, or the thread could not be created.
    bool Start(int k, const ConsoleReaderSetup& setup);

    // Closes port k of the ports given at its Start and makes the handle
    // invalid (CloseConsolePort); the close ends the reader's wait, and it
    // ends. Does nothing when no reader of console k was started.
    void ClosePort(int k);

    // Waits up to timeoutMs for every started thread to end, handling
    // meanwhile the messages sent to this thread's windows (a reader may be
    // waiting in its MSG_CONSOLE_DATA). True when all have ended.
    bool WaitForEnd(DWORD timeoutMs);

    // Releases the handle of thread k (after the caller's wait); the thread
    // itself runs on until it has seen its invalid handle.
    void ReleaseThread(int k);

    bool Running(int k) const { return k >= 0 && k < MaxConsoles && threads_[k] != nullptr; }
    HANDLE Handle(int k) const { return Running(k) ? threads_[k] : nullptr; }

private:
    // Each thread gets its own copy of the setup and frees it when it ends,
    // so a thread released before it has ended outlives nothing it uses.
    static DWORD WINAPI Main(void* parameter);

    HANDLE threads_[MaxConsoles] = {};
    SerialPorts* ports_[MaxConsoles] = {};
};

}  // namespace tesselog::win32
