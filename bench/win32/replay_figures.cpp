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
#include "core/map/map_grid.h"
#include "windows/gdi_objects.h"
#include "windows/map_tiles.h"
#include "windows/platform_services.h"

using namespace tesselog;
using namespace tesselog::win32;

namespace {

// The GDI store on a memory bitmap of the pane, freed with its tiles.
class PaneTiles : public GdiMapTiles {
public:
    PaneTiles(const ShellFonts& fonts, const MapState& state) : GdiMapTiles(fonts) {
        HDC screen = GetDC(nullptr);
        pane_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, state.TileWidth, state.TileHeight);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(pane_, bitmap_);
        SetTarget(pane_);
        SetBasePainter([&state](int32_t c, int32_t r, int32_t w, int32_t h, Canvas& canvas) {
            DrawBaseTile(canvas, state.Grid, c, r, w, h);
        });
    }
    ~PaneTiles() override {
        DeleteAllTiles();
        SelectObject(pane_, old_);
        DeleteObject(bitmap_);
        DeleteDC(pane_);
    }

private:
    HDC pane_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

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
                      return std::unique_ptr<MapTileSurfaces>(std::make_unique<PaneTiles>(fonts, state));
                  }};
    rig.Runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    rig.BaselineRuns = 1;
    const bool ok = rig.Run();
    InstallGdiObjects(nullptr);
    return ok ? 0 : 1;
}
