// A site's table (CSV or XYZ) put together in the files' order while two
// workers write it. The file whose turn it is writes straight into the
// table; a file whose turn has not come writes into a part of its own
// beside the outputs, which is copied into the table when the files before
// it are done, after which its rows go straight in too. So only what a
// worker writes ahead of its turn is written twice.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/platform/file_system.h"

namespace tesselog {

class TableJoin {
public:
    // `partPaths`: where each file's part goes, should it need one.
    TableJoin(std::unique_ptr<File> table, std::vector<std::string> partPaths);
    ~TableJoin();
    TableJoin(const TableJoin&) = delete;
    TableJoin& operator=(const TableJoin&) = delete;

    // Where file `index` writes its rows.
    std::unique_ptr<File> Open(size_t index);
    // File `index` has written all its rows (or none: left out).
    void Done(size_t index);
    // After every file is done: true when every write and copy succeeded.
    bool Finish();

private:
    friend class JoinedFile;
    bool Write(size_t index, const void* data, size_t n);
    void Advance();
    bool CopyPart(size_t index);

    struct Slot {
        std::string Path;
        std::unique_ptr<File> Part;
        bool Direct = false;
        bool Done = false;
    };
    std::mutex mutex_;
    std::unique_ptr<File> table_;
    std::vector<Slot> slots_;
    size_t next_ = 0;
    bool ok_ = true;
};

}  // namespace tesselog
