#include "core/platform/whole_file.h"

#include <memory>

namespace tesselog {

std::string WholeFileNewPath(const std::string& path) { return path + ".new"; }

bool ReplaceFileWhole(FileSystem& fs, const std::string& path, const std::string& bytes) {
    const std::string fresh = WholeFileNewPath(path);
    bool written = false;
    if (std::unique_ptr<File> file = fs.Open(fresh, OpenMode::CreateTruncate)) {
        written = file->Write(bytes.data(), bytes.size()) && file->Flush();
    }  // closed before it moves
    if (written && fs.Replace(fresh, path)) return true;
    fs.Remove(fresh);
    return false;
}

}  // namespace tesselog
