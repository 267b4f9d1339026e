// Reading a full-size data file back, natively: the extent scan, the track
// replay into in-memory tiles (the recording canvas formats every call and
// keeps none; once more on tiles that draw nothing, the core's own work:
// parsing, edges, strips, strokes cut per tile) and the profile replay,
// through StdioFileSystem, against one read call per record. Run by
// scripts/measure-replay.sh; the file comes from scripts/make-full-size-file.sh.
//
//   tesselog-replay-figures FILE [RUNS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench/null_canvas.h"
#include "bench/replay_rig.h"
#include "core/map/map_tiles.h"
#include "core/platform/stdio_file_system.h"

namespace tesselog {
namespace {

// In-memory tiles whose overlays draw nothing: without the recording
// canvas's formatting of every call, what is left is the core's own work.
class BareTiles : public MemoryMapTiles {
public:
    void PaintLayer(int32_t column, int32_t row, MapLayer, const CanvasPainter& paint) override {
        if (Find(column, row) != nullptr) paint(canvas_);
    }

private:
    NullCanvas canvas_;
};

}  // namespace
}  // namespace tesselog

int main(int argc, char** argv) {
    using namespace tesselog;
    if (argc < 2) {
        std::fprintf(stderr, "usage: tesselog-replay-figures FILE [RUNS]\n");
        return 2;
    }
    StdioFileSystem files;
    ReplayRig rig{files, argv[1], [](MapState&) {
                      auto tiles = std::make_unique<MemoryMapTiles>();
                      tiles->KeepCalls = false;
                      return std::unique_ptr<MapTileSurfaces>(std::move(tiles));
                  }};
    rig.MakeBareTiles = [](MapState&) { return std::unique_ptr<MapTileSurfaces>(std::make_unique<BareTiles>()); };
    if (argc > 2) rig.Runs = std::max(1, std::atoi(argv[2]));
    return rig.Run() ? 0 : 1;
}
