#include "core/datafile/block_records.h"

#include <algorithm>
#include <cstring>

#include "core/datafile/data_file.h"

namespace tesselog {

BlockRecordReader::BlockRecordReader(ByteSource source, size_t recordLength, size_t blockRecords)
    : source_(std::move(source)), length_(std::max<size_t>(recordLength, 1)),
      maxBytes_(std::max<size_t>(blockRecords, 1) * length_) {}

const uint8_t* BlockRecordReader::Next() {
    if (used_ + length_ > filled_) {
        if (ended_) return nullptr;
        // Keep the part of a record that the last block cut off.
        const size_t rest = filled_ - used_;
        if (rest > 0) std::memmove(block_.data(), block_.data() + used_, rest);
        if (block_.size() < maxBytes_)
            block_.resize(std::min(maxBytes_, std::max(block_.size() * 2, FirstBlockRecords * length_)));
        size_t got = rest;
        while (got < block_.size()) {
            const size_t n = source_(block_.data() + got, block_.size() - got);
            if (n == 0 || n > block_.size() - got) {
                ended_ = true;
                break;
            }
            got += n;
        }
        filled_ = got;
        used_ = 0;
        if (filled_ < length_) return nullptr;
    }
    const uint8_t* record = block_.data() + used_;
    used_ += length_;
    ++records_;
    return record;
}

ByteSource BytesFromDataFile(DataFile& file, uint64_t from) {
    return [&file, from](void* buffer, size_t n) mutable {
        const size_t got = file.ReadAt(from, buffer, n);
        from += got;
        return got;
    };
}

}  // namespace tesselog
