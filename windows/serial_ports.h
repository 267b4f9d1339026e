// Opening and configuring the serial ports of the consoles and the GPS. Both
// kinds use 10 ms read time-outs, on which the reader threads rely to poll one
// byte at a time and to notice a closed port quickly.
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

// 1 on success, 0 on failure; report non-zero shows the failure message.
int OpenConsolePort(SerialPorts& ports, const Settings& settings, int k, int report);
// Console k's device opened and configured as OpenConsolePort does, without
// storing the handle or any message; INVALID_HANDLE_VALUE when it cannot be
// opened. The reader's silent reopen uses it.
HANDLE OpenConsoleDevice(const Settings& settings, int k);
// 1 on success, 0 on failure; report equal to 1 shows the failure message.
int OpenGpsPort(SerialPorts& ports, const Settings& settings, int report);

// The same, showing the failure message through the given prompts (caption
// "Serial Port"); the forms above use a message box without owner.
int OpenConsolePort(SerialPorts& ports, const Settings& settings, int k, int report, Prompts& prompts);
int OpenGpsPort(SerialPorts& ports, const Settings& settings, int report, Prompts& prompts);

}  // namespace tesselog::win32
