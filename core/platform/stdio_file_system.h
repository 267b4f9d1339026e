// FileSystem on the C library, unbuffered, so that every Write is one write
// of the operating system. Used by the native tools and the test suites.
#pragma once

#include "core/platform/file_system.h"

namespace tesselog {

class StdioFileSystem : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    bool SetCurrentDirectory(const std::string& path) override;
    // rename(2), then the folder synced, so the new name is on the disk. On
    // Windows the C library cannot rename over a file: the old one is
    // removed first (the program itself replaces with Win32FileSystem).
    bool Replace(const std::string& from, const std::string& to) override;
};

}  // namespace tesselog
