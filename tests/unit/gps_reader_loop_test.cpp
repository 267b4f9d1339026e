#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/datafile/data_file_writers.h"
#include "core/gps/gps_reader_loop.h"
#include "core/platform/memory_file_system.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

const std::string Gga = "$GPGGA,173524,4336.5940,N,07936.6403,W,8,11,2.0,142.5,M,-35.4,M,,*70\r\n";
const std::string BadGga = "$GPGGA,173524,4336.5940,N,07936.6403,W,8,11,2.0,142.5,M,-35.4,M,,*71\r\n";

class CountingSounds : public SoundPlayer {
public:
    void Play(SoundId sound) override { rings += sound == SoundId::Ring; }
    int rings = 0;
};

// A port that delivers scripted bytes at their arrival ticks, one byte per
// millisecond at most; a read waits for the next byte as long as the loop
// lets it, a read of a closed port fails at once. Time moves only through
// the port, so the whole run is exact. The stop clears the run flag and
// closes the port at stopAt, which ends a wait at once.
class ScriptedPort : public GpsReaderIo {
public:
    ScriptedPort(ManualClock& clock, GpsStreams& streams) : clock_(clock), streams_(streams) {}

    // One copy of text every periodMs within [from, to).
    void Repeat(const std::string& text, uint32_t from, uint32_t to, uint32_t periodMs) {
        for (uint32_t t = from; t < to; t += periodMs)
            for (size_t i = 0; i < text.size(); ++i) bytes_.push_back({t + static_cast<uint32_t>(i), text[i]});
    }

    GpsReadResult ReadByte(uint8_t& byte, uint32_t waitMs) override {
        if (clock_.CurrentTick >= stopAt) streams_.GpsReaderRun = 0;
        ++reads;
        if (!open) {
            // Fails at once: a loop that did not wait would spin here, so a
            // runaway is cut off for the count to show it.
            if (++failedReads > 100000) streams_.GpsReaderRun = 0;
            return GpsReadResult::Failed;
        }
        const uint32_t now = clock_.CurrentTick;
        const bool stops = stopAt >= now && stopAt - now < waitMs;
        const uint32_t end = stops ? stopAt : now + waitMs;
        if (next_ < bytes_.size() && bytes_[next_].first <= end) {
            clock_.CurrentTick = std::max(now, bytes_[next_].first) + 1;
            byte = static_cast<uint8_t>(bytes_[next_++].second);
            return GpsReadResult::Byte;
        }
        clock_.CurrentTick = end;
        if (!stops) return GpsReadResult::Nothing;
        streams_.GpsReaderRun = 0;
        return GpsReadResult::Failed;
    }
    void SetEventMask() override {}
    void HandOver() override {
        handOvers.push_back(clock_.CurrentTick);
        EXPECT_EQ(streams_.GpsSentenceReady.load(), 1);
    }
    void ShowConnectionBreak() override {
        breaks.push_back(clock_.CurrentTick);
        if (onBreak) onBreak();
        EXPECT_EQ(streams_.GpsConnectionBroken.load(), 1);
    }
    bool TryClosePort() override {
        clock_.CurrentTick += 1;
        if (closeFails) return false;
        open = false;
        return true;
    }
    void ReopenPort() override {
        reopens.push_back(clock_.CurrentTick);
        open = reopenWorks;
        // What was sent while the port was closed is lost.
        while (next_ < bytes_.size() && bytes_[next_].first < clock_.CurrentTick) ++next_;
    }
    void Wait(uint32_t ms) override { clock_.CurrentTick += ms; }

    uint32_t stopAt = 10000;
    bool open = true;
    bool reopenWorks = true;
    bool closeFails = false;
    std::function<void()> onBreak;
    int reads = 0;
    int failedReads = 0;
    std::vector<uint32_t> handOvers, breaks, reopens;

private:
    ManualClock& clock_;
    GpsStreams& streams_;
    std::vector<std::pair<uint32_t, char>> bytes_;
    size_t next_ = 0;
};

struct ReaderRun {
    GpsStreams streams;
    ManualClock clock;
    ScriptedPort port{clock, streams};
    CountingSounds sounds;
    LoggingStatus logging;
    MemoryFileSystem fs;
    DataFile file{fs};
    Settings settings;
    ConsoleStreams consoles;
    DataFileWriter writer{file, settings, clock, consoles, logging};

    int32_t disconnectAlarm = 1;

    void Go() {
        streams.GpsReaderRun = 1;
        GpsReaderLoop loop(streams, ApplyNmeaMode(1), port, clock, sounds, logging, &writer, disconnectAlarm);
        loop.Run();
    }
};

// A break is due 3000 ms after the last accepted sentence, or after the end
// of the last break; bytes alone do not keep the connection alive.
struct BreakCase {
    const char* name;
    std::string text;        // repeated every periodMs over the whole run
    uint32_t periodMs;
    bool reopenWorks;
    bool closeFails;
    std::vector<std::pair<uint32_t, uint32_t>> breakWindows;  // one per break, [from, to)
};

