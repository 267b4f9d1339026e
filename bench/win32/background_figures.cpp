// A large background track loaded and redrawn with the program's Windows
// pieces, under Wine: a column-delimited text file of 100 lines of 1,000
// points (a 100 m square walked at 0.1 m spacing, 100,000 points) is loaded
// through the background layer (file dialog and load dialog answered by the
// program), converted through Win32FileSystem into its copy in the temporary
// folder, and drawn into the GDI tile store on a memory bitmap of a 700-px
// pane; then the redraw of every map rebuild is timed at two map sizes, one
// whose tiles all stay in GDI and one of about a hundred tiles. Run by
// scripts/measure-background.sh.
//
//   tesselog-background-figures.exe [RUNS]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win32/pane_tiles.h"
#include "core/common/eight_bit_text.h"
#include "core/logscreen/background_layer.h"
#include "core/logscreen/map_commands.h"
#include "core/map/map_grid.h"
#include "core/settings/background_dialogs.h"
#include "windows/gdi_objects.h"
#include "windows/platform_services.h"

using namespace tesselog;
using namespace tesselog::win32;

namespace {

constexpr int32_t PaneSide = 700;
constexpr double OriginEasting = 620800.0;
constexpr double OriginNorthing = 5734680.0;
constexpr char SourcePath[] = "C:\\ProgramData\\Brenvik\\Temp\\FIELD100K.TXT";

class AnsweringDialogs : public BackgroundDialogs {
public:
    bool Load(Settings&, int32_t) override { return true; }
    bool Remove(const std::vector<std::string>&, std::vector<bool>&) override { return false; }
};

bool WriteField(FileSystem& files) {
    std::string text;
    text.reserve(100 * 1000 * 24);
    char line[64];
    for (int l = 0; l < 100; ++l) {
        if (l > 0) text += "B\r\n";
        for (int p = 0; p < 1000; ++p) {
            const double n = l % 2 == 0 ? p * 0.1 : 99.9 - p * 0.1;
            std::snprintf(line, sizeof line, "%.3f,%.3f\r\n", OriginEasting + l * 1.0, OriginNorthing + n);
            text += line;
        }
    }
    auto file = files.Open(SourcePath, OpenMode::CreateTruncate);
    return file && file->Write(text.data(), text.size());
}

double Milliseconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Settings settings;
    settings.MapSize = 40;
    settings.BackgroundFileType = BackgroundAsciiType;
    settings.BackgroundDisplayType = 1;
    settings.BackgroundCoordType = 1;
    settings.BackgroundLonColumn = 0;
    settings.BackgroundLatColumn = 1;
    settings.BackgroundDelimiter = 1;
    GdiObjectCache objects;
    objects.Remake(settings);
    InstallGdiObjects(&objects);
    ShellFonts fonts;
    Win32FileSystem files;
    for (const char* folder : {"C:\\ProgramData\\", "C:\\ProgramData\\Brenvik\\", BackgroundTempFolder})
        files.MakeDirectory(folder);
    if (!WriteField(files)) {
        std::fprintf(stderr, "cannot write %s\n", SourcePath);
        return 1;
    }

    PaneTiles tiles(fonts, PaneSide, PaneSide);
    ManualClock clock;
    RecordingState recording(files, settings, clock);
    MapCommands map(tiles, settings, recording, clock, [] {});
    BackgroundLayer* layerForTiles = nullptr;
    // A base coming back into GDI: the grid and the background tracks.
    tiles.SetBasePainter([&map, &layerForTiles](int32_t c, int32_t r, int32_t w, int32_t h, Canvas& canvas) {
        DrawBaseTile(canvas, map.State().Grid, c, r, w, h);
        if (layerForTiles) layerForTiles->PaintBaseTile(canvas, c, r, w, h);
    });
    map.SetPaneSize(PaneSide, PaneSide);
    map.RecomputeScale();
    map.PrepareDrawing();
    map.State().OriginX = OriginEasting;
    map.State().OriginY = OriginNorthing;
    map.RebuildGrid();

    ScriptedFileDialogs chooser;
    chooser.Answers.push_back(From8Bit(SourcePath));
    RecordingPrompts prompts;
    AnsweringDialogs dialogs;
    BackgroundLayer layer(settings, files, chooser, prompts, dialogs, map, recording.Zone, [] {}, [] {});
    layerForTiles = &layer;

    auto start = std::chrono::steady_clock::now();
    layer.Load();
    const double loadMs = Milliseconds(start);
    if (layer.Count() != 1) {
        std::fprintf(stderr, "the field was not taken: %s\n",
                     prompts.History.empty() ? "(no message)" : prompts.History.back().Text.c_str());
        return 1;
    }
    std::printf("load of 100,000 points (convert, copy, first drawing): %.0f ms\n", loadMs);

    for (int32_t mapSize : {40, 10}) {
        settings.MapSize = mapSize;
        map.RecomputeScale();
        map.TrackFits();  // a new scale drops the tiles of the old one
        map.RebuildGrid();
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            start = std::chrono::steady_clock::now();
            layer.Redraw();
            times.push_back(Milliseconds(start));
        }
        std::vector<TileIndex> made;
        map.Tiles().ListTiles(made);
        std::sort(times.begin(), times.end());
        double sum = 0.0;
        for (double t : times) sum += t;
        std::printf("redraw at map size %d m (%zu tiles): min %.0f ms, mean %.0f ms, max %.0f ms over %d runs\n",
                    mapSize, made.size(), times.front(), sum / times.size(), times.back(), runs);
    }
    layer.DeleteCopies();
    layerForTiles = nullptr;
    files.Remove(SourcePath);
    tiles.DeleteAllTiles();
    InstallGdiObjects(nullptr);
    return 0;
}
