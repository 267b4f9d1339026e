#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/acquisition/console_framer.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

std::vector<std::string> Frame(int32_t consoleType, const std::string& bytes, size_t chunk = 1) {
    ConsoleFramer framer(ConsoleMinSentenceFor(consoleType));
    std::vector<std::string> out;
    for (size_t at = 0; at < bytes.size(); at += chunk) {
        size_t n = std::min(chunk, bytes.size() - at);
        framer.Feed(reinterpret_cast<const uint8_t*>(bytes.data()) + at, n,
                    [&](const char* s, size_t length) {
                        EXPECT_EQ(std::string(s).size(), length);
                        out.emplace_back(s, length);
                    });
    }
    return out;
}

struct FrameCase {
    const char* name;
    int32_t consoleType;
    std::string bytes;
    std::vector<std::string> accepted;
};

TEST(ConsoleFramer, AcceptsAndRejectsLines) {
    const std::string x99(99 - 5, 'x');   // "$PBAR" + 94 = 99 characters
    const std::string x100(100 - 5, 'x');
    const std::vector<FrameCase> cases = {
        {"two-sensor sentence", 1, "$PBAR,0060,0065\r\n", {"$PBAR,0060,0065"}},
        {"7 bytes on a two-sensor console", 1, "$PBAR,\r\n", {"$PBAR,"}},
        {"7 bytes on a one-sensor console", 0, "$PBAR,\r\n", {}},
        {"9 bytes on a one-sensor console", 0, "$PBAR,12\r\n", {"$PBAR,12"}},
        {"8 bytes on a one-sensor console", 0, "$PBAR,1\r\n", {}},
        {"no CR", 1, "$PBAR,0060\n", {}},
        {"other sentence name", 1, "$GPGGA,1,2,3\r\n", {}},
        {"name test is case-sensitive", 1, "$pbar,1\r\n", {}},
        {"second $ restarts", 1, "$PB$PBAR,12\r\n", {"$PBAR,12"}},
        {"CR in the middle", 1, "$PBAR,1\rx\n", {}},
        {"bytes outside a sentence", 1, "PBAR,0060,0065\r\n", {}},
        {"broken line then sentence", 1, "$PBAR,00\r$PBAR,0061,0062\r\n", {"$PBAR,0061,0062"}},
        {"99 characters", 1, "$PBAR" + x99 + "\r\n", {"$PBAR" + x99}},
        {"100 characters dropped", 1, "$PBAR" + x100 + "\r\n$PBAR,1,2\r\n", {"$PBAR,1,2"}},
        {"LF ends the sentence", 1, "$PBAR,1,2\r\n\r\n$PBAR,3\r\n", {"$PBAR,1,2", "$PBAR,3"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Frame(c.consoleType, c.bytes), c.accepted) << c.name;
}

TEST(ConsoleFramer, LineWrapsAfter180Bytes) {
    // Inside a sentence the count starts over at 0 with the 182nd byte: what
    // then stands at buffer[1..4] decides. The wrapped line is not "$"-led,
    // yet it passes the checks as the reader makes them.
    std::string head = "$" + std::string(180, '9');  // count 181
    EXPECT_EQ(Frame(1, head + "xPBAR,1\r\n"), std::vector<std::string>{"xPBAR,1"});
    EXPECT_EQ(Frame(1, head + "PBAR,1\r\n"), std::vector<std::string>{});
    // One byte fewer: the x still fits, the wrap comes with the P.
    EXPECT_EQ(Frame(1, "$" + std::string(179, '9') + "xPBAR,1\r\n"), std::vector<std::string>{});
    // A long run of noise without LF never reaches past the buffer, and the
    // next "$" starts cleanly.
    EXPECT_EQ(Frame(1, std::string(5000, 'P') + "$PBAR,5,6\r\n"), std::vector<std::string>{"$PBAR,5,6"});
}

TEST(ConsoleFramer, ReaderStoresIntoItsOwnSlotOnly) {
    ConsoleStreams streams;
    Settings settings;
    settings.ConsoleType[2] = 0;
    for (int k = 0; k < MaxConsoles; ++k) streams.ConsoleLastDataTick[k] = 7;
    streams.ConsoleBreakLogged[2] = 1;
    streams.ConsoleInBreak[2] = 1;
    streams.ConsoleInBreak[1] = 1;
    ManualClock clock;
    clock.CurrentTick = 4000000000u;
    ConsoleReader reader(streams, settings, 2);
    EXPECT_EQ(streams.ConsoleMinSentence[2], 9);

    int sends = 0;
    for (char ch : std::string("$PBAR,+12.5\r\n")) sends += reader.Feed(static_cast<uint8_t>(ch), clock);
    EXPECT_EQ(sends, 1);
    EXPECT_EQ(reader.Console(), 2);
    EXPECT_STREQ(streams.ConsoleSentence[2], "$PBAR,+12.5");
    EXPECT_EQ(streams.ConsoleLastDataTick[2], 4000000000u);
    EXPECT_EQ(streams.ConsoleBreakLogged[2], 0);
    EXPECT_EQ(streams.ConsoleInBreak[2], 0);
    for (int k = 0; k < MaxConsoles; ++k) {
        if (k == 2) continue;
        EXPECT_EQ(streams.ConsoleSentence[k][0], 0) << k;
        EXPECT_EQ(streams.ConsoleLastDataTick[k], 7u) << k;
    }
    EXPECT_EQ(streams.ConsoleInBreak[1], 1);
}

TEST(ConsoleFramer, CaptureGivesSameSentencesInAnyChunking) {
    std::string capture = test::ReadFileBytes(test::TestDataPath("data/console/two-sensor-capture.bin"));
    ASSERT_GT(capture.size(), 10000u);
    std::string expected = test::ReadFileBytes(test::TestDataPath("golden/two-sensor-capture.sentences"));
    ASSERT_FALSE(expected.empty());
    for (size_t chunk : {1, 7, 4096}) {
        std::string joined;
        for (const auto& s : Frame(1, capture, chunk)) joined += s + "\n";
        EXPECT_EQ(joined, expected) << "chunks of " << chunk;
    }
}

}  // namespace
}  // namespace tesselog
