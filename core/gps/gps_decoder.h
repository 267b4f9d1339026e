// Decoding of a position sentence into the items of a GPS fix, slot by slot
// in the order of the mode table (a hemisphere is always decoded before its
// coordinate, which takes its sign). The decoder neither projects nor draws:
// the position handler projects geodetic fixes to UTM and shows the items.
//
// Validity: a fix starts valid and is made invalid by satellites below 2, by
// quality 0 in modes 0 and 1 (GGA), by a hemisphere letter other than N/S
// (E/W), and by a missing latitude, longitude, northing or easting field.
// Quality 0 leaves fixes of the other modes valid. A latitude or longitude is
// decoded only while the fix is still valid.
//
// Numbers: integers are the leading digits (an optional sign first, no
// digits read as 0); reals are the leading decimal number of the field.
// Text that is not a number reads as 0, and so does a number too large to be
// finite, so the handler never gets an infinity or a NaN to project or draw.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/gps/coordinates.h"
#include "core/gps/nmea_mode.h"

namespace tesselog {

// The fix of one position sentence. Satellites, quality and dilution are
// program-wide values that a sentence may leave as they were (a dilution
// field that is missing, a mode without a satellite or quality slot), so the
// decoder starts from the previous fix's values; everything else belongs to
// this sentence alone.
struct GpsFix {
    // Carried from the previous fix.
    int32_t Satellites = 0;      // GpsSatellites; a missing satellite field gives 0
    int32_t Quality = 0;         // GpsQuality, +1 in POS mode; a missing quality field gives 0
    double Dilution = 0.0;       // GpsDilution; a missing field keeps it (mode 0: the GSA's PDOP)

    // This sentence.
    int32_t Valid = 1;           // GpsFixValid
    bool QualityPresent = false; // the quality field exists: the label is shown (else left blank)
    char QualityCharacter = 0;   // its first character, which picks the label (0 when it is empty)
    int32_t LatitudeSign = 0;    // +1 N, -1 S, 0 not decoded or invalid
    int32_t LongitudeSign = 0;   // +1 E, -1 W
    double Latitude = 0.0;       // signed degrees (geodetic modes, while valid)
    double Longitude = 0.0;
    GeodeticDisplayParts LatitudeDisplay;   // N43<deg>36' and the seconds, for CoordinateDisplay 0
    GeodeticDisplayParts LongitudeDisplay;
    double Northing = 0.0;       // grid modes 3, 4, 7: already in the display unit
    double Easting = 0.0;
    bool TimePresent = false;    // the time field exists
    double TimeOfDay = 0.0;      // seconds, from the mode's time field
};

// Decodes `sentence` (a position sentence of `mode`) starting from `previous`.
// displayUnits is the setting `DisplayUnits` (0 metres, 1 feet, 2 US survey
// feet), into which grid coordinates are converted as they are decoded.
GpsFix DecodeGpsFix(std::string_view sentence, const NmeaModeTable& mode, int32_t displayUnits,
                    const GpsFix& previous);

// Unsigned degrees of a latitude or longitude field (ddmm.mmmm, dddmm.mmmm):
// the degrees are the characters before the last two digits in front of the
// first "." (before the last two characters of a field without "."), the
// minutes are the text from those two digits on, at most eight characters of
// it ("36.5940" of "4336.5940"; "34.49821229" of "4134.49821229" is cut
// to "34.49821").
double GpsDegreesOf(std::string_view field);

// Time of day in seconds of an hhmmss.ss field: hours from the first two
// characters, minutes from the next two, seconds the rest read as a real.
double GpsTimeOfDay(std::string_view field);

// Mode 0: the PDOP of a GSA sentence (field 16). False when the field is
// missing (the dilution field then shows "N/A"); dilution is left as it was.
bool DecodeGsaDilution(std::string_view sentence, double& dilution);

}  // namespace tesselog
