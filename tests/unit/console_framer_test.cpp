#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/acquisition/console_framer.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

using Sentences = std::vector<std::string>;

Sentences Frame(int32_t consoleType, const std::string& bytes, size_t chunk = 1) {
    ConsoleFramer framer(ConsoleMinSentenceFor(consoleType));
    Sentences out;
    for (size_t at = 0; at < bytes.size(); at += chunk) {
        framer.Feed(reinterpret_cast<const uint8_t*>(bytes.data()) + at, std::min(chunk, bytes.size() - at),
                    [&](const char* s, size_t length) {
                        EXPECT_EQ(std::string(s).size(), length);
                        out.emplace_back(s, length);
                    });
    }
    return out;
}

// The capture holds the two-sensor rules (names, CR, restarts, 99 and 100
// characters, noise); these are the cases it does not.
TEST(ConsoleFramer, LengthsAndTheLineWrap) {
    const std::string wrapHead = "$" + std::string(180, '9');  // count 181: the next byte lands at 0
    const struct {
        const char* name;
        int32_t consoleType;
        std::string bytes;
        Sentences accepted;
    } cases[] = {
        {"7 bytes on a one-sensor console", 0, "$PBAR,\r\n", {}},
        {"8 bytes on a one-sensor console", 0, "$PBAR,1\r\n", {}},
        {"9 bytes on a one-sensor console", 0, "$PBAR,12\r\n", {"$PBAR,12"}},
        {"no $ before the name", 1, "xPBAR,1\r\n", {}},
        // After the wrap, buffer[1..4] decides: the line is not "$"-led, yet it passes.
        {"wrap puts x at 0", 1, wrapHead + "xPBAR,1\r\n", {"xPBAR,1"}},
        {"wrap puts P at 0", 1, wrapHead + "PBAR,1\r\n", {}},
        {"one byte short of the wrap", 1, "$" + std::string(179, '9') + "xPBAR,1\r\n", {}},
        {"noise without LF", 1, std::string(5000, 'P') + "$PBAR,5,6\r\n", {"$PBAR,5,6"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Frame(c.consoleType, c.bytes), c.accepted) << c.name;
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
