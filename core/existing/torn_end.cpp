#include "core/existing/torn_end.h"

#include <vector>

#include "core/datafile/data_file.h"
#include "core/datafile/record_layout.h"

namespace tesselog {
namespace {

constexpr uint64_t Record = RecordLength;

bool IsGpsContinuation(uint8_t type) { return type == TypeGpsPositionNext || type == TypeGpsRejectedNext; }
bool IsGpsFirst(uint8_t type) { return type == TypeGpsPosition || type == TypeGpsRejected; }

// The records of the tail as the reader sees them, by their file offsets.
class Tail {
public:
    Tail(const uint8_t* bytes, size_t n, uint64_t offset) : bytes_(bytes), n_(n), offset_(offset) {}
    bool Has(uint64_t at) const { return at >= offset_ && at + Record <= offset_ + n_; }
    const uint8_t* At(uint64_t at) const { return bytes_ + (at - offset_); }

private:
    const uint8_t* bytes_;
    size_t n_;
    uint64_t offset_;
};

// A GPS group is closed by its trailer: sentence records at the very end
// have lost it, and go back to their first record.
uint64_t WithoutOpenGpsGroup(const Tail& tail, uint64_t end) {
    uint64_t at = end;
    while (at >= Record && tail.Has(at - Record) && IsGpsContinuation(tail.At(at - Record)[0])) at -= Record;
    if (at >= Record && tail.Has(at - Record) && IsGpsFirst(tail.At(at - Record)[0])) return at - Record;
    return at;
}

// A segment group of values 'a'..'p' is four records written together; the
// first records of one that did not reach its fourth go.
uint64_t WithoutOpenSegmentGroup(const Tail& tail, uint64_t end) {
    if (end < Record || !tail.Has(end - Record)) return end;
    const uint8_t* last = tail.At(end - Record);
    if (last[0] != TypeSegment || last[1] < 'a' || last[1] > 'p') return end;
    const int index = (last[1] - 'a') % 4;
    if (index == 3) return end;
    uint64_t at = end - Record;
    for (int i = index; i > 0; --i) {
        if (at < Record || !tail.Has(at - Record)) break;
        const uint8_t* before = tail.At(at - Record);
        if (before[0] != TypeSegment || before[1] != last[1] - (index - i) - 1) break;
        at -= Record;
    }
    return at;
}

}  // namespace

uint64_t WholeLengthOfTail(const uint8_t* bytes, size_t n, uint64_t tailOffset) {
    const Tail tail(bytes, n, tailOffset);
    const uint64_t size = tailOffset + n;
    uint64_t end = size - size % Record;
    // Records the disk reserved but never filled, or filled with a piece.
    while (end >= Record && tail.Has(end - Record) && tail.At(end - Record)[RecordLfColumn] != '\n') end -= Record;
    end = WithoutOpenGpsGroup(tail, end);
    return WithoutOpenSegmentGroup(tail, end);
}

TornEnd FindTornEnd(DataFile& file) {
    TornEnd result;
    result.Size = file.Size();
    const uint64_t whole = result.Size - result.Size % Record;
    // A power loss can leave more zeros than the first look reaches: while
    // nothing whole was found in it, look twice as far back.
    for (uint64_t reach = TornEndSearchBytes - TornEndSearchBytes % Record;; reach *= 2) {
        const uint64_t from = whole > reach ? whole - reach : 0;
        std::vector<uint8_t> tail(static_cast<size_t>(result.Size - from));
        tail.resize(file.ReadAt(from, tail.data(), tail.size()));
        if (tail.size() != result.Size - from) {
            result.WholeLength = result.Size;  // unreadable: nothing is cut
            return result;
        }
        result.WholeLength = WholeLengthOfTail(tail.data(), tail.size(), from);
        if (result.WholeLength > from || from == 0) return result;
    }
}

// What goes is a piece of a record or the records of an unfinished group,
// which can be whole records: the text names both.
std::string TornEndText(uint64_t cutBytes) {
    return "The end of this file was not written completely (the program or the computer stopped while "
           "writing).\r\nThe last " +
           std::to_string(cutBytes) +
           " bytes were removed: a record cut short, or the records of a GPS sentence or of a map position "
           "group that was not finished. Everything before them is kept.";
}

}  // namespace tesselog
