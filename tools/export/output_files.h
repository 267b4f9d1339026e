// The export's outputs, all or none: each is written under a temporary name
// beside its final one and put in place only when every output is complete.
// An export that is refused or fails midway removes what it wrote and
// leaves every file that was there before as it was.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/platform/stdio_file_system.h"

namespace tesselog {

class OutputFiles {
public:
    ~OutputFiles() { Abandon(); }

    // The temporary file for `path`; nullptr (with a message on stderr) when
    // it cannot be made. The same path asked twice is an error.
    std::unique_ptr<File> Create(const std::string& path);
    bool WriteAll(const std::string& path, const std::string& bytes);

    // Closes nothing: every File handed out must have been destroyed. Puts
    // each output in place; false (and the outputs not yet in place
    // removed) when one cannot be.
    bool Commit();
    // Removes every temporary file.
    void Abandon();
    const std::vector<std::string>& Paths() const { return finals_; }

private:
    StdioFileSystem fs_;
    std::vector<std::string> finals_;
    std::vector<std::string> temporaries_;
};

// The temporary name of an output: its own name with a suffix, in its folder.
std::string TemporaryName(const std::string& path);

// Moves `from` over `to`, replacing it in one step where the system can.
bool ReplaceFile(const std::string& from, const std::string& to);

}  // namespace tesselog
