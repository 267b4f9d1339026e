#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/acquisition/console_reader_loop.h"

namespace tesselog {
namespace {

// One run of the reader of console k on a scripted port that delivers bytes
// at their arrival ticks, one byte per millisecond at most; a read waits for
// the next byte as long as the loop lets it. Time moves only through the
// port. The stop takes the handle at invalidAt, which ends a wait at once;
// from failFrom every read fails at once. The device is unplugged at goneAt:
// the handle open then reads nothing and the bytes sent meanwhile are lost;
// a reopen finds the device again from backAt. A closed port's reads fail.
struct ReaderRun : ConsoleReaderIo {
    explicit ReaderRun(int k, int32_t consoleType = 1) : k(k) {
        settings.ConsoleType[k] = consoleType;
        streams.ConsolePortOpen[k] = 1;
        streams.ConsoleInBreak[k] = 1;
        streams.ConsoleBreakLogged[k] = 1;
    }
    void Send(const std::string& text, uint32_t at) {
        for (size_t i = 0; i < text.size(); ++i) bytes.push_back({at + static_cast<uint32_t>(i), text[i]});
    }
    void Go() { ConsoleReaderLoop(streams, settings, k, *this, clock).Run(); }

    bool PortValid() override {
        if (clock.CurrentTick < invalidAt) return true;
        if (stopSetsClosed) streams.ConsolePortOpen[k] = 0;
        return false;
    }
    void PurgePort() override {
        calls += "purge ";
        while (next < bytes.size() && bytes[next].first < clock.CurrentTick) ++next;
    }
    void SetEventMask() override { calls += "mask "; }
    ConsoleReadResult ReadByte(uint8_t& byte, uint32_t waitMs) override {
        ++reads;
        if (clock.CurrentTick >= failFrom || !open) return ConsoleReadResult::Failed;
        const uint32_t now = clock.CurrentTick;
        const bool stops = invalidAt >= now && invalidAt - now < waitMs;
        const uint32_t end = stops ? invalidAt : now + waitMs;
        const bool dies = openedAt < goneAt;  // this handle reads nothing from goneAt on
        if (next < bytes.size() && bytes[next].first <= end && !(dies && std::max(now, bytes[next].first) >= goneAt)) {
            clock.CurrentTick = std::max(now, bytes[next].first) + 1;
            byte = static_cast<uint8_t>(bytes[next++].second);
            return ConsoleReadResult::Byte;
        }
        while (dies && next < bytes.size() && bytes[next].first <= end) ++next;
        clock.CurrentTick = end;
        return stops ? ConsoleReadResult::Failed : ConsoleReadResult::Nothing;
    }
    // The handler: what it finds in the shared state, then it empties the
    // slot as the console reading handler does, and the connection watch
    // marks a new break meanwhile.
    void HandOver() override {
        handOvers.push_back({clock.CurrentTick, streams.ConsoleSentence[k], streams.ConsoleLastDataTick[k],
                             streams.ConsoleBreakLogged[k], streams.ConsoleInBreak[k], streams.ConsolePortOpen[k]});
        streams.ConsoleSentence[k][0] = 0;
        streams.ConsoleInBreak[k] = 1;
        streams.ConsoleBreakLogged[k] = 1;
    }
    void Wait(uint32_t ms) override { clock.CurrentTick += ms; }
    // The stop takes the handle at invalidAt: closed for the reader, and no
    // more opening.
    bool TryClosePort() override {
        calls += "close ";
        if (clock.CurrentTick >= invalidAt) return true;
        if (closeFailures > 0 && closeFailures--) return false;
        open = false;
        return true;
    }
    bool ReopenPort() override {
        clock.CurrentTick += 1;  // an open takes time, so a loop that reopens on every pass still ends
        const bool found = !open && clock.CurrentTick < invalidAt && clock.CurrentTick >= backAt;
        calls += found ? "reopen " : "none ";
        reopens.push_back({clock.CurrentTick, found});
        if (found) {
            open = true;
            openedAt = clock.CurrentTick;
        }
        return found;
    }

