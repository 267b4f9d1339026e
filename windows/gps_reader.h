// The GPS reader thread: it owns the GPS port while the logging screen is
// open with GPS input on, runs the portable reader loop (core/gps/
// gps_reader_loop.h) on the real port and hands each position sentence to
// the logging screen with a synchronous MSG_GPS_DATA. It is never killed: it
// ends when the stop clears GpsReaderRun and closes the port.
#pragma once

#include <windows.h>

#include "core/acquisition/acquisition_state.h"
#include "core/gps/gps_framer.h"
#include "core/gps/nmea_mode.h"
#include "core/gps/position_handler.h"
#include "core/settings/settings.h"
#include "windows/gdi_canvas.h"
#include "windows/serial_ports.h"

namespace tesselog {
class DataFileWriter;
}

namespace tesselog::win32 {

// The GPS reader's hand-over to the logging screen; both parameters 0.
constexpr UINT MSG_GPS_DATA = WM_USER + 11;

// What the reader works with. Everything outlives the thread; the settings,
// the mode, the layout and the fonts are not changed while it runs.
struct GpsReaderSetup {
    GpsStreams* Streams = nullptr;
    SerialPorts* Ports = nullptr;              // GpsPortHandle, already open
    const Settings* ProgramSettings = nullptr; // the reopen's port settings, DisconnectAlarm
    NmeaModeTable Mode;                        // ApplyNmeaMode's table of this start
    const LoggingStatus* Logging = nullptr;
    DataFileWriter* Writer = nullptr;          // nullptr: nothing is written
    HWND LoggingScreen = nullptr;              // MSG_GPS_DATA goes here; a break fills its GPS fields red
    const ShellFonts* Fonts = nullptr;
    const GpsFieldLayout* Layout = nullptr;
};

class GpsReaderThread {
public:
    GpsReaderThread() = default;
    GpsReaderThread(const GpsReaderThread&) = delete;
    GpsReaderThread& operator=(const GpsReaderThread&) = delete;

    // Sets GpsReaderRun to 1 and starts the thread with default stack and
    // priority. False when the thread could not be created.
    bool Start(const GpsReaderSetup& setup);

    // The stop: GpsReaderRun 0, the port closed unless a connection break is
    // being handled (the reader closes it then), and up to timeoutMs for the
    // thread to end. Meanwhile the messages sent to this thread's windows are
    // handled, since the reader may be waiting in its MSG_GPS_DATA. A port
    // that is still open once the thread has ended is closed too. True when
    // the thread has ended (or none ran); the handle is released either way.
    bool Stop(DWORD timeoutMs);

    bool Running() const { return thread_ != nullptr; }
    // For suspending the reader at the limit of GPS positions.
    HANDLE Handle() const { return thread_; }

private:
    static DWORD WINAPI Main(void* parameter);

    GpsReaderSetup setup_;
    HANDLE thread_ = nullptr;
};

}  // namespace tesselog::win32
