// FileSystem held in memory: for fuzzing and for tests that need exact
// control over what exists, what is locked and what cannot be written.
#pragma once

#include <cstdint>
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
    // Moves the contents; `from` must not be open.
    bool Replace(const std::string& from, const std::string& to) override;

    // Paths as given (after the current directory is put in front of a
    // relative one) map to file contents.
    std::map<std::string, std::string> Files;
    std::set<std::string> Directories;
    std::set<std::string> Locked;     // exist, but every open fails (in use)
    bool ReadOnly = false;            // every create and write fails
    // A disk of this many bytes, all files together: a write that does not
    // fit fails, after writing what fits when ShortWrites is set.
    size_t Capacity = SIZE_MAX;
    bool ShortWrites = true;
    bool FlushFails = false;          // every Flush fails (a removed disk)
    int Flushes = 0;                  // Flush calls of all files
    std::string CurrentDirectory;

    // A disk that goes away in the middle of a task: the calls that change
    // files (an open that creates or empties one, Write, Flush, Truncate,
    // Remove, Replace) are counted in Steps, and from step FailAtStep on
    // (counted from 0; -1 never) every one of them fails, a write leaving
    // the first half of its bytes behind.
    int Steps = 0;
    int FailAtStep = -1;
    // Files written since their last Flush. A power cut leaves each of them
    // at its length but reading as zeros, as NTFS can after a power loss.
    std::set<std::string> Unflushed;
    void PowerCut();

    std::string Resolve(const std::string& path) const;
    // Bytes free on the disk of Capacity.
    size_t Free() const;
    // Counts one changing call; false when it is to fail.
    bool Step();
};

}  // namespace tesselog
