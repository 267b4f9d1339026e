// The logging screen's background files on in-memory services: a map of
// 400-pixel tiles of 40 m around (500000, 5700000), scripted dialogs, and
// reads of the copies that a test can make fail part way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/common/eight_bit_text.h"
#include "core/logscreen/background_layer.h"
#include "core/logscreen/logging_session.h"
#include "core/logscreen/map_commands.h"
#include "core/map/map_tiles.h"
#include "core/platform/memory_file_system.h"
#include "core/settings/background_dialogs.h"

namespace tesselog::test {

class ScriptedBackgroundDialogs : public BackgroundDialogs {
public:
    bool LoadAnswer = true;
    std::vector<bool> Marks;  // the remove dialog's answer; none marked: Cancel

    bool Load(Settings&, int32_t) override { return LoadAnswer; }
    bool Remove(const std::vector<std::string>& names, std::vector<bool>& marks) override {
        marks = Marks;
        marks.resize(names.size(), false);
        for (bool mark : marks)
            if (mark) return true;
        return false;
    }
};

// Reads of a copy in the temporary folder stop after CopyReadLimit bytes,
// as a failing disk would stop them.
struct FailingCopyReads : MemoryFileSystem {
    struct Limited : File {
        Limited(std::unique_ptr<File> file, size_t limit) : file(std::move(file)), left(limit) {}
        size_t Read(void* buffer, size_t n) override {
            const size_t got = file->Read(buffer, std::min(n, left));
            left -= got;
            return got;
        }
        bool Write(const void* data, size_t n) override { return file->Write(data, n); }
        bool SeekToStart() override { return file->SeekToStart(); }
        bool SeekToEnd() override { return file->SeekToEnd(); }
        uint64_t Position() override { return file->Position(); }
        bool SeekTo(uint64_t offset) override { return file->SeekTo(offset); }
        bool Flush() override { return file->Flush(); }
        bool Truncate(uint64_t length) override { return file->Truncate(length); }
        std::unique_ptr<File> file;
        size_t left;
    };
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        std::unique_ptr<File> file = MemoryFileSystem::Open(path, mode);
        if (!file || mode != OpenMode::ReadExisting || path.rfind(BackgroundTempFolder, 0) != 0) return file;
        return std::make_unique<Limited>(std::move(file), CopyReadLimit);
    }
    size_t CopyReadLimit = SIZE_MAX;
};

// Text lines of UTM metres from the map's origin (500000, 5700000), the
// corner of a tile; an easting below 0 writes a break.
inline std::string UtmLines(const std::vector<std::pair<double, double>>& points) {
    std::string text;
    for (const auto& [e, n] : points) {
        if (e < 0) {
            text += "B\n";
            continue;
        }
        text += std::to_string(500000.0 + e) + " " + std::to_string(5700000.0 + n) + "\n";
    }
    return text;
}

struct BackgroundFixture {
    BackgroundFixture() {
        settings.MapSize = 40;
        settings.BackgroundFileType = BackgroundAsciiType;
        settings.BackgroundCoordType = 1;
        settings.BackgroundLonColumn = 0;
        settings.BackgroundLatColumn = 1;
        settings.BackgroundDelimiter = 0;
        map.SetPaneSize(400, 400);
        map.RecomputeScale();
        map.PrepareDrawing();
        SetMapOrigin(map.State(), 5700000.0, 500000.0);
        files.Directories.insert(BackgroundTempFolder);
    }

    // Loads `contents` as the file `name` (the file dialog's answer).
    void Load(const std::string& name, const std::string& contents) {
        const std::string path = "C:\\survey\\" + name;
        files.Files[path] = contents;
        fileDialogs.Answers.push_back(From8Bit(path));
        layer.Load();
    }
    std::vector<std::string> Copies() const {
        std::vector<std::string> names;
        for (const auto& [path, bytes] : files.Files)
            if (path.rfind(BackgroundTempFolder, 0) == 0) names.push_back(path.substr(sizeof BackgroundTempFolder - 1));
        return names;
    }
    // Every line and dot drawn in the background ink into the tiles' bases.
    std::vector<std::string> BaseStrokes() const {
        std::vector<std::string> strokes;
        for (const auto& [key, tile] : tiles.Tiles) {
            bool ink = false;
            for (const std::string& call : tile.Base.Calls) {
                if (call.rfind("pen", 0) == 0) ink = call.rfind("pen 202020", 0) == 0;
                if (ink && (call.rfind("line", 0) == 0 || call.rfind("ellipse", 0) == 0)) strokes.push_back(call);
            }
        }
        return strokes;
    }
    std::string LastMessage() const { return prompts.History.empty() ? "" : prompts.History.back().Text; }

    Settings settings;
    FailingCopyReads files;
    ScriptedFileDialogs fileDialogs;
    RecordingPrompts prompts;
    ScriptedBackgroundDialogs dialogs;
    MemoryMapTiles tiles;
    ManualClock clock;
    RecordingState recording{files, settings, clock};
    MapCommands map{tiles, settings, recording, clock, [] {}};
    BackgroundLayer layer{settings, files, fileDialogs, prompts, dialogs, map, recording.Zone, [] {}, [] {}};
};

}  // namespace tesselog::test
