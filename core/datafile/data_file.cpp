#include "core/datafile/data_file.h"

namespace tesselog {

bool DataFile::Open(const std::string& path, OpenMode mode) {
    std::lock_guard<std::mutex> guard(lock_);
    file_.reset();
    path_ = path;
    writeFailed_ = false;
    file_ = fs_.Open(path, mode);
    return file_ != nullptr;
}

void DataFile::Close() {
    std::lock_guard<std::mutex> guard(lock_);
    file_.reset();
}

bool DataFile::CloseAndReopen() {
    std::lock_guard<std::mutex> guard(lock_);
    file_.reset();
    file_ = fs_.Open(path_, OpenMode::ReadWriteExisting);
    if (file_ && file_->SeekToEnd()) return true;
    file_.reset();
    writeFailed_ = true;
    return false;
}

bool DataFile::IsOpen() const {
    std::lock_guard<std::mutex> guard(lock_);
    return file_ != nullptr;
}

void DataFile::SetObserver(DataFileObserver* observer) {
    std::lock_guard<std::mutex> guard(lock_);
    observer_ = observer;
}

void DataFile::Append(const void* bytes, size_t n) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!file_ || writeFailed_) return;
    // The offset is the handle's own, known without asking the disk.
    const uint64_t start = file_->Position();
    if (!file_->Write(bytes, n)) {
        file_->Truncate(start);
        writeFailed_ = true;
        return;
    }
    if (observer_) observer_->Appended(bytes, n);
}

void DataFile::Flush() {
    std::lock_guard<std::mutex> guard(lock_);
    if (file_ && !writeFailed_ && !file_->Flush()) writeFailed_ = true;
}

size_t DataFile::Read(void* buffer, size_t n) {
    std::lock_guard<std::mutex> guard(lock_);
    return file_ ? file_->Read(buffer, n) : 0;
}

bool DataFile::SeekToStart() {
    std::lock_guard<std::mutex> guard(lock_);
    return file_ && file_->SeekToStart();
}

bool DataFile::SeekToEnd() {
    std::lock_guard<std::mutex> guard(lock_);
    return file_ && file_->SeekToEnd();
}

size_t DataFile::ReadAt(uint64_t offset, void* buffer, size_t n) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!file_) return 0;
    const uint64_t kept = file_->Position();
    size_t got = file_->SeekTo(offset) ? file_->Read(buffer, n) : 0;
    file_->SeekTo(kept);
    return got;
}

uint64_t DataFile::Size() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!file_) return 0;
    const uint64_t kept = file_->Position();
    const uint64_t size = file_->SeekToEnd() ? file_->Position() : 0;
    file_->SeekTo(kept);
    return size;
}

bool DataFile::CutTo(uint64_t length) {
    std::lock_guard<std::mutex> guard(lock_);
    return file_ && file_->Truncate(length);
}

}  // namespace tesselog
