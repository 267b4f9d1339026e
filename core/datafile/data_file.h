// The open data file: one handle shared by the user-interface thread and the
// GPS reader thread. Every record or record group is one write at the end of
// the file under one lock, and the close-and-reopen of a pause takes the same
// lock, so writes from the two threads never overlap or hit a closed handle.
// Nothing is written while no file is open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/platform/file_system.h"

namespace tesselog {

// Told of every write of Append, for the record log of the test build. It
// runs under the file's lock, right after the write, so it sees the writes
// in file order; it must not call back into the DataFile.
class DataFileObserver {
public:
    virtual ~DataFileObserver() = default;
    virtual void Appended(const void* bytes, size_t n) = 0;
};

class DataFile {
public:
    // Takes the default observer (none unless the test build set one).
    explicit DataFile(FileSystem& fs) : fs_(fs), observer_(DefaultObserver()) {}

    // The observer of this file's appends; nullptr for none.
    void SetObserver(DataFileObserver* observer);
    // The observer that DataFiles made from now on start with.
    static void SetDefaultObserver(DataFileObserver* observer) { DefaultObserver() = observer; }

    // Opens DataFilePath for reading and writing, existing or new (or
    // existing only), positioned at its start. False and closed on failure.
    bool Open(const std::string& path, OpenMode mode = OpenMode::ReadWriteAlways);
    void Close();
    // Closes and reopens the same path, positioned at its end (pause, header).
    bool CloseAndReopen();
    bool IsOpen() const;

    // One write of whole records at the current position (the end, except
    // right after Open); ignored when no file is open. Write results are not
    // reported, as a failed write cannot be repaired in the field anyway.
    void Append(const void* bytes, size_t n);
    void Append(const std::string& records) { Append(records.data(), records.size()); }

    // Direct access for creation and validation, under the same lock.
    size_t Read(void* buffer, size_t n);
    bool SeekToStart();
    bool SeekToEnd();

    // For the replays, which read the file back while it stays open for
    // writing: up to n bytes at `offset`, the position restored afterwards,
    // all under the lock, so that a record written meanwhile by the other
    // thread still goes to the end of the file.
    size_t ReadAt(uint64_t offset, void* buffer, size_t n);
    // The file's length in bytes; 0 when no file is open.
    uint64_t Size();
    // Cuts the file to `length` bytes, positioned at the new end: only for
    // the torn end of a file that is about to be appended to.
    bool CutTo(uint64_t length);

    const std::string& Path() const { return path_; }

private:
    static DataFileObserver*& DefaultObserver() {
        static DataFileObserver* observer = nullptr;
        return observer;
    }

    FileSystem& fs_;
    DataFileObserver* observer_;
    mutable std::mutex lock_;
    std::unique_ptr<File> file_;
    std::string path_;
};

}  // namespace tesselog
