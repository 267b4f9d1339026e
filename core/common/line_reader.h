// Reads LF-terminated lines from a File: the settings file, ASCII background
// files and the data-file readers all use it.
//
// A line is the bytes before its LF with the last of them dropped: that byte
// is the CR of a CR LF line end, and whatever it is otherwise (a file with
// LF-only line ends loses the last character of every line). A LF as the
// very first byte of a line gives an empty line. The caller says how long a
// line may be; a longer one is cut to that length and the rest of it, up to
// its LF, is consumed and dropped, so the reader never holds more than the
// caller can take.
//
// The file is read in blocks, never one read call per byte, because the
// data-file readers go through files of tens of megabytes. The reader owns
// the file's read position while it is in use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/platform/file_system.h"

namespace tesselog {

class LineReader {
public:
    static constexpr size_t BlockSize = 4096;

    explicit LineReader(File& file) : file_(file) {}
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Reads the next line into `line`, at most maxLength bytes, and returns
    // its length. Returns -1 when the file ends before a LF; `line` then holds
    // the bytes read since the last LF (cut to maxLength, nothing dropped),
    // and is empty once the file is exhausted.
    int ReadLine(std::string& line, size_t maxLength);

    // A line of a text file made by any tool (a background file): the bytes
    // before its LF less a CR at their end, so LF-only line ends lose
    // nothing; a last line without LF is a line too. Cut to maxLength as
    // above. Returns -1 once the file is exhausted.
    int ReadTextLine(std::string& line, size_t maxLength);

    // Bytes consumed from the file so far, LFs included.
    uint64_t Offset() const { return offset_; }

private:
    bool Fill();

    File& file_;
    char block_[BlockSize];
    size_t pos_ = 0;
    size_t end_ = 0;
    bool ended_ = false;
    uint64_t offset_ = 0;
};

}  // namespace tesselog
