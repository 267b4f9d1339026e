#include "core/datafile/data_file_naming.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tesselog {
namespace {

constexpr int MaxSequenceNumber = 999;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Length of the UTF-8 sequence starting at text[i] and its code point, or 0
// when the bytes there are not a valid sequence.
size_t DecodeUtf8(const std::string& text, size_t i, uint32_t& codePoint) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    uint8_t lead = byte(i);
    size_t length = lead < 0x80            ? 1
                    : (lead & 0xE0) == 0xC0 ? 2
                    : (lead & 0xF0) == 0xE0 ? 3
                    : (lead & 0xF8) == 0xF0 ? 4
                                            : 0;
    if (length == 0 || i + length > text.size()) return 0;
    uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    static const uint32_t smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    codePoint = cp;
    return length;
}

void Report(Prompts& prompts, const char* what, const std::string& path) {
    prompts.ShowMessage(std::string(what) + "\r\n" + path, CaptionFileError, PromptIcon::Exclamation);
}

}  // namespace

std::string DefaultDataFileName(FileSystem& files, Clock& clock, const Settings& settings) {
    files.MakeDirectory(settings.DataFolder);
    files.SetCurrentDirectory(settings.DataFolder);

    LocalTime today = clock.Now();
    char year[16];
    std::snprintf(year, sizeof year, "%04d", today.Year);
    char base[32];
    std::snprintf(base, sizeof base, "%s%02d%02d_", year + std::strlen(year) - 2,
                  std::clamp(today.Month, 0, 99), std::clamp(today.Day, 0, 99));
    const char* extension = settings.ConsoleCount < 1 ? ".gxy" : ".mgr";

    std::string candidate;
    for (int n = 0; n <= MaxSequenceNumber; ++n) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", n);
        std::string name = std::string(base) + number;
        candidate = name + extension;
        // Only a file that opens is taken; one in use by another program
        // fails to open and so counts as free, as the operator would expect.
        if (!files.Open(candidate, OpenMode::ReadWriteExisting)) return name;
    }
    return candidate;
}

std::string DataFileNameOfPath(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i)
        if (IsSeparator(path[i])) start = i + 1;
    size_t end = path.find('.', start);
    if (end == std::string::npos) end = path.size();

    // The file keeps the low byte of each UTF-16 unit of the name.
    std::string name;
    for (size_t i = start; i < end;) {
        uint32_t cp = 0;
        size_t length = DecodeUtf8(path, i, cp);
        if (length == 0) {
            name += path[i];
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            uint32_t v = cp - 0x10000;
            name += static_cast<char>((0xD800 + (v >> 10)) & 0xFF);
            name += static_cast<char>((0xDC00 + (v & 0x3FF)) & 0xFF);
        } else {
            name += static_cast<char>(cp & 0xFF);
        }
        i += length;
    }
    return name;
}

std::string FolderOfPath(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1])) return path.substr(0, i);
    return std::string();
}

FileDialogRequest CreateDataFileRequest(const Settings& settings, const std::string& initialName) {
    FileDialogRequest request;
    request.Title = CreateDataFileTitle;
    if (settings.ConsoleCount < 1)
        request.Filters.push_back({"Tesselog GXY Files (*.GXY)", "*.GXY"});
    else
        request.Filters.push_back({"Tesselog Files (*.MGR)", "*.MGR"});
    request.InitialName = initialName;
    request.InitialFolder = settings.DataFolder;
    request.DefaultExtension = DataFileDefaultExtension;
    return request;
}

int CreateDataFile(DataFileCreation& c, HeaderContext& header) {
    std::string initialName = DefaultDataFileName(c.Files, c.Writer.Time(), c.Config);
    std::optional<std::string> chosen = c.Dialogs.ChooseSaveFile(CreateDataFileRequest(c.Config, initialName));
    if (!chosen) return DataFileRefused;
    const std::string& path = *chosen;

    header.DataFileName = DataFileNameOfPath(path);
    bool existed = c.Files.Exists(path);

    DataFile& data = c.Writer.File();
    if (!data.Open(path, OpenMode::ReadWriteAlways)) {
        // Left alone, the header would go nowhere while the screen showed a
        // file open; telling the operator lets them pick another folder.
        Report(c.Messages, existed ? "The data file cannot be opened (in use by another program?):"
                                   : "The data file cannot be created:", path);
        return DataFileRefused;
    }

    int result = DataFileCreated;
    if (existed) {
        char identification[6];
        size_t got = data.Read(identification, sizeof identification);
        data.SeekToStart();
        // A file shorter than six bytes is taken as ours; the append
        // validation then refuses it by its first record.
        bool foreign = got == sizeof identification && std::memcmp(identification, "TESSEL", 6) != 0;
        result = foreign ? DataFileRefused : DataFileExisting;
    }

    std::string folder = FolderOfPath(path);
    if (!folder.empty()) c.Config.DataFolder = folder;

    if (existed) return result;

    data.SeekToEnd();
    c.Writer.WriteHeaderBlock(0, header);
    data.Close();  // flushes the header to disk before anything else happens
    if (c.SaveSettings) c.SaveSettings();
    if (!data.Open(path, OpenMode::ReadWriteAlways) || !data.SeekToEnd()) {
        data.Close();
        Report(c.Messages, "The data file cannot be reopened:", path);
        return DataFileRefused;
    }
    c.Logging.LoggingState = LoggingStandBy;
    return DataFileCreated;
}

}  // namespace tesselog
