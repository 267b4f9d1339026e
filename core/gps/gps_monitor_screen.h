// The GPS monitor screen without windows: its reader loop (run by the Win32
// reader thread on the real port and by the tests on a scripted one) and
// its commands (Go, Pause, Send, Exit and the highlight), acting through
// narrow interfaces that the Win32 layer implements with the controls, the
// send dialog and the port.
#pragma once

#include <cstdint>
#include <string>

#include "core/common/screen_mode.h"
#include "core/gps/gps_monitor.h"
#include "core/gps/gps_reader_loop.h"
#include "core/platform/clock.h"

namespace tesselog {

// ---------------------------------------------------------------- the reader

class MonitorReaderIo {
public:
    virtual ~MonitorReaderIo() = default;
    // One byte within the port's read time-out (about 10 ms).
    virtual GpsReadResult ReadByte(uint8_t& byte) = 0;
    // A line waits in the feed: the window is asked to repaint. Never waits
    // for the paint, so the reader cannot block the user-interface thread's
    // stop of it.
    virtual void LineReady() = 0;
    virtual void Wait(uint32_t ms) = 0;
};

constexpr uint32_t MonitorPausedWaitMs = 10;

class MonitorReaderLoop {
public:
    MonitorReaderLoop(MonitorShared& shared, MonitorReaderIo& io, Clock& clock)
        : shared_(shared), io_(io), clock_(clock) {}

    // Start, then passes while MonitorRun is 1. The starter sets MonitorRun.
    void Run();
    void Start();
    // Paused: only waits. Else one burst of reads, each read attempt
    // followed by the silence check.
    void Pass();

private:
    void Deliver(const std::string& line);
    void CheckSilence();

    MonitorShared& shared_;
    MonitorReaderIo& io_;
    Clock& clock_;
    MonitorFramer framer_;
    MonitorSilence silence_;
    bool wasPaused_ = false;
};

// ---------------------------------------------------------------- the commands

class MonitorScreenIo {
public:
    virtual ~MonitorScreenIo() = default;
    // Shown and enabled, or hidden and disabled.
    virtual void ShowButton(int32_t index, bool shown) = 0;
    // Drawn as the default button or not.
    virtual void Highlight(int32_t index, bool on) = 0;
    virtual std::u16string CommandText() = 0;
    virtual void SetCommandText(const std::u16string& text) = 0;
    // "GETGPSMESSAGE" opened with `text`; true on OK with the edited text in it.
    virtual bool RunSendDialog(std::u16string& text) = 0;
    virtual void Warn(const std::string& text) = 0;  // caption "WARNING"
    virtual void Purge(bool transmit, bool receive) = 0;
    virtual void Write(const std::string& bytes) = 0;  // errors are not reported
    virtual void Wait(uint32_t ms) = 0;
    // Ends the reader and closes the GPS port.
    virtual void ClosePort() = 0;
    // The monitor hidden; the main window's buttons back, focused and repainted.
    virtual void ShowMainWindow() = 0;
    // After a click the button has the focus: give it back to the window so
    // that the keys go on working.
    virtual void FocusMonitor() = 0;
};

constexpr uint32_t MonitorSendStepMs = 2;
// How long a send waits at most for the reader to stop reading.
constexpr int MonitorSendIdleSteps = 25;

class MonitorScreen {
public:
    MonitorScreen(MonitorShared& shared, MonitorScreenIo& io, int32_t& screenMode)
        : shared_(shared), io_(io), screenMode_(screenMode) {}

    // The port has opened: the screen comes to the front. The buttons keep
    // the state of the last time, and reading follows them (a monitor left
    // paused opens paused, "&Go" shown).
    void Open();

    // WM_COMMAND, WM_CHAR and WM_KEYDOWN; nothing unless ScreenMode is 2.
    void OnInput(MonitorInput input, uint64_t wordParameter);

    void Go();
    void Pause();
    void Send();
    void Exit();

    int32_t MonitorRunning = 1;      // 1: "&Pause" shown, 0: "&Go" shown
    int32_t MonitorButtonFocus = MonitorPause;
    std::u16string MonitorCommand;   // the edit's text, exchanged with the send dialog

private:
    void MoveHighlight(int32_t from, int32_t to);
    void ShowRunning();
    void PauseReaderForSend();

    MonitorShared& shared_;
    MonitorScreenIo& io_;
    int32_t& screenMode_;
};

// ---------------------------------------------------------------- layout

struct MonitorRect {
    int32_t X = 0, Y = 0, Width = 0, Height = 0;
};

// Places in the monitor window's client area of width w and height h.
MonitorRect MonitorButtonRect(int32_t index, int32_t w, int32_t h);
MonitorRect MonitorListRect(int32_t w, int32_t h);
MonitorRect MonitorEditRect(int32_t w, int32_t h);
constexpr int32_t MonitorLabelX = 10;
inline int32_t MonitorLabelY(int32_t h) { return h - 120; }

}  // namespace tesselog
