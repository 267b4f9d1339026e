#include "core/datafile/data_file.h"

namespace tesselog {

bool DataFile::Open(const std::string& path, OpenMode mode) {
    std::lock_guard<std::mutex> guard(lock_);
    file_.reset();
    path_ = path;
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
    file_ = fs_.Open(path_, OpenMode::ReadWriteAlways);
    return file_ && file_->SeekToEnd();
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
    if (!file_) return;
    file_->Write(bytes, n);
    if (observer_) observer_->Appended(bytes, n);
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

}  // namespace tesselog
