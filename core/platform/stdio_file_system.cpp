#include "core/platform/stdio_file_system.h"

#include <sys/stat.h>

#include <cstdio>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tesselog {
namespace {

class StdioFile : public File {
public:
    explicit StdioFile(std::FILE* f) : f_(f) { std::setvbuf(f_, nullptr, _IONBF, 0); }
    ~StdioFile() override { std::fclose(f_); }

    size_t Read(void* buffer, size_t n) override {
        Switch(Op::Read);
        return std::fread(buffer, 1, n, f_);
    }
    bool Write(const void* data, size_t n) override {
        Switch(Op::Write);
        return std::fwrite(data, 1, n, f_) == n;
    }
    bool SeekToStart() override { last_ = Op::None; return std::fseek(f_, 0, SEEK_SET) == 0; }
    bool SeekToEnd() override { last_ = Op::None; return std::fseek(f_, 0, SEEK_END) == 0; }
    uint64_t Position() override {
#ifdef _WIN32
        const int64_t at = _ftelli64(f_);
#else
        const int64_t at = ftello(f_);
#endif
        return at < 0 ? 0 : static_cast<uint64_t>(at);
    }
    bool SeekTo(uint64_t offset) override {
        last_ = Op::None;
#ifdef _WIN32
        return _fseeki64(f_, static_cast<int64_t>(offset), SEEK_SET) == 0;
#else
        return fseeko(f_, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
    }
    bool Flush() override {
        if (std::fflush(f_) != 0) return false;
#ifdef _WIN32
        return _commit(_fileno(f_)) == 0;
#else
        return ::fsync(fileno(f_)) == 0;
#endif
    }
    bool Truncate(uint64_t length) override {
        last_ = Op::None;
        std::fflush(f_);
#ifdef _WIN32
        if (_chsize_s(_fileno(f_), static_cast<int64_t>(length)) != 0) return false;
#else
        if (::ftruncate(fileno(f_), static_cast<off_t>(length)) != 0) return false;
#endif
        return SeekTo(length);
    }

private:
    enum class Op { None, Read, Write };
    // C streams need a seek between a read and a write on the same stream.
    void Switch(Op next) {
        if (last_ != Op::None && last_ != next) std::fseek(f_, 0, SEEK_CUR);
        last_ = next;
    }
    std::FILE* f_;
    Op last_ = Op::None;
};

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFDIR) != 0;
}

}  // namespace

std::unique_ptr<File> StdioFileSystem::Open(const std::string& path, OpenMode mode) {
    if (IsDirectory(path)) return nullptr;
    std::FILE* f = nullptr;
    switch (mode) {
    case OpenMode::ReadExisting: f = std::fopen(path.c_str(), "rb"); break;
    case OpenMode::CreateTruncate: f = std::fopen(path.c_str(), "wb"); break;
    case OpenMode::ReadWriteExisting: f = std::fopen(path.c_str(), "r+b"); break;
    case OpenMode::ReadWriteAlways:
        f = std::fopen(path.c_str(), "r+b");
        if (!f) f = std::fopen(path.c_str(), "w+b");
        break;
    }
    if (!f) return nullptr;
    return std::make_unique<StdioFile>(f);
}

bool StdioFileSystem::Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool StdioFileSystem::Remove(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool StdioFileSystem::MakeDirectory(const std::string& path) {
    std::string p = path;
    // stat and mkdir refuse a trailing separator on some systems ("C:\" aside).
    while (p.size() > 1 && (p.back() == '/' || p.back() == '\\') && p[p.size() - 2] != ':') p.pop_back();
#ifdef _WIN32
    ::_mkdir(p.c_str());
#else
    ::mkdir(p.c_str(), 0777);
#endif
    return IsDirectory(p);
}

bool StdioFileSystem::SetCurrentDirectory(const std::string& path) {
#ifdef _WIN32
    return ::_chdir(path.c_str()) == 0;
#else
    return ::chdir(path.c_str()) == 0;
#endif
}

}  // namespace tesselog

namespace tesselog {

bool StdioFileSystem::Replace(const std::string& from, const std::string& to) {
#ifdef _WIN32
    if (!Exists(from)) return false;
    std::remove(to.c_str());
    return std::rename(from.c_str(), to.c_str()) == 0;
#else
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    const size_t slash = to.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
#endif
}

}  // namespace tesselog
