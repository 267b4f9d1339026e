// Plane coordinates: the forward projection of WGS 84 latitude and longitude
// to UTM, the rule that fixes one UTM zone for a whole run of the program,
// the length units of the display and the texts that show a position and a
// speed on the logging screen.
//
// Every working position (map, swath, distances, speeds) is a northing and an
// easting in the display unit (`DisplayUnits`: 0 metres, 1 international
// feet, 2 US survey feet). Geodetic fixes are projected here first; grid data
// from a total station or an LLK/LLQ receiver is converted while it is
// decoded.
//
// Texts are 8-bit std::string. The degree sign of the geodetic display is the
// single byte 0xB0 (Windows-1252 / Latin-1); the Win32 layer widens the text
// with that code page before it draws it.
#pragma once

#include <cstdint>
#include <string>

#include "core/common/length_units.h"

namespace tesselog {

constexpr char DegreeSign = static_cast<char>(0xB0);     // Windows-1252 / Latin-1

constexpr int32_t UtmZoneNotFixed = -9;

// Projects a geodetic position (signed degrees, north and east positive) to
// UTM on WGS 84 by the Transverse Mercator series to the eighth power of the
// longitude difference. Northing and easting are in metres. With keepZone 0
// the zone is computed from the longitude and stored in `zone`; with
// keepZone 1 the position is projected into the zone passed in, however far
// from it the position lies (the series is then evaluated without limits).
void GeodeticToUtm(double latitude, double longitude, int& zone, double& northing, double& easting,
                   int keepZone);

// The inverse of GeodeticToUtm with keepZone 1: the geodetic position
// (signed degrees) that projects to `northing` and `easting` (metres, a
// southern hemisphere's with its false northing) in `zone`, found by
// projecting and correcting until the projection is within 0.1 mm, so that
// projecting the result again gives the place back.
void UtmToGeodetic(int zone, int hemisphere, double northing, double easting, double& latitude, double& longitude);

// The zone of a longitude: floor(longitude / 6) + 31, limited to 1..60.
int UtmZoneOfLongitude(double longitude);

// The zone used for every projection while the program runs.
struct UtmZoneState {
    int32_t UtmZone = UtmZoneNotFixed;
    int32_t UtmZoneOfFile = UtmZoneNotFixed;  // copy taken when the zone is fixed, for the file header
    double FirstFixLatitude = 0.0;            // the fix that fixed the zone
    double FirstFixLongitude = 0.0;
};

// Projects a valid geodetic fix. The first one while the zone is not fixed
// fixes it (and becomes the first fix); every later one is projected into
// that zone, also after the receiver has crossed a zone border, so that the
// survey stays in one plane. Northing and easting are in metres.
void ProjectGeodeticFix(UtmZoneState& state, double latitude, double longitude, double& northing,
                        double& easting);

// What the geodetic display keeps of a latitude or longitude field
// (ddmm.mmmm or dddmm.mmmm): the prefix, that is the hemisphere letter, the
// degree digits, the degree sign, the two whole-minute digits and an
// apostrophe (N43<deg>36' for "4336.5940", <deg> being the byte 0xB0), and the
// seconds, the fraction of the minutes times 60 (35.64).
struct GeodeticDisplayParts {
    std::string Prefix;
    double Seconds = 0.0;
};
GeodeticDisplayParts DecodeGeodeticDisplay(char hemisphere, const std::string& field);

// N43<deg>36'35.6400": the prefix, the seconds as "%07.4f" and a double quote.
std::string GeodeticText(const GeodeticDisplayParts& parts);

// The texts of the latitude/northing field, the longitude/easting field and
// the zone field. `ZoneChanged` is false when the zone field keeps whatever
// it showed before.
struct PositionTexts {
    std::string First;
    std::string Second;
    std::string Zone;
    bool ZoneChanged = false;
};

// A geodetic fix by `CoordinateDisplay` (0 geodetic, 1 UTM metres, 2 UTM
// feet, 3 UTM US feet; other values show metres). Northing and easting are
// the projection's metres.
PositionTexts GeodeticPositionTexts(int32_t coordinateDisplay, const GeodeticDisplayParts& latitude,
                                    const GeodeticDisplayParts& longitude, double northingMetres,
                                    double eastingMetres, int32_t zone);

// A grid fix: northing and easting in the display unit, turned back into
// metres and shown like the UTM rows. There is no zone and, with
// `CoordinateDisplay` 0, nothing geodetic to show.
PositionTexts GridPositionTexts(int32_t coordinateDisplay, int32_t displayUnits, double northing,
                                double easting);

// Factor from display units per second to `SpeedUnits` (0 m/s, 1 ft/s,
// 2 km/h, 3 mph; other values count as m/s). Feet and US feet share one
// column of factors.
double SpeedFactor(int32_t speedUnits, int32_t displayUnits);

// "%5.2f m/s" and its siblings, from a speed in display units per second.
std::string SpeedText(double speedDisplayUnitsPerSecond, int32_t speedUnits, int32_t displayUnits);

}  // namespace tesselog
