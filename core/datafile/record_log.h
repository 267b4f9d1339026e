// The record log of the test build: a data-file observer that writes one
// line per record as soon as the write holding it has returned,
// "<microseconds> <the record's 26 bytes>" and a LF. Together with the
// simulator's write log it gives how long each sentence took from the
// serial line to the data file. The record bytes go in as they are (a
// reading record's tag may be above 0x7F); a reader splits a line after the
// time and its space, then takes the 26 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "core/datafile/data_file.h"
#include "core/platform/file_system.h"

namespace tesselog {

// A monotonic clock in microseconds, the one the simulator's write log uses.
class MicrosecondClock {
public:
    virtual ~MicrosecondClock() = default;
    virtual uint64_t Microseconds() = 0;
};

class RecordLog : public DataFileObserver {
public:
    RecordLog(std::unique_ptr<File> file, MicrosecondClock& clock) : file_(std::move(file)), clock_(clock) {}

    // One time for the whole write; a piece after the last LF (never written
    // by the program, which appends whole records) is logged as a line too.
    void Appended(const void* bytes, size_t n) override;

private:
    std::unique_ptr<File> file_;
    MicrosecondClock& clock_;
};

}  // namespace tesselog
