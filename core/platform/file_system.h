// Files as the core sees them: byte streams opened by path, with no text
// translation. The Win32 layer implements this with CreateFileW (no sharing);
// StdioFileSystem serves native tools and tests, MemoryFileSystem the fuzzers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tesselog {

class File {
public:
    virtual ~File() = default;
    // Reads up to n bytes at the current position; returns how many came
    // (0 at the end of the file or on an error).
    virtual size_t Read(void* buffer, size_t n) = 0;
    // Writes n bytes at the current position; true when all were written.
    virtual bool Write(const void* data, size_t n) = 0;
    virtual bool SeekToStart() = 0;
    virtual bool SeekToEnd() = 0;
    // The current offset from the start, and a move to an offset.
    virtual uint64_t Position() = 0;
    virtual bool SeekTo(uint64_t offset) = 0;
    // Hands what the system still holds of this file to the disk; true when
    // the disk took it (false, for example, when the disk was removed).
    virtual bool Flush() = 0;
    // Cuts the file to `length` bytes (at most its size) and moves there;
    // true on success.
    virtual bool Truncate(uint64_t length) = 0;
};

enum class OpenMode {
    ReadExisting,       // read only; fails when the file is missing
    CreateTruncate,     // write only; creates the file or empties it
    ReadWriteExisting,  // read and write; fails when missing or in use
    ReadWriteAlways,    // read and write; opens an existing file or creates it
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // nullptr when the file cannot be opened in that mode. Closing is
    // destroying the returned object.
    virtual std::unique_ptr<File> Open(const std::string& path, OpenMode mode) = 0;
    virtual bool Exists(const std::string& path) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // True when the folder exists afterwards (an existing one is no error).
    virtual bool MakeDirectory(const std::string& path) = 0;
    virtual bool SetCurrentDirectory(const std::string& path) = 0;
    // Puts the closed file `from` in the place of `to` in one step, replacing
    // a `to` that exists, and has the change on the disk before it returns:
    // whatever happens during the call, a power cut included, `to` is
    // afterwards either what it was or all of `from`, never a mix or a cut
    // file. `from` is gone on success. False when nothing was moved.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
};

}  // namespace tesselog
