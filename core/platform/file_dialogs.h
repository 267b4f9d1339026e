// The common file dialogs as the core sees them. The Win32 layer implements
// them with GetSaveFileNameW / GetOpenFileNameW, owned by the window in front,
// with room for 260 characters in the path and in the file title, and no
// option flags unless the request asks for them. The request's texts are
// 8-bit, as everywhere in the core; the chosen path comes back as the wide
// text the dialog gave (UTF-16 code units), so that the caller can refuse a
// path that 8-bit text cannot hold (core/common/eight_bit_text.h) instead of
// storing a different one.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tesselog {

constexpr size_t FileDialogMaxPath = 260;

struct FileTypeFilter {
    std::string Description;  // "Tesselog Files (*.MGR)"
    std::string Pattern;      // "*.MGR"
};

struct FileDialogRequest {
    std::string Title;
    std::vector<FileTypeFilter> Filters;  // in the order the dialog offers them
    std::string InitialName;              // proposed file name, may be empty
    std::string InitialFolder;
    std::string DefaultExtension;         // added to a name typed without one ("MGR")
    bool MustExist = false;               // open dialog: only existing files
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen full path, or nothing when the operator cancelled.
    virtual std::optional<std::u16string> ChooseSaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::u16string> ChooseOpenFile(const FileDialogRequest& request) = 0;
};

// Answers every dialog from a queue of paths (an empty optional is a cancel;
// an empty queue cancels too) and keeps the requests: for tests and replays.
class ScriptedFileDialogs : public FileDialogs {
public:
    std::optional<std::u16string> ChooseSaveFile(const FileDialogRequest& request) override { return Next(request); }
    std::optional<std::u16string> ChooseOpenFile(const FileDialogRequest& request) override { return Next(request); }

    // Paths as a dialog gives them (From8Bit makes one of an 8-bit path).
    std::deque<std::optional<std::u16string>> Answers;
    std::vector<FileDialogRequest> Requests;

private:
    std::optional<std::u16string> Next(const FileDialogRequest& request) {
        Requests.push_back(request);
        if (Answers.empty()) return std::nullopt;
        std::optional<std::u16string> answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};

}  // namespace tesselog
