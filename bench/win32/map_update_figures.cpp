// One map update per GPS fix with the real GDI drawing, printed for the
// performance notes (run under Wine; asserts nothing): nine two-sensor
// consoles (18 sensors) recording in the colour display on a 700 x 700 map
// pane of 40 m, walking lines 100 m long with a fix every 0.1 m or 0.2 m
// (10 Hz at 1 or 2 m/s) and the readings of the line rate closed at each fix;
// then a fix every 0.05 m (20 Hz at 1 m/s) with one reading per sensor at
// every fourth fix (5 Hz consoles), on the 40 m map and on one of 15,000 m,
// each shown and not.
// Each update moves the view, computes the swath edge, writes its segment
// records into an in-memory data file, paints the colour strips into the GDI
// tiles (shared pens) and shows the view with its copy and AND blits on a
// memory bitmap of the pane. Prints the mean, the 99th percentile and the
// largest time per fix; the last case leaves the view unshown, to tell the
// swath's share from the blits'.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/swath_rig.h"
#include "core/map/map_grid.h"
#include "windows/gdi_objects.h"
#include "windows/map_tiles.h"

using namespace tesselog;
using namespace tesselog::win32;

namespace {

double Milliseconds() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}


void Measure(double step, int fixes, bool shown, int32_t readingEvery = 1, int32_t mapSize = 40) {
    constexpr int32_t Side = SwathRig::Side;
    GdiObjectCache objects;
    objects.Remake(SwathRig::RigSettings());
    InstallGdiObjects(&objects);
    ShellFonts fonts;
    GdiMapTiles tiles(fonts);
    HDC screen = GetDC(nullptr);
    HDC pane = CreateCompatibleDC(screen);
    HBITMAP paneBitmap = CreateCompatibleBitmap(screen, Side, Side);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(pane, paneBitmap);
    tiles.SetTarget(pane);

    // 56 readings a second per console at 10 fixes a second: 5 or 6 per
    // epoch; one at every fourth fix under the faster receiver.
    SwathRig rig(
        tiles, readingEvery == 1 ? 6 : 1, shown,
        [&tiles](MapCommands& map) {
            tiles.SetBasePainter([&map](int32_t c, int32_t r, int32_t w, int32_t h, Canvas& canvas) {
                DrawBaseTile(canvas, map.State().Grid, c, r, w, h);
            });
        },
        mapSize);
    rig.ReadingEvery = readingEvery;

    std::vector<double> times;
    times.reserve(fixes);
    for (int fix = 1; fix <= fixes; ++fix) {
        const double start = Milliseconds();
        rig.DrawFix(fix, step);
        times.push_back(Milliseconds() - start);
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0.0;
    for (double t : times) sum += t;
    std::printf("map update per fix, 18 sensors, colour display, 700x700 pane of %d m, a fix every %.2f m, "
                "readings at 1 fix in %d%s: "
                "mean %.3f ms, median %.3f ms, 99th percentile %.3f ms, largest %.3f ms over %d fixes "
                "(%zu tiles, %zu in GDI)\n",
                static_cast<int>(mapSize), step, static_cast<int>(readingEvery),
                shown ? "" : " (map not shown: the swath only)", sum / fixes, sorted[fixes / 2], sorted[fixes * 99 / 100], sorted.back(), fixes,
                tiles.TileCount(), tiles.GdiTileCount());

    tiles.DeleteAllTiles();
    SelectObject(pane, old);
    DeleteObject(paneBitmap);
    DeleteDC(pane);
    InstallGdiObjects(nullptr);
}

}  // namespace

int main() {
    Measure(0.1, 6000, true);
    Measure(0.2, 6000, true);
    Measure(0.2, 6000, false);
    Measure(0.05, 6000, true, 4);
    Measure(0.05, 6000, false, 4);
    Measure(0.05, 6000, true, 4, 15000);
    Measure(0.05, 6000, false, 4, 15000);
    return 0;
}
