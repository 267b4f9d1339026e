#include "tools/export/table_join.h"

#include "core/platform/stdio_file_system.h"

namespace tesselog {

// One file's side of the join.
class JoinedFile : public File {
public:
    JoinedFile(TableJoin& join, size_t index) : join_(join), index_(index) {}
    size_t Read(void*, size_t) override { return 0; }
    bool Write(const void* data, size_t n) override { return join_.Write(index_, data, n); }
    bool SeekToStart() override { return false; }
    bool SeekToEnd() override { return true; }
    uint64_t Position() override { return 0; }
    bool SeekTo(uint64_t) override { return false; }
    bool Flush() override { return true; }
    bool Truncate(uint64_t) override { return false; }

private:
    TableJoin& join_;
    size_t index_;
};

TableJoin::TableJoin(std::unique_ptr<File> table, std::vector<std::string> partPaths) : table_(std::move(table)) {
    slots_.resize(partPaths.size());
    for (size_t i = 0; i < partPaths.size(); ++i) slots_[i].Path = std::move(partPaths[i]);
    const std::lock_guard<std::mutex> lock(mutex_);
    Advance();
}

TableJoin::~TableJoin() {
    StdioFileSystem fs;
    for (Slot& slot : slots_) {
        if (!slot.Part) continue;
        slot.Part.reset();
        fs.Remove(slot.Path);
    }
}

std::unique_ptr<File> TableJoin::Open(size_t index) { return std::make_unique<JoinedFile>(*this, index); }

bool TableJoin::Write(size_t index, const void* data, size_t n) {
    const std::lock_guard<std::mutex> lock(mutex_);
    Slot& slot = slots_[index];
    if (slot.Direct) return ok_ = table_->Write(data, n) && ok_;
    if (!slot.Part) {
        StdioFileSystem fs;
        slot.Part = fs.Open(slot.Path, OpenMode::ReadWriteAlways);
        if (!slot.Part || !slot.Part->Truncate(0)) return ok_ = false;
    }
    return ok_ = slot.Part->Write(data, n) && ok_;
}

// Copies what file `index` has written ahead of its turn into the table and
// removes its part.
bool TableJoin::CopyPart(size_t index) {
    Slot& slot = slots_[index];
    if (!slot.Part) return true;
    bool ok = slot.Part->SeekToStart();
    std::vector<char> buffer(size_t(4) << 20);
    for (size_t n; ok && (n = slot.Part->Read(buffer.data(), buffer.size())) > 0;) ok = table_->Write(buffer.data(), n);
    slot.Part.reset();
    StdioFileSystem fs;
    fs.Remove(slot.Path);
    return ok;
}

// The files whose turn has come: each one's part copied in, and from then
// on its rows straight into the table; past the files that are done.
void TableJoin::Advance() {
    while (next_ < slots_.size()) {
        Slot& slot = slots_[next_];
        if (!slot.Direct) {
            ok_ = CopyPart(next_) && ok_;
            slot.Direct = true;
        }
        if (!slot.Done) break;
        ++next_;
    }
}

void TableJoin::Done(size_t index) {
    const std::lock_guard<std::mutex> lock(mutex_);
    slots_[index].Done = true;
    Advance();
}

bool TableJoin::Finish() {
    const std::lock_guard<std::mutex> lock(mutex_);
    Advance();
    return ok_ && next_ == slots_.size() && table_->Flush();
}

}  // namespace tesselog
