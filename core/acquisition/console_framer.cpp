#include "core/acquisition/console_framer.h"

#include <cstring>

namespace tesselog {

bool ConsoleFramer::Feed(uint8_t byte) {
    if (byte == '\n') {
        bool accepted = inSentence_ && count_ >= minSentence_ && buffer_[count_ - 1] == '\r' &&
                        buffer_[1] == 'P' && buffer_[2] == 'B' && buffer_[3] == 'A' && buffer_[4] == 'R';
        // The slot holds 100 bytes with the NUL, so a sentence of 100 characters
        // or more is dropped like any malformed line. Only a misbehaving console
        // sends one: the buffer wraps only after 180 bytes.
        if (accepted && count_ - 1 >= ConsoleSentenceSize) accepted = false;
        inSentence_ = false;
        if (!accepted) return false;  // a rejected line keeps its count
        buffer_[count_ - 1] = 0;
        sentenceLength_ = static_cast<size_t>(count_ - 1);
        // The buffer keeps the sentence for the caller; the next byte stored
        // overwrites buffer_[0] before it could be read again.
        count_ = 0;
        return true;
    }
    if (byte == '$') {
        buffer_[0] = '$';
        count_ = 1;
        inSentence_ = true;
        return false;
    }
    // Bytes are collected outside a sentence too; only a "$" makes them part of one.
    if (count_ > ConsoleLineWrapCount) count_ = 0;
    buffer_[count_++] = byte;
    return false;
}

void StoreAcceptedSentence(ConsoleStreams& streams, int k, const char* sentence, size_t length, uint32_t tick) {
    if (k < 0 || k >= MaxConsoles) return;
    if (length >= static_cast<size_t>(ConsoleSentenceSize)) return;  // the framer never accepts one
    streams.ConsoleLastDataTick[k].store(tick);
    std::memcpy(streams.ConsoleSentence[k], sentence, length);
    streams.ConsoleSentence[k][length] = 0;
    streams.ConsoleBreakLogged[k].store(0);
    streams.ConsoleInBreak[k].store(0);
}

ConsoleReader::ConsoleReader(ConsoleStreams& streams, const Settings& settings, int k)
    : streams_(streams),
      k_(k),
      framer_(ConsoleMinSentenceFor(k >= 0 && k < MaxConsoles ? settings.ConsoleType[k] : 0)) {
    if (k >= 0 && k < MaxConsoles) streams.ConsoleMinSentence[k] = framer_.MinSentence();
}

bool ConsoleReader::Feed(uint8_t byte, Clock& clock) {
    if (!framer_.Feed(byte)) return false;
    StoreAcceptedSentence(streams_, k_, framer_.Sentence(), framer_.SentenceLength(), clock.Tick());
    return true;
}

}  // namespace tesselog
