#include "core/gps/gps_decoder.h"

#include <cmath>
#include <cstring>
#include <string>

#include "core/acquisition/console_reading.h"

namespace tesselog {

namespace {

// A sentence holds at most 127 characters, so no field of one is cut here.
constexpr size_t NumberTextMax = 127;
constexpr int32_t IntegerLimit = 999999999;  // leading digits beyond this saturate; +1 stays in range

constexpr int GsaPdopField = 16;

std::string_view Sub(std::string_view text, size_t at, size_t n = std::string_view::npos) {
    return at >= text.size() ? std::string_view() : text.substr(at, n);
}

double FieldNumber(std::string_view field) {
    char text[NumberTextMax + 1];
    const size_t n = field.size() < NumberTextMax ? field.size() : NumberTextMax;
    if (n > 0) std::memcpy(text, field.data(), n);  // an empty view may hold no pointer at all
    text[n] = 0;
    const double value = LeadingNumber(text);
    return std::isfinite(value) ? value : 0.0;
}

int32_t FieldInteger(std::string_view field) {
    size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
    int32_t value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        value = value > (IntegerLimit - 9) / 10 ? IntegerLimit : value * 10 + (field[i] - '0');
    return negative ? -value : value;
}

char FirstCharacter(std::string_view field) { return field.empty() ? 0 : field[0]; }

int32_t HemisphereSign(char letter, char positive, char negative) {
    if (letter == positive) return 1;
    if (letter == negative) return -1;
    return 0;
}

}  // namespace

double GpsDegreesOf(std::string_view field) {
    size_t dot = field.find('.');
    if (dot == std::string_view::npos) dot = field.size();
    const size_t minutesStart = dot >= 2 ? dot - 2 : 0;
    const double degrees = FieldNumber(field.substr(0, minutesStart));
    const double minutes = FieldNumber(Sub(field, minutesStart, 8));
    return degrees + minutes / 60.0;
}

double GpsTimeOfDay(std::string_view field) {
    const int32_t hours = FieldInteger(Sub(field, 0, 2));
    const int32_t minutes = FieldInteger(Sub(field, 2, 2));
    const double seconds = FieldNumber(Sub(field, 4));
    return hours * 3600.0 + minutes * 60.0 + seconds;
}

bool DecodeGsaDilution(std::string_view sentence, double& dilution) {
    std::string_view field;
    if (!GetField(sentence, GsaPdopField, ',', field)) return false;
    dilution = FieldNumber(field);
    return true;
}

GpsFix DecodeGpsFix(std::string_view sentence, const NmeaModeTable& mode, int32_t displayUnits,
                    const GpsFix& previous) {
    GpsFix fix;
    fix.Satellites = previous.Satellites;
    fix.Quality = previous.Quality;
    fix.Dilution = previous.Dilution;

    const bool ggaMode = mode.NmeaMode == NmeaModeGgaGsa || mode.NmeaMode == NmeaModeGga;
    char unitLetter = 0;
    std::string_view field;
    if (mode.GpsUnitField > 0 && GetField(sentence, mode.GpsUnitField, ',', field)) unitLetter = FirstCharacter(field);
    char latitudeLetter = 0;
    char longitudeLetter = 0;

    const int count = mode.GpsFieldCount < GpsFieldPairMax ? mode.GpsFieldCount : GpsFieldPairMax;
    for (int i = 0; i < count; ++i) {
        const bool present = GetField(sentence, mode.GpsFieldNumber[i], ',', field) == 1;
        switch (mode.GpsFieldSlot[i]) {
        case GpsSlotSatellites:
            fix.Satellites = present ? FieldInteger(field) : 0;
            if (fix.Satellites < 2) fix.Valid = 0;
            break;
        case GpsSlotQuality:
            fix.QualityPresent = present;
            fix.QualityCharacter = present ? FirstCharacter(field) : 0;
            fix.Quality = present ? FieldInteger(field) : 0;
            if (present && mode.NmeaMode == NmeaModePos) fix.Quality += 1;
            if (fix.Quality == 0 && ggaMode) fix.Valid = 0;
            break;
        case GpsSlotLatitudeHemisphere:
            latitudeLetter = present ? FirstCharacter(field) : 0;
            fix.LatitudeSign = HemisphereSign(latitudeLetter, 'N', 'S');
            if (fix.LatitudeSign == 0) fix.Valid = 0;
            break;
        case GpsSlotLongitudeHemisphere:
            longitudeLetter = present ? FirstCharacter(field) : 0;
            fix.LongitudeSign = HemisphereSign(longitudeLetter, 'E', 'W');
            if (fix.LongitudeSign == 0) fix.Valid = 0;
            break;
        case GpsSlotLatitude:
        case GpsSlotLongitude: {
            // A missing longitude cannot come with a valid hemisphere (its
            // field follows the longitude in every mode), so treating it like
            // a missing latitude only keeps the rule symmetric.
            if (!present) fix.Valid = 0;
            if (!fix.Valid) break;
            const bool latitude = mode.GpsFieldSlot[i] == GpsSlotLatitude;
            const double degrees = GpsDegreesOf(field);
            const std::string text(field);
            if (latitude) {
                fix.Latitude = degrees * fix.LatitudeSign;
                fix.LatitudeDisplay = DecodeGeodeticDisplay(latitudeLetter, text);
            } else {
                fix.Longitude = degrees * fix.LongitudeSign;
                fix.LongitudeDisplay = DecodeGeodeticDisplay(longitudeLetter, text);
            }
            break;
        }
        case GpsSlotDilution:
        case GpsSlotDilution2:
        case GpsSlotDilution3:
            if (present) fix.Dilution = FieldNumber(field);
            break;
        case GpsSlotNorthing:
        case GpsSlotEasting: {
            if (!present) {
                fix.Valid = 0;
                break;
            }
            double value = FieldNumber(field);
            if (mode.NmeaMode == NmeaModeTotalStation)
                value = TotalStationToDisplayUnits(value, unitLetter, displayUnits);
            else
                value = MetresToDisplayUnits(value, displayUnits);
            if (!std::isfinite(value)) {  // too large for the display unit: no position
                fix.Valid = 0;
                break;
            }
            (mode.GpsFieldSlot[i] == GpsSlotNorthing ? fix.Northing : fix.Easting) = value;
            break;
        }
        default:
            break;
        }
    }

    if (GetField(sentence, mode.GpsTimeField, ',', field)) {
        fix.TimePresent = true;
        fix.TimeOfDay = GpsTimeOfDay(field);
    }
    return fix;
}

}  // namespace tesselog
