// Free space on the disk that holds a file, as the field warnings read it
// once a minute. The Win32 layer asks GetDiskFreeSpaceExW for the file's
// folder; tests and the drawing-log build use FixedDiskSpace.
#pragma once

#include <cstdint>
#include <string>

namespace tesselog {

class DiskSpace {
public:
    virtual ~DiskSpace() = default;
    // Bytes free to this program on the disk of `path` (a file or a folder);
    // false when the system cannot tell (the disk was removed).
    virtual bool FreeBytes(const std::string& path, uint64_t& bytes) = 0;
};

// A disk with a set amount of free space, shrinking with every byte the
// caller reports as written.
class FixedDiskSpace : public DiskSpace {
public:
    explicit FixedDiskSpace(uint64_t freeBytes = 0) : Free(freeBytes) {}
    bool FreeBytes(const std::string&, uint64_t& bytes) override {
        bytes = Free;
        return Known;
    }
    void Consume(uint64_t bytes) { Free = bytes < Free ? Free - bytes : 0; }

    uint64_t Free;
    bool Known = true;
};

}  // namespace tesselog
