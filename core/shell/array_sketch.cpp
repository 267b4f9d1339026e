#include "core/shell/array_sketch.h"

#include <algorithm>
#include <cmath>

namespace tesselog {

namespace {

// Lengths come from the settings file, so a pixel value is kept far inside
// the int32 range whatever they hold.
int32_t ToPixel(double value) {
    if (!(value > -100000.0)) return -100000;
    if (!(value < 100000.0)) return 100000;
    return static_cast<int32_t>(std::lround(value));
}

}  // namespace

double SensorSizeFactor(int32_t consoleCount) {
    if (consoleCount == 2) return 0.15;
    if (consoleCount > 2) return 0.2;
    return 0.1;
}

ArraySketch ComputeArraySketch(const Settings& s, int32_t clientWidth, int32_t clientHeight) {
    ArraySketch k;
    k.Box = {20, 250, clientWidth - 220, clientHeight - 10};
    k.TitleAt = {(k.Box.Left + k.Box.Right) / 2, 252};
    k.Area = {k.Box.Left, k.Box.Top + 30, k.Box.Right, k.Box.Bottom};
    const double boxWidth = k.Box.Width();
    const double areaHeight = k.Area.Height();

    // Sensor places along the array, first sensor at 0.
    const int consoles = std::clamp<int32_t>(s.ConsoleCount, 0, MaxConsoles);
    const double sizeFactor = SensorSizeFactor(consoles);
    double sensorX[MaxSensors];
    double consoleFrom[MaxConsoles], consoleTo[MaxConsoles];
    bool anyTwoSensors = false;
    double x = 0.0;
    for (int c = 0; c < consoles; ++c) {
        if (c > 0) x += s.ConsoleSeparation;
        consoleFrom[c] = x;
        sensorX[k.SensorCount++] = x;
        if (s.ConsoleType[c] == 1) {
            anyTwoSensors = true;
            x += s.UnitSensorSeparation;
            sensorX[k.SensorCount++] = x;
        }
        consoleTo[c] = x;
    }
    k.ConsoleCount = consoles;
    const double lastSensor = x;

    // Extent of the picture: the sensors and the antenna.
    double minX = std::min(0.0, s.GpsOffsetX);
    double maxX = s.GpsOffsetX;
    for (int i = 0; i < k.SensorCount; ++i) {
        minX = std::min(minX, sensorX[i]);
        maxX = std::max(maxX, sensorX[i]);
    }
    double width = maxX - minX;
    if (!(width > 0.0) || !std::isfinite(width)) width = sizeFactor;
    double height = std::fabs(s.GpsOffsetY);
    if (!(height > 0.0) || !std::isfinite(height)) height = sizeFactor;

    k.Scale = std::min(0.7 * boxWidth / width, 0.7 * areaHeight / height);
    if (!(k.Scale > 0.0) || !std::isfinite(k.Scale)) k.Scale = 1.0;

    // Centred in the area; y grows upwards in metres, downwards in pixels.
    const double centreX = (minX + maxX) / 2.0;
    const double centreY = s.GpsOffsetY / 2.0;
    const double areaCentreX = (k.Area.Left + k.Area.Right) / 2.0;
    const double areaCentreY = (k.Area.Top + k.Area.Bottom) / 2.0;
    auto place = [&](double mx, double my) {
        return Point{ToPixel(areaCentreX + (mx - centreX) * k.Scale), ToPixel(areaCentreY - (my - centreY) * k.Scale)};
    };

    k.Antenna = place(s.GpsOffsetX, s.GpsOffsetY);
    if (consoles == 0) {
        k.AntennaRadius = 25;
        k.ReferenceTick = true;
        Point origin = place(0.0, 0.0);
        k.TickFrom = {origin.X, origin.Y - 8};
        k.TickTo = {origin.X, origin.Y + 8};
    } else {
        k.AntennaRadius = std::max(ToPixel(2.0 * sizeFactor * k.Scale), 4);
    }
    k.AntennaRadius = std::max(std::min(k.AntennaRadius, k.Antenna.Y - k.Area.Top), 1);

    // Sensor marks and console boxes scale with the closest spacing, within
    // limits that keep them visible and apart.
    double closest = width;
    if (consoles > 1) closest = std::min(closest, std::fabs(s.ConsoleSeparation));
    if (anyTwoSensors) closest = std::min(closest, std::fabs(s.UnitSensorSeparation));
    const double closestPixels = closest * k.Scale;
    k.SensorRadius = std::clamp(ToPixel(closestPixels / 5.0), 3, 10);
    const int32_t marginX = k.SensorRadius + std::clamp(ToPixel(closestPixels / 8.0), 2, 8);
    const int32_t marginY = k.SensorRadius + 8;
    for (int i = 0; i < k.SensorCount; ++i) k.Sensors[i] = place(sensorX[i], 0.0);
    for (int c = 0; c < consoles; ++c) {
        Point a = place(consoleFrom[c], 0.0);
        Point b = place(consoleTo[c], 0.0);
        k.Consoles[c] = {std::min(a.X, b.X) - marginX, a.Y - marginY, std::max(a.X, b.X) + marginX + 1,
                         a.Y + marginY + 1};
    }

    if (consoles > 0) {
        int reference = s.LeadingPoint;
        k.Reference = reference >= 1 && reference <= k.SensorCount ? k.Sensors[reference - 1]
                                                                   : place(lastSensor / 2.0, 0.0);
        k.CrossHalf = k.SensorRadius + 5;
    }

    const int32_t arrowX = k.Box.Left + ToPixel(0.05 * boxWidth);
    k.ArrowTail = {arrowX, k.Area.Top + ToPixel(0.7 * areaHeight)};
    k.ArrowTip = {arrowX, k.Area.Top + ToPixel(0.1 * areaHeight)};
    k.ArrowHeadLeft = {arrowX - 6, k.ArrowTip.Y + 10};
    k.ArrowHeadRight = {arrowX + 6, k.ArrowTip.Y + 10};
    return k;
}

}  // namespace tesselog
