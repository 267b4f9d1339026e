// Opening and configuring the serial ports of the consoles and the GPS. Both
// kinds use 10 ms read time-outs, on which the reader threads rely to poll one
// byte at a time and to notice a closed port quickly.
#pragma once

#include <windows.h>

#include "core/platform/prompts.h"
#include "core/settings/settings.h"

namespace tesselog::win32 {

struct SerialPorts {
    HANDLE ConsolePortHandle[MaxConsoles];
    HANDLE GpsPortHandle = INVALID_HANDLE_VALUE;
    SerialPorts() {
        for (HANDLE& h : ConsolePortHandle) h = INVALID_HANDLE_VALUE;
    }
};

// 1 on success, 0 on failure; report non-zero shows the failure message.
int OpenConsolePort(SerialPorts& ports, const Settings& settings, int k, int report);
// 1 on success, 0 on failure; report equal to 1 shows the failure message.
int OpenGpsPort(SerialPorts& ports, const Settings& settings, int report);

// The same, showing the failure message through the given prompts (caption
// "Serial Port"); the forms above use a message box without owner.
int OpenConsolePort(SerialPorts& ports, const Settings& settings, int k, int report, Prompts& prompts);
int OpenGpsPort(SerialPorts& ports, const Settings& settings, int report, Prompts& prompts);

}  // namespace tesselog::win32
