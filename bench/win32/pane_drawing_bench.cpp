// What the console handler draws for one reading on Windows, measured on
// memory bitmaps of the logging screen's real pane sizes: the numbers row,
// the console's bars and its profile step, each on its own GDI canvas as the
// handler makes them. Prints the mean and the 99th percentile per reading;
// run it under Wine (or on Windows). Google Benchmark has no MinGW build
// here, so this is a plain program.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/acquisition/console_reading.h"
#include "core/logscreen/logging_layout.h"
#include "core/logscreen/numbers_painting.h"
#include "core/logscreen/profile_painting.h"
#include "windows/gdi_canvas.h"
#include "windows/shell_window.h"

using namespace tesselog;
using namespace tesselog::win32;

namespace {

struct Bitmap {
    HDC Dc = nullptr;
    HBITMAP Handle = nullptr;
    HGDIOBJ Old = nullptr;
    Bitmap(HDC screen, const Rect& size) {
        Dc = CreateCompatibleDC(screen);
        Handle = CreateCompatibleBitmap(screen, size.Width(), size.Height());
        Old = SelectObject(Dc, Handle);
        PatBlt(Dc, 0, 0, size.Width(), size.Height(), WHITENESS);
    }
    ~Bitmap() {
        SelectObject(Dc, Old);
        DeleteObject(Handle);
        DeleteDC(Dc);
    }
};

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return 1e6 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One case: a client of width x height, consoles two-sensor consoles, the
// map view or the profile view.
void Measure(int32_t width, int32_t height, int consoles, bool mapView, const ShellFonts& fonts) {
    const int32_t lineHeight = 18;
    const LoggingLayout layout = ComputeLoggingLayout(width, height, lineHeight, consoles, PaneRightColumnWidth);
    Settings settings;
    settings.ConsoleCount = consoles;
    for (int k = 0; k < consoles; ++k) settings.ConsoleType[k] = 1;
    settings.RecomputeAll();
    TakePaneSizes(settings, layout);
    settings.ReadingsScaleMin = -50.0;
    settings.ReadingsScaleMax = 50.0;
    settings.RecomputePixelsPerUnit();

    const Rect profileRect = ProfilePaneRect(layout, 0, mapView);
    ProfilePaneState state;
    SetProfilePaneWidths(state, profileRect.Width(), layout.SecondPlotWidth);
    ComputeProfileGrid(state, settings);
    ComputeBarGrid(state, settings);
    const ProfilePens pens = ProfilePensOf(settings);
    const Rect numbersRect = NumbersPaneRect(layout);
    const NumbersPaneGeometry numbers =
        ComputeNumbersPane(numbersRect.Width(), numbersRect.Height(), lineHeight, consoles);

    HDC screen = GetDC(nullptr);
    Bitmap profile(screen, profileRect), bars(screen, SecondPlotPaneRect(layout, 0)), rows(screen, numbersRect);
    ReleaseDC(nullptr, screen);

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    const int readings = 4000;
    std::vector<double> times;
    times.reserve(readings);
    for (int i = 0; i < readings; ++i) {
        const double left = 40.0 * std::sin(i * 0.05), right = 30.0 * std::cos(i * 0.07);
        int32_t profileRows[2], barRows[2];
        ReadingToPixels(settings, 0, left, right, profileRows, barRows);
        QueryPerformanceCounter(&start);
        {
            GdiCanvas canvas(rows.Dc, fonts);
            DrawReadingNumbers(canvas, numbers, 0, left, right, true);
        }
        {
            GdiCanvas canvas(bars.Dc, fonts);
            UpdateBars(canvas, state, pens, 0, true, barRows);
        }
        {
            GdiCanvas canvas(profile.Dc, fonts);
            ScrollProfile(canvas, state, pens, 0, true, profileRows);
        }
        GdiFlush();
        QueryPerformanceCounter(&end);
        times.push_back(Microseconds(start, end, frequency));
    }
    std::sort(times.begin(), times.end());
    double sum = 0.0;
    for (double t : times) sum += t;
    std::printf("%4dx%-4d %d console(s), %s view, profile pane %dx%d: mean %.1f us, p99 %.1f us per reading\n",
                width, height, consoles, mapView ? "map" : "profile", profileRect.Width(), profileRect.Height(),
                sum / readings, times[readings * 99 / 100]);
}

}  // namespace

int main() {
    const ShellFonts fonts{CreateShellFont(20, 200), CreateShellFont(30, 600), CreateShellFont(14, 400),
                           CreateShellFont(14, 700)};
    Measure(1024, 762, 1, false, fonts);
    Measure(1024, 762, 2, false, fonts);
    Measure(1024, 762, 2, true, fonts);
    Measure(800, 562, 9, false, fonts);
    return 0;
}
