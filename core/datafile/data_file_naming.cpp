#include "core/datafile/data_file_naming.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/common/eight_bit_text.h"

namespace tesselog {
namespace {

constexpr int MaxSequenceNumber = 999;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

void Report(Prompts& prompts, const char* what, const std::string& path) {
    prompts.ShowMessage(std::string(what) + "\r\n" + path, CaptionFileError, PromptIcon::Exclamation);
}

}  // namespace

std::string CannotCreateDataFileText(const std::string& path) {
    std::string folder = FolderOfPath(path);
    if (folder.empty()) folder = "of the file";
    return "The data file cannot be created:\r\n" + path + "\r\nThe folder " + folder +
           " cannot be written: this user may not create files there, or it is read-only.\r\nChoose \"File\" "
           "again and, in \"Create Data File\", a folder you can write, such as your Documents folder. The "
           "next data files are proposed in that folder.";
}

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
    return path.substr(start, end == std::string::npos ? std::string::npos : end - start);
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
    std::optional<std::u16string> chosen = c.Dialogs.ChooseSaveFile(CreateDataFileRequest(c.Config, initialName));
    if (!chosen) return DataFileRefused;
    // The folder is stored in the settings and the name written into the H
    // record, both as 8-bit text: a path that cannot be held so is refused
    // rather than stored as another folder.
    if (size_t at = FirstNon8BitCharacter(*chosen); at != AllCharactersFit) {
        bool inFolder = at < chosen->find_last_of(u"\\/") + 1;  // npos + 1 is 0: no folder part
        c.Messages.ShowMessage(Not8BitMessage(inFolder ? "Data folder" : "Data file name", *chosen) + "\r\n" +
                                   To8Bit(*chosen),
                               CaptionWarning, PromptIcon::Exclamation);
        return DataFileRefused;
    }
    const std::string path = To8Bit(*chosen);

    header.DataFileName = DataFileNameOfPath(path);
    bool existed = c.Files.Exists(path);

    DataFile& data = c.Writer.File();
    if (!data.Open(path, OpenMode::ReadWriteAlways)) {
        // Left alone, the header would go nowhere while the screen showed a
        // file open; telling the operator lets them pick another folder.
        if (existed)
            Report(c.Messages, "The data file cannot be opened (in use by another program?):", path);
        else
            c.Messages.ShowMessage(CannotCreateDataFileText(path), CaptionFileError, PromptIcon::Exclamation);
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
    data.Flush();
    if (data.WriteFailed()) {
        // A full disk: the empty file this made is not left behind.
        data.Close();
        c.Files.Remove(path);
        Report(c.Messages, "The data file cannot be written (disk full?):", path);
        return DataFileRefused;
    }
    data.Close();
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
