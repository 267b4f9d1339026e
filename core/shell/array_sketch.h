// The picture of the sensor array on the main window: consoles with their
// sensors at the configured separations, the GPS antenna at its offset, the
// reference point and an arrow for the direction of travel (up). Only the
// geometry lives here; PaintMainWindow draws it.
//
// The picture's frame in metres: the first sensor at the origin, the others
// to its right in console order, the antenna GpsOffsetX to the right of the
// first sensor and GpsOffsetY ahead of the sensor line (as the swath drawing
// places the array behind the antenna).
#pragma once

#include <cstdint>

#include "core/platform/canvas.h"
#include "core/settings/settings.h"

namespace tesselog {

struct ArraySketch {
    Rect Box;          // white outline
    Point TitleAt;     // centre top of the title
    Rect Area;         // drawing area, 30 pixels below the box top
    double Scale = 0;  // pixels per metre

    Point Antenna;
    int32_t AntennaRadius = 0;
    bool ReferenceTick = false;  // no console: a vertical tick marks the origin
    Point TickFrom, TickTo;

    int ConsoleCount = 0;
    Rect Consoles[MaxConsoles];
    int SensorCount = 0;
    Point Sensors[MaxSensors];
    int32_t SensorRadius = 0;

    Point Reference;  // centre of the blue cross (consoles only)
    int32_t CrossHalf = 0;

    Point ArrowTail, ArrowTip, ArrowHeadLeft, ArrowHeadRight;
};

// 0.1 for one console, 0.15 for two, 0.2 for more (and 0.1 for none).
double SensorSizeFactor(int32_t consoleCount);

// The sketch in the box from (20, 250) to (clientWidth - 220, clientHeight - 10).
ArraySketch ComputeArraySketch(const Settings& settings, int32_t clientWidth, int32_t clientHeight);

}  // namespace tesselog
