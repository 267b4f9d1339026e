#include "core/common/line_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace tesselog {

bool LineReader::Fill() {
    if (ended_) return false;
    pos_ = 0;
    end_ = file_.Read(block_, BlockSize);
    if (end_ > BlockSize) end_ = BlockSize;  // a File that over-reports gets no trust
    if (end_ == 0) ended_ = true;
    return end_ > 0;
}

int LineReader::ReadLine(std::string& line, size_t maxLength) {
    maxLength = std::min<size_t>(maxLength, INT_MAX);
    line.clear();
    uint64_t total = 0;  // bytes of this line before its LF, kept or not
    for (;;) {
        if (pos_ == end_ && !Fill()) return -1;
        const char* start = block_ + pos_;
        size_t available = end_ - pos_;
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', available));
        size_t chunk = lf ? static_cast<size_t>(lf - start) : available;
        if (line.size() < maxLength) line.append(start, std::min(chunk, maxLength - line.size()));
        total += chunk;
        size_t consumed = lf ? chunk + 1 : chunk;
        pos_ += consumed;
        offset_ += consumed;
        if (lf) {
            size_t length = total == 0 ? 0 : static_cast<size_t>(std::min<uint64_t>(total - 1, maxLength));
            line.resize(length);
            return static_cast<int>(length);
        }
    }
}

int LineReader::ReadTextLine(std::string& line, size_t maxLength) {
    maxLength = std::min<size_t>(maxLength, INT_MAX);
    line.clear();
    uint64_t total = 0;  // bytes of this line before its LF, kept or not
    char last = '\0';
    for (;;) {
        if (pos_ == end_ && !Fill()) {
            if (total == 0) return -1;  // nothing after the last LF
            break;
        }
        const char* start = block_ + pos_;
        size_t available = end_ - pos_;
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', available));
        size_t chunk = lf ? static_cast<size_t>(lf - start) : available;
        if (line.size() < maxLength) line.append(start, std::min(chunk, maxLength - line.size()));
        if (chunk > 0) last = start[chunk - 1];
        total += chunk;
        size_t consumed = lf ? chunk + 1 : chunk;
        pos_ += consumed;
        offset_ += consumed;
        if (lf) break;
    }
    // The CR of a CR LF line end, when the line was not cut before it.
    if (last == '\r' && total == line.size()) line.pop_back();
    return static_cast<int>(line.size());
}

}  // namespace tesselog
