#include "core/logscreen/screen_look.h"

#include <cctype>
#include <memory>

#include "core/platform/whole_file.h"

namespace tesselog {

namespace {

constexpr size_t LookFileMaxBytes = 4096;  // anything longer is not ours

std::string Trimmed(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
    return text.substr(first, last - first);
}

bool SameKey(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == 0;
}

}  // namespace

std::string ScreenLookPathBeside(const std::string& mainPath) { return PathBeside(mainPath, ScreenLookFileName); }

ScreenLook ParseScreenLook(const std::string& text) {
    ScreenLook look;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == ';' || line[0] == '#' || equals == std::string::npos) continue;
        if (!SameKey(Trimmed(line.substr(0, equals)), "Sunlight")) continue;
        const std::string value = Trimmed(line.substr(equals + 1));
        look.Sunlight = value == "1";
    }
    return look;
}

std::string FormatScreenLook(const ScreenLook& look) {
    return std::string("; Tesselog: how the logging screen looks\r\nSunlight=") + (look.Sunlight ? "1" : "0") +
           "\r\n";
}

ScreenLook LoadScreenLook(FileSystem& files, const std::string& path) {
    if (path.empty()) return {};
    std::unique_ptr<File> file = files.Open(path, OpenMode::ReadExisting);
    if (!file) return {};
    std::string text;
    char block[1024];
    for (size_t n; text.size() < LookFileMaxBytes && (n = file->Read(block, sizeof block)) > 0;) text.append(block, n);
    return ParseScreenLook(text);
}

bool SaveScreenLook(const ScreenLook& look, FileSystem& files, const std::string& path) {
    if (path.empty()) return false;
    return ReplaceFileWhole(files, path, FormatScreenLook(look));
}

}  // namespace tesselog
