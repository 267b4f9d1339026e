#include "core/platform/whole_file.h"

#include <memory>

namespace tesselog {

std::string WholeFileNewPath(const std::string& path) { return path + ".new"; }

std::string PathBeside(const std::string& path, const std::string& name) {
    const size_t slash = path.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
}

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