TEST(GpsReaderLoop, BreaksAreTimedFromTheLastAcceptedSentence) {
    const std::string noise(1, 'a');
    const BreakCase cases[] = {
        {"bad checksums only", BadGga, 200, true, false, {{3000, 3100}, {6000, 6200}, {9000, 9300}}},
        // One byte every millisecond, never a read time-out: the burst limit
        // still lets the loop look at the clock about once a second.
        {"noise that never pauses", noise, 1, true, false, {{3000, 4200}, {6000, 8400}, {9000, 12000}}},
        // The reopened port is gone: reads fail at once, the loop waits after
        // each, and a new break follows every 3 s.
        {"port gone after the reopen", std::string(), 0, false, false, {{3000, 3100}, {6000, 6100}, {9000, 9100}}},
        // A close that never succeeds is given up after 500 ms.
        {"close that keeps failing", std::string(), 0, true, true, {{3000, 3100}, {6500, 6600}}},
    };
    for (const BreakCase& c : cases) {
        SCOPED_TRACE(c.name);
        ReaderRun r;
        if (!c.text.empty()) r.port.Repeat(c.text, 0, 10000, c.periodMs);
        r.port.reopenWorks = c.reopenWorks;
        r.port.closeFails = c.closeFails;
        r.Go();
        EXPECT_TRUE(r.port.handOvers.empty());
        ASSERT_EQ(r.port.breaks.size(), c.breakWindows.size());
        for (size_t i = 0; i < c.breakWindows.size(); ++i) {
            EXPECT_GE(r.port.breaks[i], c.breakWindows[i].first) << i;
            EXPECT_LT(r.port.breaks[i], c.breakWindows[i].second) << i;
        }
        if (c.closeFails) {
            EXPECT_GE(r.port.reopens[0] - r.port.breaks[0], GpsCloseRetryMs);
        }
        // Never faster than one read per 10 ms of silence or failure.
        EXPECT_LE(r.port.reads, 1010 + (c.periodMs ? 10000 / static_cast<int>(c.periodMs) * int(c.text.size()) : 0));
        if (!c.reopenWorks) {
            EXPECT_GT(r.port.failedReads, 500);
        }
    }
}

// The break's record goes to the file only while recording; whether it rings
// is the next test's.
TEST(GpsReaderLoop, RecordsTheBreakOnlyWhileRecording) {
    for (int32_t state : {LoggingStandBy, LoggingRecording}) {
        SCOPED_TRACE(state);
        ReaderRun r;
        ASSERT_TRUE(r.file.Open("C:\\D\\F.MGR"));
        r.logging.LoggingState = state;
        r.port.Repeat(Gga, 0, 1000, 500);
        r.port.stopAt = 5000;
        r.Go();
        const std::string& out = r.fs.Files["C:\\D\\F.MGR"];
        if (state != LoggingRecording) {
            EXPECT_EQ(out, "");
            continue;
        }
        // Two sentences of three records and a trailer, then the break.
        ASSERT_EQ(out.size(), 9u * RecordLength) << test::Printable(out);
        EXPECT_EQ(out.substr(0, 26), "@" + Gga.substr(0, 25));
        EXPECT_EQ(out.substr(8 * RecordLength, 16), "XGPS CONN BR    ");
    }
}

// After a sleep the port is opened again at once, without a record of its
// own (the user-interface thread wrote the break of the time asleep), no
// red fields and no ring; the sentences after it come through.
TEST(GpsReaderLoop, ReopensWhenAskedAfterASleepWithoutARecord) {
    ReaderRun r;
    ASSERT_TRUE(r.file.Open("C:\\D\\F.MGR"));
    r.logging.LoggingState = LoggingRecording;
    r.port.Repeat(Gga, 0, 2000, 500);
    r.port.stopAt = 2000;
    r.streams.GpsReopenAsked = 1;
    r.Go();
    EXPECT_EQ(r.port.reopens.size(), 1u);
    EXPECT_TRUE(r.port.breaks.empty());
    EXPECT_EQ(r.sounds.rings, 0);
    EXPECT_EQ(r.streams.GpsReopenAsked.load(), 0);
    EXPECT_EQ(r.streams.GpsConnectionBroken.load(), 0);
    EXPECT_EQ(r.fs.Files["C:\\D\\F.MGR"].find("XGPS CONN BR"), std::string::npos);
    EXPECT_GE(r.port.handOvers.size(), 3u);
}

// Audio Options may change the alarm while the screen is open: each break
// rings by the setting of its own moment.
TEST(GpsReaderLoop, EachBreakRingsByTheAlarmSettingOfItsMoment) {
    ReaderRun r;
    r.disconnectAlarm = 0;
    r.port.onBreak = [&r] { r.disconnectAlarm = 1 - r.disconnectAlarm; };  // the change after each break
    r.Go();  // silent for 10 s: breaks near 3, 6 and 9 s with the alarm off, on, off
    ASSERT_EQ(r.port.breaks.size(), 3u);
    EXPECT_EQ(r.sounds.rings, 1);
    // The reader woke only for the breaks and the stop: each wait lasted until
    // the next break was due.
    EXPECT_EQ(r.port.reads, 4);
    EXPECT_EQ(r.port.breaks, (std::vector<uint32_t>{3001, 6003, 9005}));  // each close takes 1 ms
}

TEST(GpsReaderLoop, StopsWhenTheRunFlagIsClearedBeforeTheStart) {
    ReaderRun r;
    GpsReaderLoop loop(r.streams, ApplyNmeaMode(1), r.port, r.clock, r.sounds, r.logging, nullptr, r.disconnectAlarm);
    loop.Run();  // GpsReaderRun is still 0: the loop does not set it
    EXPECT_EQ(r.port.reads, 0);
    EXPECT_EQ(r.streams.GpsPortOpen.load(), 1);
}

}  // namespace
}  // namespace tesselog
