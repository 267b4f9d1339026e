#include "core/gps/gps_framer.h"

#include <cstring>
#include <string>

#include "core/datafile/data_file_writers.h"
#include "core/datafile/record_layout.h"

namespace tesselog {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool GpsChecksumMatches(std::string_view sentence) {
    if (sentence.empty() || sentence[0] != '$') return false;
    const size_t star = sentence.find('*');
    if (star == std::string_view::npos) return false;
    unsigned sum = 0;
    for (size_t i = 1; i < star; ++i) sum ^= static_cast<uint8_t>(sentence[i]);
    // The leading hex digits as one number; no digits read as 0. Once the
    // number is past 0xFF it can no longer equal a byte, so it stops growing.
    unsigned stated = 0;
    for (size_t i = star + 1; i < sentence.size(); ++i) {
        int digit = HexDigit(sentence[i]);
        if (digit < 0) break;
        if (stated <= 0xFF) stated = stated * 16 + static_cast<unsigned>(digit);
    }
    return stated == sum;
}

void GpsFramer::Start(uint32_t now) {
    std::memset(buffer_, 0, sizeof buffer_);
    std::memset(lastLine_, 0, sizeof lastLine_);
    count_ = 0;
    lastAcceptedTick_ = now;
    line_ = GpsLine();
}

bool GpsFramer::Feed(uint8_t byte, uint32_t now) {
    if (byte == '$') {
        streams_.GpsSentenceTick.store(now);
        buffer_[0] = '$';
        count_ = 1;
        return false;
    }
    if (byte == '\n') {
        if (count_ == 0) return false;
        const size_t length = static_cast<size_t>(count_ - 1);  // the CR goes
        count_ = 0;
        Finish(length, now);
        return true;
    }
    if (count_ > GpsLineRestartCount) count_ = 0;
    buffer_[count_++] = byte;
    return false;
}

void GpsFramer::Reject(std::string_view text) {
    streams_.GpsSentenceReady.store(0);
    line_.Accepted = false;
    line_.PassedOn = false;
    line_.First = TypeGpsRejected;
    line_.Next = TypeGpsRejectedNext;
    line_.Tick = streams_.GpsSentenceTick.load();
    line_.Text = text;
}

void GpsFramer::Finish(size_t length, uint32_t now) {
    const char* bytes = reinterpret_cast<const char*>(buffer_);
    const void* nul = std::memchr(bytes, 0, length);
    if (nul) length = static_cast<size_t>(static_cast<const char*>(nul) - bytes);

    // The last-line copy is what the records are written from, accepted or not.
    std::memcpy(lastLine_, bytes, length);
    lastLine_[length] = 0;
    const std::string_view text(lastLine_, length);

    if (length == 0 || text[0] != '$') {
        streams_.GpsSentenceTick.store(now);
        Reject(text);
        return;
    }
    if (mode_.GpsChecksumRequired == 1 && !GpsChecksumMatches(text)) {
        Reject(text);
        return;
    }
    if (length >= static_cast<size_t>(GpsSentenceSize)) {  // see the header: rejected, not cut
        Reject(text);
        return;
    }

    std::memcpy(streams_.GpsSentence, text.data(), length);
    streams_.GpsSentence[length] = 0;
    streams_.GpsSentenceReady.store(1);
    lastAcceptedTick_ = now;

    line_.Accepted = true;
    line_.PassedOn = IsPassedOn(text, mode_);
    line_.First = line_.PassedOn ? TypeGpsPosition : TypeEvent;
    line_.Next = TypeGpsPositionNext;
    line_.Tick = streams_.GpsSentenceTick.load();
    line_.Text = text;
}

void WriteGpsLine(DataFileWriter& writer, const LoggingStatus& logging, const GpsLine& line) {
    if (logging.LoggingState.load() != LoggingRecording) return;
    writer.WriteGpsRecords(std::string(line.Text), line.Tick, line.First, line.Next);
}

}  // namespace tesselog
