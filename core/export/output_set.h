// A set of output files replaced together or not at all: the outputs of
// one export (or of any set of files, in any folders).
//
// Each output is written under a temporary name beside its final one. Once
// all are complete, Commit replaces the earlier outputs in three steps:
// every earlier output that is to be replaced must open for reading and
// writing (a file that another program holds open, as a spreadsheet does on
// Windows, or a folder in its place, cannot be replaced) and is moved aside
// under a name of its own; then each new output is put in place; then the
// earlier ones are removed. When a step fails, the new outputs already in
// place are taken away and the earlier ones moved back: afterwards the
// outputs are either all the earlier ones or all the new ones, and the
// message names the file that could not be replaced. A set that is never
// committed removes its temporary files. Create and WriteAll may be called
// from several threads at once.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/platform/file_system.h"

namespace tesselog {

class OutputSet {
public:
    // `report` gets each failure in words (without the program's name).
    OutputSet(FileSystem& fs, std::function<void(const std::string&)> report)
        : fs_(fs), report_(std::move(report)) {}
    ~OutputSet() { Abandon(); }
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;

    // The temporary file for `path`; nullptr (reported) when it cannot be
    // made, or when the set already has `path`.
    std::unique_ptr<File> Create(const std::string& path);
    bool WriteAll(const std::string& path, const std::string& bytes);

    // Every File handed out must have been destroyed. True when every
    // output is in place; false (reported) when the earlier ones are.
    bool Commit();
    // Removes every temporary file.
    void Abandon();
    const std::vector<std::string>& Paths() const { return finals_; }

private:
    struct Aside {
        size_t Output;
        std::string Path;
    };
    void PutBack(const std::vector<Aside>& aside, size_t placed);
    bool Fail(const std::string& text);

    FileSystem& fs_;
    std::function<void(const std::string&)> report_;
    std::mutex mutex_;  // the lists of paths
    std::vector<std::string> finals_;
    std::vector<std::string> temporaries_;
};

// The temporary name of an output, and the name an earlier one is moved
// aside to while the set is put in place: its own name with a suffix.
std::string TemporaryName(const std::string& path);
std::string AsideName(const std::string& path);

}  // namespace tesselog