    struct Seen {
        uint32_t tick;
        std::string sentence;
        uint32_t lastDataTick;
        int32_t breakLogged, inBreak, portOpen;
    };
    int k;
    ConsoleStreams streams;
    Settings settings;
    ManualClock clock;
    uint32_t invalidAt = 1000;
    uint32_t failFrom = 0xFFFFFFFFu;
    bool stopSetsClosed = false;
    uint32_t goneAt = 0xFFFFFFFFu;
    uint32_t backAt = 0;
    int closeFailures = 0;
    bool open = true;
    uint32_t openedAt = 0;
    std::vector<std::pair<uint32_t, bool>> reopens;  // tick, found
    int reads = 0;
    std::string calls;
    std::vector<Seen> handOvers;
    std::vector<std::pair<uint32_t, char>> bytes;
    size_t next = 0;
};

// The hand-over of each sentence: the handler finds its own sentence, the
// arrival tick and both break flags cleared; the reader's framing of the
// next bytes leaves the slot alone, so what the handler emptied stays empty
// until the next accepted sentence. Only console k's entries change.
TEST(ConsoleReaderLoop, EachSentenceIsStoredThenHandedOverAlone) {
    ReaderRun r(2);
    r.streams.ConsoleInBreak[1] = 1;  // another console's break stays
    r.Send("$PBAR,0060,0065\r\n$PBAR,0061,0066\r\n", 100);  // back to back
    r.Send("$PBAR,1\r\nx\n$PBAR,0062", 300);                 // a rejected line, a partial one
    r.Go();

    ASSERT_EQ(r.handOvers.size(), 3u);
    const char* expected[] = {"$PBAR,0060,0065", "$PBAR,0061,0066", "$PBAR,1"};
    for (size_t i = 0; i < 3; ++i) {
        const auto& seen = r.handOvers[i];
        EXPECT_EQ(seen.sentence, expected[i]) << i;
        EXPECT_EQ(seen.lastDataTick, seen.tick) << i;  // stored at the LF, no time passes before the send
        EXPECT_EQ(seen.breakLogged, 0) << i;
        EXPECT_EQ(seen.inBreak, 0) << i;
        EXPECT_EQ(seen.portOpen, 2) << i;
    }
    EXPECT_EQ(r.streams.ConsoleSentence[2][0], 0);  // emptied by the handler, not refilled by the partial line
    EXPECT_EQ(r.streams.ConsoleInBreak[2], 1);      // set during the last hand-over, left alone since
    EXPECT_EQ(r.streams.ConsoleLastDataTick[2], r.handOvers[2].tick);
    for (int k = 0; k < MaxConsoles; ++k) {
        if (k == 2) continue;
        EXPECT_EQ(r.streams.ConsoleSentence[k][0], 0) << k;
        EXPECT_EQ(r.streams.ConsoleLastDataTick[k], 0u) << k;
        EXPECT_EQ(r.streams.ConsolePortOpen[k], 0) << k;
        EXPECT_EQ(r.streams.ConsoleInBreak[k], k == 1) << k;
    }
}

// The start sets the minimum of the console's type (the purge and the event
// mask that follow it are in the steady stream's calls below).
TEST(ConsoleReaderLoop, StartSetsTheMinimumOfTheConsoleType) {
    ReaderRun r(0, 0);  // a one-sensor console: 9 bytes at least
    r.Send("$PBAR,1\r\n$PBAR,12\r\n", 0);
    r.Go();
    EXPECT_EQ(r.streams.ConsoleMinSentence[0], 9);
    ASSERT_EQ(r.handOvers.size(), 1u);
    EXPECT_EQ(r.handOvers[0].sentence, "$PBAR,12");
}

// A console sending a sentence every 100 ms from 50 ms on, until `until`.
void SendEvery100Ms(ReaderRun& r, uint32_t until) {
    for (uint32_t t = 50; t + 20 < until; t += 100) r.Send("$PBAR,0060,0065\r\n", t);
}

// An unplugged adapter: after more than 3000 ms without an accepted sentence
// the port is closed (the close retried) and opened again, then purged and
// masked; while the device stays gone, one more try every 1000 ms, failed
// reads waiting 10 ms each. Readings go on from the first sentence after the
// reopen. A steady stream never reopens.
TEST(ConsoleReaderLoop, ReopensAfterSilenceAndRetriesWhileGone) {
    const struct {
        const char* name;
        uint32_t goneAt, backAt, end;
        int closeFailures;
        const char* calls;
    } cases[] = {
        {"steady stream", 0xFFFFFFFFu, 0, 10000, 0, "purge mask "},
        {"unplugged 1 s", 1000, 2000, 10000, 0, "purge mask close reopen purge mask "},
        {"unplugged 7 s", 1000, 8000, 14000, 0,
         "purge mask close none close none close none close none close reopen purge mask "},
        {"close fails twice", 1000, 2000, 10000, 2, "purge mask close close close reopen purge mask "},
    };
    for (const auto& c : cases) {
        ReaderRun r(1);
        SendEvery100Ms(r, c.end);
        r.goneAt = c.goneAt;
        r.backAt = c.backAt;
        r.invalidAt = c.end;
        r.closeFailures = c.closeFailures;
        r.Go();
        EXPECT_EQ(r.calls, c.calls) << c.name;

        uint32_t lastAccepted = 0;
        for (const auto& seen : r.handOvers)
            if (seen.tick < c.goneAt) lastAccepted = seen.tick;
        uint32_t due = ConsoleReopenAfterMs;  // 3000 ms of silence, then 1000 ms between tries
        for (const auto& [tick, found] : r.reopens) {
            // The first: the wait ends 1 ms past the due time, the open takes 1 ms, each failed close
            // 10 ms more. Between tries the port is closed: failed reads wait 10 ms each.
            EXPECT_EQ(tick - lastAccepted, due == ConsoleReopenAfterMs ? due + 2 + 10 * c.closeFailures : due + 11)
                << c.name;
            lastAccepted = tick;
            due = ConsoleReopenRetryMs;
            if (!found) continue;
            // Nothing read while the device was gone; the next sentence after the reopen comes through.
            size_t after = 0;
            for (const auto& seen : r.handOvers) {
                EXPECT_TRUE(seen.tick < c.goneAt || seen.tick > tick) << c.name << " " << seen.tick;
                after += seen.tick > tick;
            }
            size_t sentAfter = 0;
            for (uint32_t t = 50; t + 20 < c.end; t += 100) sentAfter += t > tick;
            EXPECT_EQ(after, sentAfter) << c.name;
        }
        EXPECT_LE(r.reads, static_cast<int>(17 * r.handOvers.size() + c.end / 10 + 20)) << c.name;  // no spinning
    }
}

// After a sleep the user-interface thread asks for a reopen: it comes at the
// next pass although sentences keep coming, once, and the flag is taken.
TEST(ConsoleReaderLoop, ReopensOnceWhenAskedAfterASleep) {
    ReaderRun r(2);
    SendEvery100Ms(r, 3000);
    r.invalidAt = 3000;
    r.streams.ConsoleReopenAsked[2] = 1;
    r.Go();
    EXPECT_EQ(r.calls, "purge mask close reopen purge mask ");
    EXPECT_EQ(r.streams.ConsoleReopenAsked[2].load(), 0);
    ASSERT_EQ(r.reopens.size(), 1u);
    EXPECT_LT(r.reopens[0].first, 10u);
    EXPECT_GE(r.handOvers.size(), 25u);
}

// The stop makes the handle invalid whatever the reader is doing: the loop
// ends within one read time-out of it (the close ends the wait on a silent
// port), never opens the port afterwards and leaves ConsolePortOpen at 1
// unless the stop code has already set 0. A silent port is read once: its
// wait lasts until the stop, the reopen not being due before 3 s; a port
// whose reads fail at once is not spun on.
TEST(ConsoleReaderLoop, StopEndsReaderWithoutReopen) {
    const uint32_t never = 0xFFFFFFFFu;
    const struct {
        const char* name;
        bool stream;  // a sentence every 100 ms, the device gone from 1000 ms on
        uint32_t stopAt, backAt, failFrom;
        int closeFailures;
        bool stopSetsClosed;
        int32_t portOpenAfter;
        int reads;  // 0: not counted
    } cases[] = {
        {"silent port", false, 1000, 0, never, 0, false, 1, 1},
        {"stop already set 0", false, 1000, 0, never, 0, true, 0, 1},
        {"reads fail at once", false, 1000, 0, 0, 0, false, 1, 100},  // one per 10 ms wait
        {"silent, reopen not yet due", true, 2500, 0, never, 0, false, 1, 0},
        {"device gone, between tries", true, 5000, never, never, 0, false, 1, 0},
        {"during the close's retries", true, 4100, 0, never, 1000, false, 1, 0},
    };
    for (const auto& c : cases) {
        ReaderRun r(3);
        if (c.stream) {
            SendEvery100Ms(r, 10000);
            r.goneAt = 1000;
        }
        r.invalidAt = c.stopAt;
        r.backAt = c.backAt;
        r.failFrom = c.failFrom;
        r.closeFailures = c.closeFailures;
        r.stopSetsClosed = c.stopSetsClosed;
        r.Go();
        EXPECT_LE(r.clock.CurrentTick, c.stopAt + 10) << c.name;
        if (c.reads) {
            EXPECT_EQ(r.reads, c.reads) << c.name;
        }
        for (const auto& [tick, found] : r.reopens) EXPECT_FALSE(found) << c.name << " " << tick;
        EXPECT_EQ(r.streams.ConsolePortOpen[3], c.portOpenAfter) << c.name;
    }
}

}  // namespace
}  // namespace tesselog
