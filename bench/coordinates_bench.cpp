// Cost of projecting one geodetic fix to UTM, done for every GPS position.
#include <benchmark/benchmark.h>

#include "core/gps/coordinates.h"

namespace tesselog {
namespace {

void BM_GeodeticToUtm(benchmark::State& st) {
    double latitude = 51.5;
    double longitude = -0.12;
    int zone = 30;
    for (auto _ : st) {
        double northing = 0.0;
        double easting = 0.0;
        GeodeticToUtm(latitude, longitude, zone, northing, easting, 1);
        benchmark::DoNotOptimize(northing);
        benchmark::DoNotOptimize(easting);
        latitude += 1e-7;  // a walking receiver: never the same input twice
        longitude += 1e-7;
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_GeodeticToUtm);

}  // namespace
}  // namespace tesselog
