// The per-sensor tables built from the settings: where each sensor lies
// across the track, its place in the swath and its strip of the colour map.
// The logging session builds them at every start; the swath, the file
// replay and the export read them. SwathPlace is the one table of where a
// reading lies across the array: the live map's position dots, the export's
// raw readings, its lag-corrected ones and the local grid of a survey
// without GPS all place a sensor there.
#pragma once

#include <cstdint>

#include "core/settings/settings.h"

namespace tesselog {

// Sensor k counts across the consoles in console order, the first sensor of
// a console first.
struct SensorTables {
    int32_t SensorCount = 0;
    int32_t ConsoleSensorCount[MaxConsoles] = {};
    int32_t ConsoleFirstSensor[MaxConsoles] = {};
    double SensorPosition[MaxSensors] = {};    // across the track, from the first sensor
    double MinSeparation = 0.0;
    // Where the sensor lies between the swath's left end (0) and right end
    // (1): the swath reaches a margin beyond the outer sensors (half the
    // smaller separation, 0.25 m for one console).
    double SwathPlace[MaxSensors] = {};
    double SwathWidth = 0.0;                   // metres from the swath's left end to its right end
    double StripLeft[MaxSensors] = {};         // the sensor's strip of 0..1 on the colour map
    double StripRight[MaxSensors] = {};
};
SensorTables BuildSensorTables(const Settings& settings);

// The swath's margin beyond the outer sensors, metres: 0.25 m for one
// console, half the smaller separation for several.
double SwathMargin(int32_t consoleCount, double minSeparation);

}  // namespace tesselog
