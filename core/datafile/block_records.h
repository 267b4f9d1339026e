// Fixed-length records read in blocks: the data file's 27-byte records for
// the replays and scans, a background source's records, the copies' 30-byte
// records. A short record (the end, or a record cut off by a crash) ends
// the records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/datafile/record_reader.h"

namespace tesselog {

class DataFile;

class BlockRecordReader {
public:
    // Blocks start at 64 records and double up to `blockRecords`, so a short
    // file costs no large buffer.
    BlockRecordReader(ByteSource source, size_t recordLength, size_t blockRecords);
    // The next record's bytes, or nullptr at the end.
    const uint8_t* Next();
    uint64_t RecordsRead() const { return records_; }

private:
    static constexpr size_t FirstBlockRecords = 64;

    ByteSource source_;
    size_t length_;
    size_t maxBytes_;
    std::vector<uint8_t> block_;
    size_t used_ = 0;
    size_t filled_ = 0;
    uint64_t records_ = 0;
    bool ended_ = false;
};

// The bytes of a data file from `from` on, each read a `DataFile::ReadAt`
// (which keeps the writing position, so the file can be read while it is
// written).
ByteSource BytesFromDataFile(DataFile& file, uint64_t from = 0);

// About 1 MiB of data file records: a replay's block.
constexpr size_t ReplayBlockRecords = 38836;

}  // namespace tesselog
