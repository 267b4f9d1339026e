#include "windows/profile_panes.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "windows/logging_window.h"
#include "windows/numbers_panes.h"
#include "windows/replay_timing.h"
#include "windows/shell_window.h"
#include "windows/window_canvas.h"
// After <windows.h>, whose macros rename some of the core's methods.
#include "core/datafile/data_file.h"
#include "core/existing/file_replay.h"

namespace tesselog::win32 {

namespace {

const ProfilePaneState* PaintedProfiles = nullptr;
DataFile* PaintedFile = nullptr;

bool TwoSensors(const Settings& s, int k) { return s.ConsoleSensorCount[k] == 2; }

// Any one pane's paint request repaints all of them; a pane whose image is
// intact has an empty update region, so its paint cycle draws nothing.
LRESULT OnPanePaint(HWND window, UINT, WPARAM, LPARAM) {
    LoggingWindow& w = TheLoggingWindow();
    const Settings& s = Shell().ProgramSettings;
    if (w.Fonts && PaintedProfiles && s.ConsoleCount > 0) {
        PaintLoggingPanes(w, *PaintedProfiles, s, PaintedFile);
        ValidateRect(window, nullptr);  // a pane outside the configured set too
        return 0;
    }
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

// The panes are drawn by the handlers and the paint handler only.
LRESULT OnPaneCreate(HWND, UINT, WPARAM, LPARAM) { return 0; }

const MessageEntry<WindowHandler> CurveEntries[] = {{WM_CREATE, &OnPaneCreate}, {WM_PAINT, &OnPanePaint}};
const MessageEntry<WindowHandler> DecayEntries[] = {{WM_CREATE, &OnPaneCreate}, {WM_PAINT, &OnPanePaint}};
const MessageEntry<WindowHandler> NumbersEntries[] = {{WM_PAINT, &OnPanePaint}};
const MessageEntry<WindowHandler> SpeedEntries[] = {{WM_PAINT, &OnPanePaint}};

}  // namespace

const WindowMessageTable CurveMessages = MakeMessageTable(CurveEntries);
const WindowMessageTable DecayMessages = MakeMessageTable(DecayEntries);
const WindowMessageTable NumbersMessages = MakeMessageTable(NumbersEntries);
const WindowMessageTable SpeedMessages = MakeMessageTable(SpeedEntries);

void SetPaintedProfiles(const ProfilePaneState* state, DataFile* file) {
    PaintedProfiles = state;
    PaintedFile = file;
}

void DrawProfileStep(LoggingWindow& w, ProfilePaneState& state, const Settings& s, int k,
                     const int32_t profileRows[2]) {
    if (!w.Fonts || k < 0 || k >= MaxConsoles || !w.ProfilePanes[k]) return;
    WindowCanvas canvas(w.ProfilePanes[k], *w.Fonts);
    ScrollProfile(canvas.Get(), state, ProfilePensOf(s), k, TwoSensors(s, k), profileRows);
}

void DrawConsoleBars(LoggingWindow& w, ProfilePaneState& state, const Settings& s, int k, const int32_t barRows[2]) {
    if (!w.Fonts || k < 0 || k >= MaxConsoles || !w.SecondPlotPanes[k]) return;
    WindowCanvas canvas(w.SecondPlotPanes[k], *w.Fonts);
    UpdateBars(canvas.Get(), state, ProfilePensOf(s), k, TwoSensors(s, k), barRows);
}

void PaintLoggingPanes(LoggingWindow& w, const ProfilePaneState& state, const Settings& s, DataFile* file) {
    const ProfilePens pens = ProfilePensOf(s);
    const int consoles = std::clamp(s.ConsoleCount, 0, MaxConsoles);
    const bool fromFile = file != nullptr && file->IsOpen();
    std::optional<ReplayTimer> timer;
    if (fromFile) timer.emplace("profiles");
    for (int k = 0; k < consoles; ++k) {
        if (!w.ProfilePanes[k]) continue;
        PaintCanvas canvas(w.ProfilePanes[k], *w.Fonts);
        if (fromFile) {
            const std::vector<ProfileCurvePiece> curve = ReplayProfile(*file, s, k, state.ProfileWidth);
            PaintProfilePane(canvas.Get(), state, pens, k, TwoSensors(s, k), &curve);
        } else {
            PaintProfilePane(canvas.Get(), state, pens, k, TwoSensors(s, k));
        }
    }
    for (int k = 0; k < consoles; ++k) {
        if (!w.SecondPlotPanes[k]) continue;
        PaintCanvas canvas(w.SecondPlotPanes[k], *w.Fonts);
        PaintBarPane(canvas.Get(), state, pens, k, TwoSensors(s, k));
    }
    if (w.NumbersPane) {
        PaintCanvas canvas(w.NumbersPane, *w.Fonts);
        PaintNumbersHeader(w, canvas.Get());
    }
    if (w.SpeedPane) {
        PaintCanvas canvas(w.SpeedPane, *w.Fonts);
        PaintEmptySpeedBar(w, canvas.Get());
    }
}

}  // namespace tesselog::win32
