// Opening and configuring the serial ports of the consoles and the GPS. The
// logging screen's readers wait for their bytes: their ports are opened for
// overlapped reads without time-outs (PortReading::Awaited). The GPS monitor
// polls its port with 10 ms read time-outs (PortReading::Polled).
#pragma once

#include <windows.h>

#include <mutex>

#include "core/platform/prompts.h"
#include "core/settings/settings.h"

namespace tesselog::win32 {

struct SerialPorts {
    HANDLE ConsolePortHandle[MaxConsoles];
    HANDLE GpsPortHandle = INVALID_HANDLE_VALUE;
    // Console k's reader has closed its port to open it again and has not
    // yet found the device: the handle is invalid, but the reader runs on.
    // The stop clears it, so that an invalid handle alone means "stopped".
    bool ConsolePortReopening[MaxConsoles] = {};
    // Held around a reader's close and reopen and around the stop's close,
    // so that each handle is closed once and none is opened after the stop.
    std::mutex ConsolePortLock[MaxConsoles];
    SerialPorts() {
        for (HANDLE& h : ConsolePortHandle) h = INVALID_HANDLE_VALUE;
    }
};

// How the port's reader takes its bytes.
enum class PortReading {
    Polled,   // read one byte at a time with the 10 ms time-outs
    Awaited,  // overlapped reads without time-outs, for PortByteWaiter
};

// Console ports are always read by the logging screen's waiting readers.
// 1 on success, 0 on failure; report non-zero shows the failure message.
int OpenConsolePort(SerialPorts& ports, const Settings& settings, int k, int report);
// Console k's device opened and configured as OpenConsolePort does, without
// storing the handle or any message; INVALID_HANDLE_VALUE when it cannot be
// opened. The reader's silent reopen uses it.
HANDLE OpenConsoleDevice(const Settings& settings, int k);
// 1 on success, 0 on failure; report equal to 1 shows the failure message.
int OpenGpsPort(SerialPorts& ports, const Settings& settings, int report, PortReading reading);

// The same, showing the failure message through the given prompts (caption
// "Serial Port"); the forms above use a message box without owner.
int OpenConsolePort(SerialPorts& ports, const Settings& settings, int k, int report, Prompts& prompts);
int OpenGpsPort(SerialPorts& ports, const Settings& settings, int report, Prompts& prompts, PortReading reading);

}  // namespace tesselog::win32
