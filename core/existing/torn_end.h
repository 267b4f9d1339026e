// The end of a data file that the program did not finish writing. Every
// record or group is one write at the end of the file, so a crash of the
// program leaves whole records; but a power loss, or a disk that fails in
// the middle of a write, can leave a piece of a record, records of zero
// bytes that the disk had reserved but not yet filled, a GPS sentence group
// without its trailer or a segment group of fewer than four values. Before
// a header is appended to such a file, that end is cut off, so that every
// reader finds the new records at their places and no half group is taken
// for a whole one. Nothing before the last whole record or group is touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tesselog {

class DataFile;

// How far back from the end a torn end is looked for first: far more than
// the longest group (a GPS sentence of a few hundred characters). When all of
// it is damage (zeros a power loss left), the look goes further back.
constexpr size_t TornEndSearchBytes = 64 * 1024;

// The length of the file's whole part. `tail` holds the file's last `n`
// bytes, from `tailOffset` (a multiple of the record length) to the end.
uint64_t WholeLengthOfTail(const uint8_t* tail, size_t n, uint64_t tailOffset);

struct TornEnd {
    uint64_t Size = 0;         // the file's length as found
    uint64_t WholeLength = 0;  // the length that holds only whole records and groups
    uint64_t CutBytes() const { return Size - WholeLength; }
};

// Reads the end of the open file (under its lock, the position kept).
TornEnd FindTornEnd(DataFile& file);

// The message that tells the operator what was cut, before the header is added.
constexpr char TornEndCaption[] = "INFORMATION";
std::string TornEndText(uint64_t cutBytes);

}  // namespace tesselog
