#include "core/shell/main_painting.h"

#include "core/settings/settings_file.h"
#include "core/shell/array_sketch.h"
#include "core/shell/main_layout.h"
#include "core/shell/settings_summary.h"

namespace tesselog {

namespace {

constexpr Color Black = Rgb(0, 0, 0);
constexpr Color White = Rgb(255, 255, 255);
constexpr Color FrameGrey = Rgb(64, 64, 64);

}  // namespace

void PaintMainFrame(Canvas& canvas, int32_t w, int32_t h) {
    canvas.SetPen(FrameGrey, 1);
    canvas.SetBrush(FrameGrey);
    canvas.Line({10, 14}, {10, h - 10});
    const Point panel[] = {{w - 200, 14}, {w - 14, 14}, {w - 14, h - 10}, {w - 200, h - 10}, {w - 200, h - 90}};
    canvas.Polyline(panel, 5);
    for (Point p : {Point{10, 14}, Point{w - 200, 14}, Point{w - 200, h - 90}, Point{10, h - 10}}) {
        canvas.Circle(p, 3);
    }

    canvas.SetTextBackground(true);
    canvas.SetTextAlign(TextAlign::Right);
    canvas.SetFont(FontChoice::Text);
    canvas.SetTextColor(Rgb(0, 0, 255));
    canvas.Text(w - 30, h - 36, "Brenvik Software Inc.");
    canvas.SetFont(FontChoice::Title);
    canvas.SetTextColor(Rgb(160, 160, 160));
    canvas.Text(w - 30, h - 100, "Tesselog");
    canvas.SetFont(FontChoice::Text);
    canvas.SetTextColor(Black);
    canvas.Text(w - 30, h - 70, std::string("V ") + SettingsFileVersion);
}

void PaintSettingsSummary(Canvas& canvas, const Settings& settings, int32_t w) {
    canvas.SetTextBackground(true);
    canvas.SetTextColor(Black);
    canvas.SetTextAlign(TextAlign::Left);
    canvas.SetFont(FontChoice::Text);
    const int32_t autoWidth = canvas.TextExtent("AUTO").Width;
    const int32_t pseudoGgaWidth = canvas.TextExtent("Pseudo GGA").Width;
    const SummaryColumns c = SummaryColumnPlaces(w, autoWidth, pseudoGgaWidth);

    canvas.SetFont(FontChoice::Caption);
    canvas.Text(c.LeftValue, 30, "CURRENT PROGRAM SETTINGS");
    canvas.Text(c.LeftLabel, 60, "SURVEY PARAMETERS");
    canvas.Text(c.RightLabel + 50, 60, "SYSTEM SETUP");

    canvas.SetFont(FontChoice::Text);
    int32_t y = 90;
    for (const SummaryRow& row : SettingsSummaryRows(settings)) {
        canvas.Text(c.LeftLabel, y, row.LeftLabel);
        canvas.Text(c.LeftValue, y, row.LeftValue);
        canvas.Text(c.RightLabel, y, row.RightLabel);
        canvas.Text(c.RightValue, y, row.RightValue);
        y += 25;
    }
}

void PaintArraySketch(Canvas& canvas, const Settings& settings, int32_t w, int32_t h) {
    const ArraySketch k = ComputeArraySketch(settings, w, h);

    canvas.SetPen(White, 1);
    canvas.SetHollowBrush();
    canvas.Rectangle(k.Box);
    canvas.SetTextBackground(true);
    canvas.SetFont(FontChoice::Caption);
    canvas.SetTextColor(Rgb(80, 80, 80));
    canvas.SetTextAlign(TextAlign::Center);
    canvas.Text(k.TitleAt.X, k.TitleAt.Y, "Array Geometry Setup");

    canvas.SetClip(k.Area);
    canvas.SetPen(Black, 1);
    canvas.SetBrush(White);
    canvas.Circle(k.Antenna, k.AntennaRadius);
    if (k.ReferenceTick) canvas.Line(k.TickFrom, k.TickTo);

    for (int c = 0; c < k.ConsoleCount; ++c) canvas.Rectangle(k.Consoles[c]);
    canvas.SetPen(Rgb(255, 0, 0), 2);
    canvas.SetHollowBrush();
    for (int i = 0; i < k.SensorCount; ++i) canvas.Circle(k.Sensors[i], k.SensorRadius);
    if (k.ConsoleCount > 0) {
        canvas.SetPen(Rgb(0, 0, 255), 2);
        canvas.Line({k.Reference.X - k.CrossHalf, k.Reference.Y}, {k.Reference.X + k.CrossHalf + 1, k.Reference.Y});
        canvas.Line({k.Reference.X, k.Reference.Y - k.CrossHalf}, {k.Reference.X, k.Reference.Y + k.CrossHalf + 1});
    }

    canvas.SetPen(White, 3);
    canvas.Line(k.ArrowTail, k.ArrowTip);
    canvas.Line(k.ArrowHeadLeft, k.ArrowTip);
    canvas.Line(k.ArrowHeadRight, k.ArrowTip);
    canvas.ClearClip();
}

void PaintMainWindow(Canvas& canvas, const Settings& settings, int32_t w, int32_t h) {
    PaintMainFrame(canvas, w, h);
    PaintSettingsSummary(canvas, settings, w);
    PaintArraySketch(canvas, settings, w, h);
}

}  // namespace tesselog
