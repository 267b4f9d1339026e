// The logging screen on a computer that would sleep: the keep-awake request
// follows the screen, and a sleep that comes anyway is survived with the
// file on the disk, the ports opened again and the break recorded.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/logging_session_fixture.h"

namespace tesselog {
namespace {

using test::SessionHarness;

TEST(KeepAwake, HeldWhileTheLoggingScreenIsOpen) {
    {
        SessionHarness h;
        RecordingKeepAwake awake;
        h.services.Awake = &awake;
        h.StartIn(0);
        EXPECT_EQ(awake.Calls, (std::vector<bool>{true}));
        h.session.StopLogging();
        EXPECT_EQ(awake.Calls, (std::vector<bool>{true, false}));
    }
    {
        // "Exit Logging?" answered No keeps the screen, and the request.
        SessionHarness h;
        RecordingKeepAwake awake;
        h.services.Awake = &awake;
        h.StartIn(-1);
        h.prompts.Answers.push_back(false);
        h.session.StopLogging();
        EXPECT_TRUE(awake.Held);
        h.prompts.Answers.push_back(true);
        h.session.StopLogging();
        EXPECT_EQ(awake.Calls, (std::vector<bool>{true, false}));
    }
    {
        // A start whose port fails never shows the screen: nothing is asked.
        SessionHarness h;
        RecordingKeepAwake awake;
        h.services.Awake = &awake;
        h.ports.ConsoleFails[1] = true;
        EXPECT_FALSE(h.session.StartLogging());
        EXPECT_TRUE(awake.Calls.empty());
    }
}

// 27-byte records of the file from `from` on that start with `start`, and
// the tick of the last one.
int RecordsFrom(const std::string& data, size_t from, const std::string& start, std::string* tick = nullptr) {
    int n = 0;
    for (size_t at = from; at + 27 <= data.size(); at += 27) {
        if (data.compare(at, start.size(), start) != 0) continue;
        ++n;
        if (tick) *tick = data.substr(at + 16, 10);
    }
    return n;
}

TEST(SleepAndWake, RecordingGoesOnThroughASleep) {
    SessionHarness h;
    h.StartIn(1);
    h.clock.CurrentTime = LocalTime{2026, 12, 4, 10, 32, 5, 0};
    const int flushes = h.files.Flushes;
    h.session.OnSuspend();
    EXPECT_GT(h.files.Flushes, flushes);  // on the disk before the computer sleeps
    const size_t before = h.Data().size();

    const uint32_t wake = h.clock.CurrentTick + 907000;  // 15 min 7 s
    char wakeTick[16];
    std::snprintf(wakeTick, sizeof wakeTick, "%10u", static_cast<unsigned>(wake));
    h.clock.CurrentTick = wake;
    h.clock.CurrentTime = LocalTime{2026, 12, 4, 10, 47, 12, 0};
    h.session.OnResume();
    const std::string& data = h.Data();
    std::string tick;
    for (const char* record : {"X1CONN BRK 1", "X2CONN BRK 2", "X3CONN BRK 3", "XGPS CONN BR"}) {
        EXPECT_EQ(RecordsFrom(data, before, record, &tick), 1) << record;
        EXPECT_EQ(tick, wakeTick) << record;  // at the wake, after every reading of before the sleep
    }
    EXPECT_EQ(data.size(), before + 4 * 27);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(h.session.Recording.Consoles.ConsoleReopenAsked[k].load(), 1) << k;
        EXPECT_EQ(h.session.Recording.Consoles.ConsoleInBreak[k].load(), 1) << k;
    }
    EXPECT_EQ(h.session.Recording.Consoles.ConsoleReopenAsked[3].load(), 0);  // not configured, not open
    EXPECT_EQ(h.session.Recording.Gps.GpsReopenAsked.load(), 1);
    EXPECT_EQ(h.controls.SleepNote, "Slept 10:32:05-10:47:12: ports reopened, breaks recorded");
    EXPECT_EQ(h.session.Recording.Logging.LoggingState.load(), LoggingRecording);
    EXPECT_TRUE(h.prompts.History.empty());  // no box over a recording

    // The second resume message of the same wake, and the watch's next
    // tick, add no second break.
    h.session.OnResume();
    h.clock.CurrentTick += 1500;
    h.session.OnWatchTimer();
    EXPECT_EQ(RecordsFrom(h.Data(), before, "X1CONN BRK 1"), 1);
    EXPECT_EQ(RecordsFrom(h.Data(), before, "XGPS CONN BR"), 1);

    // The operator's next command takes the note away.
    h.Click(0);
    EXPECT_EQ(h.controls.SleepNote, "");
}

// The connection watch and the GPS reader may wake before the message: a
// break they recorded already is not recorded twice.
TEST(SleepAndWake, ABreakRecordedAlreadyIsNotRecordedAgain) {
    SessionHarness h;
    h.StartIn(1);
    h.session.OnSuspend();
    const size_t before = h.Data().size();
    h.clock.CurrentTick += 20000;
    h.session.OnWatchTimer();  // every console silent for 20 s
    h.session.Recording.Writer.WriteEventRecord(std::string("GPS CONN BRK"), 'X');
    h.session.Recording.Gps.GpsBreaksRecorded.fetch_add(1);  // as the reader does
    h.session.OnResume();
    for (const char* record : {"X1CONN BRK 1", "X2CONN BRK 2", "X3CONN BRK 3", "XGPS CONN BR"})
        EXPECT_EQ(RecordsFrom(h.Data(), before, record), 1) << record;
    EXPECT_EQ(h.controls.SleepNote, "Slept 10:30:00-10:30:00: ports reopened, breaks recorded");
}

TEST(SleepAndWake, WithoutRecordingOnlyThePortsAreOpenedAgain) {
    struct Case {
        int32_t state;
        bool suspendSeen;
        const char* note;
    } const cases[] = {
        {-1, true, "Slept 10:32:05-10:32:50: ports reopened"},
        {0, true, "Slept 10:32:05-10:32:50: ports reopened"},
        {-1, false, "Woke at 10:32:50: ports reopened"},
    };
    for (const Case& c : cases) {
        SessionHarness h;
        h.StartIn(c.state);
        h.clock.CurrentTime = LocalTime{2026, 12, 4, 10, 32, 5, 0};
        if (c.suspendSeen) h.session.OnSuspend();
        const std::string before = h.files.Files.count(SessionHarness::DataFile) ? h.Data() : std::string();
        h.clock.CurrentTick += 45000;
        h.clock.CurrentTime = LocalTime{2026, 12, 4, 10, 32, 50, 0};
        h.session.OnResume();
        EXPECT_EQ(h.controls.SleepNote, c.note) << c.state;
        EXPECT_EQ(h.files.Files.count(SessionHarness::DataFile) ? h.Data() : std::string(), before) << c.state;
        EXPECT_EQ(h.session.Recording.Consoles.ConsoleReopenAsked[0].load(), 1) << c.state;
    }
}

}  // namespace
}  // namespace tesselog
