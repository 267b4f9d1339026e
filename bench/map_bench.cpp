// The map's share of one GPS fix: the view follows the antenna, the view's
// tiles are looked up (and made at tile crossings) and the view is shown.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

#include "core/datafile/data_file_writers.h"
#include "core/logscreen/logging_session.h"
#include "core/logscreen/map_commands.h"
#include "core/map/map_view.h"
#include "core/platform/memory_file_system.h"
#include "bench/swath_rig.h"

namespace tesselog {
namespace {

void BM_MapFollowPerFix(benchmark::State& run) {
    Settings settings;
    settings.MapSize = 40;
    settings.CursorBandPixels = 75;
    MapState state;
    MemoryMapTiles tiles;
    tiles.KeepCalls = false;
    MapOverflow overflow = MapOverflow::Inside;
    bool visible = true;
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

// One map update per fix while recording with the colour display: nine
// two-sensor consoles (18 sensors) on a 700 x 700 pane of 40 m, walking at
// 1 m/s with a fix every `step` metres (the argument in decimetres) and 10
// readings per sensor per metre closed at each fix. The view follows, the swath edge is
// computed, its segment records written into an in-memory data file and
// the colour strips painted into the in-memory tiles, whose calls are not
// kept.
void BM_MapSwathColourPerFix(benchmark::State& run) {
    const double step = run.range(0) / 10.0;
    MemoryMapTiles tiles;
    tiles.KeepCalls = false;
    SwathRig rig(tiles, std::max(1, static_cast<int32_t>(10 * step + 0.5)), true);
    int64_t fix = 0;
    for (auto _ : run) rig.DrawFix(fix++, step);
    run.counters["tiles"] = static_cast<double>(tiles.Tiles.size());
}
BENCHMARK(BM_MapSwathColourPerFix)->Arg(2)->Arg(10);

// The same array under a receiver four times faster than its consoles: a fix
// every 0.05 m (20 Hz at 1 m/s), one reading per sensor closed at every
// fourth fix (5 Hz consoles) and none at the three between, on a map of the
// argument's size in metres (40, or 15,000, where the swath is a fraction of
// a pixel wide).
void BM_MapSwathFastReceiverPerFix(benchmark::State& run) {
    MemoryMapTiles tiles;
    tiles.KeepCalls = false;
    SwathRig rig(tiles, 1, true, {}, static_cast<int32_t>(run.range(0)));
    rig.ReadingEvery = 4;
    int64_t fix = 0;
    for (auto _ : run) rig.DrawFix(fix++, 0.05);
    run.counters["tiles"] = static_cast<double>(tiles.Tiles.size());
}
BENCHMARK(BM_MapSwathFastReceiverPerFix)->Arg(40)->Arg(15000);

}  // namespace
}  // namespace tesselog
