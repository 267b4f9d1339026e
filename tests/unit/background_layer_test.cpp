// The background tracks of the logging screen: loading with its messages,
// the drawing into the tiles' base layer, the redraw at another scale, the
// removal and the copies left in the temporary folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/common/eight_bit_text.h"
#include "core/existing/background_layer.h"
#include "core/logscreen/logging_session.h"
#include "core/map/map_commands.h"
#include "core/map/map_tiles.h"
#include "core/platform/memory_file_system.h"
#include "core/settings/background_dialogs.h"

namespace tesselog {
namespace {

class ScriptedBackgroundDialogs : public BackgroundDialogs {
public:
    bool LoadAnswer = true;
    std::vector<bool> Marks;  // the remove dialog's answer; none marked: Cancel
    int Loads = 0;

    bool Load(Settings&, int32_t) override {
        ++Loads;
        return LoadAnswer;
    }
    bool Remove(const std::vector<std::string>& names, std::vector<bool>& marks) override {
        marks = Marks;
        marks.resize(names.size(), false);
        for (bool mark : marks)
            if (mark) return true;
        return false;
    }
};

// Text lines of UTM metres near the map's origin (500000, 5700000), the
// corner of a tile; a tile is 40 m wide.
std::string UtmLines(const std::vector<std::pair<double, double>>& points) {
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

struct Fixture {
    Fixture() {
        settings.MapSize = 40;
        settings.BackgroundFileType = BackgroundAsciiType;
        settings.BackgroundCoordType = 1;
        settings.BackgroundLonColumn = 0;
        settings.BackgroundLatColumn = 1;
        settings.BackgroundDelimiter = 0;
        map.SetPaneSize(400, 400);
        map.RecomputeScale();
        map.PrepareDrawing();
        map.State().OriginX = 500000.0;
        map.State().OriginY = 5700000.0;
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
    MemoryFileSystem files;
    ScriptedFileDialogs fileDialogs;
    RecordingPrompts prompts;
    ScriptedBackgroundDialogs dialogs;
    MemoryMapTiles tiles;
    MapCommands map{tiles, settings, [] {}};
    int profileRefreshes = 0;
    int viewsShown = 0;
    BackgroundLayer layer{settings, files, fileDialogs, prompts, dialogs, map, [this] { ++profileRefreshes; },
                          [this] { ++viewsShown; }};
};

TEST(BackgroundLayer, RefusedFilesSayWhyAndLeaveNothing) {
    struct Case {
        const char* name;
        std::string contents;
        int32_t fileType;
        int32_t latColumn;
        const char* message;
        const char* caption;
    };
    const Case cases[] = {
        {"no points", "/ header only\nx y\n", BackgroundAsciiType, 1, "Check background file structure.",
         "FILE ERROR"},
        {"all outside", UtmLines({{5.0e6, 0}, {5.0e6, 10}}), BackgroundAsciiType, 1,
         "All points in background file are invalid\r\n", "STOP"},
        {"foreign binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\n", 11), 0, 1, "Format not supported",
         "INFORMATION"},
        {"same columns", UtmLines({{0, 0}}), BackgroundAsciiType, 0,
         "Same column selected for UTM coordinates. Please correct.", "INFORMATION"},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.settings.BackgroundFileType = c.fileType;
        f.settings.BackgroundLatColumn = c.latColumn;
        f.Load("A.TXT", c.contents);
        EXPECT_EQ(f.layer.Count(), 0) << c.name;
        EXPECT_EQ(f.LastMessage(), c.message) << c.name;
        ASSERT_FALSE(f.prompts.History.empty()) << c.name;
        EXPECT_EQ(f.prompts.History.back().Caption, c.caption) << c.name;
        EXPECT_TRUE(f.Copies().empty()) << c.name;
        EXPECT_TRUE(f.BaseStrokes().empty()) << c.name;
    }

    // A file that cannot be opened, and a cancelled dialog.
    Fixture f;
    f.fileDialogs.Answers.push_back(From8Bit("C:\\survey\\GONE.TXT"));
    f.layer.Load();
    EXPECT_EQ(f.LastMessage(), "Format not supported");
    f.dialogs.LoadAnswer = false;
    f.layer.Load();
    EXPECT_EQ(f.fileDialogs.Requests.size(), 1u);
    EXPECT_EQ(f.layer.Count(), 0);
}

TEST(BackgroundLayer, PointsOutsideTheMapAreCountedButTheFileIsTaken) {
    Fixture f;
    f.Load("PART.TXT", UtmLines({{0, 0}, {5.0e6, 0}, {10, 0}, {12, 0}}));
    EXPECT_EQ(f.layer.Count(), 1);
    EXPECT_EQ(f.LastMessage(), "Number of points in background file: 4\r\nNumber of invalid points: 1\r\n");
    EXPECT_EQ(f.prompts.History.back().Caption, "WARNING");
}

// A tile whose base is drawn anew from the grid gets the same background
// strokes as the redraw gave it; a redraw at a larger map follows the scale.
TEST(BackgroundLayer, RedrawAndBaseTilesAgree) {
    Fixture f;
    f.settings.BackgroundDisplayType = 3;
    f.Load("A.TXT", UtmLines({{-5, -5}, {5, 5}, {15, -5}}));
    ASSERT_EQ(f.layer.Count(), 1);
    for (auto& [key, tile] : f.tiles.Tiles) tile.Base.Calls.clear();
    f.layer.Redraw();
    for (const auto& [key, tile] : f.tiles.Tiles) {
        RecordingCanvas again;
        f.layer.PaintBaseTile(again, key.first, key.second, f.map.State().TileWidth, f.map.State().TileHeight);
        EXPECT_EQ(again.Calls, tile.Base.Calls) << key.first << "," << key.second;
    }
    const std::vector<std::string> at40 = f.BaseStrokes();
    f.settings.MapSize = 80;
    f.map.RecomputeScale();
    f.tiles.DeleteAllTiles();
    f.layer.Redraw();
    EXPECT_EQ(f.BaseStrokes().size(), at40.size());
    EXPECT_NE(f.BaseStrokes(), at40);
}

TEST(BackgroundLayer, RemovalAndExitDeleteTheCopies) {
    Fixture f;
    f.Load("A.TXT", UtmLines({{0, 0}, {1, 1}}));
    f.Load("A.TXT", UtmLines({{2, 2}, {3, 3}}));
    ASSERT_EQ(f.Copies(), (std::vector<std::string>{"ATXT.$00", "ATXT.$01"}));

    f.dialogs.Marks = {true, false};
    EXPECT_TRUE(f.layer.Remove());
    EXPECT_EQ(f.Copies(), std::vector<std::string>{"ATXT.$01"});
    const std::string kept = f.files.Files[std::string(BackgroundTempFolder) + "ATXT.$01"];

    // The next load would be numbered 1, which the kept copy holds.
    f.Load("A.TXT", UtmLines({{4, 4}}));
    EXPECT_EQ(f.Copies(), (std::vector<std::string>{"ATXT.$01", "ATXT.$02"}));
    EXPECT_EQ(f.files.Files[std::string(BackgroundTempFolder) + "ATXT.$01"], kept);

    f.dialogs.Marks = {};
    EXPECT_FALSE(f.layer.Remove());
    EXPECT_EQ(f.layer.Count(), 2);

    f.layer.DeleteCopies();
    EXPECT_EQ(f.layer.Count(), 0);
    EXPECT_TRUE(f.Copies().empty());
}

TEST(BackgroundLoadDialog, TextFileControlsFollowTheType) {
    Settings s;
    s.BackgroundFileType = 0;
    DialogForm form = BackgroundLoadForm(s, 3);
    EXPECT_EQ(form.Label(IDC_BGLOAD_COUNT).Text, "3");
    EXPECT_FALSE(form.Combo(IDC_BGLOAD_DELIMITER).Enabled);
    EXPECT_EQ(form.Combo(IDC_BGLOAD_LON_COLUMN).Items.back(), "Column 24");
    form.Combo(IDC_BGLOAD_FILE_TYPE).Selection = 1;
    EXPECT_TRUE(BackgroundLoadTypeChanged(form));
    EXPECT_TRUE(form.Combo(IDC_BGLOAD_COORD_TYPE).Enabled);
    EXPECT_EQ(form.Label(IDC_BGLOAD_TYPE_LIST).Text, "(files ASC, TXT, DAT, and XYZ)");
    form.Combo(IDC_BGLOAD_DELIMITER).Selection = 3;
    StoreBackgroundLoad(form, s);
    EXPECT_EQ(s.BackgroundFileType * 10 + s.BackgroundDelimiter, 13);
    EXPECT_EQ(BackgroundRemoveMarkCaption(0), "  1.");
    EXPECT_EQ(BackgroundRemoveMarkCaption(9), " 10.");
}

}  // namespace
}  // namespace tesselog
