// Framing of a Grad601 console's byte stream into "$PBAR" sentences. The
// framer is fed one byte at a time and knows nothing of threads or ports: the
// Win32 reader thread feeds it what the port delivers, and the replay tool and
// the tests feed it recorded bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/acquisition/acquisition_state.h"
#include "core/platform/clock.h"
#include "core/settings/settings.h"

namespace tesselog {

constexpr int ConsoleLineBufferSize = 300;
// A line that grows beyond this many bytes without a LF starts over at 0.
constexpr int ConsoleLineWrapCount = 180;

// Least number of bytes from the "$" to the CR inclusive: 7 for a two-sensor
// console (ConsoleType 1), 9 for a one-sensor console.
constexpr int32_t ConsoleMinSentenceFor(int32_t consoleType) { return consoleType == 1 ? 7 : 9; }

class ConsoleFramer {
public:
    explicit ConsoleFramer(int32_t minSentence) : minSentence_(minSentence) {}

    // Feeds one byte. True when it was the LF of an acceptable sentence; the
    // sentence (without CR, NUL-terminated) is then Sentence() until the next
    // Feed.
    bool Feed(uint8_t byte);

    // Feeds a span and calls onSentence(const char* sentence, size_t length)
    // for every accepted sentence.
    template <typename OnSentence>
    void Feed(const uint8_t* bytes, size_t n, OnSentence&& onSentence) {
        for (size_t i = 0; i < n; ++i)
            if (Feed(bytes[i])) onSentence(Sentence(), SentenceLength());
    }

    const char* Sentence() const { return reinterpret_cast<const char*>(buffer_); }
    size_t SentenceLength() const { return sentenceLength_; }
    int32_t MinSentence() const { return minSentence_; }

private:
    int32_t minSentence_;
    uint8_t buffer_[ConsoleLineBufferSize] = {};
    int count_ = 0;
    bool inSentence_ = false;
    size_t sentenceLength_ = 0;
};

// What the reader thread does with an accepted sentence before it sends
// MSG_CONSOLE_DATA for console k: the arrival tick, the sentence into the
// slot, and the end of any connection break of that console.
void StoreAcceptedSentence(ConsoleStreams& streams, int k, const char* sentence, size_t length, uint32_t tick);

// One console's reader without the port: its framer and its slot. Made when
// the reader thread starts, which also sets ConsoleMinSentence[k].
class ConsoleReader {
public:
    ConsoleReader(ConsoleStreams& streams, const Settings& settings, int k);

    // Feeds one byte; on an accepted sentence stores it with the clock's tick
    // and returns true: the caller then sends MSG_CONSOLE_DATA for Console().
    bool Feed(uint8_t byte, Clock& clock);

    int Console() const { return k_; }

private:
    ConsoleStreams& streams_;
    int k_;
    ConsoleFramer framer_;
};

}  // namespace tesselog
