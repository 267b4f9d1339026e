#include "tools/export/output_files.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tesselog {

std::string TemporaryName(const std::string& path) { return path + ".tesselog-part"; }

bool ReplaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

std::unique_ptr<File> OutputFiles::Create(const std::string& path) {
    for (const std::string& p : finals_) {
        if (p == path) {
            std::fprintf(stderr, "tesselog-export: %s would be written twice\n", path.c_str());
            return nullptr;
        }
    }
    const std::string temporary = TemporaryName(path);
    auto file = fs_.Open(temporary, OpenMode::CreateTruncate);
    if (!file) {
        std::fprintf(stderr, "tesselog-export: cannot write %s\n", temporary.c_str());
        return nullptr;
    }
    finals_.push_back(path);
    temporaries_.push_back(temporary);
    return file;
}

bool OutputFiles::WriteAll(const std::string& path, const std::string& bytes) {
    auto file = Create(path);
    if (file && file->Write(bytes.data(), bytes.size())) return true;
    std::fprintf(stderr, "tesselog-export: cannot write %s\n", path.c_str());
    return false;
}

bool OutputFiles::Commit() {
    for (size_t i = 0; i < finals_.size(); ++i) {
        if (!ReplaceFile(temporaries_[i], finals_[i])) {
            std::fprintf(stderr, "tesselog-export: cannot put %s in place\n", finals_[i].c_str());
            temporaries_.erase(temporaries_.begin(), temporaries_.begin() + long(i));
            finals_.erase(finals_.begin(), finals_.begin() + long(i));
            Abandon();
            return false;
        }
    }
    temporaries_.clear();
    return true;
}

void OutputFiles::Abandon() {
    for (const std::string& t : temporaries_) fs_.Remove(t);
    temporaries_.clear();
}

}  // namespace tesselog
