#include "core/export/output_set.h"

namespace tesselog {

namespace {

// The folder of a path ("" for none, "/" for the root).
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return {};
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

}  // namespace

std::string TemporaryName(const std::string& path) { return path + ".tesselog-part"; }
std::string AsideName(const std::string& path) { return path + ".tesselog-old"; }

bool OutputSet::Fail(const std::string& text) {
    report_(text);
    return false;
}

std::unique_ptr<File> OutputSet::Create(const std::string& path) {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& p : finals_) {
        if (p == path) {
            Fail(path + " would be written twice");
            return nullptr;
        }
    }
    const std::string temporary = TemporaryName(path);
    auto file = fs_.Open(temporary, OpenMode::CreateTruncate);
    if (!file) {
        const std::string folder = FolderOf(path);
        Fail(!folder.empty() && !fs_.Exists(folder) ? "the output folder " + folder + " does not exist"
                                                    : "cannot write " + path);
        return nullptr;
    }
    finals_.push_back(path);
    temporaries_.push_back(temporary);
    return file;
}

bool OutputSet::WriteAll(const std::string& path, const std::string& bytes) {
    auto file = Create(path);
    if (!file) return false;
    if (file->Write(bytes.data(), bytes.size())) return true;
    return Fail("cannot write " + path);
}

// The new outputs 0..placed-1 taken away (or replaced by the earlier ones)
// and every earlier output moved back.
void OutputSet::PutBack(const std::vector<Aside>& aside, size_t placed) {
    std::vector<bool> hadOld(finals_.size(), false);
    for (const Aside& a : aside) hadOld[a.Output] = true;
    for (size_t i = 0; i < placed; ++i) {
        if (!hadOld[i]) fs_.Remove(finals_[i]);
    }
    for (const Aside& a : aside) {
        if (!fs_.Replace(a.Path, finals_[a.Output])) {
            Fail("cannot put the earlier " + finals_[a.Output] + " back: it is kept as " + a.Path);
        }
    }
}

bool OutputSet::Commit() {
    const std::string unchanged = "; the earlier outputs are left as they were";
    // Every earlier output must be one this set can replace.
    for (const std::string& path : finals_) {
        if (fs_.Exists(path) && !fs_.Open(path, OpenMode::ReadWriteExisting)) {
            Abandon();
            return Fail("cannot replace " + path + " (open in another program, or not a file)" + unchanged);
        }
    }
    std::vector<Aside> aside;
    for (size_t i = 0; i < finals_.size(); ++i) {
        if (!fs_.Exists(finals_[i])) continue;
        if (!fs_.Replace(finals_[i], AsideName(finals_[i]))) {
            PutBack(aside, 0);
            Abandon();
            return Fail("cannot replace " + finals_[i] + " (open in another program, or not a file)" + unchanged);
        }
        aside.push_back({i, AsideName(finals_[i])});
    }
    for (size_t i = 0; i < finals_.size(); ++i) {
        if (!fs_.Replace(temporaries_[i], finals_[i])) {
            PutBack(aside, i);
            Abandon();
            return Fail("cannot put " + finals_[i] + " in place" + unchanged);
        }
    }
    for (const Aside& a : aside) fs_.Remove(a.Path);
    temporaries_.clear();
    return true;
}

void OutputSet::Abandon() {
    for (const std::string& t : temporaries_) fs_.Remove(t);
    temporaries_.clear();
}

}  // namespace tesselog
