// The open data file: one handle shared by the user-interface thread and the
// GPS reader thread. Every record or record group is one write at the end of
// the file under one lock, and the close-and-reopen of a pause takes the same
// lock, so writes from the two threads never overlap or hit a closed handle.
// Nothing is written while no file is open.
//
// A write that fails (disk full, disk removed) must not leave part of a
// record behind: the file is cut back to where that write began, so it still
// ends with a whole record or group, and the failure is remembered. From then
// on nothing more is written to this file: a later, smaller record that fits
// would leave a gap in the survey that nobody sees. The user-interface thread
// reads WriteFailed() and stops the recording.
#pragma once

#include <atomic>
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
    // existing only), positioned at its start, with no failure remembered.
    // False and closed on failure.
    bool Open(const std::string& path, OpenMode mode = OpenMode::ReadWriteAlways);
    void Close();
    // Closes and reopens the same path, existing only, positioned at its end
    // (pause). A file that cannot be reopened (its disk was removed) counts
    // as a failed write; a new empty file is never made in its place.
    bool CloseAndReopen();
    bool IsOpen() const;

    // One write of whole records at the current position (the end, except
    // right after Open); ignored when no file is open or a write failed. A
    // failed or short write loses that record or group: the file is cut
    // back to where the write began and WriteFailed() turns true.
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

    // Puts what the system holds of the file on the disk (the steady flush
    // while recording, pause, new line, exit); a flush that fails counts as
    // a failed write.
    void Flush();
    // True from a failed write or flush until the next Open. Read by the
    // user-interface thread; the GPS reader thread's writes set it too.
    bool WriteFailed() const { return writeFailed_.load(); }

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
    std::atomic<bool> writeFailed_{false};
};

}  // namespace tesselog
