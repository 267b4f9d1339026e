#include "tools/sim/capture.h"

#include <cmath>

namespace tesselog::sim {

CaptureWriter::~CaptureWriter() { Close(); }

bool CaptureWriter::Open(const std::string& prefix, const std::vector<std::string>& ports,
                         const std::string& comment, std::string& error)
{
    Close();
    for (const std::string& name : ports) {
        const std::string path = prefix + "." + name + ".raw";
        PortFile file;
        file.Name = name;
        file.File = std::fopen(path.c_str(), "wb");
        if (file.File == nullptr) {
            error = "cannot create " + path;
            Close();
            return false;
        }
        files_.push_back(file);
    }
    const std::string path = prefix + ".index";
    index_ = std::fopen(path.c_str(), "wb");
    if (index_ == nullptr) {
        error = "cannot create " + path;
        Close();
        return false;
    }
    std::fprintf(index_, "# %s\n# ms port offset length\n", comment.c_str());
    return true;
}

void CaptureWriter::Write(int port, double seconds, const std::string& bytes)
{
    if (index_ == nullptr || port < 0 || port >= static_cast<int>(files_.size()) || bytes.empty()) {
        return;
    }
    PortFile& file = files_[port];
    std::fwrite(bytes.data(), 1, bytes.size(), file.File);
    std::fprintf(index_, "%lld %s %llu %zu\n", std::llround(seconds * 1000.0), file.Name.c_str(), file.Offset,
                 bytes.size());
    file.Offset += bytes.size();
}

void CaptureWriter::Close()
{
    for (PortFile& file : files_) {
        if (file.File != nullptr) {
            std::fclose(file.File);
        }
    }
    files_.clear();
    if (index_ != nullptr) {
        std::fclose(index_);
        index_ = nullptr;
    }
}

}  // namespace tesselog::sim
