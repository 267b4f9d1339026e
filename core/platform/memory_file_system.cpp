#include "core/platform/memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace tesselog {
namespace {

class MemoryFile : public File {
public:
    MemoryFile(MemoryFileSystem& fs, std::string& data, bool writable) : fs_(fs), data_(data), writable_(writable) {}

    size_t Read(void* buffer, size_t n) override {
        if (pos_ >= data_.size()) return 0;
        size_t count = std::min(n, data_.size() - pos_);
        std::memcpy(buffer, data_.data() + pos_, count);
        pos_ += count;
        return count;
    }
    bool Write(const void* data, size_t n) override {
        if (!writable_) return false;
        const size_t growth = pos_ + n > data_.size() ? pos_ + n - data_.size() : 0;
        const size_t room = fs_.Free();
        size_t count = n;
        if (growth > room) count = fs_.ShortWrites ? n - (growth - room) : 0;
        if (data_.size() < pos_ + count) data_.resize(pos_ + count);
        if (count > 0) std::memcpy(&data_[pos_], data, count);
        pos_ += count;
        return count == n;
    }
    bool Flush() override {
        ++fs_.Flushes;
        return !fs_.FlushFails;
    }
    bool Truncate(uint64_t length) override {
        if (!writable_ || length > data_.size()) return false;
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
    MemoryFileSystem& fs_;
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
        return std::make_unique<MemoryFile>(*this, it->second, false);
    case OpenMode::ReadWriteExisting:
        if (it == Files.end()) return nullptr;
        return std::make_unique<MemoryFile>(*this, it->second, !ReadOnly);
    case OpenMode::CreateTruncate:
    case OpenMode::ReadWriteAlways:
        if (ReadOnly && (it == Files.end() || mode == OpenMode::CreateTruncate)) return nullptr;
        if (mode == OpenMode::CreateTruncate || it == Files.end()) Files[full].clear();
        return std::make_unique<MemoryFile>(*this, Files[full], !ReadOnly);
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
    if (ReadOnly) return false;
    return Files.erase(Resolve(path)) > 0;
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
