#include "core/gps/gps_monitor_screen.h"

namespace tesselog {

// ---------------------------------------------------------------- the reader

void MonitorReaderLoop::Run() {
    Start();
    while (shared_.MonitorRun.load() == 1) Pass();
}

void MonitorReaderLoop::Start() {
    framer_.Reset();
    silence_.Start(clock_.Tick());
    wasPaused_ = false;
}

void MonitorReaderLoop::Pass() {
    if (shared_.MonitorPaused.load() == 1) {
        shared_.ReaderIdle.store(1);
        wasPaused_ = true;
        io_.Wait(MonitorPausedWaitMs);
        return;
    }
    // Nothing was read while paused: the silence window starts at the resume,
    // not at the last line before the pause.
    if (wasPaused_) {
        silence_.Start(clock_.Tick());
        wasPaused_ = false;
    }
    for (int n = 0; n < GpsMaxBurstBytes; ++n) {
        if (shared_.MonitorRun.load() != 1 || shared_.MonitorPaused.load() == 1) return;
        uint8_t byte = 0;
        const GpsReadResult result = io_.ReadByte(byte);
        if (result == GpsReadResult::Byte) {
            silence_.ByteCame();
            if (framer_.Feed(byte)) {
                Deliver(framer_.Line());
                silence_.LineEnded(clock_.Tick());
            }
        } else if (result == GpsReadResult::Failed) {
            io_.Wait(GpsFailedReadWaitMs);
        }
        CheckSilence();
        if (result != GpsReadResult::Byte) return;
    }
}

void MonitorReaderLoop::Deliver(const std::string& line) {
    shared_.Feed.Push(line);
    io_.LineReady();
}

void MonitorReaderLoop::CheckSilence() {
    if (auto report = silence_.Check(clock_.Tick())) {
        framer_.Reset();  // a line that never ended is not shown
        Deliver(*report);
    }
}

// ---------------------------------------------------------------- the commands

void MonitorScreen::Open() {
    shared_.Feed.Clear();
    shared_.MonitorPaused.store(MonitorRunning == 1 ? 0 : 1);
    screenMode_ = ScreenGpsMonitor;
}

void MonitorScreen::OnInput(MonitorInput input, uint64_t wordParameter) {
    if (screenMode_ != ScreenGpsMonitor) return;
    const MonitorKeyDecision d = DecideMonitorInput(input, wordParameter, MonitorButtonFocus);
    if (d.Tab) MoveHighlight(MonitorButtonFocus, NextMonitorFocus(MonitorButtonFocus, MonitorRunning == 1));
    switch (d.Button) {
    case MonitorGo: Go(); break;
    case MonitorPause: Pause(); break;
    case MonitorSend: Send(); break;
    case MonitorExit: Exit(); break;
    default: break;
    }
    if (input == MonitorInput::Command && d.Button >= 0 && screenMode_ == ScreenGpsMonitor) io_.FocusMonitor();
}

void MonitorScreen::MoveHighlight(int32_t from, int32_t to) {
    io_.Highlight(from, false);
    MonitorButtonFocus = to;
    io_.Highlight(to, true);
}

void MonitorScreen::ShowRunning() {
    io_.ShowButton(MonitorGo, false);
    io_.ShowButton(MonitorPause, true);
    MonitorRunning = 1;
    if (MonitorButtonFocus == MonitorGo) MoveHighlight(MonitorGo, MonitorPause);
}

void MonitorScreen::Go() {
    io_.Purge(true, true);
    shared_.MonitorPaused.store(0);
    ShowRunning();
}

void MonitorScreen::Pause() {
    shared_.MonitorPaused.store(1);
    io_.Purge(true, true);
    io_.ShowButton(MonitorPause, false);
    io_.ShowButton(MonitorGo, true);
    MonitorRunning = 0;
    if (MonitorButtonFocus == MonitorPause) MoveHighlight(MonitorPause, MonitorGo);
}

// The reader stops reading before the queues are purged and the command is
// written, so that no byte of the answer is read half-way.
void MonitorScreen::PauseReaderForSend() {
    if (shared_.MonitorPaused.load() == 1) return;
    shared_.ReaderIdle.store(0);
    shared_.MonitorPaused.store(1);
    for (int i = 0; i < MonitorSendIdleSteps; ++i) {
        io_.Wait(MonitorSendStepMs);
        if (shared_.ReaderIdle.load() == 1) break;
    }
}

void MonitorScreen::Send() {
    MonitorCommand = io_.CommandText();
    if (!io_.RunSendDialog(MonitorCommand)) return;
    io_.SetCommandText(MonitorCommand);
    const MonitorCommandBytes command = BuildMonitorCommand(MonitorCommand);
    if (command.Result != MonitorCommandResult::Ready) {
        io_.Warn(command.Message);
        return;
    }
    PauseReaderForSend();
    io_.Purge(true, false);
    io_.Wait(MonitorSendStepMs);
    io_.Purge(false, true);
    io_.Wait(MonitorSendStepMs);
    io_.Write(command.Bytes);
    // Reading resumes whatever the state was before, and the buttons say so.
    ShowRunning();
    shared_.MonitorPaused.store(0);
}

void MonitorScreen::Exit() {
    screenMode_ = ScreenMain;
    shared_.MonitorPaused.store(0);
    io_.ClosePort();
    io_.ShowMainWindow();
}

// ---------------------------------------------------------------- layout

MonitorRect MonitorButtonRect(int32_t index, int32_t w, int32_t h) {
    // "&Go" and "&Pause" share one place; only one of them is shown.
    static const int32_t offsets[MonitorButtonCount] = {-180, -180, -60, 60};
    const int32_t i = index < 0 || index >= MonitorButtonCount ? MonitorExit : index;
    return {w / 2 + offsets[i], h - 70, 116, 28};
}

MonitorRect MonitorListRect(int32_t w, int32_t h) { return {10, 10, w - 30, h - 140}; }

MonitorRect MonitorEditRect(int32_t w, int32_t h) { return {190, h - 122, w - 210, 28}; }

}  // namespace tesselog
