#include "core/platform/memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace tesselog {
namespace {

class MemoryFile : public File {
public:
    MemoryFile(MemoryFileSystem& fs, const std::string& path, std::string& data, bool writable)
        : fs_(fs), path_(path), data_(data), writable_(writable) {}

    size_t Read(void* buffer, size_t n) override {
        if (pos_ >= data_.size()) return 0;
        size_t count = std::min(n, data_.size() - pos_);
        std::memcpy(buffer, data_.data() + pos_, count);
        pos_ += count;
        return count;
    }
    bool Write(const void* data, size_t n) override {
        if (!writable_) return false;
        fs_.Unflushed.insert(path_);
        if (!fs_.Step()) {
            Put(data, n / 2);
            return false;
        }
        const size_t growth = pos_ + n > data_.size() ? pos_ + n - data_.size() : 0;
        const size_t room = fs_.Free();
        size_t count = n;
        if (growth > room) count = fs_.ShortWrites ? n - (growth - room) : 0;
        Put(data, count);
        return count == n;
    }
    bool Flush() override {
        ++fs_.Flushes;
        if (fs_.FlushFails || !fs_.Step()) return false;
        fs_.Unflushed.erase(path_);
        return true;
    }
    bool Truncate(uint64_t length) override {
        if (!writable_ || length > data_.size() || !fs_.Step()) return false;
        data_.resize(static_cast<size_t>(length));
        pos_ = data_.size();
        return true;
    }
    bool SeekToStart() override { pos_ = 0; return true; }
    bool SeekToEnd() override { pos_ = data_.size(); return true; }
    uint64_t Position() override { return pos_; }
    bool SeekTo(uint64_t offset) override {
        pos_ = static_cast<size_t>(offset);
        return true;
    }

private:
    void Put(const void* data, size_t count) {
        if (data_.size() < pos_ + count) data_.resize(pos_ + count);
        if (count > 0) std::memcpy(&data_[pos_], data, count);
        pos_ += count;
    }

    MemoryFileSystem& fs_;
    std::string path_;
    std::string& data_;
    bool writable_;
    size_t pos_ = 0;
};

}  // namespace

std::string MemoryFileSystem::Resolve(const std::string& path) const {
    bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\' || path.find(':') != std::string::npos);
    return absolute ? path : CurrentDirectory + path;
}

std::unique_ptr<File> MemoryFileSystem::Open(const std::string& path, OpenMode mode) {
    std::string full = Resolve(path);
    if (Locked.count(full)) return nullptr;
    auto it = Files.find(full);
    switch (mode) {
    case OpenMode::ReadExisting:
        if (it == Files.end()) return nullptr;
        return std::make_unique<MemoryFile>(*this, full, it->second, false);
    case OpenMode::ReadWriteExisting:
        if (it == Files.end()) return nullptr;
        return std::make_unique<MemoryFile>(*this, full, it->second, !ReadOnly);
    case OpenMode::CreateTruncate:
    case OpenMode::ReadWriteAlways:
        if (ReadOnly && (it == Files.end() || mode == OpenMode::CreateTruncate)) return nullptr;
        if (mode == OpenMode::CreateTruncate || it == Files.end()) {
            if (!Step()) return nullptr;
            Files[full].clear();
        }
        return std::make_unique<MemoryFile>(*this, full, Files[full], !ReadOnly);
    }
    return nullptr;
}

size_t MemoryFileSystem::Free() const {
    size_t used = 0;
    for (const auto& file : Files) used += file.second.size();
    return used >= Capacity ? 0 : Capacity - used;
}

bool MemoryFileSystem::Exists(const std::string& path) {
    std::string full = Resolve(path);
    return Files.count(full) || Locked.count(full) || Directories.count(full);
}

bool MemoryFileSystem::Remove(const std::string& path) {
    if (ReadOnly || !Step()) return false;
    Unflushed.erase(Resolve(path));
    return Files.erase(Resolve(path)) > 0;
}

bool MemoryFileSystem::Replace(const std::string& from, const std::string& to) {
    const std::string source = Resolve(from), target = Resolve(to);
    auto it = Files.find(source);
    if (ReadOnly || it == Files.end() || Locked.count(source) || Locked.count(target) || !Step()) return false;
    std::string bytes = std::move(it->second);
    Files.erase(it);
    Files[target] = std::move(bytes);
    // The data goes with the name: what was not flushed is still not.
    const bool unflushed = Unflushed.erase(source) > 0;
    Unflushed.erase(target);
    if (unflushed) Unflushed.insert(target);
    return true;
}

bool MemoryFileSystem::Step() {
    const int step = Steps++;
    return FailAtStep < 0 || step < FailAtStep;
}

void MemoryFileSystem::PowerCut() {
    for (const std::string& path : Unflushed) {
        auto it = Files.find(path);
        if (it != Files.end()) it->second.assign(it->second.size(), '\0');
    }
    Unflushed.clear();
}

bool MemoryFileSystem::MakeDirectory(const std::string& path) {
    std::string full = Resolve(path);
    if (!ReadOnly) Directories.insert(full);
    return Directories.count(full) > 0;
}

bool MemoryFileSystem::SetCurrentDirectory(const std::string& path) {
    std::string full = Resolve(path);
    if (!Directories.count(full)) return false;
    CurrentDirectory = full;
    return true;
}

}  // namespace tesselog
