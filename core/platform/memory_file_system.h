// FileSystem held in memory: for fuzzing and for tests that need exact
// control over what exists, what is locked and what cannot be written.
#pragma once

#include <map>
#include <set>
#include <string>

#include "core/platform/file_system.h"

namespace tesselog {

class MemoryFileSystem : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    bool SetCurrentDirectory(const std::string& path) override;

    // Paths as given (after the current directory is put in front of a
    // relative one) map to file contents.
    std::map<std::string, std::string> Files;
    std::set<std::string> Directories;
    std::set<std::string> Locked;     // exist, but every open fails (in use)
    bool ReadOnly = false;            // every create and write fails
    std::string CurrentDirectory;

    std::string Resolve(const std::string& path) const;
};

}  // namespace tesselog
