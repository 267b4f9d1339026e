#include "core/logscreen/sleep_recovery.h"

#include <algorithm>
#include <cstdio>

#include "core/gps/gps_reader_loop.h"

namespace tesselog {

namespace {

constexpr uint8_t EventRecordType = 88;  // 'X'

std::string ClockOf(const LocalTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.Hour % 100, t.Minute % 100, t.Second % 100);
    return text;
}

}  // namespace

std::string WithSleepNote(const std::string& note, const std::string& warnings) {
    if (note.empty()) return warnings;
    return warnings.empty() ? note : note + " | " + warnings;
}

std::string SleepNoteText(bool suspendSeen, const LocalTime& from, const LocalTime& to, uint32_t asleepMs,
                          bool breaksRecorded) {
    std::string text;
    if (suspendSeen) {
        const uint32_t minutes = asleepMs / 60000;
        const std::string length =
            minutes > 0 ? std::to_string(minutes) + " min" : std::to_string(asleepMs / 1000) + " s";
        text = "Asleep " + ClockOf(from) + " to " + ClockOf(to) + " (" + length + ")";
    } else {
        text = "Woke at " + ClockOf(to);
    }
    text += ": ports opened again";
    if (breaksRecorded) text += ", breaks recorded";
    return text;
}

void SleepRecovery::Suspend() {
    asleep_ = true;
    resumed_ = false;
    suspendTick_ = parts_.Time.Tick();
    suspendTime_ = parts_.Time.Now();
    if (parts_.File.IsOpen()) parts_.File.Flush();
}

void SleepRecovery::Resume() {
    if (resumed_) return;  // the second resume message of the same wake
    resumed_ = true;
    const bool suspendSeen = asleep_;
    asleep_ = false;
    const int breaks = RecordBreaks();
    AskReopen();
    note_ = SleepNoteText(suspendSeen, suspendTime_, parts_.Time.Now(), parts_.Time.Tick() - suspendTick_,
                          breaks > 0);
    parts_.Controls.ShowSleepNote(note_);
}

void SleepRecovery::Acknowledge() {
    if (note_.empty()) return;
    note_.clear();
    parts_.Controls.ShowSleepNote(note_);
}

// While recording: each console not yet in a logged break, and the GPS,
// get their break record now; the console's next reading ends its break
// as after any other.
int SleepRecovery::RecordBreaks() {
    if (parts_.Logging.LoggingState.load() != LoggingRecording || !parts_.File.IsOpen()) return 0;
    int written = 0;
    const int consoles = std::clamp(parts_.Config.ConsoleCount, 0, MaxConsoles);
    for (int k = 0; k < consoles; ++k) {
        parts_.Consoles.ConsoleInBreak[k].store(1);
        if (parts_.Consoles.ConsoleBreakLogged[k].exchange(1) == 1) continue;
        parts_.Writer.WriteEventRecord(ConsoleBreakText(k + 1), EventRecordType);
        ++written;
    }
    if (parts_.Config.GpsInput == 1) {
        parts_.Writer.WriteEventRecord(std::string(GpsBreakText), EventRecordType);
        ++written;
    }
    parts_.File.Flush();
    return written;
}

void SleepRecovery::AskReopen() {
    for (int k = 0; k < MaxConsoles; ++k) {
        if (parts_.Consoles.ConsolePortOpen[k].load() != 0) parts_.Consoles.ConsoleReopenAsked[k].store(1);
    }
    if (parts_.Gps.GpsPortOpen.load() != 0) parts_.Gps.GpsReopenAsked.store(1);
}

}  // namespace tesselog
