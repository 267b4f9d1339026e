// The length units of the display (`DisplayUnits`: 0 metres, 1 international
// feet, 2 US survey feet) and the conversions between them and metres, used
// by the settings' derived values as much as by the positions.
#pragma once

#include <cstdint>

namespace tesselog {

constexpr double InternationalFoot = 0.3048;             // metres
constexpr double UsSurveyFoot = 0.304800609601219;       // metres, 1200/3937
constexpr double FeetPerMetre = 3.28084;                 // total-station data and speeds

// Metres per unit of `DisplayUnits` (0: 1, 1: 0.3048, 2: 0.304800609601219).
// Values outside 0..2 count as metres.
double DisplayUnitFactor(int32_t displayUnits);
double MetresToDisplayUnits(double metres, int32_t displayUnits);
double DisplayUnitsToMetres(double value, int32_t displayUnits);

// A total station's coordinate (GGA-shaped output) in the display unit: with
// metres shown, a value in feet (unit letter 'F') is scaled by 0.3048; with
// feet or US feet shown, a value in any other unit by 3.28084 (the one
// feet-per-metre factor serves both feet displays); otherwise unchanged.
double TotalStationToDisplayUnits(double value, char unitLetter, int32_t displayUnits);

}  // namespace tesselog
