// Reading a full-size data file back with the program's Windows pieces, under
// Wine: the extent scan and the profile replay through Win32FileSystem
// (CreateFileW, ReadFile), the track replay into the GDI tile store with the
// shared pens, its base tiles drawn from the grid, on a memory bitmap of the
// pane; against the same scan with one ReadFile per record. Run by
// scripts/measure-replay.sh; the file comes from scripts/make-full-size-file.sh.
//
//   tesselog-replay-figures.exe FILE [RUNS]     (FILE as a Windows path)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench/replay_rig.h"
#include "bench/win32/pane_tiles.h"
#include "core/map/map_grid.h"
#include "windows/gdi_objects.h"
#include "windows/platform_services.h"

using namespace tesselog;
using namespace tesselog::win32;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tesselog-replay-figures.exe FILE [RUNS]\n");
        return 2;
    }
    GdiObjectCache objects;
    objects.Remake(ReplayRig::RigSettings(1));
    InstallGdiObjects(&objects);
    ShellFonts fonts;
    Win32FileSystem files;
    ReplayRig rig{files, argv[1], [&fonts](MapState& state) {
                      auto tiles = std::make_unique<PaneTiles>(fonts, state.TileWidth, state.TileHeight);
                      tiles->SetBasePainter([&state](int32_t c, int32_t r, int32_t w, int32_t h, Canvas& canvas) {
                          DrawBaseTile(canvas, state.Grid, c, r, w, h);
                      });
                      return std::unique_ptr<MapTileSurfaces>(std::move(tiles));
                  }};
    rig.Runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    rig.BaselineRuns = 1;
    const bool ok = rig.Run();
    InstallGdiObjects(nullptr);
    return ok ? 0 : 1;
}
