// What the logging screen does when the computer sleeps and wakes (the
// lid closed, the battery critical). Before it sleeps the data file goes to
// the disk. When it wakes every open port is opened again (a USB serial
// adapter comes back as a new device), and while recording each console
// and the GPS get the connection-break record of the time asleep, in the
// break records' own format (unless the connection watch or the GPS reader,
// awake before the message came, wrote it already): the readings before the sleep, then the break,
// then the readings after it. The operator is told on the warning line, as
// no box may stand over a recording; the next command takes the note away.
#pragma once

#include <cstdint>
#include <string>

#include "core/acquisition/acquisition_state.h"
#include "core/datafile/data_file.h"
#include "core/datafile/data_file_writers.h"
#include "core/gps/gps_framer.h"
#include "core/logscreen/logging_screen_io.h"
#include "core/platform/clock.h"
#include "core/settings/settings.h"

namespace tesselog {

struct SleepParts {
    DataFile& File;
    DataFileWriter& Writer;
    ConsoleStreams& Consoles;
    GpsStreams& Gps;
    LoggingStatus& Logging;
    const Settings& Config;
    Clock& Time;
    LoggingScreenControls& Controls;
};

class SleepRecovery {
public:
    explicit SleepRecovery(const SleepParts& parts) : parts_(parts) {}

    // The system is about to sleep (PBT_APMSUSPEND).
    void Suspend();
    // The system woke (PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND; the
    // second of the two does nothing more).
    void Resume();
    // A key or a button of the operator: the note has been seen.
    void Acknowledge();

    bool Asleep() const { return asleep_; }
    const std::string& Note() const { return note_; }

private:
    int RecordBreaks(bool suspendSeen);
    void AskReopen();

    SleepParts parts_;
    bool asleep_ = false;
    bool resumed_ = false;  // since the last suspend
    uint32_t gpsBreaksAtSuspend_ = 0;
    LocalTime suspendTime_;
    std::string note_;
};

// The warning line with the note before the field warnings.
std::string WithSleepNote(const std::string& note, const std::string& warnings);

// "Slept 10:32:05-10:47:12: ports reopened, breaks recorded"; without a
// suspend seen, "Woke at 10:47:12: ...".
std::string SleepNoteText(bool suspendSeen, const LocalTime& from, const LocalTime& to, bool breaksRecorded);

}  // namespace tesselog
