#include "core/settings/settings.h"

#include <algorithm>

namespace tesselog {

void Settings::RecomputeSensorCounts() {
    int count = std::clamp<int32_t>(ConsoleCount, 0, MaxConsoles);
    TwoSensorConsoleCount = 0;
    for (int i = 0; i < MaxConsoles; ++i) {
        bool used = i < count;
        ConsoleSensorCount[i] = used ? (ConsoleType[i] == 1 ? 2 : 1) : 0;
        if (used) TwoSensorConsoleCount += ConsoleType[i];
    }
}

void Settings::RecomputeArrayGeometry() {
    MinSeparation = std::min(UnitSensorSeparation, ConsoleSeparation);
    ArrayWidth = (ConsoleCount - 1) * ConsoleSeparation + TwoSensorConsoleCount * UnitSensorSeparation;
    double margin = ConsoleCount == 1 ? 0.25 : MinSeparation / 2.0;
    SwathEdgeNear = GpsOffsetX + margin;
    SwathEdgeFar = ArrayWidth - GpsOffsetX + margin;
    if (DisplayUnits != 0) {
        // US survey feet are treated as plain feet here as well.
        MinSeparation /= 0.3048;
        ArrayWidth /= 0.3048;
        SwathEdgeNear /= 0.3048;
        SwathEdgeFar /= 0.3048;
    }
}

void Settings::RecomputeCursorPixels() {
    if (CursorSize == 5) {
        CursorOuterPixels = 19;
        CursorInnerPixels = 9;
    } else {
        CursorOuterPixels = 2 * CursorSize + 7;
        CursorInnerPixels = CursorSize + 3;
    }
}

void Settings::RecomputePixelsPerUnit() {
    double range = ReadingsScaleMax - ReadingsScaleMin;
    ReadingsPixelsPerUnit = range != 0.0 ? ProfilePaneHeight / range : 0.0;
    DecayPixelsPerUnit = range != 0.0 ? DecayPaneHeight / range : 0.0;
}

void Settings::RecomputeCursorBandPixels() {
    CursorBandPixels = static_cast<int32_t>((CursorBand * 5 + 10) * 0.01 * MapSizePixels);
}

void Settings::RecomputeAll() {
    RecomputeSensorCounts();
    RecomputeArrayGeometry();
    RecomputeCursorPixels();
    RecomputePixelsPerUnit();
    RecomputeCursorBandPixels();
    CurrentStation = StartStation;
}

}  // namespace tesselog
