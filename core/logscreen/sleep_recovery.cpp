#include "core/logscreen/sleep_recovery.h"

#include <algorithm>
#include <cstdio>

#include "core/gps/gps_reader_loop.h"

namespace tesselog {

namespace {

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

std::string SleepNoteText(bool suspendSeen, const LocalTime& from, const LocalTime& to, bool breaksRecorded) {
    // Short enough for the warning line beside the map at 100%.
    std::string text = suspendSeen ? "Slept " + ClockOf(from) + "-" + ClockOf(to) : "Woke at " + ClockOf(to);
    text += ": ports reopened";
    if (breaksRecorded) text += ", breaks recorded";
    return text;
}

void SleepRecovery::Suspend() {
    asleep_ = true;
    resumed_ = false;
    suspendTime_ = parts_.Time.Now();
    gpsBreaksAtSuspend_ = parts_.Gps.GpsBreaksRecorded.load();
    if (parts_.File.IsOpen()) parts_.File.Flush();
}

void SleepRecovery::Resume() {
    if (resumed_) return;  // the second resume message of the same wake
    resumed_ = true;
    const bool suspendSeen = asleep_;
    asleep_ = false;
    // While recording every connection has its break of the sleep in the
    // file now, written here or by the watch or reader that woke first.
    const bool recording = RecordBreaks(suspendSeen) >= 0;
    AskReopen();
    note_ = SleepNoteText(suspendSeen, suspendTime_, parts_.Time.Now(), recording);
    parts_.Controls.ShowSleepNote(note_);
}

void SleepRecovery::Acknowledge() {
    if (note_.empty()) return;
    note_.clear();
    parts_.Controls.ShowSleepNote(note_);
}

// While recording: each console not yet in a logged break, and the GPS,
// get their break record now; the console's next reading ends its break
// as after any other. The count written, or -1 when not recording.
int SleepRecovery::RecordBreaks(bool suspendSeen) {
    if (parts_.Logging.LoggingState.load() != LoggingRecording || !parts_.File.IsOpen()) return -1;
    int written = 0;
    const int consoles = std::clamp(parts_.Config.ConsoleCount, 0, MaxConsoles);
    for (int k = 0; k < consoles; ++k) {
        parts_.Consoles.ConsoleInBreak[k].store(1);
        if (parts_.Consoles.ConsoleBreakLogged[k].exchange(1) == 1) continue;
        parts_.Writer.WriteEventRecord(ConsoleBreakText(k + 1), TypeEvent);
        ++written;
    }
    const bool gpsBreakWritten = suspendSeen && parts_.Gps.GpsBreaksRecorded.load() != gpsBreaksAtSuspend_;
    if (parts_.Config.GpsInput == 1 && !gpsBreakWritten) {
        parts_.Writer.WriteEventRecord(std::string(EventGpsBreak), TypeEvent);
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
