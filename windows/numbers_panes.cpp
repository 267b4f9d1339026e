// The numbers pane, the speed bar and the colour scale window on Win32: the
// colour scale's handlers, what the shared pane paint handler draws on the
// other two, and the drawing the console and GPS handlers ask for. What
// is drawn where comes from core/logscreen/numbers_painting.
#include "windows/numbers_panes.h"

#include "core/logscreen/numbers_painting.h"
#include "windows/display_scale_win32.h"
#include "windows/logging_window.h"
#include "windows/shell_window.h"
#include "windows/window_canvas.h"

namespace tesselog::win32 {

namespace {

// The columns share the width inside the pane's border: on the layout's
// full width "Sensor R" would touch the border at the right. The rows keep
// the layout's rule, which leaves room for the border already.
NumbersPaneGeometry NumbersGeometry(const LoggingWindow& w) {
    const Rect pane = NumbersPaneRect(w.Panes);
    SIZE client{pane.Width(), pane.Height()};
    if (w.NumbersPane) client = ClientSizeIn96(w.NumbersPane, w.Panes.Scale);
    return ComputeNumbersPane(client.cx, pane.Height(), w.LineHeight, Shell().ProgramSettings.ConsoleCount);
}

bool CanDraw(const LoggingWindow& w, HWND pane) { return pane && w.Fonts; }

// Before the logging screen has its fonts a paint only validates.
LRESULT ValidateOnly(HWND window) {
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

LRESULT OnColourScalePaint(HWND window, UINT, WPARAM, LPARAM) {
    LoggingWindow& w = TheLoggingWindow();
    if (!w.Fonts) return ValidateOnly(window);
    const Settings& s = Shell().ProgramSettings;
    const SIZE client = ClientSizeIn96(window, w.Fonts->Scale);
    PaintCanvas canvas(window, *w.Fonts);
    PaintColourScale(canvas.Get(), client.cx, client.cy, s.ReadingsScaleMin, s.ReadingsScaleMax);
    return 0;
}

// The colour scale window's creation only updates it.
LRESULT OnColourScaleCreate(HWND window, UINT, WPARAM, LPARAM) {
    UpdateWindow(window);
    return 0;
}

const MessageEntry<WindowHandler> ColorBarEntries[] = {
    {WM_CREATE, &OnColourScaleCreate},
    {WM_PAINT, &OnColourScalePaint},
};

}  // namespace

// A repaint of the numbers pane shows the header on a blank pane; the rows
// fill again with the next readings.
void PaintNumbersHeader(LoggingWindow& w, Canvas& canvas) {
    DrawNumbersHeader(canvas, NumbersGeometry(w), Shell().ProgramSettings.TwoSensorConsoleCount > 0);
}

// A repaint of the speed bar shows it empty.
void PaintEmptySpeedBar(LoggingWindow& w, Canvas& canvas) {
    const Rect bar = w.Creation.SpeedBar;
    DrawSpeedBar(canvas, bar.Width(), bar.Height(), bar.Width());
}
const WindowMessageTable ColorBarMessages = MakeMessageTable(ColorBarEntries);

void DrawConsoleNumbers(LoggingWindow& w, int k, double left, double right, const std::string* reasons) {
    if (!CanDraw(w, w.NumbersPane) || k < 0 || k >= MaxConsoles) return;
    WindowCanvas canvas(w.NumbersPane, *w.Fonts);
    DrawReadingNumbers(canvas.Get(), NumbersGeometry(w), k, left, right,
                       Shell().ProgramSettings.ConsoleSensorCount[k] == 2, reasons);
}

void DrawNumbersRowText(LoggingWindow& w, int k, const std::string& text) {
    if (!CanDraw(w, w.NumbersPane) || k < 0 || k >= MaxConsoles) return;
    const Rect row = NumbersGeometry(w).Row(k);
    WindowCanvas canvas(w.NumbersPane, *w.Fonts);
    Canvas& c = canvas.Get();
    c.FillRect(row, Rgb(255, 255, 255));
    if (text.empty()) return;
    c.SetFont(FontChoice::Bold);
    c.SetTextColor(Rgb(0, 0, 0));
    c.SetTextBackground(true, Rgb(255, 255, 255));
    c.SetTextAlign(TextAlign::Left);
    c.TextInRect(row, row.Left + 4, row.Top, text);
}

void DrawSpeedPane(LoggingWindow& w, int32_t offset) {
    if (!CanDraw(w, w.SpeedPane)) return;
    const Rect bar = w.Creation.SpeedBar;
    w.SpeedOffset = offset;
    WindowCanvas canvas(w.SpeedPane, *w.Fonts);
    DrawSpeedBar(canvas.Get(), bar.Width(), bar.Height(), offset, w.SpeedTooFast);
}

}  // namespace tesselog::win32
