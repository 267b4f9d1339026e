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
};

}  // namespace tesselog
