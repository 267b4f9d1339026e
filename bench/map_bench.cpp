// The map's share of one GPS fix: the view follows the antenna, the view's
// tiles are looked up (and made at tile crossings) and the view is shown.
#include <benchmark/benchmark.h>

#include "core/map/map_view.h"

namespace tesselog {
namespace {

void BM_MapFollowPerFix(benchmark::State& run) {
    Settings settings;
    settings.MapSize = 40;
    settings.CursorBandPixels = 75;
    MapState state;
    MemoryMapTiles tiles;
    tiles.KeepCalls = false;
    int32_t overflow = 0;
    int32_t visible = 1;
    MapView view(state, tiles, settings, overflow, visible, [] {});
    SetMapTileSize(state, settings, 498, 498);
    ResetMap(state, tiles, settings);
    view.SetReferencePosition(6000000.0, 500000.0);
    // Lines 200 m long, 1 m apart, a fix every 0.1 m.
    int64_t fix = 0;
    for (auto _ : run) {
        const int64_t line = (fix / 2000) % 200;
        const double along = (fix % 2000) * 0.1;
        const double east = line % 2 == 0 ? along : 200.0 - along;
        view.Draw(1, 6000000.0 + line, 500000.0 + east, 0.1);
        ++fix;
    }
    run.counters["tiles"] = static_cast<double>(tiles.Tiles.size());
}
BENCHMARK(BM_MapFollowPerFix);

}  // namespace
}  // namespace tesselog
