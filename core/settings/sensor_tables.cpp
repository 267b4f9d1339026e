#include "core/settings/sensor_tables.h"

#include <algorithm>

namespace tesselog {

double SwathMargin(int32_t consoleCount, double minSeparation) {
    return consoleCount == 1 ? 0.25 : minSeparation / 2.0;
}

SensorTables BuildSensorTables(const Settings& settings) {
    SensorTables t;
    int consoles = std::clamp(settings.ConsoleCount, 0, MaxConsoles);
    int sensor = 0;
    double position = 0.0;
    for (int i = 0; i < consoles; ++i) {
        t.ConsoleSensorCount[i] = settings.ConsoleType[i] == 1 ? 2 : 1;
        t.ConsoleFirstSensor[i] = i == 0 ? 0 : t.ConsoleFirstSensor[i - 1] + t.ConsoleSensorCount[i - 1];
        for (int s = 0; s < t.ConsoleSensorCount[i] && sensor < MaxSensors; ++s, ++sensor) {
            if (sensor > 0) position += s == 0 ? settings.ConsoleSeparation : settings.UnitSensorSeparation;
            t.SensorPosition[sensor] = position;
        }
    }
    t.SensorCount = sensor;
    t.MinSeparation = std::min(settings.UnitSensorSeparation, settings.ConsoleSeparation);
    // The array's width in the same unit as the positions (the last sensor's
    // position), so that the ratios do not depend on the display unit. The
    // swath's margin beyond the outer sensors is the settings' one.
    double width = sensor > 0 ? t.SensorPosition[sensor - 1] : 0.0;
    double stripWidth = width + t.MinSeparation;
    const double margin = SwathMargin(consoles, t.MinSeparation);
    const double swath = width + 2.0 * margin;
    t.SwathWidth = sensor > 0 ? swath : 0.0;
    for (int k = 0; k < sensor; ++k) {
        t.SwathPlace[k] = swath != 0.0 ? (t.SensorPosition[k] + margin) / swath : 0.5;
        if (stripWidth > 0.0) {
            t.StripLeft[k] = t.SensorPosition[k] / stripWidth;
            t.StripRight[k] = (t.SensorPosition[k] + t.MinSeparation) / stripWidth;
        }
    }
    return t;
}

}  // namespace tesselog
